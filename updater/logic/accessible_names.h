#pragma once

// What a screen reader calls the updater window's controls, in the window's own language and
// words. The buttons are named by the captions they show, which change as the update goes on.
namespace accessible_names {

struct ControlName
{
    const char* control; // the control's object name in the window
    const char* name;
};

inline constexpr ControlName controls[] = {
    {"picCompany", "Renovo 自动更新"},
    {"lvUpdateList", "更新列表"},
    {"pbUpdate", "更新进度"},
    {"sbUpdateInfo", "状态栏"},
};

} // namespace accessible_names
