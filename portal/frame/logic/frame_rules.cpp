#include "portal/frame/logic/frame_rules.h"

#include <algorithm>

namespace frame {

int hitTest(const FrameWindowState& w, int x, int y, const std::vector<MDC::Rect>& extraButtons)
{
    if (x < 0 || y < 0 || x > w.width || y > w.height)
        return HIT_OUTSIDE;
    if (!w.minimized && !w.maximized && (w.style & WS_THICKFRAME)) {
        if (x <= 8 && y <= 8)
            return HIT_TOPLEFT;
        if (x >= w.width - 8 && y <= 8)
            return HIT_TOPRIGHT;
        if (x <= 8 && y >= w.height - 8)
            return HIT_BOTTOMLEFT;
        if (x >= w.width - 8 && y >= w.height - 8)
            return HIT_BOTTOMRIGHT;
        if (y <= 5)
            return HIT_TOP;
        if (y >= w.height - 5)
            return HIT_BOTTOM;
        if (x <= 5)
            return HIT_LEFT;
        if (x >= w.width - 5)
            return HIT_RIGHT;
    }
    if (y < 20) {
        const bool maxBox = (w.style & WS_MAXIMIZEBOX) != 0;
        if (x >= w.width - 39)
            return HIT_CLOSE;
        if (maxBox && x >= w.width - 67)
            return HIT_MAXBUTTON;
        if ((w.style & WS_MINIMIZEBOX) && x >= w.width - (maxBox ? 95 : 67))
            return HIT_MINBUTTON;
    }
    for (auto i = static_cast<int>(extraButtons.size()) - 1; i >= 0; --i) {
        const MDC::Rect& b = extraButtons[i];
        if (x >= b.x && x <= b.x + b.width && y >= b.y && y <= b.y + b.height)
            return HIT_EXTRA + i;
    }
    return y < kTitleRows ? HIT_CAPTION : HIT_CLIENT;
}

int captionButtonFor(int hit)
{
    switch (hit) {
    case HIT_CLOSE:
        return CLOSE_BUTTON;
    case HIT_MAXBUTTON:
        return MAX_BUTTON;
    case HIT_MINBUTTON:
        return MIN_BUTTON;
    default:
        return -1;
    }
}

std::optional<ButtonPlace> buttonPlace(int button, int width, std::uint32_t style, bool maximized)
{
    const bool maxBox = (style & WS_MAXIMIZEBOX) != 0;
    switch (button) {
    case CLOSE_BUTTON:
        return ButtonPlace {{width - 39, 0, 39, 19}, 93};
    case MAX_BUTTON:
        if (!maxBox)
            return std::nullopt;
        return ButtonPlace {{width - 67, 0, 28, 19}, maximized ? 65 : 37};
    case MIN_BUTTON:
        if (!(style & WS_MINIMIZEBOX))
            return std::nullopt;
        return ButtonPlace {{width - (maxBox ? 95 : 67), 0, 28, 19}, 9};
    default:
        return std::nullopt;
    }
}

int cursorFor(int hit, const std::vector<int>& extraCursors)
{
    switch (hit) {
    case HIT_LEFT:
    case HIT_RIGHT:
        return CURSOR_SIZEWE;
    case HIT_TOP:
    case HIT_BOTTOM:
        return CURSOR_SIZENS;
    case HIT_TOPRIGHT:
    case HIT_BOTTOMLEFT:
        return CURSOR_SIZENESW;
    case HIT_TOPLEFT:
    case HIT_BOTTOMRIGHT:
        return CURSOR_SIZENWSE;
    default:
        break;
    }
    const int extra = hit - HIT_EXTRA;
    if (extra >= 0 && extra < static_cast<int>(extraCursors.size()))
        return extraCursors[extra];
    return CURSOR_ARROW;
}

MINMAXINFO minMaxInfo(MDC::Rect workArea, POINT frame, POINT minTrack)
{
    MINMAXINFO info;
    info.ptMaxPosition = {workArea.x - frame.x, workArea.y - frame.y};
    info.ptMaxSize = {workArea.width + 2 * frame.x, workArea.height + 2 * frame.y};
    info.ptMinTrackSize = minTrack;
    info.ptMaxTrackSize = info.ptMaxSize;
    return info;
}

MDC::Rect draggedRect(MDC::Rect start, int hit, int dx, int dy, POINT minSize, POINT maxSize)
{
    if (hit == HIT_CAPTION)
        return {start.x + dx, start.y + dy, start.width, start.height};
    const bool left = hit == HIT_LEFT || hit == HIT_TOPLEFT || hit == HIT_BOTTOMLEFT;
    const bool right = hit == HIT_RIGHT || hit == HIT_TOPRIGHT || hit == HIT_BOTTOMRIGHT;
    const bool top = hit == HIT_TOP || hit == HIT_TOPLEFT || hit == HIT_TOPRIGHT;
    const bool bottom = hit == HIT_BOTTOM || hit == HIT_BOTTOMLEFT || hit == HIT_BOTTOMRIGHT;
    auto limit = [](int size, long low, long high) {
        return std::clamp<long>(size, std::max(1L, low), std::max({1L, low, high}));
    };
    const int width = static_cast<int>(limit(start.width + (left ? -dx : right ? dx : 0), minSize.x, maxSize.x));
    const int height = static_cast<int>(limit(start.height + (top ? -dy : bottom ? dy : 0), minSize.y, maxSize.y));
    // The edge under the mouse moves; the opposite edge stays where it was.
    return {
        left ? start.x + start.width - width : start.x, top ? start.y + start.height - height : start.y, width, height};
}

} // namespace frame
