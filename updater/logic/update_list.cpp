#include "updater/logic/update_list.h"

#include "updater/logic/updater_texts.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <unordered_map>
#include <unordered_set>

namespace update_list {
namespace {

pugi::xml_node filesElement(const pugi::xml_document& document)
{
    const pugi::xml_node files = document.select_node("//Files").node();
    if (!files)
        throw ListError(updater_texts::errorNoFiles);
    return files;
}

// A decimal number of at most 18 digits, so that it fits whatever it is added to.
std::optional<std::uint64_t> decimal(std::string_view text)
{
    if (text.empty() || text.size() > 18)
        return std::nullopt;
    std::uint64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
    }
    return value;
}

} // namespace

FileReader::FileReader(const pugi::xml_document& document)
    : m_child(filesElement(document).first_child())
{ }

bool FileReader::next(FileEntry& entry)
{
    if (!m_child)
        return false;
    const pugi::xml_node child = m_child;
    m_child = m_child.next_sibling();
    if (child.type() != pugi::node_element)
        throw ListError(updater_texts::errorFilesChild);
    const pugi::xml_attribute name = child.attribute("Name");
    const pugi::xml_attribute ver = child.attribute("Ver");
    if (!name || !ver)
        throw ListError(updater_texts::errorNoAttribute);
    entry.name = name.value();
    entry.ver = ver.value();
    entry.size.reset();
    entry.sha256.reset();
    if (const pugi::xml_attribute size = child.attribute("Size")) {
        const auto bytes = decimal(size.value());
        if (!bytes)
            throw ListError(updater_texts::errorBadDigest + entry.name);
        entry.size = static_cast<std::int64_t>(*bytes);
    }
    if (const pugi::xml_attribute sha256 = child.attribute("Sha256")) {
        entry.sha256 = file_digest::parseHex(sha256.value());
        if (!entry.sha256)
            throw ListError(updater_texts::errorBadDigest + entry.name);
    }
    return true;
}

std::vector<FileEntry> readFiles(const pugi::xml_document& document)
{
    const pugi::xml_node files = filesElement(document);
    std::vector<FileEntry> entries;
    entries.reserve(static_cast<std::size_t>(std::distance(files.begin(), files.end())));
    FileReader reader(document);
    for (FileEntry entry; reader.next(entry);)
        entries.push_back(entry);
    return entries;
}

bool readSerial(const pugi::xml_document& document, std::uint64_t& serial)
{
    const pugi::xml_attribute attribute = document.document_element().attribute("Serial");
    // Given twice, the list says two things: neither counts.
    for (pugi::xml_attribute other = attribute.next_attribute(); other; other = other.next_attribute())
        if (std::string_view(other.name()) == "Serial")
            return false;
    if (!attribute) {
        serial = 0;
        return true;
    }
    const auto value = decimal(attribute.value());
    if (value)
        serial = *value;
    return value.has_value();
}

std::string readRunApp(const pugi::xml_document& document)
{
    std::string runApp;
    if (!modXml::selectText(document, "//RunApp", runApp))
        throw ListError(updater_texts::errorNoRunApp);
    return runApp;
}

int matchEntry(const std::vector<FileEntry>& local, const FileEntry& server)
{
    const auto first
        = std::find_if(local.begin(), local.end(), [&](const FileEntry& entry) { return entry.name == server.name; });
    if (first == local.end())
        return 0;
    return first->ver == server.ver ? 2 : 1;
}

void NameTable::reserve(std::size_t bytes, std::size_t records)
{
    m_text.reserve(bytes);
    m_records.reserve(records);
}

void NameTable::add(std::string_view mark, std::initializer_list<std::string_view> texts)
{
    m_records.push_back(static_cast<std::uint32_t>(m_text.size()));
    m_text.append(mark.substr(0, m_markBytes));
    for (const std::string_view text : texts)
        m_text.append(text).append(1, '\0');
}

void NameTable::sort()
{
    // Stable, so that of equal names the first record comes first.
    std::stable_sort(
        m_records.begin(), m_records.end(), [&](std::uint32_t a, std::uint32_t b) { return nameAt(a) < nameAt(b); });
}

const char* NameTable::find(std::string_view name) const
{
    const auto found = std::lower_bound(m_records.begin(), m_records.end(), name,
        [&](std::uint32_t at, std::string_view wanted) { return nameAt(at) < wanted; });
    if (found == m_records.end() || nameAt(*found) != name)
        return nullptr;
    return m_text.data() + *found;
}

LocalVersions::LocalVersions(const pugi::xml_document& document)
{
    // Measured first: a table grown by doubling would for a while take twice its size.
    std::size_t length = 0;
    std::size_t count = 0;
    for (const pugi::xml_node child : filesElement(document).children()) {
        ++count;
        length += std::strlen(child.attribute("Name").value()) + std::strlen(child.attribute("Ver").value()) + 2;
    }
    m_table.reserve(length, count);
    FileReader reader(document);
    for (FileEntry entry; reader.next(entry);)
        m_table.add({}, {entry.name, entry.ver});
    m_table.sort();
}

LocalVersions::LocalVersions(const std::vector<FileEntry>& entries)
{
    for (const FileEntry& entry : entries)
        m_table.add({}, {entry.name, entry.ver});
    m_table.sort();
}

std::optional<std::string_view> LocalVersions::ver(std::string_view name) const
{
    const char* record = m_table.find(name);
    if (!record)
        return std::nullopt;
    return NameTable::next(std::string_view(record));
}

std::vector<FileEntry> entriesToUpdate(const std::vector<FileEntry>& local, const std::vector<FileEntry>& server)
{
    std::vector<FileEntry> changed = server;
    keepEntriesToUpdate(LocalVersions(local), changed);
    return changed;
}

void keepEntriesToUpdate(const LocalVersions& local, std::vector<FileEntry>& server)
{
    // The first local entry of each name decides, as in a walk of the local list.
    std::erase_if(server, [&](const FileEntry& entry) {
        const std::optional<std::string_view> ver = local.ver(entry.name);
        return ver && *ver == entry.ver;
    });
}

namespace {

constexpr char hasSize = 0x01;
constexpr char hasSha256 = 0x02;
constexpr char entryMark = 0x40; // so that the mark is never a NUL

} // namespace

LocalEntries::LocalEntries(const pugi::xml_document& localList, const std::vector<std::string>& failed)
{
    const pugi::xml_node files = localList.select_node("//Files").node();
    const std::unordered_set<std::string_view> failedNames(failed.begin(), failed.end());
    // Measured first: a table grown by doubling would for a while take twice its size.
    std::size_t length = 0;
    std::size_t count = 0;
    for (const pugi::xml_node child : files.children())
        if (child.type() == pugi::node_element) {
            ++count;
            length += 5;
            for (const char* figure : {"Name", "Ver", "Size", "Sha256"})
                length += std::strlen(child.attribute(figure).value());
        }
    m_table.reserve(length, count);
    for (const pugi::xml_node child : files.children()) {
        if (child.type() != pugi::node_element)
            continue;
        const std::string_view name = child.attribute("Name").value();
        if (failedNames.contains(name) && !m_failedEntries.contains(std::string(name)))
            m_failedEntries.emplace(name, m_failed.append_copy(child));
        const pugi::xml_attribute size = child.attribute("Size");
        const pugi::xml_attribute sha256 = child.attribute("Sha256");
        const char mark = static_cast<char>(entryMark | (size ? hasSize : 0) | (sha256 ? hasSha256 : 0));
        m_table.add({&mark, 1}, {name, child.attribute("Ver").value(), size.value(), sha256.value()});
    }
    m_table.sort();
}

std::optional<LocalEntries::Figures> LocalEntries::first(std::string_view name) const
{
    const char* record = m_table.find(name);
    if (!record)
        return std::nullopt;
    const std::string_view ver = NameTable::next(std::string_view(record + 1));
    const std::string_view size = NameTable::next(ver);
    const std::string_view sha256 = NameTable::next(size);
    Figures figures {ver, std::nullopt, std::nullopt};
    if (*record & hasSize)
        figures.size = size;
    if (*record & hasSha256)
        figures.sha256 = sha256;
    return figures;
}

pugi::xml_node LocalEntries::failedEntry(const std::string& name) const
{
    const auto found = m_failedEntries.find(name);
    return found == m_failedEntries.end() ? pugi::xml_node() : found->second;
}

void keepOldEntriesFor(
    modXml::XmlDocument& serverList, const LocalEntries& local, const std::vector<std::string>& failed)
{
    pugi::xml_node serverFiles = filesElement(serverList.document);
    const std::unordered_set<std::string> failedNames(failed.begin(), failed.end());
    // Every server entry of a failed name goes: a duplicate must not claim the file either.
    std::unordered_set<std::string> restored;
    for (pugi::xml_node child = serverFiles.first_child(); child;) {
        const pugi::xml_node next = child.next_sibling();
        const std::string name = child.attribute("Name").value();
        if (child.type() == pugi::node_element && failedNames.contains(name)) {
            if (const pugi::xml_node old = local.failedEntry(name); old && restored.insert(name).second)
                serverFiles.insert_copy_before(old, child);
            serverFiles.remove_child(child);
        }
        child = next;
    }
}

void keepOldEntriesFor(
    modXml::XmlDocument& serverList, const pugi::xml_document& localList, const std::vector<std::string>& failed)
{
    keepOldEntriesFor(serverList, LocalEntries(localList, failed), failed);
}

bool keepInstalledFigures(modXml::XmlDocument& serverList, const LocalEntries& local)
{
    bool changed = false;
    for (pugi::xml_node child : filesElement(serverList.document).children()) {
        if (child.type() != pugi::node_element)
            continue;
        const std::optional<LocalEntries::Figures> found = local.first(child.attribute("Name").value());
        if (!found || found->ver != child.attribute("Ver").value())
            continue;
        for (const auto& [figure, installed] : {std::pair {"Size", found->size}, std::pair {"Sha256", found->sha256}}) {
            pugi::xml_attribute offered = child.attribute(figure);
            if (!installed && !offered)
                continue;
            // The same figure however written ("007", upper-case digits) needs no change.
            if (installed && offered
                && (figure == std::string_view("Size")
                        ? decimal(*installed) == decimal(offered.value())
                        : file_digest::parseHex(*installed) == file_digest::parseHex(offered.value())))
                continue;
            changed = true;
            // Every copy goes: a second attribute of the name would be read next.
            while (const pugi::xml_attribute copy = child.attribute(figure))
                child.remove_attribute(copy);
            if (installed)
                child.append_attribute(figure).set_value(std::string(*installed).c_str());
        }
    }
    return changed;
}

std::optional<std::string> serverListProblem(const modXml::XmlDocument& list)
{
    if (!list.parsed())
        return list.parseErrorReason();
    if (list.encoding == modXml::TextEncoding::Unsupported)
        return updater_texts::errorEncodingPrefix + list.declaredEncoding;
    if (!list.document.document_element())
        return std::string(updater_texts::errorNoFiles);
    std::string url;
    if (!modXml::selectText(list.document, "//Url", url) || url.empty())
        return std::string(updater_texts::errorNoUrl);
    try {
        FileReader reader(list.document);
        for (FileEntry entry; reader.next(entry);) { }
        readRunApp(list.document);
    } catch (const ListError& error) {
        return std::string(error.what());
    }
    return std::nullopt;
}

std::optional<std::string> signedListProblem(const modXml::XmlDocument& list)
{
    try {
        FileReader reader(list.document);
        for (FileEntry entry; reader.next(entry);) {
            if (!entry.sha256)
                return updater_texts::errorNoSha256 + entry.name;
            if (!entry.size)
                return updater_texts::errorNoSize + entry.name; // a download must know its end
        }
    } catch (const ListError& error) {
        return std::string(error.what());
    }
    std::uint64_t serial = 0;
    if (!readSerial(list.document, serial))
        return std::string(updater_texts::errorBadSerial);
    return std::nullopt;
}

} // namespace update_list
