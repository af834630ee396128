#include "updater/controls/windows/cc_xp_button.h"
#include "updater/controls/windows/paint_ops_painter.h"

#include <gtest/gtest.h>

using namespace xpcontrols;

namespace {

constexpr int kW = 75;
constexpr int kH = 23;

QColor bgr(quint32 value)
{
    return toQColor(fromColorRef(value));
}

QImage face(int state,
    const QString& caption = QString(),
    const QColor& fore = Qt::black,
    bool dots = false,
    QSize size = QSize(kW, kH))
{
    return ccXPButton::renderFace(state, size, caption, QFont(QStringLiteral("Verdana"), 8), fore, dots);
}

int countColour(const QImage& image, const QColor& colour)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += image.pixelColor(x, y) == colour;
    return n;
}

} // namespace

TEST(ButtonFaceImage, CornersAndBorderOfTheRingedStates)
{
    for (int state : {StateNormal, StateFocused, StateHot}) {
        SCOPED_TRACE(state);
        const QImage image = face(state);
        // The outermost corner pixels lie outside the shape and stay clear.
        EXPECT_EQ(image.pixelColor(0, 0).alpha(), 0);
        EXPECT_EQ(image.pixelColor(kW - 1, kH - 1).alpha(), 0);
        EXPECT_EQ(image.pixelColor(1, 0), bgr(0xAD967B));
        EXPECT_EQ(image.pixelColor(0, 1), bgr(0xAD967B));
        EXPECT_EQ(image.pixelColor(kW - 2, kH - 1), bgr(0xAD967B));
        EXPECT_EQ(image.pixelColor(2, 0), bgr(0x845521));
        EXPECT_EQ(image.pixelColor(kW - 1, kH - 3), bgr(0x845521));
        EXPECT_EQ(image.pixelColor(1, 1), bgr(0xA57D52));
        EXPECT_EQ(image.pixelColor(kW - 2, kH - 2), bgr(0xA57D52));
        EXPECT_EQ(image.pixelColor(3, 0), bgr(0x743C00));
        EXPECT_EQ(image.pixelColor(kW - 4, kH - 1), bgr(0x743C00));
        EXPECT_EQ(image.pixelColor(0, 3), bgr(0x743C00));
        EXPECT_EQ(image.pixelColor(kW - 1, kH - 4), bgr(0x743C00));
        // The inner face is the same light gradient in every ringed state, both ends exact.
        EXPECT_EQ(image.pixelColor(3, 3), bgr(0xFBFCFC));
        EXPECT_EQ(image.pixelColor(kW - 4, kH - 4), bgr(0xE6EBEC));
    }
}

TEST(ButtonFaceImage, RingLinesFollowTheState)
{
    const QImage hot = face(StateHot);
    EXPECT_EQ(hot.pixelColor(10, 1), bgr(0xCEF3FF));
    EXPECT_EQ(hot.pixelColor(10, 2), bgr(0x8CDBFF));
    EXPECT_EQ(hot.pixelColor(10, kH - 3), bgr(0x31B2FF));
    EXPECT_EQ(hot.pixelColor(10, kH - 2), bgr(0x0096E6));
    EXPECT_EQ(hot.pixelColor(1, 3), bgr(0x9CDFE1)); // ring gradient top row
    EXPECT_EQ(hot.pixelColor(2, 3), bgr(0x9CDFE1));
    EXPECT_EQ(hot.pixelColor(kW - 2, 3), bgr(0x9CDFE1));
    // The ring's last visible row, between the two ends.
    EXPECT_EQ(hot.pixelColor(1, kH - 4),
        toQColor(roundedRampColour(fromColorRef(0x9CDFE1), fromColorRef(0x30B6FF), kH - 7, kH - 5)));

    const QImage focused = face(StateFocused);
    EXPECT_EQ(focused.pixelColor(10, 1), bgr(0xFFE7CE));
    EXPECT_EQ(focused.pixelColor(10, kH - 2), bgr(0xEF826B));
    EXPECT_EQ(focused.pixelColor(1, 3), bgr(0xF7D3BD));

    const QImage normal = face(StateNormal);
    EXPECT_EQ(normal.pixelColor(10, 1), bgr(0xFFFFFF));
    EXPECT_EQ(normal.pixelColor(10, 2), bgr(0xFEFEFE));
    EXPECT_EQ(normal.pixelColor(10, kH - 3), bgr(0xD6DFE2));
    EXPECT_EQ(normal.pixelColor(10, kH - 2), bgr(0xC5D0D6));
    // The bottom line stops one pixel short at each end; the corner colour C sits there.
    EXPECT_EQ(normal.pixelColor(1, kH - 2), bgr(0xA57D52));
}

TEST(ButtonFaceImage, PressedAndDisabledFacesAreFlat)
{
    const QImage pressed = face(StatePressed);
    EXPECT_EQ(pressed.pixelColor(2, 10), bgr(0xDEE3E7));
    EXPECT_EQ(pressed.pixelColor(kW - 2, kH - 3), bgr(0xDEE3E7));
    EXPECT_EQ(pressed.pixelColor(10, 0), bgr(0x743C00));
    EXPECT_EQ(pressed.pixelColor(1, 1), bgr(0xA57D52));

    const QImage disabled = face(StateDisabled, QStringLiteral("&Update"), Qt::red);
    EXPECT_EQ(disabled.pixelColor(2, 10), bgr(0xEAF4F5));
    EXPECT_EQ(disabled.pixelColor(10, 0), bgr(0xBAC7C9));
    EXPECT_EQ(disabled.pixelColor(0, 10), bgr(0xBAC7C9));
    EXPECT_EQ(disabled.pixelColor(1, 0), bgr(0xBDC7CE));
    EXPECT_EQ(disabled.pixelColor(2, 0), bgr(0x8CB1C4));
    EXPECT_EQ(disabled.pixelColor(1, 1), bgr(0x8CB1C4));
    // A disabled caption is grey whatever ForeColor says.
    EXPECT_GT(countColour(disabled, bgr(0x92A1A1)), 10);
    EXPECT_EQ(countColour(disabled, Qt::red), 0);

    const QImage enabled = face(StateNormal, QStringLiteral("&Update"), Qt::red);
    EXPECT_GT(countColour(enabled, Qt::red), 10);
    EXPECT_EQ(countColour(enabled, bgr(0x92A1A1)), 0);
}

TEST(ButtonFaceImage, FocusRectangleInvertsEveryOtherOutlinePixel)
{
    const QImage plain = face(StateFocused);
    const QImage dotted = face(StateFocused, QString(), Qt::black, true);
    // (3, 3) is a dot: the face colour inverted; its neighbour is untouched.
    EXPECT_EQ(dotted.pixelColor(3, 3), QColor(255 - 0xFC, 255 - 0xFC, 255 - 0xFB));
    EXPECT_EQ(dotted.pixelColor(4, 3), plain.pixelColor(4, 3));
    int changed = 0;
    for (int y = 0; y < kH; ++y) {
        for (int x = 0; x < kW; ++x) {
            if (dotted.pixelColor(x, y) == plain.pixelColor(x, y))
                continue;
            ++changed;
            const bool onOutline
                = (x == 3 || x == kW - 4 || y == 3 || y == kH - 4) && x >= 3 && x <= kW - 4 && y >= 3 && y <= kH - 4;
            EXPECT_TRUE(onOutline) << x << "," << y;
        }
    }
    const int outline = 2 * (kW - 6) + 2 * (kH - 8);
    EXPECT_EQ(changed, outline / 2);
}

TEST(ButtonFaceImage, ZeroAndTinySizes)
{
    EXPECT_TRUE(face(StateNormal, QString(), Qt::black, false, QSize(0, 0)).isNull());
    EXPECT_TRUE(face(StateNormal, QString(), Qt::black, false, QSize(30, -1)).isNull());
    for (int side = 1; side <= 7; ++side) {
        for (int state = StateDisabled; state <= StatePressed; ++state) {
            const QImage image = face(state, QStringLiteral("&OK"), Qt::black, true, QSize(side, side));
            EXPECT_EQ(image.size(), QSize(side, side));
        }
    }
    // A state outside the table draws as normal.
    EXPECT_EQ(face(9), face(StateNormal));
}
