#include "updater/controls/windows/xp_progress_bar.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QPainter>
#include <QPalette>

using namespace xpcontrols;

namespace {

const QColor kGreen(0, 192, 0);
const QColor kWhite(255, 255, 255);
const QColor kDark(0x68, 0x68, 0x68);
const QColor kOuterGrey(0xBE, 0xBE, 0xBE);
const QColor kInnerGrey(0xEF, 0xEF, 0xEF);

ProgressBarModel greenBar(int value, int scrolling = 0)
{
    ProgressBarModel model;
    model.value = value;
    model.scrolling = scrolling;
    model.colour = Rgb {0, 192, 0};
    return model;
}

QImage draw(const ProgressBarModel& model, QSize size = QSize(100, 20))
{
    return XP_ProgressBar::render(model, size, QFont(QStringLiteral("Tahoma"), 8));
}

QColor at(const QImage& image, int x, int y)
{
    return image.pixelColor(x, y);
}

int countPixels(const QImage& image, const QColor& colour, QRect area)
{
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += image.pixelColor(x, y) == colour;
    return n;
}

} // namespace

TEST(ProgressBarImage, BorderAndCornerPixels)
{
    const QImage image = draw(greenBar(50));
    ASSERT_EQ(image.size(), QSize(100, 20));
    for (const QPoint& p : {QPoint(0, 0), QPoint(99, 0), QPoint(0, 19), QPoint(99, 19), QPoint(50, 0), QPoint(0, 10),
             QPoint(99, 10), QPoint(50, 19), QPoint(1, 1), QPoint(98, 1), QPoint(1, 18), QPoint(98, 18)})
        EXPECT_EQ(at(image, p.x(), p.y()), kDark) << p.x() << "," << p.y();
    EXPECT_EQ(at(image, 5, 1), kOuterGrey);
    EXPECT_EQ(at(image, 97, 1), kOuterGrey);
    EXPECT_EQ(at(image, 5, 2), kInnerGrey);
    EXPECT_EQ(at(image, 1, 5), kInnerGrey);
    EXPECT_EQ(at(image, 98, 5), kInnerGrey);
    EXPECT_EQ(at(image, 70, 18), kInnerGrey);
}

TEST(ProgressBarImage, SegmentedBarHasBlocksOfEightAndGapsOfTwo)
{
    const QImage image = draw(greenBar(50));
    const int y = 10; // inside the solid middle band
    for (int x = 2; x < 50; ++x) {
        const bool gap = (x % 10) == 0 || (x % 10) == 1;
        EXPECT_EQ(at(image, x, y), gap ? kWhite : kGreen) << "x " << x;
    }
    for (int x = 50; x < 98; ++x)
        EXPECT_EQ(at(image, x, y), kWhite) << "x " << x;
    // Light top edge fading into the colour, and back at the bottom.
    EXPECT_EQ(at(image, 5, 3), QColor(150, 229, 150));
    EXPECT_EQ(at(image, 5, 4), QColor(125, 222, 125));
    EXPECT_EQ(at(image, 5, 8), kGreen);
    EXPECT_EQ(at(image, 5, 12), kGreen);
    EXPECT_EQ(at(image, 5, 17), QColor(toQColor(rampColour(Rgb {0, 192, 0}, Rgb {150, 229, 150}, 5, 6))));
    EXPECT_EQ(at(image, 10, 3), kWhite); // the gaps cut the edges too
}

TEST(ProgressBarImage, ContinuousAndEmptyBars)
{
    const QImage continuous = draw(greenBar(50, 1));
    for (int x = 2; x < 50; ++x)
        EXPECT_EQ(at(continuous, x, 10), kGreen) << "x " << x;
    EXPECT_EQ(at(continuous, 50, 10), kWhite);
    // Any other value than 0 and 2 is continuous as well.
    EXPECT_EQ(draw(greenBar(50, 7)), continuous);

    const QImage empty = draw(greenBar(0));
    EXPECT_EQ(countPixels(empty, kWhite, QRect(2, 3, 96, 15)), 96 * 15);
}

TEST(ProgressBarImage, BadValuesDrawAsTheEndsOfTheRange)
{
    EXPECT_EQ(draw(greenBar(-50)), draw(greenBar(0)));
    EXPECT_EQ(draw(greenBar(500)), draw(greenBar(100)));
    const QImage full = draw(greenBar(100), QSize(95, 20));
    EXPECT_EQ(at(full, 89, 10), kGreen); // the last whole block ends at 90
    EXPECT_EQ(at(full, 90, 10), kWhite);

    ProgressBarModel reversed = greenBar(25);
    reversed.min = 100;
    reversed.max = 0;
    const QImage image = draw(reversed);
    EXPECT_EQ(at(image, 69, 10), kGreen);
    EXPECT_EQ(at(image, 72, 10), kWhite);

    ProgressBarModel emptyRange = greenBar(5);
    emptyRange.min = 5;
    emptyRange.max = 5;
    EXPECT_EQ(draw(emptyRange), draw(greenBar(0)));
}

TEST(ProgressBarImage, SearchingModeDrawsThreeBlocksPalestFirst)
{
    const QImage image = draw(greenBar(50, 2));
    const QColor first = toQColor(lighten(Rgb {0, 192, 0}, 200));
    EXPECT_EQ(first, QColor(200, 241, 200));
    EXPECT_EQ(at(image, 45, 10), kWhite); // no bar behind the blocks
    for (int x = 50; x < 60; ++x)
        EXPECT_EQ(at(image, x, 10), first) << "x " << x;
    EXPECT_EQ(at(image, 60, 10), kWhite);
    EXPECT_EQ(at(image, 61, 10), kWhite);
    EXPECT_EQ(at(image, 62, 10), toQColor(lighten(Rgb {0, 192, 0}, 160)));
    EXPECT_EQ(at(image, 83, 10), toQColor(lighten(Rgb {0, 192, 0}, 120)));
    EXPECT_EQ(at(image, 84, 10), kWhite);
    EXPECT_GT(at(image, 55, 10).red(), at(image, 80, 10).red());
}

TEST(ProgressBarImage, VerticalBarFillsFromTheBottom)
{
    ProgressBarModel model = greenBar(50);
    model.orientation = 1;
    const QImage image = draw(model, QSize(20, 100));
    EXPECT_EQ(at(image, 9, 49), kWhite);
    for (int y = 50; y < 58; ++y)
        EXPECT_EQ(at(image, 9, y), kGreen) << "y " << y;
    EXPECT_EQ(at(image, 9, 58), kWhite);
    EXPECT_EQ(at(image, 9, 59), kWhite);
    EXPECT_EQ(at(image, 9, 60), kGreen);
    EXPECT_EQ(at(image, 2, 55), QColor(150, 229, 150)); // the light left edge
    EXPECT_EQ(at(image, 0, 55), kDark);
}

TEST(ProgressBarImage, TextOnlyWhenAsked)
{
    ProgressBarModel model = greenBar(50, 1);
    const QRect middle(30, 3, 40, 14);
    EXPECT_EQ(countPixels(draw(model), Qt::black, middle), 0);
    model.showText = true;
    EXPECT_GT(countPixels(draw(model), Qt::black, middle), 10);
}

TEST(ProgressBarImage, ZeroAndTinySizesDoNotBreak)
{
    EXPECT_TRUE(draw(greenBar(50), QSize(0, 20)).isNull());
    EXPECT_TRUE(draw(greenBar(50), QSize(20, 0)).isNull());
    EXPECT_TRUE(draw(greenBar(50), QSize(-3, -3)).isNull());
    for (int side = 1; side <= 4; ++side) {
        const QImage tiny = draw(greenBar(100, 2), QSize(side, side));
        ASSERT_EQ(tiny.size(), QSize(side, side));
        EXPECT_EQ(at(tiny, 0, 0), kDark);
    }

    XP_ProgressBar bar;
    bar.resize(0, 0);
    bar.setValue(40);
    bar.DrawProgressBar();
    EXPECT_TRUE(bar.picture().isNull());
}

TEST(ProgressBarWidget, ValueRedrawsAtOnceOtherPropertiesAtTheNextRedraw)
{
    XP_ProgressBar bar;
    bar.resize(100, 20);
    bar.setColor(kGreen);
    bar.setValue(50);
    EXPECT_EQ(bar.picture(), draw(greenBar(50)));

    bar.setColor(Qt::red);
    bar.setMax(200);
    EXPECT_EQ(bar.picture().pixelColor(5, 10), kGreen);
    bar.DrawProgressBar();
    EXPECT_EQ(bar.picture().pixelColor(5, 10), QColor(Qt::red));
    EXPECT_EQ(bar.picture().pixelColor(25, 10), QColor(Qt::white)); // 50 of 200 reaches x 25 only

    bar.setShowText(true);
    EXPECT_GT(countPixels(bar.picture(), Qt::black, QRect(30, 3, 40, 14)), 10);

    // What the widget paints on screen is that picture.
    bar.show();
    const QImage shown = bar.grab().toImage();
    EXPECT_EQ(shown.pixelColor(5, 10), QColor(Qt::red));
    EXPECT_EQ(shown.pixelColor(5, 1), kOuterGrey);
}

TEST(ProgressBarWidget, OffscreenPictureIsMadeAnewOnlyWhenTheControlOutgrowsIt)
{
    XP_ProgressBar bar;
    bar.resize(100, 20);
    bar.show(); // from now on every resize is seen at once
    EXPECT_EQ(bar.offscreenSize(), QSize(100, 20));
    bar.resize(200, 15); // wider: a new picture of exactly the new size
    EXPECT_EQ(bar.offscreenSize(), QSize(200, 15));
    bar.resize(60, 10); // smaller: the larger picture stays
    EXPECT_EQ(bar.offscreenSize(), QSize(200, 15));
    bar.setValue(100);
    EXPECT_EQ(bar.picture().size(), QSize(60, 10));
    EXPECT_EQ(bar.picture().pixelColor(59, 9), kDark);

    QImage target(30, 30, QImage::Format_RGB32);
    target.fill(Qt::blue);
    QPainter painter(&target);
    bar.pDraw(painter, 0, 0, 0, 0, 5, 5); // widths below 1 mean the whole picture
    painter.end();
    EXPECT_EQ(target.pixelColor(4, 4), QColor(Qt::blue));
    EXPECT_EQ(target.pixelColor(5, 5), kDark);

    bar.resize(60, 40); // taller only: the new picture takes the new width too, not the old
    EXPECT_EQ(bar.offscreenSize(), QSize(60, 40));
}

TEST(ProgressBarWidget, CornersAreCutFromTheShape)
{
    XP_ProgressBar bar;
    bar.resize(50, 12);
    bar.show();
    const QRegion shape = bar.mask();
    for (const QPoint& p : {QPoint(0, 0), QPoint(1, 0), QPoint(0, 1), QPoint(49, 0), QPoint(48, 0), QPoint(49, 11),
             QPoint(0, 11), QPoint(1, 11)})
        EXPECT_FALSE(shape.contains(p)) << p.x() << "," << p.y();
    for (const QPoint& p : {QPoint(1, 1), QPoint(2, 0), QPoint(25, 6), QPoint(48, 10)})
        EXPECT_TRUE(shape.contains(p)) << p.x() << "," << p.y();
}

TEST(ProgressBarWidget, PropertiesDefaultsAndSavedSettings)
{
    XP_ProgressBar bar;
    EXPECT_EQ(bar.Max(), 100);
    EXPECT_EQ(bar.Min(), 0);
    EXPECT_EQ(bar.Value(), 0);
    EXPECT_FALSE(bar.ShowText());
    EXPECT_EQ(bar.Color(), QApplication::palette().color(QPalette::Highlight));
    EXPECT_EQ(bar.Font().family(), QStringLiteral("Tahoma"));
    EXPECT_TRUE(bar.saveProperties().isEmpty());

    bar.setProperty("Max", 400);
    bar.setProperty("ShowText", true);
    bar.setProperty("Color", kGreen);
    bar.setProperty("Value", 120);
    const QVariantMap saved = bar.saveProperties();
    EXPECT_EQ(saved.size(), 4);
    EXPECT_EQ(saved.value(QStringLiteral("Max")).toInt(), 400);

    XP_ProgressBar copy;
    copy.loadProperties(saved);
    EXPECT_EQ(copy.Max(), 400);
    EXPECT_EQ(copy.Value(), 120);
    EXPECT_TRUE(copy.ShowText());
    EXPECT_EQ(copy.Color(), kGreen);
    copy.loadProperties({});
    EXPECT_EQ(copy.Max(), 100);
    EXPECT_FALSE(copy.ShowText());

    EXPECT_EQ(colorFromColorRef(0x00C000), kGreen);
    EXPECT_EQ(colorFromColorRef(0x8000000D), QApplication::palette().color(QPalette::Highlight));
}
