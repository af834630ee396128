// Where the frame's parts lie: the hit test, the caption buttons' places and cursors, the
// maximized geometry and the window rectangle a drag gives.

#include "portal/frame/logic/frame_rules.h"

#include <gtest/gtest.h>

using namespace frame;

namespace {

constexpr std::uint32_t kAll = WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
// Without a sizing border nothing of the right edge is taken by the edge codes.
constexpr std::uint32_t kFixed = kAll & ~WS_THICKFRAME;

FrameWindowState window400(std::uint32_t style = kAll, bool maximized = false)
{
    return {400, 300, style, false, maximized};
}

} // namespace

TEST(FrameRules, CaptionButtonsOfA400PixelWindow)
{
    struct Case
    {
        std::uint32_t style;
        int x;
        int y;
        int hit;
    };
    const Case cases[] = {
        // Drawn at 361-399, 333-360, 305-332 in rows 0-18; the hit test takes rows 0-19.
        {kFixed, 361, 10, HIT_CLOSE},
        {kFixed, 399, 0, HIT_CLOSE},
        {kFixed, 360, 10, HIT_MAXBUTTON},
        {kFixed, 333, 10, HIT_MAXBUTTON},
        {kFixed, 332, 10, HIT_MINBUTTON},
        {kFixed, 305, 10, HIT_MINBUTTON},
        {kFixed, 304, 10, HIT_CAPTION},
        {kFixed, 340, 19, HIT_MAXBUTTON},
        {kFixed, 340, 20, HIT_CAPTION},
        // A sizable window gives its outer pixels to the edges first.
        {kAll, 399, 10, HIT_RIGHT},
        {kAll, 394, 10, HIT_CLOSE},
        {kAll, 340, 5, HIT_TOP},
        // Without a maximize box the minimize button takes its place.
        {kFixed & ~WS_MAXIMIZEBOX, 360, 10, HIT_MINBUTTON},
        {kFixed & ~WS_MAXIMIZEBOX, 333, 10, HIT_MINBUTTON},
        {kFixed & ~WS_MAXIMIZEBOX, 332, 10, HIT_CAPTION},
        {kFixed & ~(WS_MAXIMIZEBOX | WS_MINIMIZEBOX), 340, 10, HIT_CAPTION},
    };
    for (const Case& c : cases)
        EXPECT_EQ(hitTest(window400(c.style), c.x, c.y), c.hit) << c.x << "," << c.y << " style " << c.style;

    const auto close = buttonPlace(CLOSE_BUTTON, 400, kAll, false);
    const auto max = buttonPlace(MAX_BUTTON, 400, kAll, false);
    const auto min = buttonPlace(MIN_BUTTON, 400, kAll, false);
    ASSERT_TRUE(close && max && min);
    EXPECT_EQ(close->target, (MDC::Rect {361, 0, 39, 19}));
    EXPECT_EQ(close->sourceX, 93);
    EXPECT_EQ(max->target, (MDC::Rect {333, 0, 28, 19}));
    EXPECT_EQ(max->sourceX, 37);
    EXPECT_EQ(buttonPlace(MAX_BUTTON, 400, kAll, true)->sourceX, 65) << "the restore glyph";
    EXPECT_EQ(min->target, (MDC::Rect {305, 0, 28, 19}));
    EXPECT_EQ(min->sourceX, 9);
    EXPECT_EQ(buttonPlace(MIN_BUTTON, 400, kAll & ~WS_MAXIMIZEBOX, false)->target, (MDC::Rect {333, 0, 28, 19}));
    EXPECT_FALSE(buttonPlace(MAX_BUTTON, 400, kAll & ~WS_MAXIMIZEBOX, false));
    EXPECT_FALSE(buttonPlace(MIN_BUTTON, 400, WS_MAXIMIZEBOX, false));
}

TEST(FrameRules, EdgesAndCornersOnlyOnASizableNormalWindow)
{
    struct Case
    {
        int x;
        int y;
        int normal; // sizable, neither minimized nor maximized
        int maximized;
    };
    const Case cases[] = {
        {-1, 100, HIT_OUTSIDE, HIT_OUTSIDE},
        {100, 301, HIT_OUTSIDE, HIT_OUTSIDE},
        {400, 100, HIT_RIGHT, HIT_CLIENT},
        {3, 100, HIT_LEFT, HIT_CLIENT},
        {5, 100, HIT_LEFT, HIT_CLIENT},
        {6, 100, HIT_CLIENT, HIT_CLIENT},
        {395, 100, HIT_RIGHT, HIT_CLIENT},
        {200, 5, HIT_TOP, HIT_CAPTION},
        {200, 6, HIT_CAPTION, HIT_CAPTION},
        {200, 295, HIT_BOTTOM, HIT_CLIENT},
        {8, 8, HIT_TOPLEFT, HIT_CAPTION},
        {392, 8, HIT_TOPRIGHT, HIT_CLOSE},
        {8, 292, HIT_BOTTOMLEFT, HIT_CLIENT},
        {392, 292, HIT_BOTTOMRIGHT, HIT_CLIENT},
        {9, 8, HIT_CAPTION, HIT_CAPTION},
        {200, 26, HIT_CAPTION, HIT_CAPTION},
        // The title strip is 29 rows tall: its last rows are caption too.
        {200, 27, HIT_CAPTION, HIT_CAPTION},
        {200, 28, HIT_CAPTION, HIT_CAPTION},
        {200, 29, HIT_CLIENT, HIT_CLIENT},
        {370, 2, HIT_TOP, HIT_CLOSE},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(hitTest(window400(), c.x, c.y), c.normal) << c.x << "," << c.y;
        EXPECT_EQ(hitTest(window400(kAll, true), c.x, c.y), c.maximized) << c.x << "," << c.y << " maximized";
    }
    // A window of fixed size has no sizing edges.
    EXPECT_EQ(hitTest(window400(kFixed), 3, 100), HIT_CLIENT);
    // Extra buttons, the later one first, edges included.
    EXPECT_EQ(hitTest(window400(), 60, 40, {{50, 30, 20, 20}, {60, 40, 5, 5}}), HIT_EXTRA + 1);
    EXPECT_EQ(hitTest(window400(), 70, 50, {{50, 30, 20, 20}}), HIT_EXTRA);
}

TEST(FrameRules, CursorsFollowTheHitCode)
{
    EXPECT_EQ(cursorFor(HIT_LEFT), CURSOR_SIZEWE);
    EXPECT_EQ(cursorFor(HIT_RIGHT), CURSOR_SIZEWE);
    EXPECT_EQ(cursorFor(HIT_TOP), CURSOR_SIZENS);
    EXPECT_EQ(cursorFor(HIT_BOTTOM), CURSOR_SIZENS);
    EXPECT_EQ(cursorFor(HIT_TOPRIGHT), CURSOR_SIZENESW);
    EXPECT_EQ(cursorFor(HIT_BOTTOMLEFT), CURSOR_SIZENESW);
    EXPECT_EQ(cursorFor(HIT_TOPLEFT), CURSOR_SIZENWSE);
    EXPECT_EQ(cursorFor(HIT_BOTTOMRIGHT), CURSOR_SIZENWSE);
    EXPECT_EQ(cursorFor(HIT_CLOSE), CURSOR_ARROW);
    EXPECT_EQ(cursorFor(HIT_EXTRA + 1, {CURSOR_ARROW, CURSOR_HAND}), CURSOR_HAND);
    EXPECT_EQ(kCursorIds[CURSOR_SIZEWE], 32644);
}

TEST(FrameRules, MaximizedGeometryAndDraggedRectangles)
{
    const MINMAXINFO info = minMaxInfo({0, 24, 1024, 744}, {4, 4}, {136, 39});
    EXPECT_EQ(info.ptMaxPosition.x, -4);
    EXPECT_EQ(info.ptMaxPosition.y, 20);
    EXPECT_EQ(info.ptMaxSize.x, 1032);
    EXPECT_EQ(info.ptMaxSize.y, 752);
    EXPECT_EQ(info.ptMaxTrackSize.x, 1032);
    EXPECT_EQ(info.ptMinTrackSize.y, 39);

    const MDC::Rect start {100, 100, 400, 300};
    const POINT min {136, 39}, max {1024, 768};
    EXPECT_EQ(draggedRect(start, HIT_CAPTION, -30, 20, min, max), (MDC::Rect {70, 120, 400, 300}));
    EXPECT_EQ(draggedRect(start, HIT_LEFT, -30, 20, min, max), (MDC::Rect {70, 100, 430, 300}));
    EXPECT_EQ(draggedRect(start, HIT_BOTTOMRIGHT, 30, 20, min, max), (MDC::Rect {100, 100, 430, 320}));
    EXPECT_EQ(draggedRect(start, HIT_TOP, 0, 500, min, max), (MDC::Rect {100, 361, 400, 39}))
        << "the bottom edge stays, the size stops at the minimum";
    EXPECT_EQ(draggedRect(start, HIT_RIGHT, 900, 0, min, max).width, 1024);
}
