#include "tests/e2e/desktop_session.h"
#include "tests/support/wait_for.h"

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <sstream>
#include <thread>

bool DesktopSession::available()
{
    for (const char* tool : {"openbox", "trayer", "xprop", "xwininfo", "xwd", "xmessage"})
        if (findInPath(tool).empty())
            return false;
    return true;
}

DesktopSession::DesktopSession(XDisplay& display)
    : m_display(display)
{
    // The window manager first: the tray host docks into the desktop it manages.
    if (!available() || !display.running() || !display.startWindowManager())
        return;
    startTrayHost();
}

bool DesktopSession::startTrayHost()
{
    const std::string on = "DISPLAY=" + m_display.name();
    m_panel.clear();
    m_trayHost = std::make_unique<ChildProcess>("/usr/bin/env",
        std::vector<std::string> {on, "trayer", "--edge", "bottom", "--align", "right", "--widthtype", "pixel",
            "--width", "160", "--heighttype", "pixel", "--height", "24"});
    return waitFor(
        [&] {
            const auto tree = m_display.run("xwininfo", {"-root", "-tree"});
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
        },
        10000);
}

void DesktopSession::stopTrayHost()
{
    m_trayHost.reset();
    m_panel.clear();
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

std::optional<std::string> DesktopSession::trayIcon(const std::string& windowClass) const
{
    const auto tree = m_display.run("xwininfo", {"-tree", "-id", m_panel});
    const std::string mark = "(\"" + windowClass + "\" \"" + windowClass + "\")";
    for (const std::string& line : tree.value_or(std::vector<std::string> {})) {
        if (line.find(mark) == std::string::npos)
            continue;
        const auto start = line.find("0x");
        return line.substr(start, line.find(' ', start) - start);
    }
    return std::nullopt;
}

std::optional<std::string> DesktopSession::openMenu(const std::string& windowClass) const
{
    // Menus are unmanaged windows directly under the root, named after the program.
    const auto children = m_display.run("xwininfo", {"-root", "-children"});
    const std::string mark = "\"" + windowClass + "\": (\"" + windowClass + "\" \"" + windowClass + "\")";
    for (const std::string& line : children.value_or(std::vector<std::string> {})) {
        if (line.find(mark) == std::string::npos)
            continue;
        const auto start = line.find("0x");
        const std::string window = line.substr(start, line.find(' ', start) - start);
        const auto info = m_display.run("xwininfo", {"-id", window});
        for (const std::string& field : info.value_or(std::vector<std::string> {}))
            if (field.find("Map State: IsViewable") != std::string::npos)
                return window;
    }
    return std::nullopt;
}

std::vector<unsigned long> DesktopSession::stacking() const
{
    std::vector<unsigned long> windows;
    const auto lines = m_display.run("xprop", {"-root", "_NET_CLIENT_LIST_STACKING"});
    if (!lines || lines->empty())
        return windows;
    const std::string& line = lines->front();
    const auto hash = line.find('#');
    std::stringstream ids(hash == std::string::npos ? std::string() : line.substr(hash + 1));
    for (std::string id; std::getline(ids, id, ',');)
        windows.push_back(windowNumber(id));
    return windows;
}

std::string DesktopSession::netWmState(const std::string& window) const
{
    const auto lines = m_display.run("xprop", {"-id", window, "_NET_WM_STATE"});
    return lines && !lines->empty() ? lines->front() : std::string();
}

std::string DesktopSession::placement(const std::string& window) const
{
    std::string x, y, width, height;
    for (const std::string& line : m_display.run("xwininfo", {"-id", window}).value_or(std::vector<std::string> {})) {
        const auto value = [&](const char* label, std::string& into) {
            if (const auto at = line.find(label); at != std::string::npos)
                into = line.substr(at + std::string(label).size());
        };
        value("Absolute upper-left X:  ", x);
        value("Absolute upper-left Y:  ", y);
        value("Width: ", width);
        value("Height: ", height);
    }
    return x + "," + y + " " + width + "x" + height;
}

std::optional<std::string> DesktopSession::pixels(const std::string& window, int x, int y, int width, int height) const
{
    ChildProcess xwd("/usr/bin/env", {"DISPLAY=" + m_display.name(), findInPath("xwd"), "-silent", "-id", window});
    const std::string dump = xwd.readAll();
    if (xwd.wait() != 0 || dump.size() < 100)
        return std::nullopt;
    // The header: 25 big-endian 32-bit fields, then the window name, then the colour map.
    const auto field = [&](int index) {
        const auto* at = reinterpret_cast<const unsigned char*>(dump.data()) + 4 * index;
        return std::uint32_t(at[0]) << 24 | std::uint32_t(at[1]) << 16 | std::uint32_t(at[2]) << 8 | at[3];
    };
    const std::uint32_t headerSize = field(0), imageWidth = field(4), imageHeight = field(5);
    const std::uint32_t bitsPerPixel = field(11), bytesPerLine = field(12), colours = field(19);
    if (x < 0 || y < 0 || width <= 0 || height <= 0 || std::uint32_t(x + width) > imageWidth
        || std::uint32_t(y + height) > imageHeight || bitsPerPixel % 8 != 0)
        return std::nullopt;
    const std::size_t start = headerSize + 12 * std::size_t(colours);
    const std::size_t bytesPerPixel = bitsPerPixel / 8;
    std::string region;
    for (int row = y; row < y + height; ++row) {
        const std::size_t from = start + std::size_t(row) * bytesPerLine + std::size_t(x) * bytesPerPixel;
        if (from + std::size_t(width) * bytesPerPixel > dump.size())
            return std::nullopt;
        region.append(dump, from, std::size_t(width) * bytesPerPixel);
    }
    return region;
}

unsigned long DesktopSession::windowNumber(const std::string& id)
{
    return std::strtoul(id.c_str(), nullptr, 0);
}
