#include "updater/logic/list_adoption.h"

#include "updater/logic/file_digest.h"
#include "updater/logic/modXml.h"
#include "updater/logic/update_list.h"
#include "updater/logic/updater_texts.h"

#include <cstdint>
#include <optional>

namespace list_adoption {
namespace {

// A digest of the base address, files and program a list names, so that a list can be
// compared with one that is no longer held: two long lists are never held at once.
file_digest::Sha256 listFigures(const modXml::XmlDocument& list)
{
    file_digest::Sha256Hasher hasher;
    // Each text with its length before it, so that no two lists give the same stream.
    const auto add = [&](std::string_view text) {
        const std::uint64_t length = text.size();
        hasher.add({reinterpret_cast<const char*>(&length), sizeof length});
        hasher.add(text);
    };
    std::string url;
    modXml::selectText(list.document, "//Url", url);
    add(url);
    update_list::FileReader reader(list.document);
    for (update_list::FileEntry entry; reader.next(entry);) {
        add(entry.name);
        add(entry.ver);
        add(entry.size ? std::to_string(*entry.size) : "-");
        add(entry.sha256 ? file_digest::toHex(*entry.sha256) : "-");
    }
    add(update_list::readRunApp(list.document));
    return hasher.finish();
}

void keepLocalSerial(pugi::xml_document& server, const std::optional<std::string>& serial)
{
    pugi::xml_node root = server.document_element();
    while (root.remove_attribute("Serial")) { }
    if (serial)
        root.append_attribute("Serial") = serial->c_str();
}

} // namespace

Adoption adoptedList(std::string serverList, std::string localList, const std::vector<std::string>& failed)
{
    // The local list first, and only what the kept list takes from it: its document is gone
    // before the server's is read. Read where it lies, except when a file failed: nothing may
    // have installed, and then its own bytes stay.
    std::optional<update_list::LocalEntries> installed;
    std::optional<std::string> localSerial;
    std::optional<file_digest::Sha256> localFigures; // nothing when the updater cannot read it again
    {
        modXml::XmlDocument local;
        if (failed.empty())
            modXml::ParseXml(std::move(localList), local);
        else
            modXml::ParseXml(std::string_view(localList), local);
        installed.emplace(local.document, failed);
        if (const pugi::xml_attribute serial = local.document.document_element().attribute("Serial"))
            localSerial = serial.value();
        if (!failed.empty() && !update_list::serverListProblem(local))
            localFigures = listFigures(local);
    }
    // The server's bytes are kept while a failed file or a changed entry is not known: as long
    // as neither comes, they are the list as signed. With a failed file they are not needed.
    modXml::XmlDocument server;
    if (failed.empty())
        modXml::ParseXml(std::string_view(serverList), server);
    else
        modXml::ParseXml(std::move(serverList), server);
    if (auto problem = update_list::serverListProblem(server))
        return {{}, *problem};
    try {
        bool changed = update_list::keepInstalledFigures(server, *installed);
        if (!failed.empty()) {
            update_list::keepOldEntriesFor(server, *installed, failed);
            // A release that did not wholly install must not move the rollback protection
            // past itself: the local Serial stays, so the same list is taken again next run.
            keepLocalSerial(server.document, localSerial);
            // Nothing of it installed: the local list stays as it was, byte for byte, when
            // it is one the updater can read again (not, say, in an encoding it cannot).
            if (localFigures && listFigures(server) == *localFigures)
                return {std::move(localList), {}};
            changed = true;
        }
        installed.reset();
        // Unchanged, the server's bytes are the list that was read above.
        if (!changed)
            return {std::move(serverList), {}};
        std::string().swap(serverList);
        std::string adopted = modXml::SaveXml(server);
        const file_digest::Sha256 meant = listFigures(server);
        server.release();
        // Only a list that reads back as meant becomes the local one.
        modXml::XmlDocument readBack;
        modXml::ParseXml(std::string_view(adopted), readBack);
        if (auto problem = update_list::serverListProblem(readBack))
            return {{}, *problem};
        if (listFigures(readBack) != meant)
            return {{}, updater_texts::localListUnfaithful};
        return {std::move(adopted), {}};
    } catch (const update_list::ListError& error) {
        return {{}, error.what()};
    }
}

} // namespace list_adoption
