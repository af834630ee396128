#pragma once

#include "tests/support/child_process.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

// The full path of a program found in $PATH, or "" when it is not installed.
std::string findInPath(const std::string& program);

// A private X server (Xvfb on the first free display) for programs that a test drives with
// real input through xdotool. The server ends with the object.
class XDisplay
{
public:
    XDisplay();

    bool running() const { return !m_name.empty(); }
    // ":N", the value for DISPLAY.
    const std::string& name() const { return m_name; }

    // The first visible window whose caption matches exactly, or nothing.
    std::optional<std::string> findWindow(const std::string& caption) const;
    struct Geometry
    {
        int x, y, width, height;
    };
    // Position (without a window manager: on the screen) and size of a window, or nothing
    // when it is gone.
    std::optional<Geometry> geometry(const std::string& window) const;
    // Width and height of a window, or nothing when it is gone.
    std::optional<std::pair<int, int>> size(const std::string& window) const;
    // A real left click: the pointer moves to (x, y) of the window, rests, presses and releases.
    bool click(const std::string& window, int x, int y) const;
    // The visible windows of a process, by the process number they carry.
    std::vector<std::string> windowsOf(int pid) const;
    // Real key strokes ("Up", "Return", ...) to whichever window has the keyboard.
    bool keys(const std::vector<std::string>& names) const;

    // Real input: runs xdotool with these arguments on this display.
    bool input(const std::vector<std::string>& xdotoolArgs) const { return xdotool(xdotoolArgs).has_value(); }

    // Starts a window manager (openbox) on the display and waits until it manages windows;
    // it ends with the display. False when openbox is not installed or did not come up.
    bool startWindowManager(const std::vector<std::string>& arguments = {});

    // Runs an X client program (found in $PATH) on this display; its output lines, or
    // nothing when it failed.
    std::optional<std::vector<std::string>> run(const std::string& program, const std::vector<std::string>& args) const;
    // Runs xdotool on this display.
    std::optional<std::vector<std::string>> xdotool(const std::vector<std::string>& args) const
    {
        return run("xdotool", args);
    }

private:
    std::unique_ptr<ChildProcess> m_server;
    std::string m_name;
    // Declared last: it goes before the server it runs on.
    std::unique_ptr<ChildProcess> m_windowManager;
};
