#include "updater/logic/partial_downloads.h"

#include "updater/logic/modXml.h"
#include "updater/logic/updater_texts.h"

namespace partial_downloads {

std::vector<update_list::FileEntry> read(const platform::ContainedFolder& folder)
{
    modXml::XmlDocument record;
    if (!modXml::LoadXml(folder, updater_texts::partialListFile, record) || !record.parsed())
        return {};
    std::vector<update_list::FileEntry> partials;
    try {
        for (update_list::FileEntry& entry : update_list::readFiles(record.document))
            if (entry.sha256)
                partials.push_back(std::move(entry));
    } catch (const update_list::ListError&) {
        // a damaged record names nothing: its parts are removed like any other leftover
    }
    return partials;
}

void write(const platform::ContainedFolder& folder, const std::vector<update_list::FileEntry>& partials)
{
    if (partials.empty()) {
        folder.removeFile(updater_texts::partialListFile);
        return;
    }
    modXml::XmlDocument record;
    pugi::xml_node files = record.document.append_child("Partial").append_child("Files");
    for (const update_list::FileEntry& entry : partials) {
        pugi::xml_node file = files.append_child("File");
        file.append_attribute("Name") = entry.name.c_str();
        file.append_attribute("Ver") = entry.ver.c_str();
        file.append_attribute("Sha256") = file_digest::toHex(*entry.sha256).c_str();
    }
    // The record is a help, not a promise: the window must not wait for the disk to write it.
    folder.writeReplacing(updater_texts::partialListFile, modXml::SaveXml(record), false);
}

} // namespace partial_downloads
