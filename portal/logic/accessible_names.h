#pragma once

// What a screen reader calls the portal shell's controls, in the words the program shows:
// the caption, the tooltip or what the image means. The order is the keyboard's Tab order
// through the title area.
namespace portal_accessible {

enum class Kind { Button, Toggle, MenuButton };

struct ControlName
{
    const char* control; // the control's object name in the main window
    const char* name;
    Kind kind;
};

inline constexpr ControlName titleControls[] = {
    {"BFQ_YSKpic", "返回播放器", Kind::Button},
    {"Picture6", "HD 高清影视", Kind::Button},
    {"Picture7", "快播影视", Kind::Button},
    {"Picture2", "直播", Kind::Button},
    {"PicTopControl", "置顶", Kind::Toggle},
    {"MenuePicBox", "主菜单", Kind::MenuButton},
};

// The view toggle says where it leads: back to the player, or back to the film library.
inline const char* viewToggleName(bool offersPlayer)
{
    return offersPlayer ? "返回播放器" : "返回影视库";
}

// The drawn caption buttons; the middle one is named by what it does now.
struct CaptionNames
{
    const char* minimize = "最小化";
    const char* maximize = "最大化";
    const char* restore = "还原";
    const char* close = "关闭";
};
inline constexpr CaptionNames captionNames {};

} // namespace portal_accessible
