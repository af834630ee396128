#include "updater/logic/name_rules.h"

#include "platform/codepage.h"
#include "updater/logic/path_safety.h"

#include <deque>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

namespace name_rules {
namespace {

// The code points of valid UTF-8 `text`.
std::vector<char32_t> codePoints(std::string_view text)
{
    std::vector<char32_t> points;
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        char32_t point = length == 1 ? lead : lead & (0x7F >> length);
        for (std::size_t k = 1; k < length && i + k < text.size(); ++k)
            point = (point << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        points.push_back(point);
        i += length;
    }
    return points;
}

// Characters that vanish or change in some conversion or on some file system: format
// controls, bidirectional marks, variation selectors, tags, fillers, non-characters and
// the replacement character a failed decoding leaves.
bool isFragile(char32_t c)
{
    return c == 0xAD || c == 0x34F || c == 0x61C || (c >= 0x115F && c <= 0x1160) || (c >= 0x17B4 && c <= 0x17B5)
        || (c >= 0x180B && c <= 0x180F) || (c >= 0x200B && c <= 0x200F) || (c >= 0x2028 && c <= 0x202E)
        || (c >= 0x2060 && c <= 0x206F) || c == 0x3164 || (c >= 0xD800 && c <= 0xDFFF) || (c >= 0xFDD0 && c <= 0xFDEF)
        || (c >= 0xFE00 && c <= 0xFE0F) || c == 0xFEFF || c == 0xFFA0 || (c >= 0xFFF0 && c <= 0xFFFD)
        || (c & 0xFFFE) == 0xFFFE || (c >= 0x1BCA0 && c <= 0x1BCA3) || (c >= 0x1D173 && c <= 0x1D17A)
        || (c >= 0xE0000 && c <= 0xE0FFF) || c >= 0xF0000 || (c >= 0x80 && c < 0xA0);
}

bool survivesEncoding(std::string_view name, modXml::TextEncoding encoding)
{
    switch (encoding) {
    case modXml::TextEncoding::Gbk:
        return platform::ansiToUtf8(platform::utf8ToAnsi(name)) == name;
    case modXml::TextEncoding::Latin1:
        for (const char32_t c : codePoints(name))
            if (c > 0xFF)
                return false;
        return true;
    case modXml::TextEncoding::Utf8:
    case modXml::TextEncoding::Utf16:
    case modXml::TextEncoding::Other: // written back as UTF-8
        return true;
    case modXml::TextEncoding::Unsupported:
        return false;
    }
    return false;
}

bool isReserved(const std::string& folded)
{
    static const std::unordered_set<std::string> reserved {"updlist.xml", "newupdlist.xml", "updpartial.xml",
        "updlist.xml.writing", "newupdlist.xml.writing", "updpartial.xml.writing", "updlist.xml.tmp",
        "newupdlist.xml.tmp", "updpartial.xml.tmp",
        // The maker's key decides which lists are taken: no list may plant or replace it.
        "update-key.pub", "update-key.pub.tmp", "update-key.pub.writing"};
    return reserved.contains(folded);
}

} // namespace

bool isRunTimeFile(std::string_view name)
{
    static const std::unordered_set<std::string> written {"setting.ini", "update.txt", "updatenews.txt",
        "updatepallo.txt", "updatepallonews.txt", "bin\\pallomaradcontrol.txt", "bin\\tovantvadcontrol.txt",
        "update-key.pub"};
    const std::string folded = foldedName(name);
    const auto endsWith = [&](std::string_view tail) { return folded.ends_with(tail); };
    // "Setting.ini" is replaced through temporary files beside it and may leave a copy.
    return isReserved(folded) || written.contains(folded) || folded.starts_with("setting.ini.") || endsWith(".tmp")
        || endsWith(".writing");
}

bool isInstallableName(std::string_view name, modXml::TextEncoding listEncoding)
{
    if (!path_safety::isSafeRelativeName(name) || platform::sanitizeUtf8(name) != name)
        return false;
    for (const char32_t c : codePoints(name))
        if (isFragile(c))
            return false;
    return survivesEncoding(name, listEncoding);
}

std::string foldedName(std::string_view name)
{
    std::string folded(name);
    for (char& c : folded) {
        if (c == '/')
            c = '\\';
        else if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return folded;
}

std::string temporaryName(std::string_view name)
{
    return std::string(name) + ".tmp";
}

Verdict checkEntries(std::vector<update_list::FileEntry>& server,
    const std::vector<update_list::FileEntry>& local,
    modXml::TextEncoding listEncoding)
{
    return checkEntries(server, update_list::LocalVersions(local), listEncoding);
}

Verdict checkEntries(std::vector<update_list::FileEntry>& server,
    const update_list::LocalVersions& local,
    modXml::TextEncoding listEncoding)
{
    // In place, so that a long list is never held twice. A folded name is held apart only
    // where it differs from the name itself.
    std::deque<std::string> foldedNames;
    const auto foldedOf = [&](const std::string& name) -> std::string_view {
        std::string folded = foldedName(name);
        if (folded == name)
            return name;
        return foldedNames.emplace_back(std::move(folded));
    };
    std::unordered_map<std::string_view, std::size_t> first; // folded name -> index of its first entry
    first.reserve(server.size());
    std::vector<bool> repeated(server.size());
    std::unordered_set<std::string> folders;
    for (std::size_t i = 0; i < server.size(); ++i) {
        const update_list::FileEntry& entry = server[i];
        const std::string_view folded = foldedOf(entry.name);
        if (!isInstallableName(entry.name, listEncoding) || isReserved(std::string(folded)))
            return {Fault::Unsafe, entry.name};
        if (const auto found = first.find(folded); found != first.end()) {
            const update_list::FileEntry& before = server[found->second];
            if (before.ver != entry.ver || before.size != entry.size || before.sha256 != entry.sha256)
                return {Fault::Duplicate, entry.name};
            repeated[i] = true; // the same file at the same version: one entry
            continue;
        }
        for (std::size_t at = folded.find('\\'); at != std::string::npos; at = folded.find('\\', at + 1))
            folders.emplace(folded.substr(0, at));
        first.emplace(folded, i);
    }
    // Only a local name that ends as a temporary name can be one.
    std::unordered_set<std::string> claimed;
    for (std::size_t i = 0; i < local.size(); ++i)
        if (std::string folded = foldedName(local.name(i)); folded.ends_with(temporaryName("")))
            claimed.insert(std::move(folded));
    for (std::size_t i = 0; i < server.size(); ++i) {
        if (repeated[i])
            continue;
        const std::string folded = foldedName(server[i].name);
        if (folders.contains(folded))
            return {Fault::Unsafe, server[i].name};
        // A download's temporary file must never be a file the installation holds.
        const std::string temporary = temporaryName(folded);
        if (const auto other = first.find(temporary); other != first.end())
            return {Fault::Unsafe, server[other->second].name};
        if (claimed.contains(temporary))
            return {Fault::Unsafe, server[i].name};
    }
    std::size_t kept = 0;
    for (std::size_t i = 0; i < server.size(); ++i) {
        if (repeated[i])
            continue;
        if (kept != i)
            server[kept] = std::move(server[i]);
        ++kept;
    }
    server.resize(kept);
    return {};
}

} // namespace name_rules
