#include "updater/logic/update_list.h"

#include "updater/logic/updater_texts.h"

#include <algorithm>
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

std::vector<FileEntry> readFiles(const pugi::xml_document& document)
{
    const pugi::xml_node files = filesElement(document);
    std::vector<FileEntry> entries;
    entries.reserve(static_cast<std::size_t>(std::distance(files.begin(), files.end())));
    for (const pugi::xml_node child : files.children()) {
        if (child.type() != pugi::node_element)
            throw ListError(updater_texts::errorFilesChild);
        const pugi::xml_attribute name = child.attribute("Name");
        const pugi::xml_attribute ver = child.attribute("Ver");
        if (!name || !ver)
            throw ListError(updater_texts::errorNoAttribute);
        FileEntry entry {name.value(), ver.value()};
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
        entries.push_back(std::move(entry));
    }
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

std::vector<FileEntry> entriesToUpdate(const std::vector<FileEntry>& local, const std::vector<FileEntry>& server)
{
    std::vector<FileEntry> changed = server;
    keepEntriesToUpdate(local, changed);
    return changed;
}

void keepEntriesToUpdate(const std::vector<FileEntry>& local, std::vector<FileEntry>& server)
{
    // The first local entry of each name decides, as in a walk of the local list.
    std::unordered_map<std::string_view, std::string_view> localVer;
    localVer.reserve(local.size());
    for (const FileEntry& entry : local)
        localVer.emplace(entry.name, entry.ver);
    std::erase_if(server, [&](const FileEntry& entry) {
        const auto found = localVer.find(entry.name);
        return found != localVer.end() && found->second == entry.ver;
    });
}

void keepOldEntriesFor(
    modXml::XmlDocument& serverList, const pugi::xml_document& localList, const std::vector<std::string>& failed)
{
    pugi::xml_node serverFiles = filesElement(serverList.document);
    const pugi::xml_node localFiles = localList.select_node("//Files").node();
    const std::unordered_set<std::string> failedNames(failed.begin(), failed.end());
    std::unordered_map<std::string, pugi::xml_node> oldEntries; // the first local entry of each failed name
    if (localFiles)
        for (pugi::xml_node child : localFiles.children())
            if (child.type() == pugi::node_element && failedNames.contains(child.attribute("Name").value()))
                oldEntries.emplace(child.attribute("Name").value(), child);
    // Every server entry of a failed name goes: a duplicate must not claim the file either.
    std::unordered_set<std::string> restored;
    for (pugi::xml_node child = serverFiles.first_child(); child;) {
        const pugi::xml_node next = child.next_sibling();
        const std::string name = child.attribute("Name").value();
        if (child.type() == pugi::node_element && failedNames.contains(name)) {
            if (const auto old = oldEntries.find(name); old != oldEntries.end() && restored.insert(name).second)
                serverFiles.insert_copy_before(old->second, child);
            serverFiles.remove_child(child);
        }
        child = next;
    }
}

bool keepInstalledFigures(modXml::XmlDocument& serverList, const pugi::xml_document& localList)
{
    const pugi::xml_node localFiles = localList.select_node("//Files").node();
    if (!localFiles)
        return false;
    std::unordered_map<std::string_view, pugi::xml_node> firstLocal;
    for (const pugi::xml_node child : localFiles.children())
        if (child.type() == pugi::node_element)
            firstLocal.emplace(child.attribute("Name").value(), child);
    bool changed = false;
    for (pugi::xml_node child : filesElement(serverList.document).children()) {
        if (child.type() != pugi::node_element)
            continue;
        const auto found = firstLocal.find(child.attribute("Name").value());
        if (found == firstLocal.end()
            || std::string_view(found->second.attribute("Ver").value()) != child.attribute("Ver").value())
            continue;
        for (const char* figure : {"Size", "Sha256"}) {
            const pugi::xml_attribute installed = found->second.attribute(figure);
            pugi::xml_attribute offered = child.attribute(figure);
            if (!installed && !offered)
                continue;
            // The same figure however written ("007", upper-case digits) needs no change.
            if (installed && offered
                && (figure == std::string_view("Size")
                        ? decimal(installed.value()) == decimal(offered.value())
                        : file_digest::parseHex(installed.value()) == file_digest::parseHex(offered.value())))
                continue;
            changed = true;
            // Every copy goes: a second attribute of the name would be read next.
            while (const pugi::xml_attribute copy = child.attribute(figure))
                child.remove_attribute(copy);
            if (installed)
                child.append_attribute(figure).set_value(installed.value());
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
        readFiles(list.document);
        readRunApp(list.document);
    } catch (const ListError& error) {
        return std::string(error.what());
    }
    return std::nullopt;
}

std::optional<std::string> signedListProblem(const modXml::XmlDocument& list)
{
    try {
        for (const FileEntry& entry : readFiles(list.document)) {
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
