#pragma once

#include "child_process.h"
#include "x_display.h"

#include <memory>
#include <string>
#include <vector>

// A user's desktop on a private display: a window manager (openbox, for focus, stacking and
// the close key) and a freedesktop tray host (trayer, for tray icons). Both end with the
// object.
class DesktopSession
{
public:
    explicit DesktopSession(const XDisplay& display);

    // Whether both programs are installed.
    static bool available();
    // Whether the window manager and the tray host run and answer.
    bool running() const { return !m_panel.empty(); }

    // How many tray icons of windows of class `windowClass` the tray host holds now.
    int trayIcons(const std::string& windowClass) const;

private:
    const XDisplay& m_display;
    std::unique_ptr<ChildProcess> m_windowManager;
    std::unique_ptr<ChildProcess> m_trayHost;
    std::string m_panel; // the tray host's window that embeds the icons
};
