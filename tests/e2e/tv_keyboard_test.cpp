// The TV shell as a blind or keyboard-only user meets it: its window read through the
// desktop's accessibility bus, a channel and the stacking mode chosen with keys alone and
// checked by what the engine and the window manager show, and the about box read out and
// closed with Escape.

#include "tests/e2e/atspi_reader.h"
#include "tests/e2e/page_probe.h"
#include "tests/e2e/program_processes.h"
#include "tests/e2e/x_display.h"
#include "tests/e2e/x_window_probe.h"
#include "tests/support/sim_server.h"
#include "tests/support/temp_folder.h"
#include "tests/support/wait_for.h"
#include "tv/logic/tv_accessible_names.h"
#include "tv/logic/tv_menu.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;
using Node = AtspiReader::Node;

namespace {

const fs::path built = TEST_PROGRAM_FOLDER;
const std::string caption = "Tovanis网络电视";

class TvKeyboard : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (findInPath("Xvfb").empty() || findInPath("xdotool").empty() || findInPath("openbox").empty()
            || !AtspiReader::available())
            GTEST_SKIP() << "install the packages xvfb, xdotool, openbox, dbus, at-spi2-core and python3-pyatspi";
        ASSERT_TRUE(display.running()) << "Xvfb did not start";
        ASSERT_TRUE(display.startWindowManager()) << "openbox did not start";
        ASSERT_TRUE(bus.running()) << "the session bus did not start";
        fs::copy_file(built / "TovanTV", program / "TovanTV");
        fs::copy_file(built / "libSkinH.so", program / "libSkinH.so");
        for (const char* data : {"bin", "skin", "Images"})
            fs::copy(built / data, program / data, fs::copy_options::recursive);
    }

    std::vector<std::string> environment() const
    {
        std::vector<std::string> env = bus.environment();
        env.insert(env.end(),
            {"XDG_RUNTIME_DIR=" + runtime.str(), "PORTAL_PRIMARY_SERVER=" + server.host(),
                "TV_SITE_SERVER=" + server.host(),
                "QTWEBENGINE_REMOTE_DEBUGGING=127.0.0.1:" + std::to_string(debugPort),
                "QTWEBENGINE_CHROMIUM_FLAGS=--disable-gpu --no-sandbox", "QTWEBENGINE_DISABLE_SANDBOX=1"});
        return env;
    }

    // The tree as the bus showed it, for a failure's message.
    static std::string dump(const std::vector<Node>& nodes)
    {
        std::string text;
        for (const Node& n : nodes)
            text += "\n" + n.role + " | " + n.name + " | " + n.states + " | " + n.description;
        return text;
    }

    std::vector<Node> tree() const { return bus.tree(shell->pid()); }

    std::vector<Node> waitForNode(const std::string& role, const std::string& name, const std::string& state)
    {
        return bus.waitForNode(shell->pid(), role, name, state);
    }

    // Real key strokes to the main window, once the window manager has given it the keyboard.
    void keys(const std::vector<std::string>& names)
    {
        display.xdotool({"windowactivate", "--sync", window});
        std::vector<std::string> input;
        for (const auto& name : names)
            input.insert(input.end(), {"key", name, "sleep", "0.25"});
        display.xdotool(input);
    }

    XDisplay display;
    AtspiReader bus {display.name()};
    TempFolder program;
    TempFolder runtime;
    SimServer server;
    int debugPort = PageProbe::freePort();
    PageProbe pages {debugPort};
    std::unique_ptr<ChildProcess> shell;
    std::string window;
    // Declared last, so that programs still running from the folder end first.
    FolderProcesses programs {program.path()};
};

} // namespace

TEST_F(TvKeyboard, EveryControlIsReadOutAndAChannelAndTheStackingModeAreChosenFromTheKeyboard)
{
    shell = std::make_unique<ChildProcess>((program / "TovanTV").string(), std::vector<std::string> {}, environment());
    std::optional<std::string> found;
    ASSERT_TRUE(waitFor([&] { return (found = display.findWindow(caption)).has_value(); }, 20000));
    window = *found;

    // The window, its menus and its stacking choice, with the normal mode checked.
    const auto nodes = waitForNode("radio button", "窗口正常", "checked");
    EXPECT_NE(AtspiReader::find(nodes, "frame", caption), nullptr);
    EXPECT_NE(AtspiReader::find(nodes, "menu bar", "菜单栏"), nullptr);
    for (const tv::MenuEntry& entry : tv::menuTree()) {
        if (entry.action == tv::MenuAction::Separator || std::string(entry.name) == "mnuTray")
            break; // the tray's menu is not on the menu bar
        // A submenu is the item that opens it, its pop-up below it.
        const Node* item = AtspiReader::find(nodes, "menu item", entry.caption);
        ASSERT_NE(item, nullptr) << entry.name << " is read out as " << entry.caption << dump(nodes);
        EXPECT_TRUE(item->has("enabled")) << entry.name;
    }
    for (const auto& [control, name, description] : tv::accessible_names::controls) {
        if (!std::string(description).empty()) {
            const Node* button = AtspiReader::find(nodes, "radio button", name);
            ASSERT_NE(button, nullptr) << control << " is a radio button named " << name;
            EXPECT_TRUE(button->has("focusable")) << control;
            EXPECT_EQ(button->description, description) << control;
            EXPECT_EQ(button->has("checked"), std::string(control) == "quxiao") << control;
        } else {
            EXPECT_TRUE(std::any_of(nodes.begin(), nodes.end(), [&](const Node& n) { return n.name == name; }))
                << control << " is read out as " << name;
        }
    }

    // F10 opens the first menu; Right goes to the channel list, on its first item; two down
    // is the cartoon channel, which the pane then shows.
    keys({"F10", "Right", "Down", "Down", "Return"});
    EXPECT_TRUE(waitFor([&] { return pages.find("/bin/tovanDM.ocx").has_value(); }, 20000))
        << "the channel chosen with the keyboard is the pane's page" << dump(tree());

    // Alt opens the first menu; its second item keeps the window above the others.
    XWindowProbe probe(display.name());
    ASSERT_TRUE(probe.connected());
    const unsigned long id = std::stoul(window);
    ASSERT_FALSE(probe.hasState(id, "_NET_WM_STATE_ABOVE"));
    keys({"alt", "Down", "Down", "Return"});
    EXPECT_TRUE(waitFor([&] { return probe.hasState(id, "_NET_WM_STATE_ABOVE"); }, 20000))
        << "the window manager keeps the window above";
    waitForNode("radio button", "窗口置前", "checked");

    // F6 brings the toolbar with the keyboard on its first button; Tab goes to the next, whose
    // Space sets the normal stacking again.
    keys({"F6", "Tab"});
    const auto focused = waitForNode("radio button", "窗口正常", "focused");
    const Node* normal = AtspiReader::find(focused, "radio button", "窗口正常");
    ASSERT_NE(normal, nullptr);
    EXPECT_TRUE(normal->has("focused") && normal->has("showing")) << dump(focused);
    if (const char* shot = std::getenv("TV_KEYBOARD_SCREENSHOT"))
        display.run("import", {"-window", "root", shot});
    keys({"space"});
    EXPECT_TRUE(waitFor([&] { return !probe.hasState(id, "_NET_WM_STATE_ABOVE"); }, 20000));

    // The about box is read out as an alert with its text, its button has the keyboard, and
    // Escape closes it.
    const auto before = display.windowsOf(shell->pid()).size();
    keys({"F10", "Left", "Up", "Return"});
    const auto box = waitForNode("alert", caption, "showing");
    const Node* alert = AtspiReader::find(box, "alert", caption);
    ASSERT_NE(alert, nullptr) << "the about box is an alert";
    EXPECT_NE(alert->description.find("感谢您对Tovanis的支持"), std::string::npos) << dump(box);
    EXPECT_TRUE(std::any_of(box.begin(), box.end(), [](const Node& n) {
        return n.role == "push button" && n.has("focused");
    })) << "its button has the keyboard";
    EXPECT_EQ(display.windowsOf(shell->pid()).size(), before + 1);
    display.xdotool({"key", "Escape"});
    EXPECT_TRUE(waitFor([&] { return display.windowsOf(shell->pid()).size() == before; }, 10000))
        << "Escape closes the box";
}
