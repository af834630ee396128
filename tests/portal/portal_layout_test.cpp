#include "portal/logic/portal_layout.h"

#include <gtest/gtest.h>

using portal::layoutFor;
using portal::PanelPlacement;

namespace {

void expectPanel(const PanelPlacement& p, int width, int height)
{
    EXPECT_EQ(p.panelLeft, 60);
    EXPECT_EQ(p.panelTop, 720);
    EXPECT_EQ(p.panelWidth, width);
    EXPECT_EQ(p.panelHeight, height);
    EXPECT_EQ(p.browserLeft, -60);
    EXPECT_EQ(p.browserTop, -60);
}

} // namespace

TEST(PortalLayout, DesignSizeGivesTheDesignPlaces)
{
    const portal::Layout l = layoutFor(12060, 7215);
    for (const PanelPlacement* p : {&l.startCover, &l.libraryPane, &l.playerPane, &l.playCover})
        expectPanel(*p, 11940, 6415);
    // Every browser is as wide as the window; the heights differ per pane.
    EXPECT_EQ(l.startCover.browserWidth, 12060);
    EXPECT_EQ(l.startCover.browserHeight, 6715);
    EXPECT_EQ(l.libraryPane.browserWidth, 12060);
    EXPECT_EQ(l.libraryPane.browserHeight, 6530);
    EXPECT_EQ(l.playerPane.browserWidth, 12060);
    EXPECT_EQ(l.playerPane.browserHeight, 6515);
    EXPECT_EQ(l.playCover.browserWidth, 12060);
    EXPECT_EQ(l.playCover.browserHeight, 6515);

    EXPECT_EQ(l.menuButtonLeft, 10260);
    EXPECT_EQ(l.pinButtonLeft, 9910);
    EXPECT_EQ(l.channelButtonLefts[0], 5100);
    EXPECT_EQ(l.channelButtonLefts[1], 5500);
    EXPECT_EQ(l.channelButtonLefts[2], 5950);
    EXPECT_TRUE(l.viewToggleShown);
    EXPECT_EQ(l.progressLeft, 4020);
    EXPECT_EQ(l.progressTop, 3607);
}

TEST(PortalLayout, TitleButtonsMoveAndHideAtTheBreakpoints)
{
    // Exactly 8500 still counts as wide.
    EXPECT_EQ(layoutFor(8500, 7215).channelButtonLefts[0], 5100);
    EXPECT_EQ(layoutFor(8500, 7215).channelButtonLefts[2], 5950);
    const portal::Layout narrow = layoutFor(8499, 7215);
    EXPECT_EQ(narrow.channelButtonLefts[0], 2500);
    EXPECT_EQ(narrow.channelButtonLefts[1], 2900);
    EXPECT_EQ(narrow.channelButtonLefts[2], 3300);

    EXPECT_TRUE(layoutFor(6700, 7215).viewToggleShown);
    EXPECT_FALSE(layoutFor(6699, 7215).viewToggleShown);
    // The right-hand buttons follow the edge whatever the width.
    EXPECT_EQ(layoutFor(6699, 7215).menuButtonLeft, 4899);
    EXPECT_EQ(layoutFor(6699, 7215).pinButtonLeft, 4549);
}

TEST(PortalLayout, TooSmallOrMinimisedWindowsNeverGetNegativeSizes)
{
    const portal::Layout minimised = layoutFor(0, 0);
    for (const PanelPlacement* p :
        {&minimised.startCover, &minimised.libraryPane, &minimised.playerPane, &minimised.playCover}) {
        EXPECT_FALSE(p->panelWidth);
        EXPECT_FALSE(p->panelHeight);
        EXPECT_EQ(p->panelLeft, 60); // lefts are still set
    }
    // The player's browser is W wide and H - 700 high: zero width is legal, negative height not.
    EXPECT_EQ(minimised.playerPane.browserWidth, 0);
    EXPECT_FALSE(minimised.playerPane.browserHeight);
    EXPECT_EQ(minimised.menuButtonLeft, -1800);

    // Wide enough but too low: widths apply, heights that would be negative do not.
    const portal::Layout low = layoutFor(3000, 750);
    EXPECT_EQ(low.libraryPane.panelWidth, 2880);
    EXPECT_FALSE(low.libraryPane.panelHeight);
    EXPECT_FALSE(low.libraryPane.browserHeight);
    EXPECT_EQ(low.playerPane.browserHeight, 50);

    // The exact margins give empty panels, which are legal.
    const portal::Layout edge = layoutFor(120, 800);
    EXPECT_EQ(edge.startCover.panelWidth, 0);
    EXPECT_EQ(edge.startCover.panelHeight, 0);
    EXPECT_EQ(edge.startCover.browserHeight, 300);
}
