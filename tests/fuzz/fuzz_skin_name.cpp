// The TV shell's stored skin name: whatever "Setting.ini" holds, a name taken as a plain file
// name stays inside the skin folder; and a name the skin choice accepts as storable is read
// back exactly by the start-up's read, whatever else the file held, through the real profile
// functions on a real file.
// Input: one byte giving the name's length, the name (UTF-8 as the program holds it), then the
// settings file.

#include "platform/codepage.h"
#include "platform/profile.h"
#include "platform/profile_text.h"
#include "tv/logic/skin_name.h"

#include <array>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

const fs::path& scratch()
{
    static const fs::path folder = [] {
        std::string pattern = (fs::temp_directory_path() / "fuzz-skin-name-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            std::abort();
        return fs::path(pattern);
    }();
    return folder;
}

// What the start-up reads for section "Skin", key "Name": at most 254 ANSI bytes, as UTF-8.
std::string storedName(const std::string& path)
{
    std::array<char, 255> buffer {};
    platform::getPrivateProfileString("Skin", "Name", "", buffer.data(), buffer.size(), path);
    return platform::ansiToUtf8(buffer.data());
}

void checkStaysInTheSkinFolder(const std::string& name)
{
    if (!skin_name::plainFileName(name))
        return;
    const fs::path folder = "/program/skin";
    const fs::path joined = (folder / name).lexically_normal();
    if (joined.parent_path() != folder || joined.filename() != name)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::size_t nameLength = std::min<std::size_t>(data[0], size - 1);
    const std::string name(bytes.substr(1, nameLength));
    const std::string_view file = bytes.substr(1 + nameLength);

    const std::string path = (scratch() / "Setting.ini").string();
    std::ofstream(path, std::ios::binary | std::ios::trunc) << file;
    checkStaysInTheSkinFolder(storedName(path));
    checkStaysInTheSkinFolder(name);

    if (!skin_name::storable(name))
        return 0;
    if (!platform::writePrivateProfileString("Skin", "Name", platform::utf8ToAnsi(name).c_str(), path))
        std::abort();
    if (storedName(path) != name)
        std::abort();
    return 0;
}
