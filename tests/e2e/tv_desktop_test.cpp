// The real TovanTV from a copied program folder on a private X display with a window manager
// and a tray host: one running copy, its tray icon, and a clean end.

#include "desktop_session.h"
#include "program_processes.h"
#include "sim_server.h"
#include "temp_folder.h"
#include "x_display.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <functional>
#include <thread>

namespace fs = std::filesystem;

namespace {

const fs::path built = TEST_PROGRAM_FOLDER;
const std::string caption = "Tovanis网络电视";

bool eventually(const std::function<bool()>& done, int timeoutMs = 20000)
{
    for (int waited = 0; waited < timeoutMs; waited += 50) {
        if (done())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return done();
}

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
        eventually([&] { return (window = display.findWindow(title)).has_value(); });
        return window;
    }

    int trayIcons() const { return desktop.trayIcons("TovanTV"); }

    XDisplay display;
    DesktopSession desktop {display};
    TempFolder program;
    TempFolder runtime;

private:
    ScopedEnv m_display {"DISPLAY", display.name()};
    ScopedEnv m_platform {"QT_QPA_PLATFORM", "xcb"};
    ScopedEnv m_runtime {"XDG_RUNTIME_DIR", runtime.str()};
    // No server answers: nothing the shell fetches later may reach a real one.
    ScopedEnv m_primary {"PORTAL_PRIMARY_SERVER", "127.0.0.1:" + std::to_string(closedPort())};

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
    ASSERT_TRUE(eventually([&] { return trayIcons() == 1; })) << "the tray host holds the shell's icon";

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
    display.xdotool({"windowactivate", "--sync", *window, "key", "alt+F4"});
    EXPECT_EQ(first->wait(15000), 0) << "the last window closed ends the program; window still shown: "
                                     << display.findWindow(caption).has_value();
    EXPECT_TRUE(eventually([&] { return trayIcons() == 0; }));
    EXPECT_TRUE(program.exists("Setting.ini")) << "the shutdown stored the skin";
}

TEST_F(TvDesktop, ACopyEndedByKillDoesNotBlockTheNextStart)
{
    auto first = start();
    ASSERT_TRUE(waitForWindow(caption));
    ASSERT_TRUE(eventually([&] { return trayIcons() == 1; }));
    ::kill(first->pid(), SIGKILL);
    first->wait();
    ASSERT_TRUE(eventually([&] { return !display.findWindow(caption) && trayIcons() == 0; }));

    auto next = start();
    const auto window = waitForWindow(caption);
    ASSERT_TRUE(window) << "a new start runs";
    EXPECT_TRUE(eventually([&] { return trayIcons() == 1; }));
    EXPECT_FALSE(display.findWindow("请勿多次运行"));
    display.xdotool({"windowactivate", "--sync", *window, "key", "alt+F4"});
    EXPECT_EQ(next->wait(15000), 0) << "window still shown: " << display.findWindow(caption).has_value();
}
