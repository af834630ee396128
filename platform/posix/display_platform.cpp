#include "platform/display_platform.h"

#include <cstdlib>

namespace platform {

namespace {

std::string variable(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

} // namespace

DisplayPlan planDisplay(const DisplayEnvironment& environment)
{
    if (!environment.chosenPlatform.empty())
        return DisplayPlan::AsChosen;
    // A desktop that names its session Wayland, or a Wayland socket with no X display
    // beside it: either way the toolkit would pick Wayland on its own.
    const bool wayland = environment.sessionType == "wayland" || !environment.waylandDisplay.empty();
    if (!wayland)
        return DisplayPlan::AsChosen;
    if (!environment.x11Display.empty())
        return DisplayPlan::ThroughXWayland;
    return environment.waylandDisplay.empty() ? DisplayPlan::AsChosen : DisplayPlan::NativeWayland;
}

const char* platformFor(DisplayPlan plan)
{
    switch (plan) {
    case DisplayPlan::ThroughXWayland:
        return "xcb";
    case DisplayPlan::NativeWayland:
        return "wayland";
    case DisplayPlan::AsChosen:
        break;
    }
    return "";
}

DisplayPlan chooseDisplayPlatform()
{
    const DisplayPlan plan = planDisplay(
        {variable("QT_QPA_PLATFORM"), variable("WAYLAND_DISPLAY"), variable("DISPLAY"), variable("XDG_SESSION_TYPE")});
    if (const std::string name = platformFor(plan); !name.empty())
        ::setenv("QT_QPA_PLATFORM", name.c_str(), 1);
    return plan;
}

} // namespace platform
