#include "updater/logic/UpdaterSession.h"

#include "common/logic/message_box.h"
#include "platform/file_util.h"
#include "platform/program_folder.h"
#include "platform/program_start.h"
#include "updater/logic/modPublic.h"
#include "updater/logic/modXml.h"
#include "updater/logic/name_rules.h"
#include "updater/logic/partial_downloads.h"
#include "updater/logic/path_safety.h"
#include "updater/logic/update_list.h"
#include "updater/logic/updater_texts.h"

#include <iterator>
#include <unordered_map>
#include <unordered_set>

namespace texts = updater_texts;

UpdaterSession::UpdaterSession(UpdateView& view, platform::EventPump pump)
    : m_view(view)
    , m_client(std::move(pump))
    , m_engine(m_client, platform::programFolder())
{
    m_client.setStateHandler([this](int state) {
        // After the window was closed under a request its ending is no news to anyone.
        if (state == platform::InetTransfer::stateError && !m_abandoned)
            message_box::show(texts::programTitle, texts::networkError);
    });
}

std::string UpdaterSession::folderPath(const std::string& name) const
{
    return platform::joinPath(platform::programFolder(), name);
}

void UpdaterSession::Form_Load()
{
    m_members = Members {};
    m_runAppName.clear();
    m_members.strLocalListFile = texts::localListFile;
    m_members.strServerListFile = texts::serverListFile;
    removeLeftoverTemporaries();
}

void UpdaterSession::removeLeftoverTemporaries()
{
    // An update that was interrupted left the temporary files of the lists it worked from.
    // A file either list names is installed, whatever its name: it is never a leftover.
    const platform::ContainedFolder& folder = m_engine.folder();
    // Only names, held once: the lists may be long.
    std::vector<std::string> names;
    // The folded names the lists give that end as a temporary name does: only such a file
    // can be taken for a leftover.
    std::unordered_set<std::string> installed;
    // A part of a file with a digest may be continued: those the record names, and those of
    // a server list whose update was cut short (by a crash or a kill).
    std::unordered_map<std::string, update_list::FileEntry> continuable;
    for (const std::string& list : {m_members.strServerListFile, m_members.strLocalListFile}) {
        folder.removeFile(list + ".writing");
        modXml::XmlDocument document;
        if (!modXml::LoadXml(folderPath(list), document) || !document.parsed())
            continue;
        const bool serverList = list == m_members.strServerListFile;
        std::vector<std::string> listNames;
        std::unordered_set<std::string> listInstalled;
        std::unordered_map<std::string, update_list::FileEntry> listContinuable;
        try {
            update_list::FileReader reader(document.document);
            for (update_list::FileEntry entry; reader.next(entry);) {
                if (std::string folded = name_rules::foldedName(entry.name);
                    folded.ends_with(name_rules::temporaryName("")))
                    listInstalled.insert(std::move(folded));
                if (serverList && entry.sha256)
                    listContinuable.emplace(entry.name, entry);
                listNames.push_back(std::move(entry.name));
            }
        } catch (const update_list::ListError&) {
            continue; // a list without usable entries names no temporary files
        }
        document.release();
        installed.merge(listInstalled);
        continuable.merge(listContinuable);
        names.insert(names.end(), std::make_move_iterator(listNames.begin()), std::make_move_iterator(listNames.end()));
    }
    folder.removeFile(std::string(texts::partialListFile) + ".writing");
    for (update_list::FileEntry& partial : partial_downloads::read(folder)) {
        names.push_back(partial.name);
        continuable.insert_or_assign(partial.name, std::move(partial));
    }
    m_partials.clear();
    std::unordered_set<std::string> kept;
    for (const std::string& name : names) {
        const std::string temporary = name_rules::temporaryName(name);
        if (!path_safety::isSafeRelativeName(name) || installed.contains(name_rules::foldedName(temporary))
            || kept.contains(name))
            continue;
        const auto part = continuable.find(name);
        if (part != continuable.end() && folder.fileSize(temporary).value_or(0) > 0) {
            m_partials.push_back(part->second);
            kept.insert(name);
        } else {
            m_engine.discardLeftovers(name,
                [&](const std::string& temporary) { return installed.contains(name_rules::foldedName(temporary)); });
        }
    }
    // The record now names exactly the parts kept, whatever becomes of the lists.
    partial_downloads::write(folder, m_partials);
}

void UpdaterSession::keepPartialsFor(const std::vector<update_list::FileEntry>& toUpdate)
{
    if (m_partials.empty())
        return;
    std::unordered_map<std::string_view, const update_list::FileEntry*> listed;
    for (const update_list::FileEntry& entry : toUpdate)
        listed.emplace(entry.name, &entry);
    std::vector<update_list::FileEntry> kept;
    for (update_list::FileEntry& partial : m_partials) {
        const auto found = listed.find(partial.name);
        if (found != listed.end() && found->second->sha256 == partial.sha256)
            kept.push_back(std::move(partial));
        else
            m_engine.discard(partial.name); // no longer listed, or listed as another file
    }
    m_partials = std::move(kept);
    partial_downloads::write(m_engine.folder(), m_partials);
}

void UpdaterSession::tmrGetUpdateList_Timer()
{
    m_busy = true;
    SetUiState(0);
    if (!modPublic::GetListUrl(m_client, m_members.strLocalListFile, m_members.strUpdateUrl)) {
        message_box::show(texts::programTitle, m_members.strUpdateUrl);
        m_busy = false;
        m_view.closeWindow();
        return;
    }
    m_trust = list_trust::read(m_engine.folder(), m_members.strLocalListFile);
    std::string refusal;
    const bool fetched = modPublic::DownloadServerList(
        m_client, m_members.strUpdateUrl, m_members.strLocalListFile, m_members.strServerListFile, m_trust, &refusal);
    if (m_abandoned) {
        // The window was closed under the fetch (the exit button has removed the list once
        // already): a list that no one will compare must not stay behind.
        removeServerList();
        m_busy = false;
        return;
    }
    if (!fetched) {
        if (!refusal.empty())
            m_view.setStatusText(texts::listRefusedPrefix + refusal);
        message_box::show(texts::programTitle, texts::listError);
        m_busy = false;
        m_view.closeWindow();
        return;
    }
    CompareUpdateLists();
    if (m_abandoned)
        removeServerList();
    m_busy = false;
}

void UpdaterSession::SetUiState(int n)
{
    switch (n) {
    case 0:
        m_view.setButtonCaption(UpdaterButton::Finish, texts::captionExit);
        m_view.stopListTimer();
        m_view.setStatusText(texts::fetchingList);
        m_view.setButtonCaption(UpdaterButton::Update, texts::captionGetList);
        m_view.setButtonEnabled(UpdaterButton::Update, false);
        break;
    case 1:
        m_view.setButtonVisible(UpdaterButton::Update, true);
        m_view.setButtonCaption(UpdaterButton::Finish, texts::captionCancel);
        break;
    case 2:
        m_view.setButtonCaption(UpdaterButton::Finish, texts::captionFinish);
        break;
    case 6:
        m_view.setStatusText(texts::updateDone);
        m_view.setButtonCaption(UpdaterButton::Finish, texts::captionFinish);
        m_view.setButtonEnabled(UpdaterButton::Finish, true);
        m_view.setButtonVisible(UpdaterButton::Update, false);
        break;
    default:
        break;
    }
}

void UpdaterSession::cmdFinish_Click()
{
    // Nothing found means no program was named, and nothing is started.
    if (!m_members.strRunAppPath.empty() && runAppInFolder())
        platform::startProgram(m_members.strRunAppPath);
    removeServerList();
    m_view.closeWindow();
}

bool UpdaterSession::runAppInFolder() const
{
    // A link, or a linked folder on the way, could lead anywhere: it names no program.
    return !m_runAppName.empty() && m_engine.folder().kind(m_runAppName) == platform::ContainedFolder::Kind::File;
}

void UpdaterSession::windowClosing()
{
    if (m_busy) {
        // The running step sees this once the transfer has stopped, and cleans up.
        m_abandoned = true;
        m_client.cancel();
        return;
    }
    removeServerList();
}

void UpdaterSession::removeServerList()
{
    m_engine.folder().removeFile(m_members.strServerListFile);
}

bool UpdaterSession::refuseUnsafeName(const std::string& name)
{
    if (name_rules::isInstallableName(name, modXml::TextEncoding::Utf8))
        return false;
    m_view.setStatusText(texts::unsafeNamePrefix + name + texts::unsafeNameSuffix);
    return true;
}
