#include "updater/controls/logic/progress_bar_layout.h"

#include <gtest/gtest.h>

#include <climits>

using namespace xpcontrols;

namespace {

ProgressBarModel model(int value, int min = 0, int max = 100)
{
    ProgressBarModel m;
    m.value = value;
    m.min = min;
    m.max = max;
    return m;
}

} // namespace

TEST(ProgressBarColours, LightenAndRampsStayInsideTheirEnds)
{
    EXPECT_EQ(lighten(fromColorRef(0x00C000), 150), (Rgb {150, 229, 150}));
    EXPECT_EQ(lighten(Rgb {255, 255, 255}, 200), (Rgb {255, 255, 255}));
    EXPECT_EQ(lighten(Rgb {0, 0, 0}, 0), (Rgb {0, 0, 0}));
    EXPECT_EQ(fromColorRef(0x0096E6), (Rgb {0xE6, 0x96, 0x00}));

    // 16-bit ramp: starts exactly at the first colour and stops short of the second.
    const Rgb black {0, 0, 0};
    const Rgb white {255, 255, 255};
    EXPECT_EQ(rampColour(black, white, 0, 6), black);
    EXPECT_EQ(rampColour(black, white, 3, 6), (Rgb {127, 127, 127}));
    EXPECT_EQ(rampColour(black, white, 5, 6), (Rgb {212, 212, 212}));
    EXPECT_EQ(rampColour(white, black, 5, 6), (Rgb {42, 42, 42}));
    EXPECT_EQ(rampColour(white, black, 0, 0), white); // no steps at all

    // Rounded ramp: both ends exact, halves to even.
    EXPECT_EQ(roundedRampColour(Rgb {0, 0, 0}, Rgb {3, 1, 5}, 0, 3), (Rgb {0, 0, 0}));
    EXPECT_EQ(roundedRampColour(Rgb {0, 0, 0}, Rgb {3, 1, 5}, 1, 3), (Rgb {2, 0, 2}));
    EXPECT_EQ(roundedRampColour(Rgb {0, 0, 0}, Rgb {3, 1, 5}, 2, 3), (Rgb {3, 1, 5}));
    EXPECT_EQ(roundedRampColour(Rgb {9, 9, 9}, Rgb {0, 0, 0}, 0, 1), (Rgb {9, 9, 9}));
}

TEST(ProgressBarLayout, FractionClampsBadValuesAndSurvivesDegenerateRanges)
{
    EXPECT_DOUBLE_EQ(fillFraction(model(50)), 0.5);
    EXPECT_DOUBLE_EQ(fillFraction(model(-20)), 0.0);
    EXPECT_DOUBLE_EQ(fillFraction(model(250)), 1.0);
    EXPECT_DOUBLE_EQ(fillFraction(model(15, 10, 20)), 0.5);
    // Min above Max fills the reversed range.
    EXPECT_DOUBLE_EQ(fillFraction(model(25, 100, 0)), 0.75);
    // An empty range must not divide by zero into garbage.
    EXPECT_DOUBLE_EQ(fillFraction(model(7, 7, 7)), 0.0);
    EXPECT_DOUBLE_EQ(fillFraction(model(9, 7, 7)), 1.0);
    EXPECT_DOUBLE_EQ(fillFraction(model(3, 7, 7)), 0.0);
    // The full 32-bit range does not overflow.
    EXPECT_NEAR(fillFraction(model(0, INT_MIN, INT_MAX)), 0.5, 1e-9);
    EXPECT_DOUBLE_EQ(fillFraction(model(INT_MAX, INT_MIN, INT_MAX)), 1.0);
}

TEST(ProgressBarLayout, HorizontalBarSnapsToWholeBlockSteps)
{
    EXPECT_EQ(barRect(model(0), 100, 20), (Rect {0, 0, 0, 20}));
    EXPECT_EQ(barRect(model(3), 100, 20), (Rect {0, 0, 0, 20}));
    EXPECT_EQ(barRect(model(50), 100, 20), (Rect {0, 0, 50, 20}));
    EXPECT_EQ(barRect(model(59), 100, 20), (Rect {0, 0, 50, 20}));
    EXPECT_EQ(barRect(model(100), 100, 20), (Rect {0, 0, 100, 20}));
    // At the maximum the bar ends at the last whole step that fits.
    EXPECT_EQ(barRect(model(100), 95, 20), (Rect {0, 0, 90, 20}));
    EXPECT_EQ(barRect(model(1000), 95, 20), (Rect {0, 0, 90, 20}));
    EXPECT_EQ(barRect(model(-5), 95, 20), (Rect {0, 0, 0, 20}));
}

TEST(ProgressBarLayout, VerticalBarGrowsFromTheBottomInWholeSteps)
{
    ProgressBarModel m = model(0);
    m.orientation = 1;
    EXPECT_EQ(barRect(m, 20, 100), (Rect {0, 100, 20, 100}));
    m.value = 50;
    EXPECT_EQ(barRect(m, 20, 100), (Rect {0, 50, 20, 100}));
    m.value = 100;
    EXPECT_EQ(barRect(m, 20, 100), (Rect {0, 0, 20, 100}));
    m.value = 100;
    EXPECT_EQ(barRect(m, 20, 105), (Rect {0, 5, 20, 105}));
    m.orientation = -3; // any value but 0 is vertical
    m.value = 50;
    EXPECT_EQ(barRect(m, 20, 100), (Rect {0, 50, 20, 100}));
}

TEST(ProgressBarLayout, OpsCoverNothingAtZeroSizeAndOneGapPerBlock)
{
    EXPECT_TRUE(progressBarOps(model(50), 0, 20).empty());
    EXPECT_TRUE(progressBarOps(model(50), 100, 0).empty());
    EXPECT_TRUE(progressBarOps(model(50), -4, -4).empty());

    const auto whiteGaps = [](const PaintOps& ops) {
        int count = 0;
        for (const PaintOp& op : ops)
            count += op.kind == OpKind::Fill && op.from == Rgb {255, 255, 255} && op.rect.width() == 2;
        return count;
    };
    EXPECT_EQ(whiteGaps(progressBarOps(model(100), 100, 20)), 10);
    EXPECT_EQ(whiteGaps(progressBarOps(model(0), 100, 20)), 0);
    ProgressBarModel continuous = model(100);
    continuous.scrolling = 1;
    EXPECT_EQ(whiteGaps(progressBarOps(continuous, 100, 20)), 0);

    ProgressBarModel text = model(10);
    bool hasText = false;
    for (const PaintOp& op : progressBarOps(text, 50, 20))
        hasText = hasText || op.kind == OpKind::Text;
    EXPECT_FALSE(hasText);
    text.showText = true;
    for (const PaintOp& op : progressBarOps(text, 50, 20))
        hasText = hasText || op.kind == OpKind::Text;
    EXPECT_TRUE(hasText);
}

TEST(ProgressBarLayout, TextShowsThePercentageOrTheSearchingText)
{
    EXPECT_EQ(progressBarText(model(50)), "50 %");
    EXPECT_EQ(progressBarText(model(0)), "0 %");
    EXPECT_EQ(progressBarText(model(29)), "29 %");
    EXPECT_EQ(progressBarText(model(33, 0, 200)), "16.5 %");
    EXPECT_EQ(progressBarText(model(1, 0, 3)), "33.3333333333333 %");
    // Out-of-range values read as the ends, like the bar itself.
    EXPECT_EQ(progressBarText(model(150)), "100 %");
    EXPECT_EQ(progressBarText(model(-7)), "0 %");
    EXPECT_EQ(progressBarText(model(25, 100, 0)), "75 %");
    EXPECT_EQ(progressBarText(model(5, 5, 5)), "0 %");
    ProgressBarModel searching = model(50);
    searching.scrolling = 2;
    EXPECT_EQ(progressBarText(searching), "正在查找..");
}

TEST(ProgressBarLayout, ShapeLeavesOutThreePixelsAtEachCorner)
{
    const int w = 10;
    const int h = 6;
    int outside = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            outside += !isInsideProgressBarShape(x, y, w, h);
    EXPECT_EQ(outside, 12);
    EXPECT_FALSE(isInsideProgressBarShape(1, 0, w, h));
    EXPECT_FALSE(isInsideProgressBarShape(0, 1, w, h));
    EXPECT_TRUE(isInsideProgressBarShape(1, 1, w, h));
    EXPECT_FALSE(isInsideProgressBarShape(w - 2, h - 1, w, h));
    EXPECT_TRUE(isInsideProgressBarShape(2, 0, w, h));
    EXPECT_FALSE(isInsideProgressBarShape(-1, 3, w, h));
}
