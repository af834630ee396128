#include "updater/logic/UpdaterSession.h"

#include "common/logic/message_box.h"
#include "updater/logic/file_errors.h"
#include "updater/logic/list_adoption.h"
#include "updater/logic/partial_downloads.h"
#include "updater/logic/update_figures.h"
#include "updater/logic/updater_texts.h"

#include <algorithm>
#include <cerrno>
#include <unordered_set>

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
    // The parts kept so far are continued now; what breaks off again is recorded anew.
    m_partials.clear();
    for (int row = 0; row < n && !m_abandoned; ++row) {
        m_members.strCurrentFileName = m_view.cellText(row, 0);
        m_members.lngCurrentFileSize = update_figures::announcedSize(m_view.cellText(row, 4)).value_or(0);
        m_view.setStatusText(texts::updatingPrefix + m_members.strCurrentFileName + texts::updatingSuffix);
        const FileResult result = SaveDownloadedFile(row);
        if (result == FileResult::WriteFailed && !m_abandoned) {
            // The disk refused the file: stop before any target is touched.
            cleanUp(row + 1);
            m_view.setStatusText(m_writeError);
            message_box::show(texts::programTitle, m_writeError);
            m_busy = false;
            m_view.closeWindow();
            return;
        }
        if (result == FileResult::Complete) {
            m_view.setCellText(row, 3, "100%");
        } else if (result == FileResult::NoLength) {
            m_view.setCellText(row, 3, texts::fileFailed);
            m_view.setStatusText(texts::noLengthPrefix + m_members.strCurrentFileName);
            failed.push_back(m_members.strCurrentFileName);
        } else if (result == FileResult::Unverified) {
            // Not the file the list describes: it is dropped, and the user is told why.
            m_view.setCellText(row, 3, texts::fileUnverified);
            m_view.setStatusText(texts::unverifiedPrefix + m_members.strCurrentFileName);
            failed.push_back(m_members.strCurrentFileName);
        } else {
            m_view.setCellText(row, 3, texts::fileFailed);
            failed.push_back(m_members.strCurrentFileName);
        }
        m_view.setProgressValue(update_figures::overallProgress(row + 1, n));
        m_view.processEvents();
    }
    if (m_abandoned) {
        // The window was closed under the update: nothing is put in place.
        cleanUp(n);
        m_busy = false;
        return;
    }

    markUnverified(m_engine.settleDigests(), failed);
    const std::string notRecorded = ReplaceFiles(failed);
    partial_downloads::write(m_engine.folder(), m_partials);
    m_view.setProgressValue(100);
    SetUiState(6);
    if (!notRecorded.empty()) {
        // The local list still names the old files: the next run offers them all again.
        const std::string text = texts::updateFailedPrefix + notRecorded + texts::localListNotRecordedSuffix;
        m_view.setStatusText(text);
        message_box::show(texts::programTitle, text);
    } else if (!failed.empty()) {
        std::string names;
        for (const std::string& name : failed)
            names += (names.empty() ? "" : "、") + name;
        m_view.setStatusText(texts::updateFailedPrefix + std::to_string(failed.size()) + texts::updateFailedMiddle
            + names + texts::updateFailedSuffix);
    }
    m_busy = false;
}

UpdaterSession::FileResult UpdaterSession::SaveDownloadedFile(int row)
{
    int lastShown = 0;
    const UpdateEngine::Expected expected = row < static_cast<int>(m_expected.size())
        ? m_expected[static_cast<std::size_t>(row)]
        : UpdateEngine::Expected {};
    const UpdateEngine::Outcome outcome
        = m_engine.download(platform::fileUrl(m_members.strUpdateUrl, m_members.strCurrentFileName),
            m_members.strCurrentFileName, expected, [&](std::int64_t received) {
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
    if (outcome.noLength)
        return FileResult::NoLength;
    if (outcome.partialKept)
        m_partials.push_back({m_members.strCurrentFileName, {}, expected.size, expected.sha256});
    if (outcome.unverified)
        return FileResult::Unverified;
    return outcome.complete ? FileResult::Complete : FileResult::Failed;
}

std::string UpdaterSession::ReplaceFiles(std::vector<std::string>& failed)
{
    const int n = m_view.rowCount();
    const std::unordered_set<std::string> failedBefore(failed.begin(), failed.end());
    // The new contents reach the disk before any name points at them, and the new names
    // before the local list says they are installed. A flush that fails puts nothing in
    // place: what the disk holds of the new files is unknown.
    if (const int error = m_engine.flushToDisk()) {
        for (int row = 0; row < n; ++row) {
            const std::string name = m_view.cellText(row, 0);
            if (failedBefore.contains(name))
                continue;
            m_engine.discard(name);
            m_view.setCellText(row, 3, texts::fileFailed);
            failed.push_back(name);
        }
        m_engine.removeEmptyCreatedFolders();
        return file_errors::writeError(m_engine.folder().path(), error);
    }
    for (int row = 0; row < n; ++row) {
        const std::string name = m_view.cellText(row, 0);
        if (failedBefore.contains(name))
            continue;
        m_view.processEvents();
        if (!m_engine.replace(name)) {
            m_view.setCellText(row, 3, texts::fileFailed);
            failed.push_back(name);
        }
    }
    // Folders made for files that failed hold nothing.
    m_engine.removeEmptyCreatedFolders();
    // Renames that may not be on the disk are not recorded as installed.
    if (const int error = m_engine.flushToDisk())
        return file_errors::writeError(m_engine.folder().path(), error);
    return writeLocalList(failed);
}

std::string UpdaterSession::writeLocalList(const std::vector<std::string>& failed)
{
    const platform::ContainedFolder& folder = m_engine.folder();
    std::string serverBytes;
    if (const int error = folder.readFile(m_members.strServerListFile, folder.defaultMaxBytes, serverBytes))
        return file_errors::readError(m_members.strServerListFile, error);
    // The local list is needed for the files that failed; a link or other non-file in its
    // place is only replaced when none did.
    std::string localBytes;
    if (const int error = folder.readFile(m_members.strLocalListFile, folder.defaultMaxBytes, localBytes);
        error && !failed.empty())
        return file_errors::readError(m_members.strLocalListFile, error);
    const list_adoption::Adoption adoption
        = list_adoption::adoptedList(std::move(serverBytes), std::move(localBytes), failed);
    if (!adoption.problem.empty())
        return adoption.problem;
    if (const int error = folder.writeReplacing(m_members.strLocalListFile, adoption.list))
        return file_errors::writeError(m_members.strLocalListFile, error);
    removeServerList();
    return {};
}

void UpdaterSession::markUnverified(const std::vector<std::string>& names, std::vector<std::string>& failed)
{
    if (names.empty())
        return;
    // The files whose digests were still in the making when they arrived. The failed files
    // stay in the order of their rows.
    const std::unordered_set<std::string> unverified(names.begin(), names.end());
    std::unordered_set<std::string> failing(failed.begin(), failed.end());
    failing.insert(names.begin(), names.end());
    failed.clear();
    const int n = m_view.rowCount();
    for (int row = 0; row < n; ++row) {
        const std::string name = m_view.cellText(row, 0);
        if (unverified.contains(name)) {
            m_view.setCellText(row, 3, texts::fileUnverified);
            m_view.setStatusText(texts::unverifiedPrefix + name);
        }
        if (failing.contains(name))
            failed.push_back(name);
    }
}

void UpdaterSession::cleanUp(int rows)
{
    m_engine.settleDigests();
    for (int row = 0; row < rows; ++row)
        m_engine.discard(m_view.cellText(row, 0));
    m_partials.clear();
    partial_downloads::write(m_engine.folder(), m_partials);
    m_engine.removeEmptyCreatedFolders();
    removeServerList();
}
