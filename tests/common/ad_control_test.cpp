#include "common/logic/ad_control.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using ad_control::readItems;
using Items = std::vector<std::string>;

TEST(AdControlItems, ReadByTheDelimitedFieldRules)
{
    // One item per line, CR LF as the local copy ends its lines.
    EXPECT_EQ(readItems("on\r\noff\r\n4320\r\n3900\r\n6000\r\n5000\r\n\r\n"),
        (Items {"on", "off", "4320", "3900", "6000", "5000", ""}));
    EXPECT_EQ(readItems("on,off,4500,3300\r\n"), (Items {"on", "off", "4500", "3300"}));
    // A lone CR and a lone LF end an item too.
    EXPECT_EQ(readItems("on\roff\nx"), (Items {"on", "off", "x"}));
    // Blanks before and after an unquoted item are not part of it; blanks inside are.
    EXPECT_EQ(readItems("  on ,\toff\t, a b \r\n"), (Items {"on", "off", "a b"}));
    // Quoted items lose their quotes and keep commas, blanks and line breaks; what follows
    // the closing quote up to the delimiter is dropped.
    EXPECT_EQ(readItems("\"on,off\", \" x \"junk,\"a\r\nb\"\r\n"), (Items {"on,off", " x ", "a\r\nb"}));
    // An unterminated quote runs to the end.
    EXPECT_EQ(readItems("on,\"open"), (Items {"on", "open"}));
    // Empty items between delimiters stay in their positions.
    EXPECT_EQ(readItems(",on,,x"), (Items {"", "on", "", "x"}));
    EXPECT_EQ(readItems(""), Items {});
    EXPECT_EQ(readItems("\r\n"), Items {""});
}

TEST(AdControlItems, OnlyExactlyOnInItemZeroShowsTheCornerPopup)
{
    EXPECT_TRUE(ad_control::showsCornerPopup({"on"}));
    for (const Items& items : {Items {"ON"}, Items {"On"}, Items {"off", "on"}, Items {}, Items {"Label3"}})
        EXPECT_FALSE(ad_control::showsCornerPopup(items)) << ad_control::item(items, 0);
    EXPECT_EQ(ad_control::item({"a"}, 5), "");
}

TEST(AdControlItems, LocalCopyIsWrittenInGbkAndReadBackUnderBin)
{
    TempFolder program;
    std::filesystem::create_directory(program / "bin");
    const std::string text = "on,\"广告,开\"\r\n4320";
    EXPECT_EQ(ad_control::keepLocalCopyAndReadItems(text, program.str(), "\\bin\\PallomarAdControl.txt"),
        (Items {"on", "广告,开", "4320"}));
    EXPECT_EQ(program.read("bin/PallomarAdControl.txt"), gbk(text) + "\r\n");
    // The copy is made anew on each run.
    EXPECT_EQ(
        ad_control::keepLocalCopyAndReadItems("off", program.str(), "\\bin\\TovanTVAdControl.txt"), Items {"off"});
    EXPECT_EQ(program.read("bin/TovanTVAdControl.txt"), "off\r\n");

    // An installation without its "bin" folder gets one, and its local copy.
    TempFolder bare;
    EXPECT_EQ(ad_control::keepLocalCopyAndReadItems("on,on", bare.str(), "\\bin\\PallomarAdControl.txt"),
        (Items {"on", "on"}));
    EXPECT_EQ(bare.read("bin/PallomarAdControl.txt"), "on,on\r\n");
}

TEST(AdControlItems, SizeItemsAreDecimalNumbersOrNothing)
{
    EXPECT_EQ(ad_control::sizeItem("4320"), 4320.0);
    EXPECT_EQ(ad_control::sizeItem(" 4320.5 "), 4320.5);
    EXPECT_EQ(ad_control::sizeItem("+1e3"), 1000.0);
    EXPECT_EQ(ad_control::sizeItem("0"), 0.0);
    for (const char* bad : {"", " ", "abc", "43x", "0x10", "inf", "nan", "1e", ".", "-5", "1e39", "4,320"})
        EXPECT_FALSE(ad_control::sizeItem(bad)) << bad;
}

TEST(AdPopupGeometry, WorkAreaBottomMarginRoundsHalvesToEven)
{
    // A 1080-pixel screen at 15 twips per pixel with a 40-pixel taskbar at the bottom.
    EXPECT_EQ(ad_control::workAreaBottomMargin(16200, 15, 1040), 600);
    // No taskbar at the bottom (side, top, or none): the work area reaches the screen's edge.
    EXPECT_EQ(ad_control::workAreaBottomMargin(16200, 15, 1080), 0);
    // 2.5 and 3.5 twips go to the even neighbour, 2.6 to the nearest.
    EXPECT_EQ(ad_control::workAreaBottomMargin(1002.5, 1, 1000), 2);
    EXPECT_EQ(ad_control::workAreaBottomMargin(1003.5, 1, 1000), 4);
    EXPECT_EQ(ad_control::workAreaBottomMargin(1002.6, 1, 1000), 3);
    EXPECT_EQ(ad_control::workAreaBottomMargin(999.5, 1, 1000), 0);
    // The horizontal factor serves both directions: 12 twips per pixel on a 1000-pixel screen.
    EXPECT_EQ(ad_control::workAreaBottomMargin(12000, 12, 970), 360);
    // Beyond 16 bits there is no margin.
    EXPECT_EQ(ad_control::workAreaBottomMargin(15 * 4000, 15, 1000), std::nullopt);
    EXPECT_EQ(ad_control::workAreaBottomMargin(100, 0, 1000), std::nullopt);
}

TEST(AdPopupGeometry, CornerPopupStartsBelowTheWorkAreaAtTheRightEdgeAndRises3900Twips)
{
    const Items items {"on", "off", "4320", "3900.7", "6000", "5000"};
    const auto g = ad_control::cornerPopupGeometry(items, 28800, 16200, 600);
    ASSERT_TRUE(g);
    EXPECT_EQ(g->window.width, 4320);
    EXPECT_EQ(g->window.height, static_cast<double>(3900.7f)); // single precision
    EXPECT_EQ(g->window.left, 28800 - 4320);
    EXPECT_EQ(g->window.top, 16200 - 600);
    EXPECT_EQ(g->container.left, 0);
    EXPECT_EQ(g->container.top, 0);
    EXPECT_EQ(g->container.width, 4500);
    EXPECT_EQ(g->container.height, g->window.height + 750);
    EXPECT_EQ(g->browser.left, -180);
    EXPECT_EQ(g->browser.top, -375);
    EXPECT_EQ(g->browser.width, g->container.width);
    EXPECT_EQ(g->browser.height, g->container.height);
    EXPECT_EQ(g->closeImage.left, 4080);
    EXPECT_EQ(g->closeImage.top, 120);
    EXPECT_EQ(g->closeImage.width, 180);

    ad_control::CornerSlide slide(g->window.top);
    int ticks = 0;
    while (slide.tick())
        ++ticks;
    EXPECT_EQ(ticks + 1, 300);
    EXPECT_EQ(slide.ticks(), 300);
    EXPECT_EQ(slide.topTwips(), 16200 - 600 - 3900);
    // Further ticks leave it where it stopped.
    EXPECT_FALSE(slide.tick());
    EXPECT_EQ(slide.ticks(), 300);

    // A size missing or not a number: no pop-up.
    EXPECT_FALSE(ad_control::cornerPopupGeometry({"on", "off", "4320"}, 28800, 16200, 600));
    EXPECT_FALSE(ad_control::cornerPopupGeometry({"on", "off", "wide", "3900"}, 28800, 16200, 600));
    EXPECT_FALSE(ad_control::cornerPopupGeometry({"on"}, 28800, 16200, 600));
}

TEST(AdPopupGeometry, ExitPopupTakesItsSizeFromItemsFourAndFive)
{
    const auto g = ad_control::exitPopupGeometry({"off", "on", "4320", "3900", "6000", "5000"});
    ASSERT_TRUE(g);
    EXPECT_EQ(g->width, 6000);
    EXPECT_EQ(g->height, 5000);
    EXPECT_EQ(g->container.width, 6180);
    EXPECT_EQ(g->container.height, 5750);
    EXPECT_EQ(g->browser.left, -180);
    EXPECT_EQ(g->browser.top, -375);
    EXPECT_EQ(g->browser.height, 5750);
    EXPECT_EQ(g->closeImage.left, 5700);
    EXPECT_EQ(g->closeImage.top, 50);
    EXPECT_EQ(g->closeImage.width, 255);
    EXPECT_EQ(g->closeImage.height, 255);

    EXPECT_FALSE(ad_control::exitPopupGeometry({"off", "on", "4320", "3900"}));
    EXPECT_FALSE(ad_control::exitPopupGeometry({"off", "on", "4320", "3900", "6000", "high"}));
}
