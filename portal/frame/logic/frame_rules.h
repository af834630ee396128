#pragma once

#include "portal/frame/logic/MDC.h"
#include "portal/frame/logic/win_messages.h"

#include <cstdint>
#include <optional>
#include <vector>

// Where the drawn frame's parts lie and what a mouse position on it means. Window pixels,
// origin at the window's top-left corner.
namespace frame {

constexpr int HIT_OUTSIDE = -1;
constexpr int HIT_CAPTION = 2;
constexpr int HIT_LEFT = 10;
constexpr int HIT_RIGHT = 11;
constexpr int HIT_TOP = 12;
constexpr int HIT_TOPLEFT = 13;
constexpr int HIT_TOPRIGHT = 14;
constexpr int HIT_BOTTOM = 15;
constexpr int HIT_BOTTOMLEFT = 16;
constexpr int HIT_BOTTOMRIGHT = 17;
constexpr int HIT_CLIENT = 100;
constexpr int HIT_CLOSE = 101;
constexpr int HIT_MAXBUTTON = 102;
constexpr int HIT_MINBUTTON = 103;
constexpr int HIT_EXTRA = 1024; // + index of the extra button

// Rows of the title bar as the skin draws it (its strip is 29 rows tall): all of them act
// as caption.
constexpr int kTitleRows = 29;

// Caption buttons by their index in the button states.
constexpr int CLOSE_BUTTON = 0;
constexpr int MAX_BUTTON = 1;
constexpr int MIN_BUTTON = 2;

// The cursor table, in its order; the system cursor ids come with it.
enum Cursor {
    CURSOR_ARROW,
    CURSOR_CROSS,
    CURSOR_APPSTARTING,
    CURSOR_WAIT,
    CURSOR_HAND,
    CURSOR_HELP,
    CURSOR_IBEAM,
    CURSOR_NO,
    CURSOR_SIZE,
    CURSOR_SIZENWSE,
    CURSOR_SIZENESW,
    CURSOR_SIZEWE,
    CURSOR_SIZENS,
    CURSOR_SIZEALL,
    CURSOR_UPARROW,
    CURSOR_COUNT
};
constexpr int kCursorIds[CURSOR_COUNT]
    = {32512, 32515, 32650, 32514, 32649, 32651, 32513, 32648, 32640, 32642, 32643, 32644, 32645, 32646, 32516};

// What the hit test needs to know of the window.
struct FrameWindowState
{
    int width = 0;
    int height = 0;
    std::uint32_t style = 0;
    bool minimized = false;
    bool maximized = false;
};

int hitTest(const FrameWindowState& window, int x, int y, const std::vector<MDC::Rect>& extraButtons = {});

// The caption button a hit code names (CLOSE_BUTTON ...), or -1.
int captionButtonFor(int hit);

// Where a caption button goes on a window of that width and where its glyph lies in the
// skin row of each state; nothing when the style has no such button.
struct ButtonPlace
{
    MDC::Rect target;
    int sourceX = 0;
};
std::optional<ButtonPlace> buttonPlace(int button, int width, std::uint32_t style, bool maximized);

// The cursor-table index for a hit code; `extraCursors` are the extra buttons' own.
int cursorFor(int hit, const std::vector<int>& extraCursors = {});

// The maximized place and the tracking sizes of a window on a work area, with the system's
// frame size and minimum tracking size.
MINMAXINFO minMaxInfo(MDC::Rect workArea, POINT frame, POINT minTrack);

// The window rectangle after the mouse moved (dx, dy) since a drag on `hit` began: the
// caption moves the window, an edge code moves that edge. The size stays within the limits.
MDC::Rect draggedRect(MDC::Rect start, int hit, int dx, int dy, POINT minSize, POINT maxSize);

} // namespace frame
