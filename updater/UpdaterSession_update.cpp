#include "UpdaterSession.h"

#include "file_util.h"
#include "message_box.h"
#include "modXml.h"
#include "update_figures.h"
#include "update_list.h"
#include "updater_texts.h"

#include <algorithm>
#include <cstdio>

namespace texts = updater_texts;

void UpdaterSession::cmdUpdate_Click()
{
    m_busy = true;
    m_view.setProgressVisible(true);
    m_view.setButtonEnabled(UpdaterButton::Finish, false);
    m_view.setButtonEnabled(UpdaterButton::Update, false);
    m_view.setProgressValue(0);

    const int n = m_view.rowCount();
    std::vector<std::string> failed;
    for (int row = 0; row < n && !m_abandoned; ++row) {
        m_members.strCurrentFileName = m_view.cellText(row, 0);
        m_members.lngCurrentFileSize = update_figures::announcedSize(m_view.cellText(row, 4)).value_or(0);
        m_view.setStatusText(texts::updatingPrefix + m_members.strCurrentFileName + texts::updatingSuffix);
        const FileResult result = SaveDownloadedFile(row);
        if (result == FileResult::WriteFailed) {
            // The disk refused the file: stop before any target is touched.
            discardTemporaries(row + 1);
            message_box::show(texts::programTitle, m_writeError);
            m_busy = false;
            m_view.closeWindow();
            return;
        }
        if (result == FileResult::Complete) {
            m_view.setCellText(row, 3, "100%");
        } else {
            m_view.setCellText(row, 3, texts::fileFailed);
            failed.push_back(m_members.strCurrentFileName);
        }
        m_view.setProgressValue(update_figures::overallProgress(row + 1, n));
        m_view.processEvents();
    }
    if (m_abandoned) {
        // The window was closed under the update: nothing is put in place.
        discardTemporaries(n);
        m_busy = false;
        return;
    }

    ReplaceFiles(failed);
    m_view.setProgressValue(100);
    if (failed.empty()) {
        SetUiState(6);
    } else {
        std::string names;
        for (const std::string& name : failed)
            names += (names.empty() ? "" : "、") + name;
        SetUiState(6);
        m_view.setStatusText(texts::updateFailedPrefix + std::to_string(failed.size()) + texts::updateFailedMiddle
            + names + texts::updateFailedSuffix);
    }
    m_busy = false;
}

UpdaterSession::FileResult UpdaterSession::SaveDownloadedFile(int row)
{
    int lastShown = 0;
    const std::int32_t announced = row < static_cast<int>(m_announced.size()) ? m_announced[row] : 0;
    const UpdateEngine::Outcome outcome
        = m_engine.download(platform::fileUrl(m_members.strUpdateUrl, m_members.strCurrentFileName),
            m_members.strCurrentFileName, announced, [&](long long received) {
                if (m_members.lngCurrentFileSize <= 0)
                    return;
                const int percent = update_figures::filePercent(received, m_members.lngCurrentFileSize);
                if (percent >= lastShown + 1) {
                    m_view.setCellText(row, 3, std::to_string(percent) + "%");
                    lastShown = percent;
                }
            });
    if (outcome.writeFailed) {
        m_writeError = outcome.writeError;
        return FileResult::WriteFailed;
    }
    return outcome.complete ? FileResult::Complete : FileResult::Failed;
}

void UpdaterSession::ReplaceFiles(std::vector<std::string>& failed)
{
    const int n = m_view.rowCount();
    for (int row = 0; row < n; ++row) {
        const std::string name = m_view.cellText(row, 0);
        if (std::find(failed.begin(), failed.end(), name) != failed.end())
            continue;
        m_view.processEvents();
        if (!m_engine.replace(name)) {
            m_view.setCellText(row, 3, texts::fileFailed);
            failed.push_back(name);
        }
    }
    writeLocalList(failed);
}

void UpdaterSession::writeLocalList(const std::vector<std::string>& failed)
{
    const std::string serverList = folderPath(m_members.strServerListFile);
    const std::string localList = folderPath(m_members.strLocalListFile);
    if (failed.empty()) {
        // The server's list describes exactly what is installed now.
        if (std::rename(serverList.c_str(), localList.c_str()) == 0)
            return;
    }
    // The local list may only claim what was put in place: failed files keep their old
    // entries, so the next run offers them again.
    modXml::XmlDocument server;
    modXml::XmlDocument local;
    if (!modXml::LoadXml(serverList, server) || !server.parsed())
        return;
    modXml::LoadXml(localList, local);
    try {
        update_list::keepOldEntriesFor(server, local.document, failed);
    } catch (const update_list::ListError&) {
        return;
    }
    if (platform::writeFileReplacing(localList, modXml::SaveXml(server)))
        platform::removeFile(serverList);
}

void UpdaterSession::discardTemporaries(int rows)
{
    for (int row = 0; row < rows; ++row)
        m_engine.discard(m_view.cellText(row, 0));
}
