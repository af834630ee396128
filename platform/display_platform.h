#pragma once

#include <string>

// Which windowing system a program's windows go to. The programs place their own windows
// (a pop-up sliding in at a screen corner, the frame's own moves), keep a window on top and
// stack it: on a Wayland desktop only an X server (XWayland) lets them, so there they run
// through XWayland when the desktop offers one and the user has not chosen a platform.
// Without XWayland they run natively, and what Wayland cannot do is left to the compositor.
namespace platform {

struct DisplayEnvironment
{
    std::string chosenPlatform; // QT_QPA_PLATFORM: the user's choice, kept as it is
    std::string waylandDisplay; // WAYLAND_DISPLAY
    std::string x11Display; // DISPLAY: XWayland's display on a Wayland desktop
    std::string sessionType; // XDG_SESSION_TYPE
};

enum class DisplayPlan {
    AsChosen, // the user named a platform, or the desktop is not Wayland: the toolkit decides
    ThroughXWayland, // a Wayland desktop with an X server: the windows go to it
    NativeWayland, // a Wayland desktop without one: own placement and keeping on top are lost
};

DisplayPlan planDisplay(const DisplayEnvironment& environment);

// The platform name a plan sets for the toolkit, empty when it leaves the choice alone.
const char* platformFor(DisplayPlan plan);

// Reads this process's environment and sets the toolkit's platform for the plan; call
// before the toolkit starts.
DisplayPlan chooseDisplayPlatform();

} // namespace platform
