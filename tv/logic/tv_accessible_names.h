#pragma once

// What a screen reader calls the TV shell's controls, in the shell's own words. The drawn
// stacking buttons are named after the menu items of the same mode (their images show the
// window's place in the stack); their tooltips become the descriptions. Menu items are read
// by their captions, which the menu tree holds.
namespace tv::accessible_names {

struct ControlName
{
    const char* control; // the control's object name in the main window
    const char* name;
    const char* description = "";
};

inline constexpr ControlName controls[] = {
    {"zhiqian", "窗口置前", "播放器最前端显示"},
    {"quxiao", "窗口正常", "取消播放器设置"},
    {"zhihou", "窗口置后", "隐藏播放器"},
    {"Toolbar1", "播放器设置"},
    {"WebBrowser1", "频道画面"},
};

inline constexpr const char* menuBar = "菜单栏";

} // namespace tv::accessible_names
