#include "platform/skin/she_format.h"

namespace she_format {
namespace {

// Splits off the next line, without its "\n" or "\r\n"; false when no line end follows.
bool takeLine(std::string_view& rest, std::string_view& line)
{
    const std::size_t end = rest.find('\n');
    if (end == std::string_view::npos)
        return false;
    line = rest.substr(0, end);
    if (line.ends_with('\r'))
        line.remove_suffix(1);
    rest.remove_prefix(end + 1);
    return true;
}

bool isValidUtf8(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = 0;
        unsigned value = 0;
        if (lead < 0x80) {
            ++i;
            continue;
        }
        if ((lead & 0xE0) == 0xC0) {
            length = 2;
            value = lead & 0x1F;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3;
            value = lead & 0x0F;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4;
            value = lead & 0x07;
        } else {
            return false;
        }
        if (i + length > text.size())
            return false;
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80)
                return false;
            value = (value << 6) | (next & 0x3F);
        }
        // Overlong forms, surrogates and values beyond Unicode are no UTF-8.
        static constexpr unsigned smallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (value < smallest[length] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
            return false;
        i += length;
    }
    return true;
}

} // namespace

const std::map<std::string, int>& paletteKeys()
{
    static const std::map<std::string, int> keys {{"window", 0}, {"windowText", 1}, {"base", 2}, {"alternateBase", 3},
        {"text", 4}, {"button", 5}, {"buttonText", 6}, {"highlight", 7}, {"highlightedText", 8}};
    return keys;
}

std::optional<unsigned> parseColour(std::string_view text)
{
    if (text.size() != 7 || text[0] != '#')
        return std::nullopt;
    unsigned value = 0;
    for (const char c : text.substr(1)) {
        unsigned digit = 0;
        if (c >= '0' && c <= '9')
            digit = static_cast<unsigned>(c - '0');
        else if (c >= 'a' && c <= 'f')
            digit = static_cast<unsigned>(c - 'a' + 10);
        else if (c >= 'A' && c <= 'F')
            digit = static_cast<unsigned>(c - 'A' + 10);
        else
            return std::nullopt;
        value = value * 16 + digit;
    }
    return value;
}

std::optional<Skin> parse(std::string_view content)
{
    // An editor may have put a byte-order mark in front.
    if (content.starts_with("\xEF\xBB\xBF"))
        content.remove_prefix(3);
    std::string_view line;
    if (!takeLine(content, line) || line != magicLine)
        return std::nullopt;
    Skin skin;
    for (;;) {
        if (!takeLine(content, line))
            return std::nullopt;
        if (line.empty())
            break;
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos || equals == 0)
            return std::nullopt;
        const std::string key(line.substr(0, equals));
        const std::string_view value = line.substr(equals + 1);
        if (paletteKeys().contains(key) && !parseColour(value))
            return std::nullopt;
        skin.header[key] = std::string(value);
    }
    if (!isValidUtf8(content))
        return std::nullopt;
    skin.styleSheet = std::string(content);
    return skin;
}

bool opens(const Skin& skin, std::string_view password)
{
    const auto found = skin.header.find("password");
    return found == skin.header.end() || found->second.empty() || found->second == password;
}

} // namespace she_format
