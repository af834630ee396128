#pragma once

#include "tests/e2e/x_display.h"
#include "tests/support/child_process.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

// A user's desktop on a private display: the display's window manager (openbox, for focus,
// stacking and the close key) and a freedesktop tray host (trayer, for tray icons), started
// after it. The tray host ends with the object, the window manager with the display.
class DesktopSession
{
public:
    explicit DesktopSession(XDisplay& display);

    // Whether both programs are installed.
    static bool available();
    // Whether the window manager and the tray host run and answer.
    bool running() const { return !m_panel.empty(); }

    // Ends the tray host, as a panel that crashes or is closed; and starts a new one. True
    // when the new one's panel is there.
    void stopTrayHost();
    bool startTrayHost();

    // How many tray icons of windows of class `windowClass` the tray host holds now.
    int trayIcons(const std::string& windowClass) const;
    // The first of those icons' windows, or nothing.
    std::optional<std::string> trayIcon(const std::string& windowClass) const;
    // A pop-up menu of a program of class `windowClass` on screen now, or nothing.
    std::optional<std::string> openMenu(const std::string& windowClass) const;

    // The managed windows from the bottom of the stack to the top (_NET_CLIENT_LIST_STACKING).
    std::vector<unsigned long> stacking() const;
    // The window's _NET_WM_STATE as the window manager keeps it ("_NET_WM_STATE_ABOVE" ...).
    std::string netWmState(const std::string& window) const;
    // The window's position on the screen and its size, as "X,Y WxH".
    std::string placement(const std::string& window) const;
    // The bytes of a rectangle of the window's content as it is on screen now (xwd), or
    // nothing when it cannot be read.
    std::optional<std::string> pixels(const std::string& window, int x, int y, int width, int height) const;

    // A window id as xdotool and xprop print it ("123" or "0x7b").
    static unsigned long windowNumber(const std::string& id);

private:
    XDisplay& m_display;
    std::unique_ptr<ChildProcess> m_trayHost;
    std::string m_panel; // the tray host's window that embeds the icons
};
