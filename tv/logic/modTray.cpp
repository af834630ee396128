#include "tv/logic/modTray.h"

namespace modTray {
namespace {

WindowChange toTray(bool& windowShown, bool trayAvailable)
{
    windowShown = false;
    // A hidden window with no tray icon to bring it back would be lost.
    return trayAvailable ? WindowChange::MinimizeAndHide : WindowChange::MinimizeOnly;
}

WindowChange back(bool& windowShown)
{
    windowShown = true;
    return WindowChange::ShowNormal;
}

} // namespace

WindowChange leftRelease(bool& windowShown, bool windowMinimized, bool trayAvailable)
{
    return windowMinimized ? back(windowShown) : toTray(windowShown, trayAvailable);
}

WindowChange showHideItem(bool& windowShown, bool trayAvailable)
{
    return windowShown ? toTray(windowShown, trayAvailable) : back(windowShown);
}

std::optional<WindowChange> trayGone(bool& windowShown, bool windowHidden)
{
    if (!windowHidden)
        return std::nullopt;
    return back(windowShown);
}

std::optional<Stacking> stackingForKey(std::string_view key)
{
    if (key == "zhiqian")
        return Stacking::Top;
    if (key == "quxiao")
        return Stacking::Normal;
    if (key == "zhihou")
        return Stacking::Bottom;
    return std::nullopt;
}

} // namespace modTray
