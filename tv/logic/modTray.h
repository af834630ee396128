#pragma once

#include <optional>
#include <string_view>

// The tray icon's and the stacking modes' rules, without the window.
namespace modTray {

// What a tray rule does to the main window.
enum class WindowChange {
    ShowNormal, // visible, neither minimized nor maximized
    MinimizeAndHide, // minimized and invisible: only the tray icon brings it back
    MinimizeOnly, // minimized, still on the taskbar
};

// A left click on the tray icon: a minimized window comes back shown and normal; any other
// goes to the tray. `windowShown` records the outcome. Without a tray to bring it back the
// window is only minimized, never hidden.
WindowChange leftRelease(bool& windowShown, bool windowMinimized, bool trayAvailable);

// The tray menu's "显示/隐藏窗口": decided by `windowShown` alone, which it flips.
WindowChange showHideItem(bool& windowShown, bool trayAvailable);

// The tray host went away. A window in the tray (`windowHidden`) comes back shown and
// normal, since no icon is left to bring it back; `windowShown` records it.
std::optional<WindowChange> trayGone(bool& windowShown, bool windowHidden);

enum class Stacking {
    Top, // kept above every other window
    Normal, // stacked like any other window
    Bottom, // sent below every other window, once
};

// The toolbar's buttons by their keys, compared exactly: "zhiqian", "quxiao", "zhihou".
std::optional<Stacking> stackingForKey(std::string_view key);

} // namespace modTray
