#pragma once

// A portal main window started against two local portal servers (primary and backup) from a
// temporary program folder holding the real installation data.

#include "common/logic/message_box.h"
#include "platform/program_folder.h"
#include "portal/windows/frmMain.h"
#include "tests/support/pane_test_util.h"
#include "tests/support/recording_exit_advert.h"
#include "tests/support/sim_server.h"
#include "tests/support/temp_folder.h"

#include <QWebEnginePage>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

inline QString q(const std::string& text)
{
    return QString::fromStdString(text);
}

class PortalFixture
{
public:
    PortalFixture()
    {
        namespace fs = std::filesystem;
        for (const char* data : {"html", "Images"})
            fs::copy(fs::path(TEST_PROGRAM_FOLDER) / data, program / data, fs::copy_options::recursive);
        platform::overrideProgramFolder(program.str());
        m_oldHandler = message_box::setHandler([this](const std::string&, const std::string& text) {
            messages.push_back(text);
            if (whileMessageShows)
                whileMessageShows();
        });
        for (SimServer* sim : {&primary, &mirror, &backup}) {
            const std::string who = sim == &primary ? "primary" : sim == &mirror ? "mirror" : "backup";
            sim->site().write("box.html",
                "<html><head><meta charset='utf-8'><title>" + who
                    + " box</title></head><body>"
                      "<a id='film' href='/play/TOVAN/film3.html' target='_blank'>film</a>"
                      "<a id='partner' href='/play/qu74/film2.html' target='_blank'>partner</a>"
                      "<a id='out' href='/news/today.html' target='_blank'>news</a>"
                      "<button id='script' onclick=\"window.open('/news/today.html')\">script</button>"
                      "<input id='field'><p id='text'>copy me</p></body></html>");
            sim->site().write("webtv.html", "<html><body>" + who + " webtv</body></html>");
            sim->site().write("play/TOVAN/film3.html", "<html><body>film three</body></html>");
            sim->site().write("play/qu74/film2.html", "<html><body>film two</body></html>");
            sim->site().write("news/today.html", "<html><body>news</body></html>");
            sim->site().write("update/PallomarAdControl.txt", "off,off,4500,3300,6000,4500");
        }
    }

    ~PortalFixture()
    {
        message_box::setHandler(m_oldHandler);
        platform::overrideProgramFolder({});
    }

    // Starts the window with the primary portal server and the film mirror up or unreachable;
    // both fallbacks are the backup server.
    std::unique_ptr<frmMain> start(bool primaryUp, bool mirrorUp = true)
    {
        const std::string down = "127.0.0.1:" + std::to_string(closedPort());
        const std::string primaryHost = primaryUp ? primary.host() : down;
        const std::string mirrorHost = mirrorUp ? mirror.host() : down;
        m_env.clear();
        m_env.push_back(std::make_unique<ScopedEnv>("PORTAL_PRIMARY_SERVER", primaryHost));
        m_env.push_back(std::make_unique<ScopedEnv>("PORTAL_BACKUP_SERVER", backup.host()));
        m_env.push_back(std::make_unique<ScopedEnv>("FILM_MIRROR_SERVER", mirrorHost));
        m_env.push_back(std::make_unique<ScopedEnv>("FILM_BACKUP_SERVER", backup.host()));
        auto window = std::make_unique<frmMain>();
        window->setExitAdvert(&exitAdvert);
        window->setMenuOpener([this](QMenu* menu, const QPoint&) { openedMenus.push_back(menu); });
        window->show();
        window->Form_Load();
        return window;
    }

    static bool waitForTopPage(frmMain& window, const std::string& url)
    {
        return waitUntil([&] { return window.WebBrowser1->LocationURL() == q(url) && window.load_Pic->isHidden(); });
    }

    // A stand-in updater that notes in "renovo-started.txt" how many arguments it got.
    void installUpdater() const
    {
        // Written aside and moved into place, so that the file never shows half written.
        program.write("Renovo",
            "#!/bin/sh\nhere=$(dirname \"$0\")\n"
            "echo \"$#\" > \"$here/.started\" && mv \"$here/.started\" \"$here/renovo-started.txt\"\n");
        std::filesystem::permissions(program / "Renovo", std::filesystem::perms::owner_all);
    }

    // The player pane shows its first page, the local one the load opened.
    bool waitForPlayerPage(frmMain& window)
    {
        const QString page = q(local("/html/Playloading.html"));
        return waitUntil([&] {
            return window.WebBrowser2->LocationURL() == page
                && evaluate(*window.WebBrowser2, QStringLiteral("document.readyState")) == QStringLiteral("complete");
        });
    }

    std::string local(const std::string& relative) const { return platform::joinPath(program.str(), relative); }

    TempFolder program;
    SimServer primary;
    SimServer mirror;
    SimServer backup;
    RecordingExitAdvert exitAdvert;
    std::vector<std::string> messages;
    // Runs while a message box is open, as timers would.
    std::function<void()> whileMessageShows;
    std::vector<QMenu*> openedMenus;

private:
    message_box::Handler m_oldHandler;
    std::vector<std::unique_ptr<ScopedEnv>> m_env;
};
