#include "desktop_session.h"

#include <chrono>
#include <functional>
#include <thread>

namespace {

bool eventually(const std::function<bool()>& done, int timeoutMs = 10000)
{
    for (int waited = 0; waited < timeoutMs; waited += 50) {
        if (done())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return done();
}

} // namespace

bool DesktopSession::available()
{
    return !findInPath("openbox").empty() && !findInPath("trayer").empty() && !findInPath("xprop").empty()
        && !findInPath("xwininfo").empty();
}

DesktopSession::DesktopSession(const XDisplay& display)
    : m_display(display)
{
    if (!available() || !display.running())
        return;
    const std::string on = "DISPLAY=" + display.name();
    // The window manager first: the tray host docks into the desktop it manages.
    m_windowManager = std::make_unique<ChildProcess>("/usr/bin/env", std::vector<std::string> {on, "openbox"});
    const bool managed = eventually([&] {
        const auto lines = display.run("xprop", {"-root", "_NET_SUPPORTING_WM_CHECK"});
        return lines && !lines->empty() && lines->front().find("window id") != std::string::npos;
    });
    if (!managed)
        return;
    m_trayHost = std::make_unique<ChildProcess>("/usr/bin/env",
        std::vector<std::string> {on, "trayer", "--edge", "bottom", "--align", "right", "--widthtype", "pixel",
            "--width", "160", "--heighttype", "pixel", "--height", "24"});
    eventually([&] {
        const auto tree = display.run("xwininfo", {"-root", "-tree"});
        if (!tree)
            return false;
        for (const std::string& line : *tree) {
            if (line.find("\"panel\": (\"panel\" \"trayer\")") == std::string::npos)
                continue;
            const auto start = line.find("0x");
            m_panel = line.substr(start, line.find(' ', start) - start);
            return true;
        }
        return false;
    });
}

int DesktopSession::trayIcons(const std::string& windowClass) const
{
    const auto tree = m_display.run("xwininfo", {"-tree", "-id", m_panel});
    if (!tree)
        return -1;
    const std::string mark = "(\"" + windowClass + "\" \"" + windowClass + "\")";
    int icons = 0;
    for (const std::string& line : *tree)
        icons += line.find(mark) != std::string::npos ? 1 : 0;
    return icons;
}
