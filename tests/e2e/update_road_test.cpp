// The whole road of an update: the portal shell accepts the update notice, the real updater
// starts from the program folder on a private X display, is driven by real clicks, replaces
// the files from the local portal server, and its exit button restarts the shell.

#include "tests/portal/portal_test_fixture.h"

#include "common/windows/FindUpdate.h"
#include "tests/e2e/program_processes.h"
#include "tests/e2e/x_display.h"

#include <QTimer>

#include "tests/support/update_list_xml.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>

namespace fs = std::filesystem;

namespace {

const fs::path built = TEST_PROGRAM_FOLDER;
const std::string updaterCaption = "Tovanis网络电视-自动更新程序";

std::string bytesOf(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The updater's window has a fixed size; its bottom row holds the update and exit buttons
// (90 x 25 pixels, 8 apart, the exit button 8 from the right edge) 8 pixels above the
// 22-pixel status bar. These are the buttons' centres.
QPoint updateButton(std::pair<int, int> size)
{
    return {size.first - 151, size.second - 43};
}

QPoint exitButton(std::pair<int, int> size)
{
    return {size.first - 53, size.second - 43};
}

class UpdateRoad : public ::testing::Test, public PortalFixture
{
protected:
    void SetUp() override
    {
        if (findInPath("Xvfb").empty() || findInPath("xdotool").empty())
            GTEST_SKIP() << "Xvfb and xdotool drive the updater's window; install the packages xvfb and xdotool";
        ASSERT_TRUE(display.running()) << "Xvfb did not start";
        // The program folder as installed: both programs, the skin engine, the skins; the
        // fixture has copied the pages and images.
        for (const char* name : {"Renovo", "Pallomar"})
            fs::copy_file(built / name, program / name);
        for (const auto& entry : fs::directory_iterator(built))
            if (entry.path().extension() == ".so")
                fs::copy_file(entry.path(), program / entry.path().filename().string());
        fs::copy(built / "skin", program / "skin", fs::copy_options::recursive);
    }

    // Whether the update server received a request whose line contains `part`.
    bool updateServerGot(const std::string& part)
    {
        const auto all = updates.server().requests();
        return std::any_of(
            all.begin(), all.end(), [&](const std::string& r) { return r.find(part) != std::string::npos; });
    }

    long primaryRequests(const std::string& request)
    {
        const auto all = primary.server().requests();
        return std::count(all.begin(), all.end(), request);
    }

    // The server of the updater's base address, apart from the portal servers.
    SimServer updates;
    XDisplay display;
    // Declared last, so that the programs started from the folder end first, even when the
    // test fails.
    FolderProcesses programs {program.path()};
};

} // namespace

TEST_F(UpdateRoad, AcceptedNoticeUpdatesTheFilesAndTheExitButtonRestartsTheShell)
{
    // Installed: version 2.0 of the shell, its files at version 1.
    program.write("Setting.ini", "[UpdatePalloVersion]\r\nThisPalloVersion=2.0\r\n");
    const std::string base = updates.url("/update/files/");
    program.write(
        "UpdList.xml", listXml(base, {{"Pallomar", "1"}, {"html\\loading.html", "1"}, {"skin\\白色简约.she", "1"}}));
    const std::string oldSkin = program.read("skin/白色简约.she");

    // Released: version 2.1, with a new shell executable (the built one with bytes appended,
    // which it does not read), a changed page and a new page in a new folder.
    primary.site().write("update/updatePallo.txt", "2.1\r\n");
    primary.site().write("update/updatePalloNews.txt", gbk("修正了播放器的若干问题"));
    const std::string serverList = listXml(base,
        {{"Pallomar", "2"}, {"html\\loading.html", "2"}, {"skin\\白色简约.she", "1"}, {"html\\news\\today.html", "2"}});
    const std::string newShell = bytesOf(built / "Pallomar") + "\nupdate road, version 2\n";
    const std::string newLoading = "<html><body>loading, version 2</body></html>";
    const std::string newPage = "<html><body>news of version 2</body></html>";
    updates.site().write("update/files/UpdList.xml", serverList);
    updates.site().write("update/files/Pallomar", newShell);
    updates.site().write("update/files/html/loading.html", newLoading);
    updates.site().write("update/files/html/news/today.html", newPage);

    // The shell, in this process: its timers run the check and show the notice.
    auto window = start(true);
    ASSERT_TRUE(waitForTopPage(*window, primary.url("/box")));
    window->gengxinTime->setInterval(1);
    ASSERT_TRUE(waitUntil([&] { return !window->gengxinTime->isActive(); }));
    window->FindUpdateTimer->setInterval(1);
    FindUpdate* notice = nullptr;
    ASSERT_TRUE(waitUntil([&] {
        notice = window->findChild<FindUpdate*>();
        return notice && notice->isVisible();
    })) << "the notice opens for 2.1 over the installed 2.0";

    // Yes: the shell starts the updater, records 2.1 and closes. The programs it starts show
    // on the private display.
    ScopedEnv displayName("DISPLAY", display.name());
    ScopedEnv xcb("QT_QPA_PLATFORM", "xcb");
    notice->btnOK_Click();
    EXPECT_FALSE(window->isVisible());
    EXPECT_NE(program.read("Setting.ini").find("ThisPalloVersion=2.1"), std::string::npos);
    EXPECT_FALSE(program.exists("updatePallo.txt"));
    EXPECT_FALSE(program.exists("updatePallonews.txt"));

    std::vector<int> updater;
    ASSERT_TRUE(waitUntil([&] { return !(updater = program_processes::running(program / "Renovo")).empty(); }, 15000))
        << "the updater runs from the program folder";
    EXPECT_EQ(program_processes::arguments(updater.front()).size(), 1u) << "started with no arguments";
    std::optional<std::string> updaterWindow;
    ASSERT_TRUE(waitUntil([&] { return (updaterWindow = display.findWindow(updaterCaption)).has_value(); }, 20000))
        << "the updater's window shows";
    const auto size = display.size(*updaterWindow);
    ASSERT_TRUE(size.has_value());

    // The update button: every listed file that changed comes from the update server.
    ASSERT_TRUE(waitUntil([&] { return program.exists("NewUpdList.xml"); }, 20000))
        << "the updater fetched the server's list";
    // Once the sizes of the three changed files are known the list is on screen; one click,
    // the user's first in that window, starts the downloads.
    ASSERT_TRUE(waitUntil(
        [&] {
            return updateServerGot("HEAD /update/files/Pallomar")
                && updateServerGot("HEAD /update/files/html/loading.html")
                && updateServerGot("HEAD /update/files/html/news/today.html");
        },
        20000))
        << "the updater asked the size of every changed file: "
        << ::testing::PrintToString(updates.server().requests());
    waitUntil([] { return false; }, 700);
    display.click(*updaterWindow, updateButton(*size).x(), updateButton(*size).y());
    ASSERT_TRUE(waitUntil([&] { return updateServerGot("GET /update/files/Pallomar"); }, 10000))
        << "the first click on the update button starts the downloads";
    ASSERT_TRUE(waitUntil(
        [&] { return !program.exists("NewUpdList.xml") && program.read("UpdList.xml") == serverList; }, 30000))
        << "the server's list became the local one";
    EXPECT_EQ(program.read("html/loading.html"), newLoading);
    EXPECT_EQ(program.read("html/news/today.html"), newPage);
    EXPECT_TRUE(program.read("Pallomar") == newShell) << "the shell's executable was replaced";
    EXPECT_NE(fs::status(program / "Pallomar").permissions() & fs::perms::owner_exec, fs::perms::none)
        << "the replaced executable can still be run";
    EXPECT_EQ(program.read("skin/白色简约.she"), oldSkin);
    EXPECT_FALSE(updateServerGot("/update/files/skin/")) << "an unchanged file is not fetched";
    for (const auto& entry : fs::recursive_directory_iterator(program.path()))
        EXPECT_NE(entry.path().extension(), ".tmp") << entry.path();
    EXPECT_TRUE(program_processes::running(program / "Pallomar").empty()) << "nothing restarted before the exit button";

    // The exit button: the updater ends and starts the updated shell.
    const long libraryLoads = primaryRequests("GET /box");
    display.click(*updaterWindow, exitButton(*size).x(), exitButton(*size).y());
    ASSERT_TRUE(waitUntil([&] { return !program_processes::alive(updater.front()); }, 10000))
        << "a click on the exit button ends the updater";
    EXPECT_FALSE(program.exists("NewUpdList.xml"));
    std::vector<int> shell;
    ASSERT_TRUE(waitUntil([&] { return !(shell = program_processes::running(program / "Pallomar")).empty(); }, 15000))
        << "the exit button started the updated shell from the program folder";
    EXPECT_EQ(program_processes::arguments(shell.front()).size(), 1u) << "started with no arguments";
    EXPECT_TRUE(waitUntil([&] { return primaryRequests("GET /box") > libraryLoads; }, 30000))
        << "the restarted shell loads its film library from the primary portal server";
    EXPECT_TRUE(program_processes::alive(shell.front()));
    EXPECT_TRUE(messages.empty());
    EXPECT_TRUE(programs.endAll());
}
