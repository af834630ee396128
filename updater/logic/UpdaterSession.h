#pragma once

#include "platform/inet_transfer.h"
#include "updater/logic/list_trust.h"
#include "updater/logic/update_engine.h"
#include "updater/logic/update_list.h"
#include "updater/logic/update_view.h"

#include <cstdint>
#include <string>
#include <vector>

// The behaviour of the updater window: fetching and comparing the lists, the update, the
// exit action and the button states. The window forwards its events here and shows what
// this asks of it through UpdateView.
class UpdaterSession
{
public:
    struct Members
    {
        std::string strCurrentFileName;
        std::int64_t lngCurrentFileSize = 0;
        std::string strUpdateUrl;
        std::string strRunAppPath;
        std::string strLocalListFile;
        std::string strServerListFile;
    };

    // `pump` runs while a request waits (the window's event processing).
    UpdaterSession(UpdateView& view, platform::EventPump pump);

    // The window's load: members set, leftovers of an interrupted update removed.
    void Form_Load();
    // The one tick of the list timer: fetch the lists and compare them.
    void tmrGetUpdateList_Timer();
    void CompareUpdateLists();
    void SetUiState(int n);
    // The update button: download every listed file, then put them in place.
    void cmdUpdate_Click();
    // The exit button, whatever its caption: start the updated program, drop the server list, close.
    void cmdFinish_Click();

    // The window is closing. Under a running step the transfer stops and the step unwinds,
    // putting nothing in place; either way no temporary file, new empty folder or server
    // list stays behind.
    void windowClosing();
    void abandon() { windowClosing(); }
    bool busy() const { return m_busy; }

    const Members& members() const { return m_members; }
    platform::InetTransfer& intClient() { return m_client; }

private:
    enum class FileResult { Complete, Failed, Unverified, NoLength, WriteFailed };

    FileResult SaveDownloadedFile(int row);
    // Puts the downloaded files in place and the list that matches them; adds to `failed`
    // every file that could not be replaced. Returns why the local list could not be
    // brought up to date ("" when it was): then it still names the old files.
    std::string ReplaceFiles(std::vector<std::string>& failed);
    std::string writeLocalList(const std::vector<std::string>& failed);
    // Shows the rows of the files whose digests turned out not to be the list's as such, and
    // adds them to `failed`.
    void markUnverified(const std::vector<std::string>& names, std::vector<std::string>& failed);
    bool refuseUnsafeName(const std::string& name);
    bool refuseRunningProgram();
    // The program to start is a plain file of the program folder, reached through no link.
    bool runAppInFolder() const;
    bool listEntries(const std::vector<update_list::FileEntry>& entries);
    void removeLeftoverTemporaries();
    // Keeps the parts of downloads that `toUpdate` lists again with the same digest.
    void keepPartialsFor(const std::vector<update_list::FileEntry>& toUpdate);
    // After a stopped update: temporary files of the first `rows` rows, new empty folders
    // and the server list go.
    void cleanUp(int rows);
    void removeServerList();
    std::string folderPath(const std::string& name) const;

    UpdateView& m_view;
    platform::InetTransfer m_client;
    UpdateEngine m_engine;
    Members m_members;
    // Per row, what is known of its file before it is fetched.
    std::vector<UpdateEngine::Expected> m_expected;
    list_trust::Trust m_trust;
    // Downloads kept half-way, for this run or the next to continue (name and digest).
    std::vector<update_list::FileEntry> m_partials;
    std::string m_writeError;
    std::string m_runAppName; // the program to start, relative to the program folder
    bool m_busy = false;
    bool m_abandoned = false;
};
