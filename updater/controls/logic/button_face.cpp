#include "updater/controls/logic/button_face.h"

#include <array>
#include <utility>

namespace xpcontrols {
namespace {

constexpr Rgb c(std::uint32_t bgr)
{
    return fromColorRef(bgr);
}

constexpr Rgb kUnused {};

const std::array<ButtonColours, 5> kTable {{
    // disabled
    {c(0xBAC7C9), kUnused, kUnused, kUnused, kUnused, kUnused, kUnused, c(0xEAF4F5), c(0x8CB1C4), c(0xBDC7CE),
        c(0x8CB1C4)},
    // normal
    {c(0x743C00), c(0xFFFFFF), c(0xFEFEFE), c(0xD6DFE2), c(0xC5D0D6), c(0xFBFCFC), c(0xE6EBEC), kUnused, c(0x845521),
        c(0xAD967B), c(0xA57D52)},
    // focused or default
    {c(0x743C00), c(0xFFE7CE), c(0xF7D7BD), c(0xE7AE8C), c(0xEF826B), c(0xF7D3BD), c(0xE7AE8C), kUnused, c(0x845521),
        c(0xAD967B), c(0xA57D52)},
    // hot
    {c(0x743C00), c(0xCEF3FF), c(0x8CDBFF), c(0x31B2FF), c(0x0096E6), c(0x9CDFE1), c(0x30B6FF), kUnused, c(0x845521),
        c(0xAD967B), c(0xA57D52)},
    // pressed
    {c(0x743C00), kUnused, kUnused, kUnused, kUnused, kUnused, kUnused, c(0xDEE3E7), c(0x845521), c(0xAD967B),
        c(0xA57D52)},
}};

void fill(PaintOps& ops, Rect rect, Rgb colour)
{
    ops.push_back(PaintOp {OpKind::Fill, rect, colour, colour});
}

// A line from (x1, y1) to (x2, y2) that leaves out its end point, as the platform's lines do.
void line(PaintOps& ops, int x1, int y1, int x2, int y2, Rgb colour)
{
    if (y1 == y2)
        fill(ops, Rect {x1, y1, x2, y1 + 1}, colour);
    else
        fill(ops, Rect {x1, y1, x1 + 1, y2}, colour);
}

void pixel(PaintOps& ops, int x, int y, Rgb colour)
{
    ops.push_back(PaintOp {OpKind::Pixel, Rect {x, y, x + 1, y + 1}, colour, colour});
}

} // namespace

const ButtonColours& buttonColours(int state)
{
    if (state < StateDisabled || state > StatePressed)
        state = StateNormal;
    return kTable[static_cast<std::size_t>(state)];
}

Rect captionRect(int width, int height)
{
    return Rect {3, 3, width - 3, height - 3};
}

PaintOps buttonFaceOps(int state, int w, int h, bool focusDots)
{
    PaintOps ops;
    if (w <= 0 || h <= 0)
        return ops;
    if (state < StateDisabled || state > StatePressed)
        state = StateNormal;
    const ButtonColours& colours = buttonColours(state);
    line(ops, 3, 0, w - 3, 0, colours.border);
    line(ops, 0, 3, 0, h - 3, colours.border);
    line(ops, 3, h - 1, w - 3, h - 1, colours.border);
    line(ops, w - 1, 3, w - 1, h - 3, colours.border);

    const bool ringed = state >= StateNormal && state <= StateHot;
    if (ringed) {
        ops.push_back(PaintOp {OpKind::RowGradient, Rect {1, 3, w - 1, h - 2}, colours.ringTop, colours.ringBottom});
        ops.push_back(PaintOp {OpKind::RowGradient, Rect {3, 3, w - 3, h - 3}, kFaceTop, kFaceBottom});
        line(ops, 1, 1, w, 1, colours.lineY1);
        line(ops, 1, 2, w, 2, colours.lineY2);
        line(ops, 1, h - 3, w, h - 3, colours.lineBottom3);
        line(ops, 2, h - 2, w - 1, h - 2, colours.lineBottom2);
    } else {
        fill(ops, Rect {1, 1, w - 1, h - 1}, colours.flatFace);
    }

    for (const auto& [x, y] :
        {std::pair {0, 1}, {1, 0}, {w - 1, 1}, {w - 2, 0}, {0, h - 2}, {1, h - 1}, {w - 1, h - 2}, {w - 2, h - 1}})
        pixel(ops, x, y, colours.cornerB);
    for (const auto& [x, y] :
        {std::pair {0, 2}, {2, 0}, {w - 1, 2}, {w - 3, 0}, {0, h - 3}, {2, h - 1}, {w - 1, h - 3}, {w - 3, h - 1}})
        pixel(ops, x, y, colours.cornerA);
    for (const auto& [x, y] : {std::pair {1, 1}, {w - 2, 1}, {1, h - 2}, {w - 2, h - 2}})
        pixel(ops, x, y, colours.cornerC);

    ops.push_back(PaintOp {OpKind::Text, captionRect(w, h)});
    if (focusDots)
        ops.push_back(PaintOp {OpKind::InvertDots, captionRect(w, h)});
    return ops;
}

bool isInsideButtonShape(int x, int y, int width, int height)
{
    if (x < 0 || y < 0 || x >= width || y >= height)
        return false;
    const bool atLeftOrRight = x == 0 || x == width - 1;
    const bool atTopOrBottom = y == 0 || y == height - 1;
    return !(atLeftOrRight && atTopOrBottom);
}

int minimumButtonPixels()
{
    constexpr int twipsPerPixel = 15;
    return (kMinimumSizeTwips + twipsPerPixel - 1) / twipsPerPixel;
}

} // namespace xpcontrols
