#include "update_list.h"

#include "updater_texts.h"

#include <algorithm>

namespace update_list {
namespace {

pugi::xml_node filesElement(const pugi::xml_document& document)
{
    const pugi::xml_node files = document.select_node("//Files").node();
    if (!files)
        throw ListError(updater_texts::errorNoFiles);
    return files;
}

pugi::xml_node firstChildNamed(pugi::xml_node files, const std::string& name)
{
    for (pugi::xml_node child : files.children())
        if (child.type() == pugi::node_element && name == child.attribute("Name").value())
            return child;
    return {};
}

} // namespace

std::vector<FileEntry> readFiles(const pugi::xml_document& document)
{
    std::vector<FileEntry> entries;
    for (const pugi::xml_node child : filesElement(document).children()) {
        if (child.type() != pugi::node_element)
            throw ListError(updater_texts::errorFilesChild);
        const pugi::xml_attribute name = child.attribute("Name");
        const pugi::xml_attribute ver = child.attribute("Ver");
        if (!name || !ver)
            throw ListError(updater_texts::errorNoAttribute);
        entries.push_back({name.value(), ver.value()});
    }
    return entries;
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
    std::vector<FileEntry> changed;
    for (const FileEntry& entry : server)
        if (matchEntry(local, entry) < 2)
            changed.push_back(entry);
    return changed;
}

void keepOldEntriesFor(
    modXml::XmlDocument& serverList, const pugi::xml_document& localList, const std::vector<std::string>& failed)
{
    pugi::xml_node serverFiles = filesElement(serverList.document);
    const pugi::xml_node localFiles = localList.select_node("//Files").node();
    for (const std::string& name : failed) {
        // Every server entry of that name goes: a duplicate must not claim the file either.
        std::vector<pugi::xml_node> stale;
        for (pugi::xml_node child : serverFiles.children())
            if (child.type() == pugi::node_element && name == child.attribute("Name").value())
                stale.push_back(child);
        if (stale.empty())
            continue;
        if (const pugi::xml_node old = localFiles ? firstChildNamed(localFiles, name) : pugi::xml_node())
            serverFiles.insert_copy_before(old, stale.front());
        for (const pugi::xml_node node : stale)
            serverFiles.remove_child(node);
    }
}

} // namespace update_list
