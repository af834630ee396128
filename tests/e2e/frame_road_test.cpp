// The portal shell's drawn frame on a real desktop: the real Pallomar from a copied program
// folder on a private X display with a window manager (openbox), against the local portal
// server, driven by real pointer input.

#include "tests/e2e/program_processes.h"
#include "tests/e2e/x_display.h"
#include "tests/e2e/x_window_probe.h"
#include "tests/support/child_process.h"
#include "tests/support/temp_folder.h"
#include "tests/support/wait_for.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <thread>

namespace fs = std::filesystem;

namespace {

const fs::path built = TEST_PROGRAM_FOLDER;

void rest(int ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

std::string str(int value)
{
    return std::to_string(value);
}

class FrameRoad : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (const char* tool : {"Xvfb", "xdotool", "openbox", "xprop"})
            if (findInPath(tool).empty())
                GTEST_SKIP() << tool << " is missing; tools/setup.sh installs it";
        ASSERT_TRUE(display.running()) << "Xvfb did not start";
        ASSERT_TRUE(display.startWindowManager()) << "openbox did not start";
        fs::copy_file(built / "Pallomar", program / "Pallomar");
        for (const auto& entry : fs::directory_iterator(built))
            if (entry.path().extension() == ".so")
                fs::copy_file(entry.path(), program / entry.path().filename().string());
        for (const char* data : {"html", "Images"})
            fs::copy(built / data, program / data, fs::copy_options::recursive);
    }

    // A drag with the left button from (x, y) of the window, in two steps of (dx, dy) / 2,
    // at the pace of a hand.
    void drag(int x, int y, int dx, int dy)
    {
        display.input({"mousemove", "--window", window, str(x), str(y), "sleep", "0.1", "mousedown", "1", "sleep",
            "0.15", "mousemove_relative", "--", str(dx / 2), str(dy / 2), "sleep", "0.1", "mousemove_relative", "--",
            str(dx - dx / 2), str(dy - dy / 2), "sleep", "0.15", "mouseup", "1"});
    }
    void doubleClick(int x, int y)
    {
        display.input({"mousemove", "--window", window, str(x), str(y), "sleep", "0.1", "mousedown", "1", "sleep",
            "0.08", "mouseup", "1", "sleep", "0.08", "mousedown", "1", "sleep", "0.05", "mouseup", "1"});
    }
    std::vector<unsigned long> cursorAt(int x, int y)
    {
        // Arrived, and one pixel down: a move inside the window after the pointer entered it.
        display.input({"mousemove", "--window", window, str(x), str(y - 1), "sleep", "0.05", "mousemove_relative", "0",
            "1", "sleep", "0.2"});
        return probe->cursorImage();
    }
    XWindowProbe::Geometry geometry() { return probe->geometry(id()).value_or(XWindowProbe::Geometry {}); }
    // Starts the shell from the copied folder against the local portal server and waits
    // until its frame is attached (the window cut to the skin's shape).
    std::unique_ptr<ChildProcess> startShell()
    {
        const std::string host = sim.host();
        auto shell = std::make_unique<ChildProcess>("/usr/bin/env",
            std::vector<std::string> {"DISPLAY=" + display.name(), "QT_QPA_PLATFORM=xcb",
                "PORTAL_PRIMARY_SERVER=" + host, "PORTAL_BACKUP_SERVER=" + host, "FILM_MIRROR_SERVER=" + host,
                "FILM_BACKUP_SERVER=" + host, "TV_SITE_SERVER=" + host, (program / "Pallomar").string()});
        const bool shown = waitFor(
            [&] {
                window = display.findWindow("Orvel影视盒").value_or("");
                return !window.empty();
            },
            30000);
        probe = std::make_unique<XWindowProbe>(display.name());
        if (!shown || !probe->connected()
            || !waitFor([&] { return !probe->shapeContains(id(), 0, 0) && probe->shapeContains(id(), 10, 10); }, 15000))
            return nullptr;
        return shell;
    }
    // A press and release with no delay between them, as touchpads send them.
    void tap(int x, int y, int times = 1)
    {
        std::vector<std::string> args {"mousemove", "--window", window, str(x), str(y), "sleep", "0.1", "click"};
        if (times > 1)
            args.insert(args.end(), {"--repeat", str(times), "--delay", "80"});
        args.push_back("1");
        display.input(args);
    }
    unsigned long id() const { return std::stoul(window); }
    // Every named window on the display, for a failure's message.
    std::string windowNames() const
    {
        std::string names;
        for (const std::string& w : display.xdotool({"search", "--name", "."}).value_or(std::vector<std::string> {}))
            for (const std::string& line : display.xdotool({"getwindowname", w}).value_or(std::vector<std::string> {}))
                names += "[" + line + "] ";
        return names;
    }

    TempFolder program;
    PortalSimProcess sim;
    XDisplay display;
    std::unique_ptr<XWindowProbe> probe;
    std::string window;
    // Declared last, so that the shell and its helpers end first, even when the test fails.
    FolderProcesses programs {program.path()};
};

} // namespace

TEST_F(FrameRoad, TheDrawnFrameMovesSizesMaximizesOpensTheSystemMenuAndClosesTheShell)
{
    // The unload deletes the update files it finds, after it has released the frame.
    program.write("updatePallo.txt", "2.1\r\n");
    const std::string host = sim.host();
    ChildProcess shell("/usr/bin/env",
        {"DISPLAY=" + display.name(), "QT_QPA_PLATFORM=xcb", "PORTAL_PRIMARY_SERVER=" + host,
            "PORTAL_BACKUP_SERVER=" + host, "FILM_MIRROR_SERVER=" + host, "FILM_BACKUP_SERVER=" + host,
            "TV_SITE_SERVER=" + host, (program / "Pallomar").string()});
    ASSERT_TRUE(waitFor(
        [&] {
            const auto found = display.findWindow("Orvel影视盒");
            window = found.value_or("");
            return found.has_value();
        },
        30000))
        << "the shell's window shows; the shell is " << (program_processes::alive(shell.pid()) ? "alive" : "gone")
        << ", the display has: " << windowNames();
    probe = std::make_unique<XWindowProbe>(display.name());
    ASSERT_TRUE(probe->connected());

    // The frame is attached: the window is cut to the skin's shape, corners rounded.
    ASSERT_TRUE(
        waitFor([&] { return !probe->shapeContains(id(), 0, 0) && probe->shapeContains(id(), 10, 10); }, 15000));
    XWindowProbe::Geometry g = geometry();
    for (const auto& [x, y] : {std::pair {0, 0}, {g.width - 1, 0}, {0, g.height - 1}, {g.width - 1, g.height - 1}})
        EXPECT_FALSE(probe->shapeContains(id(), x, y)) << x << "," << y;
    EXPECT_TRUE(probe->shapeContains(id(), 3, 0));
    EXPECT_TRUE(probe->shapeContains(id(), g.width - 4, g.height - 1));
    // The desktop matches the window to its entry "Pallomar.desktop" by the window class, and
    // shows the icons bundled into the program (the set reaches 256 pixels; no file was copied).
    const auto names = probe->windowClass(id());
    ASSERT_TRUE(names);
    EXPECT_EQ(names->second, "Pallomar");
    EXPECT_EQ(names->first, "Pallomar");
    const auto widths = probe->iconWidths(id());
    for (const unsigned long size : {16UL, 32UL, 48UL, 256UL})
        EXPECT_NE(std::find(widths.begin(), widths.end(), size), widths.end()) << size << " px icon";
    rest(1000);

    // A drag on the caption moves the window.
    g = geometry();
    drag(600, 12, 60, 40);
    EXPECT_TRUE(waitFor(
        [&] {
            return geometry() == XWindowProbe::Geometry {g.x + 60, g.y + 40, g.width, g.height};
        },
        5000))
        << "from " << g << " to " << geometry();

    // A drag from the left edge at (3, 100) sizes it; the pointer shows the sizing cursor there.
    const auto sizingCursor = cursorAt(3, 100);
    const auto arrow = cursorAt(600, 12);
    EXPECT_NE(sizingCursor, arrow);
    g = geometry();
    drag(3, 100, -40, 0);
    EXPECT_TRUE(waitFor(
        [&] {
            return geometry() == XWindowProbe::Geometry {g.x - 40, g.y, g.width + 40, g.height};
        },
        5000))
        << "from " << g << " to " << geometry();

    // A double-click in the caption maximizes. On the maximized window the same press at
    // (3, 100) is a press on the caption: it moves (the window manager keeps a maximized
    // window where it is) and never sizes.
    const XWindowProbe::Geometry normal = geometry();
    doubleClick(600, 12);
    ASSERT_TRUE(waitFor([&] { return probe->maximized(id()) && geometry().width == 1024; }, 5000))
        << "maximized: " << geometry();
    const XWindowProbe::Geometry maximized = geometry();
    // Maximized, the border and the cut corners lie off the screen: every corner is shown,
    // and the outer column and row look like their neighbours.
    EXPECT_TRUE(waitFor([&] { return probe->shapeContains(id(), 0, 0); }, 5000));
    for (const auto& [x, y] :
        {std::pair {maximized.width - 1, 0}, {0, maximized.height - 1}, {maximized.width - 1, maximized.height - 1}})
        EXPECT_TRUE(probe->shapeContains(id(), x, y)) << x << "," << y;
    const int middle = maximized.height / 2;
    EXPECT_EQ(probe->pixel(id(), 0, middle), probe->pixel(id(), 1, middle)) << "a left border";
    EXPECT_EQ(probe->pixel(id(), maximized.width - 1, middle), probe->pixel(id(), maximized.width - 2, middle))
        << "a right border";
    EXPECT_EQ(probe->pixel(id(), maximized.width / 2, maximized.height - 1),
        probe->pixel(id(), maximized.width / 2, maximized.height - 2))
        << "a bottom border";
    EXPECT_EQ(cursorAt(3, 100), arrow);
    drag(3, 100, 60, 0);
    rest(500);
    EXPECT_EQ(geometry(), maximized);
    doubleClick(600, 12);
    EXPECT_TRUE(waitFor([&] { return !probe->maximized(id()) && geometry() == normal; }, 5000))
        << "restored: " << geometry();

    // A right click on the caption opens the system menu; on the client area nothing.
    rest(300);
    ASSERT_EQ(probe->viewableWindows("Pallomar"), 1);
    display.input({"mousemove", "--window", window, "600", "40", "sleep", "0.1", "click", "3"});
    rest(700);
    EXPECT_EQ(probe->viewableWindows("Pallomar"), 1);
    display.input({"mousemove", "--window", window, "600", "12", "sleep", "0.1", "click", "3"});
    EXPECT_TRUE(waitFor([&] { return probe->viewableWindows("Pallomar") == 2; }, 5000)) << "the system menu shows";
    display.input({"key", "Escape"});
    EXPECT_TRUE(waitFor([&] { return probe->viewableWindows("Pallomar") == 1; }, 5000));

    // Pressed on minimize, moved to close, released: the window closes, the unload runs and
    // the program ends.
    g = geometry();
    display.input({"mousemove", "--window", window, str(g.width - 80), "10", "sleep", "0.1", "mousedown", "1", "sleep",
        "0.15", "mousemove", "--window", window, str(g.width - 20), "10", "sleep", "0.15", "mouseup", "1"});
    EXPECT_EQ(shell.wait(15000), 0) << "the shell ends when its window closes";
    EXPECT_FALSE(program.exists("updatePallo.txt"));
    EXPECT_TRUE(programs.endAll());
}

TEST_F(FrameRoad, TapsStayClicksAndTheFramesRulesHoldOverTheShellsChildren)
{
    const auto shell = startShell();
    ASSERT_TRUE(shell) << "the shell shows with its frame";
    rest(1000);

    // A tap on the caption, then the pointer moves on with no button held: the window stays.
    const XWindowProbe::Geometry first = geometry();
    tap(600, 12);
    display.input({"sleep", "0.3", "mousemove_relative", "--", "80", "60", "sleep", "0.2", "mousemove_relative", "--",
        "40", "30", "sleep", "0.5"});
    EXPECT_EQ(geometry(), first) << "the window followed the pointer after a tap";

    // The window manager's resize to 1 x 1 stops at the minimum, which keeps the title area.
    display.input({"windowsize", window, "1", "1", "sleep", "0.7"});
    const XWindowProbe::Geometry small = geometry();
    EXPECT_GE(small.width, 395) << small;
    EXPECT_GE(small.height, 113) << small;
    display.input({"windowsize", window, str(first.width), str(first.height)});
    ASSERT_TRUE(waitFor([&] { return geometry().width == first.width && geometry().height == first.height; }, 5000));

    // Over the title panel at the top edge the sizing cursor shows; over the content
    // panel's outer pixel a drag sizes the window from its left edge.
    const auto arrow = cursorAt(600, 12);
    EXPECT_NE(cursorAt(80, 2), arrow);
    EXPECT_NE(cursorAt(5, 300), arrow);
    XWindowProbe::Geometry g = geometry();
    drag(5, 300, -40, 0);
    EXPECT_TRUE(waitFor(
        [&] {
            return geometry() == XWindowProbe::Geometry {g.x - 40, g.y, g.width + 40, g.height};
        },
        5000))
        << "from " << g << " to " << geometry();

    // The close button turns red under the pointer and back when the pointer jumps into the
    // page.
    g = geometry();
    const unsigned long closeHot = 0xd03a32;
    display.input({"mousemove", "--window", window, str(g.width - 35), "10", "sleep", "0.3"});
    EXPECT_TRUE(waitFor([&] { return probe->pixel(id(), g.width - 35, 10) == closeHot; }, 5000));
    display.input({"mousemove", "--window", window, str(g.width - 35), "200", "sleep", "0.3"});
    EXPECT_TRUE(waitFor([&] { return probe->pixel(id(), g.width - 35, 10) != closeHot; }, 5000))
        << "the close button stayed hot";

    // A fast double tap maximizes.
    const XWindowProbe::Geometry normal = geometry();
    tap(600, 12, 2);
    ASSERT_TRUE(waitFor([&] { return probe->maximized(id()) && geometry().width == 1024; }, 5000)) << geometry();
    const XWindowProbe::Geometry maximized = geometry();

    // The pin keeps the maximized window as it is, and its native window.
    const auto pin = [&] { tap(geometry().width - 135, 14); };
    pin();
    EXPECT_TRUE(waitFor([&] { return probe->hasState(id(), "_NET_WM_STATE_ABOVE"); }, 5000));
    rest(500);
    EXPECT_TRUE(probe->maximized(id()));
    EXPECT_EQ(geometry(), maximized);
    EXPECT_EQ(display.findWindow("Orvel影视盒").value_or(""), window) << "a new native window";

    // A double tap restores the window to its normal place and size; on the normal window
    // a double tap on row 27, the title strip's last rows, maximizes again.
    tap(600, 12, 2);
    EXPECT_TRUE(waitFor([&] { return !probe->maximized(id()) && geometry() == normal; }, 5000))
        << "restored: " << geometry();
    rest(300);
    tap(600, 27, 2);
    EXPECT_TRUE(waitFor([&] { return probe->maximized(id()); }, 5000)) << "row 27 acts as title bar";
    tap(600, 12, 2);
    EXPECT_TRUE(waitFor([&] { return !probe->maximized(id()) && geometry() == normal; }, 5000));
    pin();
    EXPECT_TRUE(waitFor([&] { return !probe->hasState(id(), "_NET_WM_STATE_ABOVE"); }, 5000));
    rest(500);
    EXPECT_EQ(geometry(), normal);
    EXPECT_EQ(display.findWindow("Orvel影视盒").value_or(""), window);

    tap(geometry().width - 20, 10);
    EXPECT_EQ(shell->wait(15000), 0) << "the shell ends when its window closes";
    EXPECT_TRUE(programs.endAll());
}
