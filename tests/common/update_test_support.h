#pragma once

// What the update check and notice tests share: a program folder of their own with a
// stand-in updater, a main window without a window, and the local portal server.

#include "common/logic/message_box.h"
#include "common/logic/update_host.h"
#include "platform/program_folder.h"
#include "tests/support/sim_server.h"

#include <filesystem>
#include <string>
#include <vector>

// A temporary program folder for the modules, with a fake "Renovo" that notes how many
// arguments it was started with in "renovo-started.txt".
class TempProgramFolder
{
public:
    TempProgramFolder() { platform::overrideProgramFolder(folder.str()); }
    ~TempProgramFolder() { platform::overrideProgramFolder({}); }

    void installUpdater() const
    {
        folder.write("Renovo",
            "#!/bin/sh\n"
            "here=$(dirname \"$0\")\n"
            "echo \"$#\" > \"$here/.started\" && mv \"$here/.started\" \"$here/renovo-started.txt\"\n");
        std::filesystem::permissions(folder / "Renovo", std::filesystem::perms::owner_all);
    }
    bool updaterStarted() const { return folder.exists("renovo-started.txt"); }
    std::string updaterArgumentCount() const { return folder.read("renovo-started.txt"); }
    std::string settings() const { return folder.read("Setting.ini"); }

    TempFolder folder;
};

// The main window's side of the check: holders with their initial texts and a fetch
// object of the shell.
class PlainUpdateHost : public UpdateHost
{
public:
    explicit PlainUpdateHost(Shell shell)
        : m_shell(shell)
        , m_fetch(shell, "Orvel影视盒", {}, 2000)
    { }

    Shell shell() const override { return m_shell; }
    TextHolder& Label1() override { return label1; }
    TextHolder& Label2() override { return label2; }
    RemoteFetch& remoteFetch() override { return m_fetch; }
    UpdateFields& updateFields() override { return fields; }
    void disableUpdateCheckTimer() override { checkTimerEnabled = false; }
    QWidget* noticeOwner() override { return nullptr; }
    void closeMainWindow() override { ++closeRequests; }

    PlainTextHolder label1 {"2.0"};
    PlainTextHolder label2 {"更新信息"};
    UpdateFields fields;
    bool checkTimerEnabled = true;
    int closeRequests = 0;

private:
    Shell m_shell;
    RemoteFetch m_fetch;
};

// Every server role at one local portal server; message boxes recorded, never shown.
class UpdateServerFixture
{
public:
    UpdateServerFixture()
        : m_primary("PORTAL_PRIMARY_SERVER", sim.host())
        , m_previous(message_box::setHandler(
              [this](const std::string&, const std::string& text) { messages.push_back(text); }))
    { }
    ~UpdateServerFixture() { message_box::setHandler(m_previous); }

    void serve(const std::string& version, const std::string& newsUtf8, Shell shell = Shell::Portal)
    {
        const bool portal = shell == Shell::Portal;
        sim.site().write(portal ? "update/updatePallo.txt" : "update/update.txt", version);
        sim.site().write(portal ? "update/updatePalloNews.txt" : "update/updatenews.txt", gbk(newsUtf8));
    }

    SimServer sim;
    std::vector<std::string> messages;

private:
    ScopedEnv m_primary;
    message_box::Handler m_previous;
};
