#include "tests/e2e/accessibility_bus.h"

#include "tests/e2e/x_display.h"

#include <filesystem>
#include <sstream>

namespace {

const char* const busLauncher = "/usr/libexec/at-spi-bus-launcher";

} // namespace

bool AccessibilityBus::available()
{
    return !findInPath("dbus-daemon").empty() && std::filesystem::exists("/usr/bin/python3")
        && std::filesystem::exists(busLauncher);
}

AccessibilityBus::AccessibilityBus()
{
    if (!available())
        return;
    // The session bus prints its address on its first line; the accessibility bus comes up on it.
    m_session = std::make_unique<ChildProcess>(
        findInPath("dbus-daemon"), std::vector<std::string> {"--session", "--nofork", "--print-address"});
    m_address = m_session->readLine();
    if (!m_address.empty())
        m_launcher = std::make_unique<ChildProcess>(
            busLauncher, std::vector<std::string> {"--launch-immediately"}, environment());
}

std::vector<std::string> AccessibilityBus::environment() const
{
    return {"DBUS_SESSION_BUS_ADDRESS=" + m_address, "QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1", "NO_AT_BRIDGE=0"};
}

bool AccessibilityBus::Node::has(const std::string& state) const
{
    return ("," + states + ",").find("," + state + ",") != std::string::npos;
}

std::vector<AccessibilityBus::Node> AccessibilityBus::tree(
    int pid, const std::vector<std::string>& displayEnvironment) const
{
    std::vector<std::string> env = environment();
    env.insert(env.end(), displayEnvironment.begin(), displayEnvironment.end());
    ChildProcess reader(
        "/usr/bin/python3", {std::string(TEST_SOURCE_DIR) + "/tests/e2e/atspi_tree.py", std::to_string(pid)}, env);
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

const AccessibilityBus::Node* AccessibilityBus::find(
    const std::vector<Node>& nodes, const std::string& role, const std::string& name)
{
    for (const auto& node : nodes)
        if (node.role == role && node.name == name)
            return &node;
    return nullptr;
}
