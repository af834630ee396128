#include "tests/e2e/atspi_reader.h"

#include "tests/e2e/x_display.h"
#include "tests/support/wait_for.h"

#include <filesystem>
#include <sstream>

namespace {

const char* const busLauncher = "/usr/libexec/at-spi-bus-launcher";

} // namespace

bool AtspiReader::Node::has(const std::string& state) const
{
    return ("," + states + ",").find("," + state + ",") != std::string::npos;
}

bool AtspiReader::available()
{
    return !findInPath("dbus-daemon").empty() && std::filesystem::exists("/usr/bin/python3")
        && std::filesystem::exists(busLauncher);
}

AtspiReader::AtspiReader(const std::string& display)
    : m_display(display)
{
    // The session bus prints its address on its first line; the accessibility bus comes up on it.
    m_session = std::make_unique<ChildProcess>(
        findInPath("dbus-daemon"), std::vector<std::string> {"--session", "--nofork", "--print-address"});
    m_bus = m_session->readLine();
    if (!m_bus.empty())
        m_a11y = std::make_unique<ChildProcess>(
            busLauncher, std::vector<std::string> {"--launch-immediately"}, environment());
}

std::vector<std::string> AtspiReader::environment() const
{
    return {"DISPLAY=" + m_display, "DBUS_SESSION_BUS_ADDRESS=" + m_bus, "QT_QPA_PLATFORM=xcb",
        "QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1", "NO_AT_BRIDGE=0"};
}

std::vector<AtspiReader::Node> AtspiReader::tree(int pid) const
{
    ChildProcess reader("/usr/bin/python3",
        {std::string(TEST_SOURCE_DIR) + "/tests/e2e/atspi_tree.py", std::to_string(pid)}, environment());
    std::istringstream lines(reader.readAll(15000));
    reader.wait(15000);
    std::vector<Node> nodes;
    for (std::string line; std::getline(lines, line);) {
        Node node;
        std::istringstream fields(line);
        std::getline(fields, node.role, '\t');
        std::getline(fields, node.name, '\t');
        std::getline(fields, node.states, '\t');
        std::getline(fields, node.value, '\t');
        std::getline(fields, node.description, '\t');
        nodes.push_back(node);
    }
    return nodes;
}

std::vector<AtspiReader::Node> AtspiReader::waitForNode(
    int pid, const std::string& role, const std::string& name, const std::string& state, int timeoutMs) const
{
    std::vector<Node> nodes;
    waitFor(
        [&] {
            nodes = tree(pid);
            const Node* node = find(nodes, role, name);
            return node && (state.empty() || node->has(state));
        },
        timeoutMs);
    return nodes;
}

const AtspiReader::Node* AtspiReader::find(
    const std::vector<Node>& nodes, const std::string& role, const std::string& name)
{
    for (const auto& node : nodes)
        if (node.role == role && node.name == name)
            return &node;
    return nullptr;
}

const AtspiReader::Node* AtspiReader::focused(const std::vector<Node>& nodes)
{
    for (const auto& node : nodes)
        if (node.has("focused") && node.has("focusable"))
            return &node;
    return nullptr;
}
