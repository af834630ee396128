#include "updater/logic/list_adoption.h"

#include "updater/logic/modXml.h"
#include "updater/logic/update_list.h"
#include "updater/logic/updater_texts.h"

namespace list_adoption {
namespace {

// Whether two lists name the same base address, files and program.
bool sameLists(const modXml::XmlDocument& a, const modXml::XmlDocument& b)
{
    std::string urlA;
    std::string urlB;
    modXml::selectText(a.document, "//Url", urlA);
    modXml::selectText(b.document, "//Url", urlB);
    return urlA == urlB && update_list::readFiles(a.document) == update_list::readFiles(b.document)
        && update_list::readRunApp(a.document) == update_list::readRunApp(b.document);
}

void keepLocalSerial(pugi::xml_document& server, const pugi::xml_document& local)
{
    pugi::xml_node root = server.document_element();
    while (root.remove_attribute("Serial")) { }
    if (const pugi::xml_attribute serial = local.document_element().attribute("Serial"))
        root.append_attribute("Serial") = serial.value();
}

} // namespace

Adoption adoptedList(std::string_view serverList, std::string_view localList, const std::vector<std::string>& failed)
{
    modXml::XmlDocument server;
    modXml::ParseXml(serverList, server);
    if (auto problem = update_list::serverListProblem(server))
        return {{}, *problem};
    std::string adopted(serverList);
    try {
        modXml::XmlDocument local;
        modXml::ParseXml(localList, local);
        bool changed = update_list::keepInstalledFigures(server, local.document);
        if (!failed.empty()) {
            update_list::keepOldEntriesFor(server, local.document, failed);
            // A release that did not wholly install must not move the rollback protection
            // past itself: the local Serial stays, so the same list is taken again next run.
            keepLocalSerial(server.document, local.document);
            // Nothing of it installed: the local list stays as it was, byte for byte, when
            // it is one the updater can read again (not, say, in an encoding it cannot).
            if (sameLists(server, local) && !update_list::serverListProblem(local))
                return {std::string(localList), {}};
            changed = true;
        }
        if (changed)
            adopted = modXml::SaveXml(server);
        // Only a list that reads back as meant becomes the local one.
        modXml::XmlDocument readBack;
        modXml::ParseXml(adopted, readBack);
        if (auto problem = update_list::serverListProblem(readBack))
            return {{}, *problem};
        if (!sameLists(readBack, server))
            return {{}, updater_texts::localListUnfaithful};
    } catch (const update_list::ListError& error) {
        return {{}, error.what()};
    }
    return {std::move(adopted), {}};
}

} // namespace list_adoption
