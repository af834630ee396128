#pragma once

#include "tests/support/child_process.h"

#include <memory>
#include <string>
#include <vector>

// A private session bus with the desktop's accessibility bus (AT-SPI) on it, and the tree of
// a program's accessible objects read from it by tests/e2e/atspi_tree.py over pyatspi.
class AccessibilityBus
{
public:
    AccessibilityBus();

    // Whether dbus-daemon, the bus launcher and python3 are installed.
    static bool available();
    // Whether the session bus came up.
    bool running() const { return !m_address.empty(); }

    // What a program needs in its environment to show itself on the bus.
    std::vector<std::string> environment() const;

    struct Node
    {
        std::string role, name, states, value, description;
        bool has(const std::string& state) const;
    };
    // The program's objects as the bus shows them now; empty when it is not on the bus.
    std::vector<Node> tree(int pid, const std::vector<std::string>& displayEnvironment) const;
    // The first node of `role` and `name`, or nullptr.
    static const Node* find(const std::vector<Node>& nodes, const std::string& role, const std::string& name);

private:
    std::unique_ptr<ChildProcess> m_session;
    std::string m_address;
    std::unique_ptr<ChildProcess> m_launcher;
};
