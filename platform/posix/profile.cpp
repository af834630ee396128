#include "profile.h"

#include "file_util.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string_view>
#include <vector>

namespace platform {
namespace {

std::string_view trim(std::string_view text)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

bool equalNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

// One line of the file as stored, with its line ending, and what it means.
struct Line
{
    std::string raw;
    std::optional<std::string> section; // "[name]" lines
    std::optional<std::string> key; // "key=value" lines
    std::string value;
};

std::vector<Line> parse(const std::string& content)
{
    std::vector<Line> lines;
    size_t start = 0;
    while (start < content.size()) {
        size_t end = content.find('\n', start);
        end = end == std::string::npos ? content.size() : end + 1;
        Line line;
        line.raw = content.substr(start, end - start);
        const std::string_view text = trim(line.raw);
        if (!text.empty() && text.front() == '[') {
            const size_t close = text.find(']');
            line.section = std::string(trim(text.substr(1, close == std::string_view::npos ? text.npos : close - 1)));
        } else if (const size_t eq = text.find('='); eq != std::string_view::npos && eq > 0) {
            line.key = std::string(trim(text.substr(0, eq)));
            std::string_view value = trim(text.substr(eq + 1));
            // A value in matching quotes reads without them.
            if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
                value = value.substr(1, value.size() - 2);
            line.value = std::string(value);
        }
        lines.push_back(std::move(line));
        start = end;
    }
    return lines;
}

// Index range [first, last) of the lines that belong to the first section named `section`
// (the header excluded), or nothing.
std::optional<std::pair<size_t, size_t>> findSection(const std::vector<Line>& lines, std::string_view section)
{
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].section && equalNoCase(*lines[i].section, trim(section))) {
            size_t end = i + 1;
            while (end < lines.size() && !lines[end].section)
                ++end;
            return std::make_pair(i + 1, end);
        }
    }
    return std::nullopt;
}

std::optional<size_t> findKey(const std::vector<Line>& lines, std::pair<size_t, size_t> range, std::string_view key)
{
    for (size_t i = range.first; i < range.second; ++i)
        if (lines[i].key && equalNoCase(*lines[i].key, trim(key)))
            return i;
    return std::nullopt;
}

std::string lineEnding(const std::vector<Line>& lines)
{
    for (const Line& line : lines)
        if (line.raw.size() >= 2 && line.raw.ends_with("\r\n"))
            return "\r\n";
        else if (line.raw.ends_with("\n"))
            return "\n";
    return "\r\n";
}

} // namespace

std::size_t getPrivateProfileString(const char* section,
    const char* key,
    const char* defaultValue,
    char* buffer,
    std::size_t size,
    const std::string& path)
{
    if (buffer == nullptr || size == 0)
        return 0;
    std::string_view result = trim(defaultValue ? std::string_view(defaultValue) : std::string_view());
    std::string found;
    if (section && key) {
        const std::vector<Line> lines = parse(readWholeFile(path).value_or(std::string()));
        if (const auto range = findSection(lines, section))
            if (const auto index = findKey(lines, *range, key)) {
                found = lines[*index].value;
                result = found;
            }
    }
    const size_t count = std::min(result.size(), size - 1);
    std::memcpy(buffer, result.data(), count);
    buffer[count] = '\0';
    return count;
}

bool writePrivateProfileString(const char* section, const char* key, const char* value, const std::string& path)
{
    if (section == nullptr)
        return false;
    const std::optional<std::string> content = readWholeFile(path);
    std::vector<Line> lines = parse(content.value_or(std::string()));
    const std::string eol = lineEnding(lines);
    const auto range = findSection(lines, section);
    const std::string newLine = key && value ? std::string(trim(key)) + "=" + std::string(trim(value)) + eol : "";

    if (key == nullptr) {
        if (!range)
            return true;
        lines.erase(
            lines.begin() + static_cast<long>(range->first - 1), lines.begin() + static_cast<long>(range->second));
    } else if (value == nullptr) {
        const auto index = range ? findKey(lines, *range, key) : std::nullopt;
        if (!index)
            return true; // nothing to delete: the file is not even created
        lines.erase(lines.begin() + static_cast<long>(*index));
    } else if (!range) {
        if (!lines.empty() && !lines.back().raw.ends_with("\n"))
            lines.back().raw += eol;
        lines.push_back(Line {"[" + std::string(trim(section)) + "]" + eol});
        lines.push_back(Line {newLine});
    } else if (const auto index = findKey(lines, *range, key)) {
        lines[*index].raw = newLine;
    } else {
        // Insert after the last non-blank line of the section, so blank lines that
        // separate it from the next section stay where they are.
        size_t at = range->second;
        while (at > range->first && trim(lines[at - 1].raw).empty())
            --at;
        if (at > 0 && !lines[at - 1].raw.ends_with("\n"))
            lines[at - 1].raw += eol;
        lines.insert(lines.begin() + static_cast<long>(at), Line {newLine});
    }

    std::string out;
    for (const Line& line : lines)
        out += line.raw;
    return writeFileReplacing(path, out);
}

} // namespace platform
