#pragma once

#include "tests/support/child_process.h"

#include <memory>
#include <string>
#include <vector>

// A private session bus with the desktop's accessibility bus on it, and the accessible tree
// of one program read through it (tests/e2e/atspi_tree.py over pyatspi).
class AtspiReader
{
public:
    struct Node
    {
        std::string role, name, states, value, description;
        bool has(const std::string& state) const;
    };

    // Whether dbus-daemon, the bus launcher and python3 are there.
    static bool available();
    explicit AtspiReader(const std::string& display);
    bool running() const { return !m_bus.empty(); }
    // What a program needs in its environment to be read: the display, the bus, Qt's bridge.
    std::vector<std::string> environment() const;

    std::vector<Node> tree(int pid) const;
    // Waits until program `pid` shows a node of `role` and `name` (in `state`, if given); the
    // last tree read either way.
    std::vector<Node> waitForNode(int pid,
        const std::string& role,
        const std::string& name,
        const std::string& state = "",
        int timeoutMs = 30000) const;
    static const Node* find(const std::vector<Node>& nodes, const std::string& role, const std::string& name);
    // The control that has the keyboard focus, or null (a page's documents all read as focused
    // in their own engine, focusable or not).
    static const Node* focused(const std::vector<Node>& nodes);

private:
    std::string m_display;
    std::unique_ptr<ChildProcess> m_session;
    std::string m_bus;
    std::unique_ptr<ChildProcess> m_a11y;
};
