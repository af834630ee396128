// The updater as a blind or keyboard-only user meets it: its window read through the desktop's
// accessibility bus (a private session bus with the AT-SPI bus on it, read by a python script
// over pyatspi), and the whole update walked with Tab, Space and Enter alone.

#include "tests/e2e/atspi_reader.h"
#include "tests/e2e/program_processes.h"
#include "tests/e2e/x_display.h"
#include "tests/support/child_process.h"
#include "tests/support/sim_server.h"
#include "tests/support/temp_folder.h"
#include "updater/logic/accessible_names.h"

#include "tests/support/update_list_xml.h"
#include "tests/support/wait_for.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

const fs::path built = TEST_PROGRAM_FOLDER;
using Node = AtspiReader::Node;

class UpdaterKeyboard : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (findInPath("Xvfb").empty() || findInPath("xdotool").empty() || !AtspiReader::available())
            GTEST_SKIP() << "install the packages xvfb, xdotool, dbus, at-spi2-core and python3-pyatspi";
        ASSERT_TRUE(display.running()) << "Xvfb did not start";
        ASSERT_TRUE(bus.running()) << "the session bus did not start";
        fs::copy_file(built / "Renovo", program / "Renovo");
        for (const auto& entry : fs::directory_iterator(built))
            if (entry.path().extension() == ".so")
                fs::copy_file(entry.path(), program / entry.path().filename().string());
        fs::copy(built / "skin", program / "skin", fs::copy_options::recursive);
    }

    std::vector<Node> waitForNode(const std::string& role, const std::string& name, const std::string& state)
    {
        return bus.waitForNode(updater->pid(), role, name, state);
    }
    static const Node* find(const std::vector<Node>& nodes, const std::string& role, const std::string& name)
    {
        return AtspiReader::find(nodes, role, name);
    }

    SimServer updates;
    XDisplay display;
    TempFolder program;
    AtspiReader bus {display.name()};
    std::unique_ptr<ChildProcess> updater;
    // Declared last, so that programs still running from the folder end first.
    FolderProcesses programs {program.path()};
};

} // namespace

TEST_F(UpdaterKeyboard, EveryControlIsReadOutAndTheUpdateRunsFromTheKeyboard)
{
    const std::string base = updates.url("/update/files/");
    program.write("UpdList.xml", listXml(base, {{"a.dat", "1"}, {"html\\b.html", "1"}}));
    program.write("a.dat", "old a");
    updates.site().write("update/files/UpdList.xml", listXml(base, {{"a.dat", "2"}, {"html\\b.html", "2"}}));
    updates.site().write("update/files/a.dat", "new a");
    updates.site().write("update/files/html/b.html", "<html>new b</html>");

    updater
        = std::make_unique<ChildProcess>((program / "Renovo").string(), std::vector<std::string> {}, bus.environment());
    std::optional<std::string> window;
    ASSERT_TRUE(
        waitFor([&] { return (window = display.findWindow("Tovanis网络电视-自动更新程序")).has_value(); }, 20000));

    // The list is compared once the exit button reads "cancel"; the update button is offered.
    const auto nodes = waitForNode("push button", "取消", "enabled");
    const Node* frame = find(nodes, "frame", "Tovanis网络电视-自动更新程序");
    ASSERT_NE(frame, nullptr) << "the window is a frame named by its caption";
    const Node* update = find(nodes, "push button", "更新");
    ASSERT_NE(update, nullptr) << "the update button is a named push button once the list is in";
    EXPECT_TRUE(update->has("focusable"));
    EXPECT_TRUE(update->has("sensitive"));
    const Node* finish = find(nodes, "push button", "取消");
    ASSERT_NE(finish, nullptr) << "the exit button is a push button named by its caption";
    EXPECT_TRUE(finish->has("enabled") && finish->has("focusable"));
    for (const auto& [control, name] : accessible_names::controls) {
        const bool named = std::any_of(nodes.begin(), nodes.end(), [&](const Node& n) { return n.name == name; });
        EXPECT_TRUE(named) << control << " is read out as " << name;
    }
    const Node* list = nullptr;
    for (const auto& node : nodes)
        if (node.name == "更新列表")
            list = &node;
    ASSERT_NE(list, nullptr);
    EXPECT_TRUE(list->has("focusable"));
    EXPECT_NE(find(nodes, "status bar", "状态栏"), nullptr);

    // Keyboard alone: the window takes the keyboard, Tab reaches the update button, Space
    // presses it.
    ASSERT_TRUE(display.input({"windowfocus", "--sync", *window}));
    ASSERT_TRUE(display.keys({"Tab", "space"}));
    EXPECT_TRUE(waitFor([&] { return program.read("a.dat") == "new a"; }, 20000)) << "the update ran";
    EXPECT_TRUE(waitFor([&] { return program.exists("html/b.html"); }, 20000));

    // While the files come the bar shows the progress; at the end the finish button is
    // offered; Tab reaches it, Enter presses it and the updater ends.
    const auto done = waitForNode("push button", "完成", "enabled");
    const Node* bar = find(done, "progress bar", "更新进度");
    ASSERT_NE(bar, nullptr) << "the bar is a named progress indicator";
    EXPECT_EQ(bar->value, "100/0/100");
    ASSERT_TRUE(display.keys({"Tab", "Return"}));
    EXPECT_NE(updater->wait(15000), -1) << "the finish button pressed from the keyboard ends the updater";
    EXPECT_EQ(program.read("html/b.html"), "<html>new b</html>");
    EXPECT_FALSE(program.exists("NewUpdList.xml"));
}
