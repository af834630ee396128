// The portal shell as a blind or keyboard-only user meets it: the real Pallomar under a window
// manager (openbox), read through the desktop's accessibility bus, and driven by the keyboard
// alone: switch to the Qvod library, pin the window, maximise it from its caption button; and,
// where the window manager leaves alt+space to the window, move it through the frame's menu.

#include "portal/logic/accessible_names.h"
#include "tests/e2e/atspi_reader.h"
#include "tests/e2e/page_probe.h"
#include "tests/e2e/program_processes.h"
#include "tests/e2e/x_display.h"
#include "tests/e2e/x_window_probe.h"
#include "tests/support/child_process.h"
#include "tests/support/temp_folder.h"
#include "tests/support/wait_for.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

namespace {

const fs::path built = TEST_PROGRAM_FOLDER;
using Node = AtspiReader::Node;

class PortalKeyboard : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (const char* tool : {"Xvfb", "xdotool", "openbox", "xprop"})
            if (findInPath(tool).empty())
                GTEST_SKIP() << tool << " is missing; tools/setup.sh installs it";
        if (!AtspiReader::available())
            GTEST_SKIP() << "install the packages dbus, at-spi2-core and python3-pyatspi";
        ASSERT_TRUE(display.running()) << "Xvfb did not start";
        ASSERT_TRUE(display.startWindowManager(windowManagerArguments)) << "openbox did not start";
        bus = std::make_unique<AtspiReader>(display.name());
        ASSERT_TRUE(bus->running()) << "the session bus did not start";
        fs::copy_file(built / "Pallomar", program / "Pallomar");
        for (const auto& entry : fs::directory_iterator(built))
            if (entry.path().extension() == ".so")
                fs::copy_file(entry.path(), program / entry.path().filename().string());
        for (const char* data : {"html", "Images"})
            fs::copy(built / data, program / data, fs::copy_options::recursive);
    }

    // The shell against the local portal server, its window found; the film mirror answers
    // under another name of the same server, so that its page is told from the HD library's.
    void startShell()
    {
        const std::string host = sim.host();
        mirror = "localhost" + host.substr(host.find(':'));
        environment = bus->environment();
        for (const std::string& e : {"PORTAL_PRIMARY_SERVER=" + host, "PORTAL_BACKUP_SERVER=" + host,
                 "FILM_MIRROR_SERVER=" + mirror, "FILM_BACKUP_SERVER=" + mirror, "TV_SITE_SERVER=" + host,
                 "QTWEBENGINE_REMOTE_DEBUGGING=127.0.0.1:" + std::to_string(debugPort)})
            environment.push_back(e);
        shell
            = std::make_unique<ChildProcess>((program / "Pallomar").string(), std::vector<std::string> {}, environment);
        ASSERT_TRUE(waitFor([&] { return !(window = display.findWindow("Orvel影视盒").value_or("")).empty(); }, 30000));
    }

    std::vector<Node> tree() const { return bus->tree(shell->pid()); }
    std::vector<Node> waitForNode(const std::string& role, const std::string& name, const std::string& state = "")
    {
        return bus->waitForNode(shell->pid(), role, name, state);
    }
    // Presses Tab until the control named `name` has the focus, as a screen-reader user
    // listens to each one; false when a round of the window did not reach it.
    bool tabTo(const std::string& name)
    {
        for (int i = 0; i < 16; ++i) {
            if (!display.keys({"Tab"}))
                return false;
            std::string heard;
            const bool there = waitFor(
                [&] {
                    const auto nodes = tree();
                    const Node* focus = AtspiReader::focused(nodes);
                    heard = focus ? focus->role + " " + focus->name : "nothing";
                    return focus && focus->name == name;
                },
                600);
            m_heard += heard + "; ";
            if (there)
                return true;
        }
        return false;
    }

    std::string m_heard; // the focus after each Tab, for a failure's message
    std::vector<std::string> windowManagerArguments;
    std::string mirror;
    std::vector<std::string> environment;
    int debugPort = PageProbe::freePort();
    std::string window;
    XDisplay display;
    std::unique_ptr<AtspiReader> bus;
    PortalSimProcess sim;
    TempFolder program;
    std::unique_ptr<ChildProcess> shell;
    // Declared last, so that the shell and its helpers end first.
    FolderProcesses programs {program.path()};
};

} // namespace

TEST_F(PortalKeyboard, EveryControlIsReadOutAndTheQvodLibraryIsPinnedFromTheKeyboard)
{
    ASSERT_NO_FATAL_FAILURE(startShell());
    const unsigned long id = std::stoul(window);
    XWindowProbe probe(display.name());
    ASSERT_TRUE(probe.connected());

    // Every control a user acts on: a focusable button with its name, the pin unchecked.
    const auto nodes = waitForNode("push button", portal_accessible::captionNames.close);
    std::string all;
    for (const Node& n : nodes)
        all += n.role + "|" + n.name + "|" + n.states + "\n";
    SCOPED_TRACE(all);
    for (const auto& control : portal_accessible::titleControls) {
        const std::string role = "push button";
        const Node* node = AtspiReader::find(nodes, role, control.name);
        ASSERT_NE(node, nullptr) << control.control << " is a " << role << " named " << control.name;
        EXPECT_TRUE(node->has("focusable")) << control.control;
        if (control.kind == portal_accessible::Kind::Toggle) {
            EXPECT_FALSE(node->has("checked")) << "not pinned at the start";
        }
    }
    for (const char* caption : {portal_accessible::captionNames.minimize, portal_accessible::captionNames.maximize,
             portal_accessible::captionNames.close}) {
        const Node* node = AtspiReader::find(nodes, "push button", caption);
        ASSERT_NE(node, nullptr) << "the drawn caption button " << caption;
        EXPECT_TRUE(node->has("focusable") && node->has("enabled")) << caption;
    }

    // Keyboard alone: to the Qvod library, whose page then comes from the film mirror.
    ASSERT_TRUE(display.input({"windowfocus", "--sync", window}));
    ASSERT_TRUE(tabTo("快播影视")) << m_heard;
    ASSERT_TRUE(display.keys({"space"}));
    const PageProbe pages(debugPort);
    EXPECT_TRUE(waitFor([&] { return pages.find(mirror + "/box").has_value(); }, 20000))
        << "the library pane shows the Qvod library's page";

    // The pin, pressed with Enter: the window manager keeps the window above; the bus hears it.
    ASSERT_TRUE(tabTo("置顶")) << m_heard;
    ASSERT_TRUE(display.keys({"Return"}));
    EXPECT_TRUE(waitFor([&] { return probe.hasState(id, "_NET_WM_STATE_ABOVE"); }, 10000)) << "the window is pinned";
    const auto pinned = waitForNode("push button", "置顶", "checked");
    const Node* pin = AtspiReader::find(pinned, "push button", "置顶");
    EXPECT_TRUE(pin && pin->has("checked")) << "the pin reads as checked";

    // The drawn maximise button from the keyboard; it then reads as "restore".
    ASSERT_TRUE(tabTo(portal_accessible::captionNames.maximize)) << m_heard;
    ASSERT_TRUE(display.keys({"space"}));
    EXPECT_TRUE(waitFor([&] { return probe.maximized(id); }, 10000)) << "the window is maximised";
    const auto maximized = waitForNode("push button", portal_accessible::captionNames.restore);
    EXPECT_NE(AtspiReader::find(maximized, "push button", portal_accessible::captionNames.restore), nullptr);

    // The window manager's Alt keys work over the shell: alt+Tab goes on to the next window.
    const ChildProcess other("/usr/bin/xlogo", {}, environment);
    std::string logo;
    ASSERT_TRUE(waitFor([&] { return !(logo = display.findWindow("xlogo").value_or("")).empty(); }, 10000));
    ASSERT_TRUE(display.input({"windowactivate", "--sync", window}));
    ASSERT_TRUE(display.keys({"alt+Tab"}));
    EXPECT_TRUE(waitFor(
        [&] {
            const auto active = display.xdotool({"getactivewindow"});
            return active && !active->empty() && active->front() == logo;
        },
        5000))
        << "alt+Tab moved the focus to the other window";
}

// Openbox as a user may set it up, with alt+space left to the window.
class PortalKeyboardAltSpace : public PortalKeyboard
{
protected:
    void SetUp() override
    {
        std::ifstream in("/etc/xdg/openbox/rc.xml");
        std::string rc((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const std::size_t at = rc.find("<keybind key=\"A-space\">");
        if (at == std::string::npos)
            GTEST_SKIP() << "openbox's own configuration is not there";
        rc.erase(at, rc.find("</keybind>", at) + std::string("</keybind>").size() - at);
        rcFile.write("rc.xml", rc);
        windowManagerArguments = {"--config-file", (rcFile / "rc.xml").string()};
        PortalKeyboard::SetUp();
    }

    TempFolder rcFile;
};

TEST_F(PortalKeyboardAltSpace, TheFramesMenuOpensWithAltSpaceAndMovesTheWindowWithTheArrowKeys)
{
    ASSERT_NO_FATAL_FAILURE(startShell());
    const unsigned long id = std::stoul(window);
    XWindowProbe probe(display.name());
    ASSERT_TRUE(probe.connected());
    waitForNode("push button", portal_accessible::captionNames.close);
    ASSERT_TRUE(display.input({"windowactivate", "--sync", window}));
    const auto before = probe.geometry(id);
    ASSERT_TRUE(before);

    ASSERT_TRUE(display.keys({"alt+space"}));
    ASSERT_TRUE(waitFor([&] { return probe.viewableWindows("Pallomar") == 2; }, 5000)) << "the frame's menu shows";
    // Its Move item by its access key, then three steps right, two down, and Enter.
    ASSERT_TRUE(display.keys({"m"}));
    ASSERT_TRUE(waitFor([&] { return probe.viewableWindows("Pallomar") == 1; }, 5000)) << "the menu closes";
    ASSERT_TRUE(display.keys({"Right", "Right", "Right", "Down", "Down", "Return"}));
    EXPECT_TRUE(waitFor(
        [&] {
            const auto now = probe.geometry(id);
            return now && now->x == before->x + 24 && now->y == before->y + 16 && now->width == before->width
                && now->height == before->height;
        },
        5000))
        << "the window moved by the arrow keys' steps";
    // Enter ended the move: a further arrow key is the page's again.
    const auto moved = probe.geometry(id);
    ASSERT_TRUE(display.keys({"Left"}));
    EXPECT_FALSE(waitFor([&] { return probe.geometry(id) != moved; }, 1000)) << "the move ended with Enter";
}
