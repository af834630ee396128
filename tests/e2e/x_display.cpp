#include "tests/e2e/x_display.h"

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string_view>

std::string findInPath(const std::string& program)
{
    const char* path = std::getenv("PATH");
    std::stringstream folders(path ? path : "/usr/bin:/bin");
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        const std::filesystem::path candidate = std::filesystem::path(folder) / program;
        std::error_code ec;
        if (!folder.empty() && std::filesystem::is_regular_file(candidate, ec))
            return candidate.string();
    }
    return {};
}

XDisplay::XDisplay()
{
    const std::string xvfb = findInPath("Xvfb");
    if (xvfb.empty() || findInPath("xdotool").empty())
        return;
    // Xvfb picks a free display itself and writes its number to standard output once it
    // accepts connections. It never resets: a program started just after the last one ended
    // (or was killed) would find the server refusing connections while it resets.
    m_server = std::make_unique<ChildProcess>(xvfb,
        std::vector<std::string> {"-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp", "-noreset"});
    const std::string number = m_server->started() ? m_server->readLine(15000) : std::string();
    if (!number.empty() && number.find_first_not_of("0123456789") == std::string::npos)
        m_name = ":" + number;
}

std::optional<std::vector<std::string>> XDisplay::run(
    const std::string& program, const std::vector<std::string>& args) const
{
    std::vector<std::string> command {"DISPLAY=" + m_name, findInPath(program)};
    command.insert(command.end(), args.begin(), args.end());
    ChildProcess tool("/usr/bin/env", command);
    std::vector<std::string> lines;
    std::stringstream output(tool.readAll());
    for (std::string line; std::getline(output, line);)
        lines.push_back(line);
    if (tool.wait(10000) != 0)
        return std::nullopt;
    return lines;
}

std::optional<std::string> XDisplay::findWindow(const std::string& caption) const
{
    // xdotool matches a regular expression: the caption's own characters are escaped and the
    // anchors make it the whole caption.
    std::string pattern = "^";
    for (char c : caption) {
        if (std::string_view(".^$*+?()[]{}|\\").find(c) != std::string_view::npos)
            pattern.push_back('\\');
        pattern.push_back(c);
    }
    const auto windows = xdotool({"search", "--onlyvisible", "--name", pattern + "$"});
    if (!windows || windows->empty())
        return std::nullopt;
    return windows->front();
}

std::optional<XDisplay::Geometry> XDisplay::geometry(const std::string& window) const
{
    const auto lines = xdotool({"getwindowgeometry", "--shell", window});
    if (!lines)
        return std::nullopt;
    Geometry g {0, 0, -1, -1};
    for (const std::string& line : *lines) {
        const auto value = [&](const char* key) { return std::atoi(line.c_str() + std::string_view(key).size()); };
        if (line.rfind("X=", 0) == 0)
            g.x = value("X=");
        else if (line.rfind("Y=", 0) == 0)
            g.y = value("Y=");
        else if (line.rfind("WIDTH=", 0) == 0)
            g.width = value("WIDTH=");
        else if (line.rfind("HEIGHT=", 0) == 0)
            g.height = value("HEIGHT=");
    }
    if (g.width <= 0 || g.height <= 0)
        return std::nullopt;
    return g;
}

std::optional<std::pair<int, int>> XDisplay::size(const std::string& window) const
{
    const auto g = geometry(window);
    if (!g)
        return std::nullopt;
    return std::make_pair(g->width, g->height);
}

bool XDisplay::click(const std::string& window, int x, int y) const
{
    return xdotool(
        {"mousemove", "--window", window, std::to_string(x), std::to_string(y), "sleep", "0.1", "click", "1"})
        .has_value();
}

std::vector<std::string> XDisplay::windowsOf(int pid) const
{
    return xdotool({"search", "--onlyvisible", "--pid", std::to_string(pid)}).value_or(std::vector<std::string> {});
}

bool XDisplay::keys(const std::vector<std::string>& names) const
{
    std::vector<std::string> args {"key", "--delay", "100"};
    args.insert(args.end(), names.begin(), names.end());
    return xdotool(args).has_value();
}

bool XDisplay::startWindowManager(const std::vector<std::string>& arguments)
{
    const std::string openbox = findInPath("openbox");
    if (!running() || openbox.empty())
        return false;
    std::vector<std::string> command {"DISPLAY=" + m_name, openbox};
    command.insert(command.end(), arguments.begin(), arguments.end());
    m_windowManager = std::make_unique<ChildProcess>("/usr/bin/env", command);
    // A window manager announces itself with a check window on the root window.
    for (int attempt = 0; attempt < 100; ++attempt) {
        ChildProcess xprop("/usr/bin/env", {"DISPLAY=" + m_name, "xprop", "-root", "_NET_SUPPORTING_WM_CHECK"});
        const std::string line = xprop.readLine(2000);
        xprop.wait(2000);
        if (line.find("window id") != std::string::npos)
            return true;
        ChildProcess("/bin/sleep", {"0.05"}).wait(1000);
    }
    return false;
}
