// The portal shell as a user runs it: the real program from a copied program folder on a
// private X display, its own timers bringing the corner advertisement and the update
// notice, and the user quitting through the main menu with real input. The main window
// takes its notice along; the corner pop-up keeps the program alive until it is closed.

#include "tests/e2e/program_processes.h"
#include "tests/e2e/x_display.h"
#include "tests/support/sim_server.h"
#include "tests/support/temp_folder.h"
#include "tests/support/wait_for.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <thread>

namespace fs = std::filesystem;

namespace {

const fs::path built = TEST_PROGRAM_FOLDER;

} // namespace

TEST(PortalLifetime, QuittingClosesTheNoticeAndTheCornerPopupKeepsTheProgramUntilItCloses)
{
    if (findInPath("Xvfb").empty() || findInPath("xdotool").empty())
        GTEST_SKIP() << "Xvfb and xdotool drive the program; install the packages xvfb and xdotool";
    XDisplay display;
    ASSERT_TRUE(display.running()) << "Xvfb did not start";

    // The installation as built, copied whole; the updater is a stand-in that notes its start.
    TempFolder program;
    fs::copy(built, program.path(), fs::copy_options::recursive);
    fs::remove(program / "Renovo");
    program.write("Renovo", "#!/bin/sh\ntouch \"$(dirname \"$0\")/renovo-started.txt\"\n");
    fs::permissions(program / "Renovo", fs::perms::owner_all);
    const std::string installed = "[UpdatePalloVersion]\r\nThisPalloVersion=2.0\r\n";
    program.write("Setting.ini", installed);

    SimServer portal;
    portal.site().write("box.html", "<html><body>box</body></html>");
    portal.site().write("update/PallomarAdControl.txt", "on,off,4320,3900,6000,5000");
    portal.site().write("update/updatePallo.txt", "2.1\r\n");
    portal.site().write("update/updatePalloNews.txt", gbk("新版本"));
    portal.site().write("tvsource/AD/desktop-rightad.html", "<html><body>corner ad</body></html>");
    const std::string host = portal.host();
    FolderProcesses programs(program.path());
    ChildProcess shell((program / "Pallomar").string(), {},
        {"DISPLAY=" + display.name(), "QT_QPA_PLATFORM=xcb", "PORTAL_PRIMARY_SERVER=" + host,
            "FILM_MIRROR_SERVER=" + host, "PORTAL_BACKUP_SERVER=" + host, "FILM_BACKUP_SERVER=" + host,
            "TV_SITE_SERVER=" + host});
    ASSERT_TRUE(shell.started());

    // 36 s after the start the corner pop-up rises; 50 s after it the notice opens.
    ASSERT_TRUE(waitFor([&] { return display.findWindow("Orvel影视盒").has_value(); }, 30000));
    std::optional<std::string> notice;
    ASSERT_TRUE(waitFor([&] { return (notice = display.findWindow("有新版本啦！^_^")).has_value(); }, 70000))
        << "the update notice opens for 2.1 over the installed 2.0";
    // The corner pop-up: 4320 x 3900 twips, flush with the right edge of the 1024-pixel screen.
    std::string corner;
    for (const std::string& w : display.windowsOf(shell.pid())) {
        const auto g = display.geometry(w);
        if (g && g->width == 288 && g->height == 260 && g->x + g->width == 1024)
            corner = w;
    }
    ASSERT_FALSE(corner.empty()) << "the corner pop-up is on screen";

    // The user quits through the main menu: its button 1800 twips from the right edge (320
    // twips square, 40 from the top), then its last item.
    // Found anew: the drawn frame may have re-created the window since it first showed.
    const std::optional<std::string> mainWindow = display.findWindow("Orvel影视盒");
    ASSERT_TRUE(mainWindow.has_value());
    const auto size = display.size(*mainWindow);
    ASSERT_TRUE(size.has_value());
    ASSERT_TRUE(display.click(*mainWindow, (size->first * 15 - 1800 + 160) / 15, (40 + 160) / 15));
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    ASSERT_TRUE(display.keys({"Up", "Return"}));
    ASSERT_TRUE(waitFor([&] { return !display.findWindow("Orvel影视盒").has_value(); }, 10000))
        << "the exit item closed the main window";

    EXPECT_FALSE(display.findWindow("有新版本啦！^_^").has_value()) << "the notice closed with the main window";
    std::this_thread::sleep_for(std::chrono::seconds(1));
    EXPECT_TRUE(program_processes::alive(shell.pid())) << "the corner pop-up keeps the program running";
    const auto left = display.windowsOf(shell.pid());
    ASSERT_NE(std::find(left.begin(), left.end(), corner), left.end());

    // Its close image (12 pixels square at 272, 8) ends the program.
    ASSERT_TRUE(display.click(corner, 278, 14));
    EXPECT_EQ(shell.wait(15000), 0) << "the program ends with its last window";
    EXPECT_FALSE(program.exists("renovo-started.txt")) << "no updater starts after the user quit";
    EXPECT_EQ(program.read("Setting.ini"), installed);
}
