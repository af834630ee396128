// The settings file: any content is read without harm, and a value written under a section
// and key reads back the same whatever else the file held.

#include "profile.h"

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

// A name or value the file format can carry: no line breaks, brackets, "=", quotes (the
// reader drops a pair around a value) or NUL, no blanks at either end.
std::string plain(std::string_view bytes, bool isValue)
{
    std::string out;
    for (const char c : bytes)
        if (c != '\r' && c != '\n' && c != '\0' && c != '[' && c != ']' && c != '=' && c != ';' && c != '"'
            && c != '\'')
            out.push_back(c);
    const std::size_t first = out.find_first_not_of(" \t");
    if (first == std::string::npos)
        return isValue ? std::string() : std::string("k");
    return out.substr(first, out.find_last_not_of(" \t") - first + 1);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::string path = "/tmp/fuzz_profile_" + std::to_string(::getpid()) + ".ini";
    if (size < 3)
        return 0;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    // The first three bytes give the lengths of section, key and value; the rest is the file.
    const std::size_t sectionLength = std::min<std::size_t>(data[0] % 16, size - 3);
    const std::size_t keyLength = std::min<std::size_t>(data[1] % 16, size - 3 - sectionLength);
    const std::size_t valueLength = std::min<std::size_t>(data[2] % 32, size - 3 - sectionLength - keyLength);
    const std::string section = plain(bytes.substr(3, sectionLength), false);
    const std::string key = plain(bytes.substr(3 + sectionLength, keyLength), false);
    const std::string value = plain(bytes.substr(3 + sectionLength + keyLength, valueLength), true);
    std::ofstream(path, std::ios::binary) << bytes.substr(3 + sectionLength + keyLength + valueLength);

    char buffer[256];
    platform::getPrivateProfileString(section.c_str(), key.c_str(), "", buffer, sizeof buffer, path);
    if (!platform::writePrivateProfileString(section.c_str(), key.c_str(), value.c_str(), path))
        return 0;
    platform::getPrivateProfileString(section.c_str(), key.c_str(), "default", buffer, sizeof buffer, path);
    if (value != buffer)
        std::abort();
    return 0;
}
