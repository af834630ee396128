#include "updater/logic/path_safety.h"

#include <array>
#include <string>

namespace path_safety {
namespace {

std::string upperAscii(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return out;
}

// Windows opens its devices under these names in any folder, with or without an extension.
bool isDeviceName(std::string_view part)
{
    static constexpr std::array<std::string_view, 4> plain {"CON", "PRN", "AUX", "NUL"};
    const std::string stem = upperAscii(part.substr(0, part.find('.')));
    for (const auto device : plain)
        if (stem == device)
            return true;
    if (stem.size() == 4 && (stem.starts_with("COM") || stem.starts_with("LPT")))
        return stem[3] >= '0' && stem[3] <= '9';
    return false;
}

bool isSafePart(std::string_view part)
{
    if (part.empty() || isDeviceName(part))
        return false;
    // ".", ".." and names Windows would shorten to them (trailing dots and spaces go).
    return part.find_first_not_of(". ") != std::string_view::npos && part.back() != '.' && part.back() != ' ';
}

} // namespace

bool isSafeRelativeName(std::string_view name)
{
    if (name.empty())
        return false;
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        // ":" carries drive letters, device prefixes and alternate data streams.
        if (byte < 0x20 || byte == 0x7F || c == ':' || c == '*' || c == '?' || c == '"' || c == '<' || c == '>'
            || c == '|')
            return false;
    }
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = name.find_first_of("\\/", start);
        if (!isSafePart(name.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start)))
            return false;
        if (end == std::string_view::npos)
            return true;
        start = end + 1;
    }
}

} // namespace path_safety
