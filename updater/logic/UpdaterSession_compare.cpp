#include "updater/logic/UpdaterSession.h"

#include "common/logic/message_box.h"
#include "platform/program_folder.h"
#include "updater/logic/modPublic.h"
#include "updater/logic/modXml.h"
#include "updater/logic/name_rules.h"
#include "updater/logic/update_figures.h"
#include "updater/logic/update_list.h"
#include "updater/logic/updater_texts.h"

#include <string_view>
#include <unordered_set>

namespace texts = updater_texts;

void UpdaterSession::CompareUpdateLists()
{
    // One document at a time, each let go of as soon as its entries are read: a long list
    // must not be held twice, nor as a document beside its entries.
    modXml::XmlDocument local;
    if (!modXml::LoadXml(folderPath(m_members.strLocalListFile), local)) {
        message_box::show(texts::programTitle, m_members.strLocalListFile + texts::listNotFoundSuffix);
        return;
    }
    if (!local.readFailure.empty()) {
        message_box::show(texts::programTitle, local.readFailure);
        return;
    }
    if (!modPublic::FileExists(folderPath(m_members.strServerListFile))) {
        message_box::show(texts::programTitle, m_members.strServerListFile + texts::listNotFoundSuffix);
        return;
    }
    try {
        const update_list::LocalVersions localFiles(local.document);
        local.release();
        modXml::XmlDocument server;
        modXml::LoadXml(folderPath(m_members.strServerListFile), server);
        if (!server.readFailure.empty())
            throw update_list::ListError(server.readFailure);
        std::vector<update_list::FileEntry> serverFiles = update_list::readFiles(server.document);
        const std::string runApp = update_list::readRunApp(server.document);
        const modXml::TextEncoding serverEncoding = server.encoding;
        server.release();
        m_view.processEvents();
        // Every name is checked before anything is listed or fetched.
        const name_rules::Verdict verdict = name_rules::checkEntries(serverFiles, localFiles, serverEncoding);
        if (verdict.fault != name_rules::Fault::None) {
            const char* prefix
                = verdict.fault == name_rules::Fault::Duplicate ? texts::duplicateNamePrefix : texts::unsafeNamePrefix;
            m_view.setStatusText(prefix + verdict.name + texts::unsafeNameSuffix);
            return;
        }
        update_list::keepEntriesToUpdate(localFiles, serverFiles);
        const std::vector<update_list::FileEntry> toUpdate = std::move(serverFiles);
        keepPartialsFor(toUpdate);
        m_view.clearRows();
        m_expected.clear();
        m_expected.reserve(toUpdate.size());
        if (!listEntries(toUpdate))
            return;
        if (m_view.rowCount() == 0) {
            m_view.setStatusText(texts::nothingToUpdate);
            m_view.setButtonVisible(UpdaterButton::Update, false);
            SetUiState(2);
            return;
        }

        if (refuseUnsafeName(runApp))
            return;
        // The list names Windows programs ("Pallomar.exe"); here they have their platform names.
        const std::string platformName = platform::nativePath(platform::executableFileName(runApp));
        m_runAppName = platformName;
        m_members.strRunAppPath = platform::joinPath(platform::programFolder(), platformName);
        if (refuseRunningProgram()) {
            m_view.setStatusText(texts::updateStopped);
            return;
        }
        m_view.setStatusText(texts::updatesFoundPrefix + std::to_string(m_view.rowCount()) + texts::updatesFoundSuffix);
        SetUiState(1);
        m_view.setButtonCaption(UpdaterButton::Update, texts::captionUpdate);
        m_view.setButtonEnabled(UpdaterButton::Update, true);
    } catch (const update_list::ListError& error) {
        message_box::show(texts::programTitle, error.what());
    }
}

// Adds a row per entry with the size its HEAD answer announces. Ends early, with false,
// when a file is missing on the server or the window closes.
bool UpdaterSession::listEntries(const std::vector<update_list::FileEntry>& entries)
{
    // The parts this updater recorded, the only ones it continues.
    std::unordered_set<std::string_view> recorded;
    for (const update_list::FileEntry& partial : m_partials)
        recorded.insert(partial.name);
    for (const update_list::FileEntry& entry : entries) {
        const int row = m_view.addRow(entry.name, entry.ver);
        const std::string url = platform::fileUrl(m_members.strUpdateUrl, entry.name);
        m_client.setUrl(url);
        m_client.execute(url, "HEAD");
        // The window was closed under the request: no more requests, no question.
        if (m_abandoned)
            return false;
        const std::string& header = m_client.getHeader();
        if (header.find("Not Found") != std::string::npos && header.find("404") != std::string::npos) {
            m_view.setStatusText(texts::serverLostPrefix + entry.name + texts::serverLostSuffix);
            return false;
        }
        // The list's size is trusted over what the server announces; without it an
        // announcement that cannot be read (none, "-1", "abc") announces nothing, and the
        // file will not be fetched; one too large for any file is an overflow.
        const std::string announced = m_client.getHeader("Content-Length");
        std::optional<std::int64_t> length = update_figures::contentLength(announced);
        if (!entry.size && !length && !update_figures::announcedSize(announced))
            throw update_list::ListError(texts::errorOverflow);
        // The size columns show what the server announced (a list's Size where that is no
        // number at all).
        const std::int64_t shown = update_figures::announcedSize(announced).value_or(entry.size.value_or(0));
        m_view.setCellText(row, 4, update_figures::sizeColumnText(shown));
        m_view.setCellText(row, 2, update_figures::sizeText(shown));
        m_view.setCellText(row, 3, "0%");
        m_expected.push_back({length, entry.size, entry.sha256, recorded.contains(entry.name)});
    }
    return true;
}

// Every copy of the program running from the program folder is found, whichever other
// copies started before it. True when one runs and the user would not, or could not, end it.
bool UpdaterSession::refuseRunningProgram()
{
    // Only the program in the folder is looked for and ended, not what a link leads to.
    if (!runAppInFolder())
        return false;
    std::string runningPath;
    std::vector<platform::ProcessHandle> copies = modPublic::FindProcessesAt(m_members.strRunAppPath, runningPath);
    if (copies.empty())
        return false;
    const std::string question
        = texts::runningPrefix + runningPath + texts::runningMiddle + "\n\r" + texts::runningQuestion;
    if (message_box::ask(texts::programTitle, question) == message_box::Answer::No)
        return true;
    bool ended = true;
    for (const platform::ProcessHandle& copy : copies)
        ended = modPublic::KillProcess(copy) && ended;
    return !ended;
}
