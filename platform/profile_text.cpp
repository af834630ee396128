#include "platform/profile_text.h"

#include "platform/ascii_text.h"

#include <cstdint>
#include <vector>

namespace platform::profile_text {
namespace {

constexpr std::string_view utf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view utf16LeMark = "\xFF\xFE";
constexpr std::string_view utf16BeMark = "\xFE\xFF";

// ---- UTF-16 <-> UTF-8. A lone surrogate travels as its own three-byte form, so that any
// UTF-16 text comes back exactly as it was read.

void appendUtf8(std::string& out, std::uint32_t code)
{
    if (code < 0x80) {
        out.push_back(static_cast<char>(code));
    } else if (code < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (code >> 6)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (code >> 12)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (code >> 18)));
        out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
}

// A last byte of an odd length is no unit: it is left out.
std::string utf16ToUtf8(std::string_view bytes, bool bigEndian)
{
    std::vector<std::uint16_t> units(bytes.size() / 2);
    for (std::size_t i = 0; i < units.size(); ++i) {
        const auto a = static_cast<std::uint8_t>(bytes[2 * i]);
        const auto b = static_cast<std::uint8_t>(bytes[2 * i + 1]);
        units[i] = static_cast<std::uint16_t>(bigEndian ? (a << 8 | b) : (b << 8 | a));
    }
    std::string out;
    for (std::size_t i = 0; i < units.size(); ++i) {
        const std::uint32_t unit = units[i];
        const bool high = unit >= 0xD800 && unit <= 0xDBFF;
        if (high && i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF) {
            appendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (units[i + 1] - 0xDC00));
            ++i;
        } else {
            appendUtf8(out, unit);
        }
    }
    return out;
}

void appendUnit(std::string& out, std::uint32_t unit, bool bigEndian)
{
    const auto hi = static_cast<char>(unit >> 8);
    const auto lo = static_cast<char>(unit & 0xFF);
    out.push_back(bigEndian ? hi : lo);
    out.push_back(bigEndian ? lo : hi);
}

// Invalid UTF-8 (only names and values given to a write can hold it) becomes U+FFFD.
std::string utf8ToUtf16(std::string_view text, bool bigEndian)
{
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<std::uint8_t>(text[i]);
        const int length = lead < 0x80 ? 1
            : (lead >> 5) == 0x6       ? 2
            : (lead >> 4) == 0xE       ? 3
            : (lead >> 3) == 0x1E      ? 4
                                       : 0;
        std::uint32_t code = length == 1 ? lead : length == 2 ? lead & 0x1F : length == 3 ? lead & 0x0F : lead & 0x07;
        bool valid = length > 0 && i + static_cast<std::size_t>(length) <= text.size();
        for (int k = 1; valid && k < length; ++k) {
            const auto next = static_cast<std::uint8_t>(text[i + static_cast<std::size_t>(k)]);
            valid = (next & 0xC0) == 0x80;
            code = code << 6 | (next & 0x3F);
        }
        if (!valid) {
            appendUnit(out, 0xFFFD, bigEndian);
            ++i;
            continue;
        }
        if (code >= 0x10000) {
            appendUnit(out, 0xD800 + ((code - 0x10000) >> 10), bigEndian);
            appendUnit(out, 0xDC00 + ((code - 0x10000) & 0x3FF), bigEndian);
        } else {
            appendUnit(out, code, bigEndian);
        }
        i += static_cast<std::size_t>(length);
    }
    return out;
}

// ---- Characters and names

// Where the character at `i` ends. In the ANSI code page a lead byte and the byte after it
// are one character; in UTF-8 no byte of a longer character is ASCII, so bytes will do.
std::size_t charEnd(std::string_view text, std::size_t i, bool utf8)
{
    const auto byte = static_cast<std::uint8_t>(text[i]);
    if (!utf8 && byte >= 0x81 && byte <= 0xFE && i + 1 < text.size())
        return i + 2;
    return i + 1;
}

// The profile format's blanks leave line ends out: a lone CR or LF stays part of the text.
std::string_view trim(std::string_view text)
{
    return ascii::trimmed(text, " \t\v\f");
}

char foldAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool sameName(std::string_view a, std::string_view b, bool utf8)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size();) {
        const std::size_t end = charEnd(a, i, utf8);
        if (end - i == 1) {
            if (foldAscii(a[i]) != foldAscii(b[i]))
                return false;
        } else if (a.substr(i, end - i) != b.substr(i, end - i)) {
            return false;
        }
        i = end;
    }
    return true;
}

// NUL and Ctrl-Z end the text of a line for the profile functions; what follows them on the
// line is never read.
std::string_view readableText(std::string_view line)
{
    return line.substr(0, line.find_first_of(std::string_view("\0\x1A", 2)));
}

// What of a name or value one line can carry: line breaks, NUL and Ctrl-Z are dropped.
std::string oneLine(std::string_view text)
{
    std::string out;
    for (char c : text)
        if (c != '\r' && c != '\n' && c != '\0' && c != '\x1A')
            out.push_back(c);
    return out;
}

// ---- Lines

struct Line
{
    std::string text; // without its ending
    std::string ending; // "\r\n", "\n", "\r" or "" for a last line without one
    std::optional<std::string> section;
    std::optional<std::string> key;
    std::string value;
};

void classify(Line& line, bool utf8)
{
    line.section.reset();
    line.key.reset();
    line.value.clear();
    const std::string_view text = trim(readableText(line.text));
    // A header is a line that starts with "[" and holds a "]"; the name ends at the last one.
    // "[]" names no section: it is an entry like any other line.
    if (!text.empty() && text.front() == '[') {
        std::optional<std::size_t> close;
        for (std::size_t i = 1; i < text.size(); i = charEnd(text, i, utf8))
            if (text[i] == ']')
                close = i;
        if (close && !trim(text.substr(1, *close - 1)).empty()) {
            line.section = std::string(trim(text.substr(1, *close - 1)));
            return;
        }
    }
    // A line without "=" is a key with an empty value.
    const std::size_t eq = text.find('=');
    const std::string_view key = trim(text.substr(0, eq));
    if (key.empty())
        return;
    std::string_view value = eq == std::string_view::npos ? std::string_view() : trim(text.substr(eq + 1));
    // A value in matching quotes reads without them.
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    line.key = std::string(key);
    line.value = std::string(value);
}

std::vector<Line> split(const Document& document)
{
    std::vector<Line> lines;
    const std::string& text = document.text;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find_first_of("\r\n", start);
        Line line;
        if (end == std::string::npos) {
            line.text = text.substr(start);
            start = text.size();
        } else {
            line.text = text.substr(start, end - start);
            const std::size_t endingLength = text.compare(end, 2, "\r\n") == 0 ? 2 : 1;
            line.ending = text.substr(end, endingLength);
            start = end + endingLength;
        }
        classify(line, document.isUtf8());
        lines.push_back(std::move(line));
    }
    return lines;
}

std::string join(const std::vector<Line>& lines)
{
    std::string out;
    for (const Line& line : lines)
        out += line.text + line.ending;
    return out;
}

std::string lineEnding(const std::vector<Line>& lines)
{
    for (const Line& line : lines)
        if (!line.ending.empty())
            return line.ending;
    return "\r\n";
}

// The lines [first, last) that belong to the first section named `section`, its header
// excluded. The lines before the first header are the section "".
std::optional<std::pair<std::size_t, std::size_t>> findSection(
    const std::vector<Line>& lines, std::string_view section, bool utf8)
{
    if (section.empty()) {
        std::size_t end = 0;
        while (end < lines.size() && !lines[end].section)
            ++end;
        return std::make_pair(std::size_t {0}, end);
    }
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].section && sameName(*lines[i].section, section, utf8)) {
            std::size_t end = i + 1;
            while (end < lines.size() && !lines[end].section)
                ++end;
            return std::make_pair(i + 1, end);
        }
    }
    return std::nullopt;
}

std::optional<std::size_t> findKey(
    const std::vector<Line>& lines, std::pair<std::size_t, std::size_t> range, std::string_view key, bool utf8)
{
    for (std::size_t i = range.first; i < range.second; ++i)
        if (lines[i].key && sameName(*lines[i].key, key, utf8))
            return i;
    return std::nullopt;
}

Line lineOf(std::string text, const std::string& ending, bool utf8)
{
    Line line {std::move(text), ending, {}, {}, {}};
    classify(line, utf8);
    return line;
}

} // namespace

Document decode(std::string_view bytes)
{
    if (bytes.starts_with(utf8Mark))
        return Document {FileEncoding::Utf8Bom, std::string(bytes.substr(utf8Mark.size()))};
    const bool le = bytes.starts_with(utf16LeMark);
    if (le || bytes.starts_with(utf16BeMark)) {
        const std::string_view units = bytes.substr(2);
        return Document {
            le ? FileEncoding::Utf16LeBom : FileEncoding::Utf16BeBom, utf16ToUtf8(units, !le), units.size() % 2 != 0};
    }
    return Document {FileEncoding::Ansi, std::string(bytes)};
}

std::string encode(const Document& document)
{
    switch (document.encoding) {
    case FileEncoding::Utf8Bom:
        return std::string(utf8Mark) + document.text;
    case FileEncoding::Utf16LeBom:
        return std::string(utf16LeMark) + utf8ToUtf16(document.text, false);
    case FileEncoding::Utf16BeBom:
        return std::string(utf16BeMark) + utf8ToUtf16(document.text, true);
    case FileEncoding::Ansi:
        break;
    }
    return document.text;
}

std::optional<std::string> find(const Document& document, std::string_view section, std::string_view key)
{
    const bool utf8 = document.isUtf8();
    const std::vector<Line> lines = split(document);
    // Names are one line: a name is looked up as a write would have stored it.
    const auto range = findSection(lines, trim(oneLine(section)), utf8);
    if (!range)
        return std::nullopt;
    const auto index = findKey(lines, *range, trim(oneLine(key)), utf8);
    if (!index)
        return std::nullopt;
    return lines[*index].value;
}

Change update(Document& document,
    std::string_view sectionName,
    std::optional<std::string_view> keyName,
    std::optional<std::string_view> value)
{
    const bool utf8 = document.isUtf8();
    std::vector<Line> lines = split(document);
    const std::string eol = lineEnding(lines);
    const std::string section(trim(oneLine(sectionName)));
    const auto range = findSection(lines, section, utf8);

    if (!keyName) {
        if (section.empty()) {
            // The lines before the first header have no header to go with them: only their
            // entries go.
            std::vector<Line> kept;
            for (std::size_t i = 0; i < lines.size(); ++i)
                if (i >= range->second || !lines[i].key)
                    kept.push_back(std::move(lines[i]));
            if (kept.size() == lines.size())
                return Change::Unchanged;
            lines = std::move(kept);
            document.text = join(lines);
            return Change::Changed;
        }
        if (!range)
            return Change::Unchanged;
        lines.erase(
            lines.begin() + static_cast<long>(range->first - 1), lines.begin() + static_cast<long>(range->second));
        document.text = join(lines);
        return Change::Changed;
    }
    const std::string key(trim(oneLine(*keyName)));
    if (!value) {
        const auto index = range ? findKey(lines, *range, key, utf8) : std::nullopt;
        if (!index)
            return Change::Unchanged;
        lines.erase(lines.begin() + static_cast<long>(*index));
        document.text = join(lines);
        return Change::Changed;
    }

    // The new lines must read back as what they store: no empty key, no key with "=" in it
    // or one that makes its line a header, no section name that ends early.
    const Line entry = lineOf(key + "=" + std::string(trim(oneLine(*value))), eol, utf8);
    const Line header = lineOf("[" + section + "]", eol, utf8);
    if (!entry.key || *entry.key != key || (!section.empty() && (!header.section || *header.section != section)))
        return Change::Refused;

    if (!range) {
        if (!lines.empty() && lines.back().ending.empty())
            lines.back().ending = eol;
        lines.push_back(header);
        lines.push_back(entry);
    } else if (const auto index = findKey(lines, *range, key, utf8)) {
        lines[*index].text = entry.text;
    } else {
        // After the last non-blank line of the section, so that blank lines separating it
        // from the next section stay where they are.
        std::size_t at = range->second;
        while (at > range->first && trim(lines[at - 1].text).empty())
            --at;
        if (at > 0 && lines[at - 1].ending.empty())
            lines[at - 1].ending = eol;
        lines.insert(lines.begin() + static_cast<long>(at), entry);
    }
    document.text = join(lines);
    return Change::Changed;
}

std::size_t ansiPrefixLength(std::string_view text, std::size_t limit)
{
    std::size_t length = 0;
    while (length < text.size()) {
        const std::size_t end = charEnd(text, length, false);
        if (end > limit)
            break;
        length = end;
    }
    return length;
}

} // namespace platform::profile_text
