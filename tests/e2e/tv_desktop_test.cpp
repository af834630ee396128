// The real TovanTV from a copied program folder on a private X display with a window manager
// and a tray host: one running copy, its tray icon, and a clean end.

#include "tests/e2e/desktop_session.h"
#include "tests/e2e/program_processes.h"
#include "tests/e2e/x_display.h"
#include "tests/e2e/x_window_probe.h"
#include "tests/support/raw_http_server.h"
#include "tests/support/sim_server.h"
#include "tests/support/temp_folder.h"
#include "tests/support/wait_for.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <functional>
#include <thread>

namespace fs = std::filesystem;

namespace {

const fs::path built = TEST_PROGRAM_FOLDER;
const std::string caption = "Tovanis网络电视";

class TvDesktop : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (findInPath("Xvfb").empty() || findInPath("xdotool").empty() || !DesktopSession::available())
            GTEST_SKIP() << "needs Xvfb, xdotool, openbox, trayer and x11-utils (tools/setup.sh installs them)";
        ASSERT_TRUE(display.running()) << "Xvfb did not start";
        ASSERT_TRUE(desktop.running()) << "openbox or trayer did not start";
        fs::copy_file(built / "TovanTV", program / "TovanTV");
        fs::copy_file(built / "libSkinH.so", program / "libSkinH.so");
        for (const char* data : {"bin", "skin", "Images"})
            fs::copy(built / data, program / data, fs::copy_options::recursive);
    }

    std::unique_ptr<ChildProcess> start()
    {
        return std::make_unique<ChildProcess>((program / "TovanTV").string(), std::vector<std::string> {});
    }

    std::optional<std::string> waitForWindow(const std::string& title)
    {
        std::optional<std::string> window;
        waitFor([&] { return (window = display.findWindow(title)).has_value(); }, 20000);
        return window;
    }

    int trayIcons() const { return desktop.trayIcons("TovanTV"); }

    // The shell's menu bar, and the item `position` (from 1) of its first menu, chosen with
    // real input: a click on the menu's title, then the keyboard.
    void chooseFromFirstMenu(const std::string& window, int position)
    {
        std::vector<std::string> input {
            "mousemove", "--window", window, "30", "10", "sleep", "0.2", "click", "1", "sleep", "0.4"};
        for (int i = 0; i < position; ++i)
            input.insert(input.end(), {"key", "Down", "sleep", "0.1"});
        input.insert(input.end(), {"key", "Return", "sleep", "0.3"});
        display.xdotool(input);
    }

    // The window manager's close key on the window, once the window manager has given it the
    // focus: a new window gets it a moment after it shows.
    void closeWithTheWindowManager(const std::string& window)
    {
        display.xdotool({"windowactivate", "--sync", window});
        waitFor(
            [&] {
                const auto active = display.xdotool({"getactivewindow"});
                return active && !active->empty()
                    && DesktopSession::windowNumber(active->front()) == DesktopSession::windowNumber(window);
            },
            20000);
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        display.xdotool({"key", "alt+F4"});
    }

    // "退出软件", the last item of the tray icon's menu, with real input.
    void exitFromTheTrayMenu()
    {
        const auto icon = desktop.trayIcon("TovanTV");
        ASSERT_TRUE(icon);
        display.xdotool({"mousemove", "--window", *icon, "11", "11", "sleep", "0.6", "click", "3"});
        ASSERT_TRUE(waitFor([&] { return desktop.openMenu("TovanTV").has_value(); }, 20000));
        display.xdotool({"key", "Up", "sleep", "0.1", "key", "Return"});
    }

    // Whether window `a` lies above window `b` in the window manager's stacking order.
    bool above(const std::string& a, const std::string& b) const
    {
        const auto order = desktop.stacking();
        const auto at = [&](const std::string& w) {
            return std::find(order.begin(), order.end(), DesktopSession::windowNumber(w)) - order.begin();
        };
        return at(a) > at(b);
    }

    XDisplay display;
    DesktopSession desktop {display};
    TempFolder program;
    TempFolder runtime;
    // The shell's servers answer, so that nothing it fetches later interrupts with a message.
    SimServer server;

private:
    ScopedEnv m_display {"DISPLAY", display.name()};
    ScopedEnv m_platform {"QT_QPA_PLATFORM", "xcb"};
    ScopedEnv m_runtime {"XDG_RUNTIME_DIR", runtime.str()};
    ScopedEnv m_primary {"PORTAL_PRIMARY_SERVER", server.host()};
    ScopedEnv m_site {"TV_SITE_SERVER", server.host()};

protected:
    // Declared last, so that the programs started from the folder end first.
    FolderProcesses programs {program.path()};
};

} // namespace

TEST_F(TvDesktop, TheTrayIconComesWithTheShellASecondCopyIsRefusedAndTheIconGoesAtShutdown)
{
    auto first = start();
    const auto window = waitForWindow(caption);
    ASSERT_TRUE(window) << "the main window shows";
    ASSERT_TRUE(waitFor([&] { return trayIcons() == 1; }, 20000)) << "the tray host holds the shell's icon";
    // The window class names the desktop entry "TovanTV.desktop"; the window's icon is the
    // bundled hicolor set (to 256 pixels), not the folder's 64-pixel image.
    XWindowProbe probe(display.name());
    ASSERT_TRUE(probe.connected());
    const unsigned long id = DesktopSession::windowNumber(*window);
    EXPECT_EQ(probe.windowClass(id), std::make_pair(std::string("TovanTV"), std::string("TovanTV")));
    const auto widths = probe.iconWidths(id);
    for (const unsigned long size : {16UL, 32UL, 48UL, 256UL})
        EXPECT_NE(std::find(widths.begin(), widths.end(), size), widths.end()) << size << " px icon";

    auto second = start();
    const auto refusal = waitForWindow("请勿多次运行");
    ASSERT_TRUE(refusal) << "the second copy tells the user";
    EXPECT_EQ(second->wait(500), -1) << "it waits for the user's answer";
    EXPECT_EQ(trayIcons(), 1);
    display.xdotool({"windowactivate", "--sync", *refusal, "key", "Return"});
    EXPECT_EQ(second->wait(10000), 0) << "OK ends the second copy; message still shown: "
                                      << display.findWindow("请勿多次运行").has_value();
    EXPECT_EQ(trayIcons(), 1) << "and leaves no icon of its own";
    EXPECT_TRUE(program_processes::alive(first->pid()));
    EXPECT_EQ(display.findWindow(caption), window) << "the first copy's window is the only one";

    // The window manager's close key closes the main window: the shutdown runs, the icon goes.
    closeWithTheWindowManager(*window);
    EXPECT_EQ(first->wait(15000), 0) << "the last window closed ends the program; window still shown: "
                                     << display.findWindow(caption).has_value();
    EXPECT_TRUE(waitFor([&] { return trayIcons() == 0; }, 20000));
    EXPECT_TRUE(program.exists("Setting.ini")) << "the shutdown stored the skin";
}

TEST_F(TvDesktop, ACopyEndedByKillDoesNotBlockTheNextStart)
{
    auto first = start();
    ASSERT_TRUE(waitForWindow(caption));
    ASSERT_TRUE(waitFor([&] { return trayIcons() == 1; }, 20000));
    ::kill(first->pid(), SIGKILL);
    first->wait();
    ASSERT_TRUE(waitFor([&] { return !display.findWindow(caption) && trayIcons() == 0; }, 20000));

    auto next = start();
    const auto window = waitForWindow(caption);
    ASSERT_TRUE(window) << "a new start runs";
    EXPECT_TRUE(waitFor([&] { return trayIcons() == 1; }, 20000));
    EXPECT_FALSE(display.findWindow("请勿多次运行"));
    exitFromTheTrayMenu();
    EXPECT_EQ(next->wait(15000), 0) << "window still shown: " << display.findWindow(caption).has_value();
}

TEST_F(TvDesktop, TrayClicksHideAndShowTheWindowAndTheRightClickOpensTheTrayMenu)
{
    auto shell = start();
    const auto window = waitForWindow(caption);
    ASSERT_TRUE(window);
    std::optional<std::string> icon;
    ASSERT_TRUE(waitFor([&] { return (icon = desktop.trayIcon("TovanTV")).has_value(); }, 20000));
    const std::string placed = desktop.placement(*window);
    // Clicks of a user, well apart: two quick ones would make a double click.
    const auto clickIcon = [&](const char* button) {
        display.xdotool({"mousemove", "--window", *icon, "11", "11", "sleep", "0.6", "click", button});
    };

    clickIcon("1");
    EXPECT_TRUE(waitFor([&] { return !display.findWindow(caption); }, 20000)) << "a left click puts the window away";
    clickIcon("1");
    EXPECT_TRUE(waitFor([&] { return display.findWindow(caption) == window; }, 20000)) << "a second brings it back";
    EXPECT_EQ(desktop.netWmState(*window).find("_NET_WM_STATE_HIDDEN"), std::string::npos) << "not minimized";
    EXPECT_EQ(desktop.placement(*window), placed);

    // Put away again, the about box from the tray menu comes and goes without ending the
    // program, and the window stays in the tray.
    clickIcon("1");
    ASSERT_TRUE(waitFor([&] { return !display.findWindow(caption); }, 20000));
    clickIcon("3");
    ASSERT_TRUE(waitFor([&] { return desktop.openMenu("TovanTV").has_value(); }, 20000))
        << "a right click opens the menu";
    display.xdotool({"key", "Up", "sleep", "0.1", "key", "Up", "sleep", "0.1", "key", "Return"});
    std::optional<std::string> about;
    ASSERT_TRUE(waitFor([&] { return (about = display.findWindow(caption)).has_value(); }, 20000)) << "关于本软件";
    EXPECT_NE(desktop.placement(*about), placed) << "the about box, not the main window";
    display.xdotool({"windowactivate", "--sync", *about, "key", "Return"});
    ASSERT_TRUE(waitFor([&] { return !display.findWindow(caption); }, 20000));
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_EQ(shell->wait(0), -1) << "closing the about box does not end the program";
    EXPECT_EQ(trayIcons(), 1);

    // The menu's last item ends the program from the tray.
    exitFromTheTrayMenu();
    EXPECT_EQ(shell->wait(15000), 0) << "退出软件";
    EXPECT_TRUE(waitFor([&] { return trayIcons() == 0; }, 20000));
}

TEST_F(TvDesktop, StackingModesFromTheMenuGoThroughTheWindowManager)
{
    auto shell = start();
    const auto window = waitForWindow(caption);
    ASSERT_TRUE(window);
    ChildProcess other("/usr/bin/env",
        {"DISPLAY=" + display.name(), findInPath("xmessage"), "-geometry", "300x200+40+40", "another window"});
    const auto otherWindow = waitForWindow("xmessage");
    ASSERT_TRUE(otherWindow);
    const std::string placed = desktop.placement(*window);
    const auto activate = [&](const std::string& w) { display.xdotool({"windowactivate", w, "sleep", "0.3"}); };

    activate(*window);
    chooseFromFirstMenu(*window, 2); // 窗口置前
    ASSERT_TRUE(
        waitFor([&] { return desktop.netWmState(*window).find("_NET_WM_STATE_ABOVE") != std::string::npos; }, 20000));
    activate(*otherWindow);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_TRUE(above(*window, *otherWindow)) << "kept above a window activated afterwards";

    activate(*window);
    chooseFromFirstMenu(*window, 3); // 窗口正常
    ASSERT_TRUE(
        waitFor([&] { return desktop.netWmState(*window).find("_NET_WM_STATE_ABOVE") == std::string::npos; }, 20000));
    activate(*otherWindow);
    EXPECT_TRUE(waitFor([&] { return above(*otherWindow, *window); }, 20000)) << "stacked like any other window again";

    activate(*window);
    ASSERT_TRUE(waitFor([&] { return above(*window, *otherWindow); }, 20000));
    chooseFromFirstMenu(*window, 4); // 窗口置后
    EXPECT_TRUE(waitFor([&] { return desktop.stacking().front() == DesktopSession::windowNumber(*window); }, 20000))
        << "sent to the bottom of the stack";
    EXPECT_TRUE(above(*otherWindow, *window));

    // The same window all along, where it was and as large as it was.
    EXPECT_EQ(display.findWindow(caption), window);
    EXPECT_EQ(desktop.placement(*window), placed);
    EXPECT_EQ(shell->wait(0), -1);
}

TEST_F(TvDesktop, MouseMovesOverThePageShowTheToolbarAndTheTimerHidesItAgain)
{
    // The live-TV page with one addition: 7 seconds after it loaded it fires more bridge
    // navigations than the engine lets a page make in 10 seconds unless told otherwise: the
    // same place 301 times (the first shows the toolbar, the others hide it), then a move
    // that shows it. Only when the last one reaches the shell is the toolbar up afterwards.
    std::string page = program.read("bin/tovanT.ocx");
    const auto end = page.rfind("</body>");
    ASSERT_NE(end, std::string::npos);
    page.insert(end,
        "<script>window.addEventListener('load', function () { setTimeout(function () {"
        " for (var i = 0; i < 301; ++i) location.href = 'mouse://move|10|5';"
        " location.href = 'mouse://move|300|250'; }, 7000); });</script>");
    program.write("bin/tovanT.ocx", page);

    auto shell = start();
    const auto window = waitForWindow(caption);
    ASSERT_TRUE(window);
    display.xdotool({"windowactivate", "--sync", *window});
    // The band of the page under the floating toolbar, below the menu bar.
    const auto band = [&] { return desktop.pixels(*window, 30, 20, 200, 45); };

    // Shown at start, the toolbar goes with the timer's first tick, 5 seconds after start.
    std::optional<std::string> hidden;
    const auto started = std::chrono::steady_clock::now();
    ASSERT_TRUE(waitFor(
        [&] {
            const auto now = band();
            const bool settled
                = now && now == hidden && std::chrono::steady_clock::now() - started > std::chrono::milliseconds(5500);
            hidden = now;
            return settled;
        },
        15000));

    // The page's burst shows it again, and the timer's next tick hides it.
    EXPECT_TRUE(waitFor([&] { return band() != hidden; }, 5000)) << "the last of 302 messages reached the shell";
    ASSERT_TRUE(waitFor([&] { return band() == hidden; }, 7000));

    // Real moves over the page, downwards: the toolbar shows.
    display.xdotool({"mousemove", "--window", *window, "400", "300", "sleep", "0.1", "mousemove", "--window", *window,
        "400", "310", "sleep", "0.1", "mousemove", "--window", *window, "402", "320"});
    EXPECT_TRUE(waitFor([&] { return band() != hidden; }, 3000)) << "the toolbar shows over the page";
    // The mouse rests: within the timer's 5 seconds the toolbar is gone again.
    EXPECT_TRUE(waitFor([&] { return band() == hidden; }, 7000)) << "and hides again";
    EXPECT_EQ(shell->wait(0), -1);
}

TEST_F(TvDesktop, TheTrayHostGoingAwayBringsTheHiddenWindowBackAndItsReturnAddsTheIcon)
{
    auto shell = start();
    const auto window = waitForWindow(caption);
    ASSERT_TRUE(window);
    std::optional<std::string> icon;
    ASSERT_TRUE(waitFor([&] { return (icon = desktop.trayIcon("TovanTV")).has_value(); }, 20000));
    display.xdotool({"mousemove", "--window", *icon, "11", "11", "sleep", "0.6", "click", "1"});
    ASSERT_TRUE(waitFor([&] { return !display.findWindow(caption); }, 20000)) << "put away in the tray";

    // The panel ends: nothing could bring the window back, so it comes back by itself.
    desktop.stopTrayHost();
    EXPECT_TRUE(waitFor([&] { return display.findWindow(caption) == window; }, 20000)) << "the window shows again";
    EXPECT_EQ(desktop.netWmState(*window).find("_NET_WM_STATE_HIDDEN"), std::string::npos) << "not minimized";

    // A new panel gets the icon again, and the icon works.
    ASSERT_TRUE(desktop.startTrayHost());
    ASSERT_TRUE(waitFor([&] { return (icon = desktop.trayIcon("TovanTV")).has_value(); }, 20000))
        << "the icon is added to the new tray";
    EXPECT_EQ(trayIcons(), 1);
    display.xdotool({"mousemove", "--window", *icon, "11", "11", "sleep", "0.6", "click", "1"});
    EXPECT_TRUE(waitFor([&] { return !display.findWindow(caption); }, 20000)) << "its click puts the window away";
    exitFromTheTrayMenu();
    EXPECT_EQ(shell->wait(15000), 0);
}

TEST_F(TvDesktop, ANewStartRunsWhileOnlyTheCornerPopupOfTheEndedMainWindowIsOnScreen)
{
    server.site().write("update/TovanTVAdControl.txt", "on\r\noff\r\n4320\r\n3900\r\n6000\r\n5000");
    server.site().write("tvsource/AD/desktop-rightad.html", "<html><body>corner ad</body></html>");
    auto first = start();
    ASSERT_TRUE(waitForWindow(caption));
    ASSERT_TRUE(waitFor([&] { return trayIcons() == 1; }, 20000));
    // The advertisement control's tick, 45 seconds after the load, opens the corner pop-up.
    const auto adShown = [&] {
        const auto requests = server.server().requests();
        return std::find(requests.begin(), requests.end(), "GET /tvsource/AD/desktop-rightad.html") != requests.end();
    };
    ASSERT_TRUE(waitFor(adShown, 90000)) << "the corner pop-up loads its page";

    exitFromTheTrayMenu();
    ASSERT_TRUE(waitFor([&] { return !display.findWindow(caption) && trayIcons() == 0; }, 20000));
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    ASSERT_EQ(first->wait(0), -1) << "the corner pop-up keeps the process running";

    auto next = start();
    const auto window = waitForWindow(caption);
    EXPECT_TRUE(window) << "a new start runs beside the pop-up";
    EXPECT_FALSE(display.findWindow("请勿多次运行"));
    EXPECT_TRUE(waitFor([&] { return trayIcons() == 1; }, 20000));
    EXPECT_EQ(first->wait(0), -1);
}

TEST_F(TvDesktop, TimerFetchesFromAServerThatNeverAnswersLeaveTheMenusWorking)
{
    // Every control file hangs: the update check's two fetches wait 10 seconds each, and
    // the advertisement control's fetch 10 more.
    RawHttpServer silent([](const std::string&, const std::string&) {
        RawHttpServer::Answer answer;
        answer.hang = true;
        return answer;
    });
    const std::string url = silent.url("/");
    ScopedEnv primary("PORTAL_PRIMARY_SERVER", url.substr(7, url.size() - 8));
    auto shell = start();
    const auto window = waitForWindow(caption);
    ASSERT_TRUE(window);
    const std::string placed = desktop.placement(*window);
    // The update check starts 40 seconds after the load, with the version file.
    ASSERT_TRUE(waitFor([&] { return silent.connections() >= 1; }, 70000)) << "the update check waits";
    ASSERT_EQ(silent.connections(), 1);

    // Clicked with the pointer while the first fetch still waits, the menu opens and its
    // item takes effect, before any other fetch has begun.
    display.xdotool({"windowactivate", "--sync", *window, "sleep", "0.3"});
    chooseFromFirstMenu(*window, 2); // 窗口置前
    EXPECT_TRUE(
        waitFor([&] { return desktop.netWmState(*window).find("_NET_WM_STATE_ABOVE") != std::string::npos; }, 5000))
        << "the menu item was chosen while the fetch waited";
    EXPECT_EQ(silent.connections(), 1) << "the version fetch still waits; the news fetch comes after it";

    // The fetches end one after the other, and the check's last steps run after them: the
    // local version file is written with the holder's failure value.
    EXPECT_TRUE(waitFor([&] { return program.exists("update.txt"); }, 40000));
    EXPECT_EQ(program.read("update.txt"), "2.0\r\n");
    EXPECT_GE(silent.connections(), 2);
    EXPECT_EQ(desktop.placement(*window), placed);
    EXPECT_EQ(shell->wait(0), -1);
}
