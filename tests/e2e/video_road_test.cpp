// Video in both shells on a real desktop: the real programs from a copied program folder on
// a private X display with a window manager, against the local portal server, whose test
// videos they play. The pages are read and given input through the engine's remote
// debugging port, the window through the window manager and the screen.

#include "tests/e2e/desktop_session.h"
#include "tests/e2e/page_probe.h"
#include "tests/e2e/program_processes.h"
#include "tests/e2e/x_display.h"
#include "tests/e2e/x_window_probe.h"
#include "tests/support/child_process.h"
#include "tests/support/temp_folder.h"
#include "tests/support/wait_for.h"

#include <httplib.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <thread>

namespace fs = std::filesystem;

namespace {

const fs::path built = TEST_PROGRAM_FOLDER;

void rest(int ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// The process and every process below it that is still alive (the engine's helpers).
std::set<int> processTree(int root)
{
    std::set<int> tree {root};
    for (bool grew = true; grew;) {
        grew = false;
        for (const auto& entry : fs::directory_iterator("/proc")) {
            std::ifstream stat(entry.path() / "stat");
            std::string line;
            if (!std::getline(stat, line) || line.rfind(')') == std::string::npos)
                continue;
            char state = 0;
            int parent = 0;
            std::istringstream(line.substr(line.rfind(')') + 1)) >> state >> parent;
            const int pid = std::atoi(entry.path().filename().c_str());
            if (state != 'Z' && tree.count(parent) && tree.insert(pid).second)
                grew = true;
        }
    }
    return tree;
}

class VideoRoad : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (const char* tool : {"Xvfb", "xdotool", "xwd"})
            if (findInPath(tool).empty())
                GTEST_SKIP() << tool << " is missing; tools/setup.sh installs it";
        if (!DesktopSession::available())
            GTEST_SKIP() << "openbox or trayer is missing; tools/setup.sh installs them";
        ASSERT_TRUE(display.running()) << "Xvfb did not start";
        ASSERT_TRUE(display.startWindowManager()) << "openbox did not start";
        for (const char* name : {"Pallomar", "TovanTV"})
            fs::copy_file(built / name, program / name);
        for (const auto& entry : fs::directory_iterator(built))
            if (entry.path().extension() == ".so")
                fs::copy_file(entry.path(), program / entry.path().filename().string());
        for (const char* data : {"html", "Images", "bin", "skin"})
            fs::copy(built / data, program / data, fs::copy_options::recursive);
    }

    // Starts a shell against the local portal server and waits for its window.
    void start(const std::string& name, const std::string& caption)
    {
        const std::string host = sim.host();
        shell = std::make_unique<ChildProcess>("/usr/bin/env",
            std::vector<std::string> {"DISPLAY=" + display.name(), "QT_QPA_PLATFORM=xcb",
                "QTWEBENGINE_REMOTE_DEBUGGING=127.0.0.1:" + std::to_string(debugPort), "PORTAL_PRIMARY_SERVER=" + host,
                "PORTAL_BACKUP_SERVER=" + host, "FILM_MIRROR_SERVER=" + host, "FILM_BACKUP_SERVER=" + host,
                "TV_SITE_SERVER=" + host, (program / name).string()});
        ASSERT_TRUE(waitFor(
            [&] {
                window = display.findWindow(caption).value_or("");
                return !window.empty();
            },
            30000))
            << name << "'s window shows";
        probe = std::make_unique<XWindowProbe>(display.name());
    }

    // The page whose address contains `part`, once the engine shows it.
    PageProbe::Page page(const std::string& part)
    {
        std::optional<PageProbe::Page> found;
        waitFor([&] { return (found = pages.find(part)).has_value(); }, 30000);
        return found.value_or(PageProbe::Page {});
    }
    double number(const PageProbe::Page& at, const std::string& expression)
    {
        const auto value = pages.evaluate(at, expression);
        try {
            return value ? std::stod(*value) : -1;
        } catch (...) {
            return -1;
        }
    }
    // The video shows new frames (a dozen within a second and a half; a looping channel's
    // time may start over meanwhile), and it says it plays.
    bool plays(const PageProbe::Page& at, const std::string& video)
    {
        const std::string frames = video + ".getVideoPlaybackQuality().totalVideoFrames";
        const double before = number(at, frames);
        rest(1500);
        return number(at, frames) > before + 12 && pages.evaluate(at, video + ".paused") == "false";
    }
    // Trusted input at a point of the page.
    void click(const PageProbe::Page& at, int x, int y, int count = 1)
    {
        for (int n = 1; n <= count; ++n)
            for (const char* type : {"mousePressed", "mouseReleased"})
                pages.command(at, "Input.dispatchMouseEvent",
                    std::string(R"({"type":")") + type + R"(","button":"left","x":)" + std::to_string(x) + R"(,"y":)"
                        + std::to_string(y) + R"(,"clickCount":)" + std::to_string(n) + "}");
    }
    // The centre of an element of the page, or of its full-screen button: the second from the
    // right of the player's controls.
    std::pair<int, int> spot(const PageProbe::Page& at, const std::string& element, bool fullScreenButton = false)
    {
        const std::string rect = element + ".getBoundingClientRect()";
        const int x = static_cast<int>(
            number(at, fullScreenButton ? rect + ".right - 77" : rect + ".left + " + rect + ".width / 2"));
        const int y = static_cast<int>(
            number(at, fullScreenButton ? rect + ".bottom - 48" : rect + ".top + " + rect + ".height / 2"));
        return {x, y};
    }
    // Full screen by the player's button, out by Escape, in by a double click on the
    // picture, out by Escape: the page goes full screen each time, and each time the shell's
    // window comes back where and as it was, still playing.
    void fullScreenRoad(const PageProbe::Page& at, const std::string& video)
    {
        const unsigned long id = std::stoul(window);
        const auto placed = desktop.placement(window);
        const auto state = desktop.netWmState(window);
        const auto geometry = probe->geometry(id);
        const auto isFull = [&] { return pages.evaluate(at, "document.fullscreenElement !== null") == "true"; };
        for (const bool byButton : {true, false}) {
            SCOPED_TRACE(byButton ? "the player's button" : "a double click");
            if (byButton) {
                // The controls show while the pointer is over the picture.
                const auto [x, y] = spot(at, video, true);
                pages.command(at, "Input.dispatchMouseEvent",
                    R"({"type":"mouseMoved","x":)" + std::to_string(x) + R"(,"y":)" + std::to_string(y) + "}");
                rest(300);
                click(at, x, y);
            } else {
                const auto [x, y] = spot(at, video);
                click(at, x, y, 2);
            }
            ASSERT_TRUE(waitFor(isFull, 10000)) << "the page is full screen";
            EXPECT_TRUE(waitFor([&] { return number(at, "innerWidth") == 1024; }, 10000))
                << "the picture fills the screen";
            rest(500);
            display.keys({"Escape"});
            ASSERT_TRUE(waitFor([&] { return !isFull(); }, 10000)) << "Escape leaves full screen";
            EXPECT_TRUE(waitFor([&] { return probe->geometry(id) == geometry; }, 5000));
            EXPECT_EQ(desktop.placement(window), placed);
            EXPECT_EQ(desktop.netWmState(window), state);
            EXPECT_TRUE(plays(at, video));
        }
    }

    // The film's requests the local portal server has received so far.
    long requestsFor(const std::string& path)
    {
        httplib::Client client(sim.host());
        const auto answer = client.Get("/__sim/requests");
        if (!answer)
            return -1;
        long count = 0;
        for (size_t at = answer->body.find(path); at != std::string::npos; at = answer->body.find(path, at + 1))
            ++count;
        return count;
    }

    // The window manager's close key on a window, once it has the keyboard.
    void closeWithTheWindowManager(const std::string& target)
    {
        display.xdotool({"windowactivate", "--sync", target});
        waitFor(
            [&] {
                const auto active = display.xdotool({"getactivewindow"});
                return active && !active->empty()
                    && DesktopSession::windowNumber(active->front()) == DesktopSession::windowNumber(target);
            },
            10000);
        rest(300);
        display.xdotool({"key", "alt+F4"});
    }

    // The shell's window closes, and with it the program and all its engine's processes; not
    // one more piece of `media` is fetched after that.
    void closingTheWindowEndsAllPlayback(const std::string& media)
    {
        const std::set<int> processes = processTree(shell->pid());
        EXPECT_GT(processes.size(), 2u) << "the engine runs helper processes";
        closeWithTheWindowManager(window);
        EXPECT_TRUE(waitFor(
            [&] {
                return std::none_of(
                    processes.begin(), processes.end(), [](int pid) { return program_processes::alive(pid); });
            },
            20000))
            << "every process of the program ends";
        const long fetched = requestsFor(media);
        rest(2000);
        EXPECT_EQ(requestsFor(media), fetched);
    }

    TempFolder program;
    PortalSimProcess sim;
    XDisplay display;
    DesktopSession desktop {display};
    int debugPort = PageProbe::freePort();
    PageProbe pages {debugPort};
    std::unique_ptr<XWindowProbe> probe;
    std::unique_ptr<ChildProcess> shell;
    std::string window;
    // Declared last, so that the shell and its helpers end first, even when the test fails.
    FolderProcesses programs {program.path()};
};

constexpr char kFilm[] = "document.getElementById('player')";

} // namespace

TEST_F(VideoRoad, AFilmLinkPlaysGoesFullScreenAndBackAndALiveTvSwitchStopsIt)
{
    start("Pallomar", "Orvel影视盒");
    const PageProbe::Page library = page("/box");
    ASSERT_FALSE(library.id.empty()) << "the film library shows";
    ASSERT_TRUE(waitFor([&] { return pages.evaluate(library, "document.readyState") == "\"complete\""; }, 30000));
    // The user clicks once the window has settled: the player pane has its waiting page.
    ASSERT_FALSE(page("Playloading.html").id.empty());
    rest(1000);

    // A click on the film: it opens in the player pane and plays at once, from the film
    // mirror server, its picture moving on screen.
    const auto [x, y] = spot(library, "document.getElementById('film-tovan')");
    click(library, x, y);
    const PageProbe::Page film = page("/play/tovan/film1.html");
    ASSERT_FALSE(film.id.empty()) << "the film link opens in the player pane";
    EXPECT_TRUE(waitFor([&] { return number(film, std::string(kFilm) + ".currentTime") > 1; }, 15000));
    EXPECT_TRUE(plays(film, kFilm));
    EXPECT_GT(number(film, std::string(kFilm) + ".webkitAudioDecodedByteCount"), 0) << "its sound is decoded";
    EXPECT_GE(requestsFor("GET /media/films/film1.webm Range: bytes=0-"), 1);
    // The play cover is up for ten seconds; then the player is what the pane shows.
    rest(10500);
    const auto size = display.size(window);
    ASSERT_TRUE(size);
    const auto first = desktop.pixels(window, 20, 120, size->first - 40, size->second - 180);
    rest(1000);
    const auto second = desktop.pixels(window, 20, 120, size->first - 40, size->second - 180);
    ASSERT_TRUE(first && second);
    EXPECT_NE(*first, *second) << "the picture moves";

    // Pinned on top, the window goes full screen with the film and comes back as it was.
    // The pin button lies 2150 twips from the right edge, 95 from the top, 255 x 240.
    display.input({"mousemove", "--window", window, std::to_string((size->first * 15 - 2150 + 127) / 15), "14", "sleep",
        "0.2", "click", "1"});
    ASSERT_TRUE(
        waitFor([&] { return desktop.netWmState(window).find("_NET_WM_STATE_ABOVE") != std::string::npos; }, 5000))
        << "the pin keeps the window on top";
    // Back to the start of the film, so that it plays on through both rounds.
    pages.evaluate(film, std::string(kFilm) + ".currentTime = 0");
    fullScreenRoad(film, kFilm);

    // The live-TV switch empties the player: the film's page is gone, with its sound, and
    // nothing more of the film is fetched.
    // The live-TV button "直播" (Picture2) lies 5950 twips from the left at this width.
    const int liveX = (5950 + 405 / 2) / 15;
    display.input({"mousemove", "--window", window, std::to_string(liveX), "17", "sleep", "0.2", "click", "1"});
    EXPECT_TRUE(waitFor([&] { return !pages.find("/play/tovan/film1.html"); }, 10000)) << "the film page is replaced";
    EXPECT_TRUE(page("/webtv").id.size());
    const long fetched = requestsFor("/media/films/film1.webm");
    rest(3000);
    EXPECT_EQ(requestsFor("/media/films/film1.webm"), fetched);
    for (const auto& shown : pages.pages())
        EXPECT_EQ(pages.evaluate(
                      shown, "Array.from(document.querySelectorAll('video, audio')).filter(m => !m.paused).length"),
            "0")
            << shown.url << " plays nothing";
}

TEST_F(VideoRoad, TheTvShellPlaysItsFirstChannelThenTheOtherAndGoesFullScreenAndBack)
{
    start("TovanTV", "Tovanis网络电视");
    const PageProbe::Page first = page("tovanT.ocx");
    ASSERT_FALSE(first.id.empty()) << "the first channel shows";
    const std::string video = "document.querySelector('#player video')";
    ASSERT_TRUE(waitFor([&] { return number(first, video + ".currentTime") > 0; }, 20000)) << "the channel plays";
    EXPECT_TRUE(plays(first, video));
    EXPECT_NE(pages.evaluate(first, video + ".src"), std::nullopt);
    EXPECT_NE(pages.evaluate(first, video + ".src")->find("/tvsource/live/channel1.webm"), std::string::npos);

    // Kept on top ("窗口置前"), it goes full screen and comes back as it was.
    display.keys({"alt"});
    rest(300);
    display.keys({"Down", "Down", "Return"});
    ASSERT_TRUE(
        waitFor([&] { return desktop.netWmState(window).find("_NET_WM_STATE_ABOVE") != std::string::npos; }, 5000))
        << "the window is on top";
    fullScreenRoad(first, video);

    // "高清MTV一" in the channel menu: the other stream plays.
    display.keys({"alt"});
    rest(300);
    display.keys({"Right", "Down", "Down", "Right", "Return"});
    const PageProbe::Page other = page("tovanMTV1.ocx");
    ASSERT_FALSE(other.id.empty()) << "the channel switch shows the other page";
    ASSERT_TRUE(waitFor([&] { return number(other, video + ".currentTime") > 0; }, 20000));
    EXPECT_TRUE(plays(other, video));
    EXPECT_NE(pages.evaluate(other, video + ".src")->find("/tvsource/live/channel2.webm"), std::string::npos);
}

TEST_F(VideoRoad, ClosingTheFullScreenWindowStopsTheFilmAndClosingEachShellsWindowEndsAllPlayback)
{
    start("Pallomar", "Orvel影视盒");
    const PageProbe::Page library = page("/box");
    ASSERT_TRUE(waitFor([&] { return pages.evaluate(library, "document.readyState") == "\"complete\""; }, 30000));
    ASSERT_FALSE(page("Playloading.html").id.empty());
    rest(1000);
    const auto [x, y] = spot(library, "document.getElementById('film-tovan')");
    click(library, x, y);
    const PageProbe::Page film = page("/play/tovan/film1.html");
    ASSERT_TRUE(waitFor([&] { return number(film, std::string(kFilm) + ".currentTime") > 1; }, 15000));

    // Full screen by a double click on the picture, then the window manager closes that
    // window: the film stops there and then, and the page is back in its pane.
    const auto [fx, fy] = spot(film, kFilm);
    click(film, fx, fy, 2);
    ASSERT_TRUE(waitFor([&] { return pages.evaluate(film, "document.fullscreenElement !== null") == "true"; }, 10000));
    std::string fullScreen;
    ASSERT_TRUE(waitFor(
        [&] {
            const auto active = display.xdotool({"getactivewindow"});
            fullScreen = active && !active->empty() ? active->front() : "";
            return !fullScreen.empty()
                && DesktopSession::windowNumber(fullScreen) != DesktopSession::windowNumber(window);
        },
        10000))
        << "the full-screen window has the keyboard";
    closeWithTheWindowManager(fullScreen);
    EXPECT_TRUE(waitFor([&] { return pages.evaluate(film, std::string(kFilm) + ".paused") == "true"; }, 10000));
    EXPECT_TRUE(waitFor([&] { return pages.evaluate(film, "document.fullscreenElement === null") == "true"; }, 10000));
    const double stoppedAt = number(film, std::string(kFilm) + ".currentTime");
    rest(1000);
    EXPECT_EQ(number(film, std::string(kFilm) + ".currentTime"), stoppedAt);

    // Playing again, the film ends with the window.
    pages.evaluate(film, std::string(kFilm) + ".play()");
    ASSERT_TRUE(plays(film, kFilm));
    closingTheWindowEndsAllPlayback("/media/films/film1.webm");

    start("TovanTV", "Tovanis网络电视");
    const PageProbe::Page channel = page("tovanT.ocx");
    const std::string video = "document.querySelector('#player video')";
    ASSERT_TRUE(waitFor([&] { return number(channel, video + ".currentTime") > 0; }, 20000)) << "the channel plays";
    closingTheWindowEndsAllPlayback("/tvsource/live/channel1.webm");
}
