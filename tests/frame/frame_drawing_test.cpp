// The frame's drawing helpers: nine-part stretch at any size and display scale, the copy
// that leaves out the key colour, the shape taken from the skin, and the skin bitmap.

#include "portal/frame/logic/CSkinForm.h"
#include "portal/frame/logic/MDC.h"
#include "tests/frame/skin_look.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>

using namespace MDC;

namespace {

Surface skin()
{
    std::ifstream in(FRAME_SKIN, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return surfaceForBitmap(bytes);
}

// A frame source whose every pixel tells where it came from.
Surface labelledSource()
{
    Surface s = memorySurface(9, 54);
    for (int y = 0; y < 54; ++y)
        for (int x = 0; x < 9; ++x)
            s.row(y)[x] = rgb(x * 20, y * 4, 7);
    return s;
}

const Surface& scaledSkin(double k)
{
    static const Surface skins[2]
        = {skinFromFile(skinPathFor(FRAME_SKIN, 1.5)), skinFromFile(skinPathFor(FRAME_SKIN, 2))};
    return skins[k == 2.0 ? 1 : 0];
}

int P(int v, double k)
{
    return static_cast<int>(std::floor(v * k + 0.5));
}

long area(const Region& region)
{
    long total = 0;
    for (const Rect& r : region.rects)
        total += static_cast<long>(r.width) * r.height;
    return total;
}

} // namespace

TEST(FrameDrawing, NinePartStretchKeepsCornersAndStretchesEdgesAtEveryScale)
{
    const Surface source = labelledSource();
    for (const int scale : {1, 2}) {
        SCOPED_TRACE(scale);
        const int w = 100 * scale, h = 80 * scale;
        Surface target = memorySurface(w, h);
        nineStretch(target, {0, 0, w, h}, source, {0, 0, 9, 54}, {4, 50, 4, 3}, std::nullopt, scale);
        for (int ty = 0; ty < h; ++ty) {
            const int y = ty / scale, ly = h / scale;
            const int sy = y < 50 ? y : y >= ly - 3 ? 51 + y - (ly - 3) : 50;
            for (int tx = 0; tx < w; ++tx) {
                const int x = tx / scale, lx = w / scale;
                const int sx = x < 4 ? x : x >= lx - 4 ? 5 + x - (lx - 4) : 4;
                ASSERT_EQ(target.at(tx, ty), source.at(sx, sy)) << tx << "," << ty;
            }
        }
    }
}

TEST(FrameDrawing, WholeStretchWithoutMarginsAndCopiesWithoutTheKeyColour)
{
    Surface source = memorySurface(2, 2);
    source.row(0)[0] = rgb(255, 0, 255);
    source.row(0)[1] = rgb(1, 2, 3);
    source.row(1)[0] = rgb(4, 5, 6);
    source.row(1)[1] = rgb(7, 8, 9);
    Surface target = memorySurface(6, 6);
    std::fill(target.pixels.begin(), target.pixels.end(), rgb(50, 50, 50));
    nineStretch(target, {1, 1, 4, 4}, source, {0, 0, 2, 2}, {0, 0, 0, 0}, rgb(255, 0, 255));
    EXPECT_EQ(target.at(0, 0), rgb(50, 50, 50)) << "outside the target rectangle";
    EXPECT_EQ(target.at(2, 2), rgb(50, 50, 50)) << "the key colour is left out";
    EXPECT_EQ(target.at(3, 1), rgb(1, 2, 3));
    EXPECT_EQ(target.at(1, 4), rgb(4, 5, 6));
    EXPECT_EQ(target.at(4, 4), rgb(7, 8, 9));

    // Shrinking averages what a pixel covers.
    Surface small = memorySurface(1, 1);
    stretch(small, {0, 0, 1, 1}, source, {0, 1, 2, 1});
    EXPECT_EQ(small.at(0, 0), rgb(5, 6, 7));
    // Drawing off the surface is clipped: of an 8 x 8 enlargement at (-3, 5) only row 5,
    // columns 0-4 land, column 0 from the source's first column, 1-4 from its second.
    const Surface untouched = target;
    stretch(target, {-3, 5, 8, 8}, source, {0, 0, 2, 2});
    EXPECT_EQ(target.at(0, 5), rgb(255, 0, 255));
    for (int x = 1; x < 5; ++x)
        EXPECT_EQ(target.at(x, 5), rgb(1, 2, 3)) << x;
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 6; ++x) {
            if (y != 5 || x == 5) {
                EXPECT_EQ(target.at(x, y), untouched.at(x, y)) << x << "," << y;
            }
        }
    // An empty surface takes nothing and stays empty; an empty source or a source
    // rectangle beyond it (a skin that failed to load, or of another layout) leaves the
    // target as it was, with or without a key colour.
    Surface none = memorySurface(0, 10);
    EXPECT_TRUE(none.empty());
    stretch(none, {0, 0, 4, 4}, source, {0, 0, 2, 2});
    nineStretch(none, {0, 0, 4, 4}, source, {0, 0, 2, 2}, {1, 1, 1, 1});
    EXPECT_TRUE(none.empty());
    EXPECT_EQ(none.width, 0);
    for (const std::optional<Pixel> key : {std::optional<Pixel>(), std::optional<Pixel>(rgb(255, 0, 255))}) {
        Surface kept = target;
        nineStretch(kept, {0, 0, 6, 6}, Surface(), {0, 0, 2, 2}, {1, 1, 1, 1}, key);
        nineStretch(kept, {0, 0, 6, 6}, source, {0, 0, 3, 3}, {1, 1, 1, 1}, key);
        nineStretch(kept, {0, 0, 6, 6}, source, {1, 0, 2, 2}, {0, 0, 0, 0}, key);
        EXPECT_EQ(kept.pixels, target.pixels) << (key ? "with" : "without") << " a key colour";
    }
    // A nine-part stretch partly off the surface draws what lies on it as a whole drawing
    // would.
    const Surface labels = labelledSource();
    Surface whole = memorySurface(40, 70);
    nineStretch(whole, {0, 0, 40, 70}, labels, {0, 0, 9, 54}, {4, 50, 4, 3});
    Surface part = memorySurface(30, 30);
    nineStretch(part, {-10, -40, 40, 70}, labels, {0, 0, 9, 54}, {4, 50, 4, 3});
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 30; ++x)
            ASSERT_EQ(part.at(x, y), whole.at(x + 10, y + 40)) << x << "," << y;
    // No surface larger than the limit: 23901 x 23901 would take 2.28 GB.
    EXPECT_TRUE(memorySurface(23901, 23901).empty());
    EXPECT_FALSE(memorySurface(7680, 4320).empty());
}

// Pieces drawn for the display's pixels sit against the target's top-right corner.
TEST(FrameDrawing, AnchoredCopiesKeepTheTopRightCornerAndRepeatTheFirstColumnAndLastRow)
{
    Surface source = memorySurface(5, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x)
            source.row(y)[x] = rgb(x, y, 1);
    const Rect piece {1, 1, 3, 2}; // columns 1-3, rows 1-2 of the source
    struct Case
    {
        Rect target;
        const char* why;
    };
    for (const Case c : {Case {{2, 1, 3, 2}, "same size"}, Case {{1, 1, 5, 2}, "wider"}, Case {{2, 0, 3, 4}, "taller"},
             Case {{3, 1, 2, 1}, "smaller"}, Case {{-1, 5, 5, 4}, "partly off the surface"}}) {
        SCOPED_TRACE(c.why);
        Surface target = memorySurface(6, 7);
        std::fill(target.pixels.begin(), target.pixels.end(), rgb(50, 50, 50));
        copyAnchored(target, c.target, source, piece);
        const Rect& t = c.target;
        for (int y = 0; y < target.height; ++y)
            for (int x = 0; x < target.width; ++x) {
                const bool in = x >= t.x && x < t.x + t.width && y >= t.y && y < t.y + t.height;
                const int sx = 1 + std::max(0, 3 - (t.x + t.width - x)), sy = 1 + std::min(y - t.y, 1);
                ASSERT_EQ(target.at(x, y), in ? rgb(sx, sy, 1) : rgb(50, 50, 50)) << x << "," << y;
            }
    }
}

TEST(FrameDrawing, TheSkinsCornersAreCutFromTheShapeAtAnySizeAndScale)
{
    const Surface image = skin();
    ASSERT_EQ(image.width, 167);
    ASSERT_EQ(image.height, 57);
    EXPECT_TRUE(sameColour(image.at(0, 0), frame::kSkinKey));
    EXPECT_TRUE(sameColour(image.at(8, 53), frame::kSkinKey));
    EXPECT_FALSE(sameColour(image.at(4, 50), frame::kSkinKey)) << "the client background";
    // The skins for 150 % and 200 % keep the layout at twice the size; the middle columns
    // and rows of their frame source are alike, so that any stretch of them looks the same.
    for (const double k : {1.5, 2.0}) {
        const Surface& drawn = scaledSkin(k);
        ASSERT_EQ(drawn.width, 2 * 167) << k;
        ASSERT_EQ(drawn.height, 2 * 57) << k;
        for (int y = 0; y < P(54, k); ++y)
            for (int x = P(4, k); x < P(9, k) - P(4, k); ++x)
                ASSERT_EQ(drawn.at(x, y), drawn.at(P(4, k), y)) << k << ": " << x << "," << y;
        for (int y = P(50, k); y < P(54, k) - P(3, k); ++y)
            for (int x = 0; x < P(9, k); ++x)
                ASSERT_EQ(drawn.at(x, y), drawn.at(x, P(50, k))) << k << ": " << x << "," << y;
    }

    struct Size
    {
        int w;
        int h;
    };
    for (const Size size : {Size {9, 54}, Size {10, 60}, Size {137, 40}, Size {400, 300}, Size {1921, 1081}}) {
        // The standard skin scaled, and at 150 % and 200 % the skins drawn for them.
        for (const auto& [scale, drawnFor] :
            {std::pair {1.0, false}, {1.5, false}, {2.0, false}, {1.5, true}, {2.0, true}}) {
            SCOPED_TRACE(std::to_string(size.w) + "x" + std::to_string(size.h) + " at " + std::to_string(scale)
                + (drawnFor ? " drawn for it" : ""));
            Surface background = memorySurface(toDevice(size.w, scale), toDevice(size.h, scale));
            const Rect device {0, 0, background.width, background.height};
            if (drawnFor)
                nineStretch(background, device, scaledSkin(scale), {0, 0, P(9, scale), P(54, scale)},
                    {P(4, scale), P(50, scale), P(4, scale), P(3, scale)});
            else
                nineStretch(background, device, image, {0, 0, 9, 54}, {4, 50, 4, 3}, std::nullopt, scale);
            const Region shape = shapeFromSurface(background, {0, 0, size.w, size.h}, frame::kSkinKey, scale);
            for (const auto& [x, y] : {std::pair {0, 0}, {size.w - 1, 0}, {0, size.h - 1}, {size.w - 1, size.h - 1}})
                EXPECT_FALSE(shape.contains(x, y)) << x << "," << y;
            for (const auto& [x, y] :
                {std::pair {3, 0}, {size.w - 4, 0}, {0, 3}, {2, size.h - 1}, {size.w / 2, size.h / 2}})
                EXPECT_TRUE(shape.contains(x, y)) << x << "," << y;
            // Five pixels cut at each top corner, three at each bottom one.
            EXPECT_EQ(area(shape), static_cast<long>(size.w) * size.h - 16);
            EXPECT_LE(shape.rects.size(), 14u) << "rows with the same runs share a band";
        }
    }
}

TEST(FrameDrawing, BitmapsThatAreNoUncompressedBitmapGiveNoSurface)
{
    std::ifstream in(FRAME_SKIN, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_TRUE(surfaceForBitmap(bytes.substr(0, bytes.size() / 2)).empty()) << "cut short";
    EXPECT_TRUE(surfaceForBitmap("PNG").empty());
    std::string compressed = bytes;
    compressed[30] = 1;
    EXPECT_TRUE(surfaceForBitmap(compressed).empty());
    EXPECT_EQ(translateColour(0x00332211u, nullptr), rgb(0x11, 0x22, 0x33));
    EXPECT_EQ(translateColour(0x8000000Fu, [](int index) { return rgb(index, 0, 0); }), rgb(15, 0, 0));
}
