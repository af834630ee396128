#include "updater/controls/logic/progress_bar_layout.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace xpcontrols {
namespace {

constexpr Rgb kWhite {255, 255, 255};
constexpr Rgb kOuterGrey = fromColorRef(0xBEBEBE);
constexpr Rgb kInnerGrey = fromColorRef(0xEFEFEF);
constexpr Rgb kDarkGrey = fromColorRef(0x686868);

bool isHorizontal(const ProgressBarModel& model)
{
    return model.orientation == 0;
}

void fill(PaintOps& ops, Rect rect, Rgb colour)
{
    ops.push_back(PaintOp {OpKind::Fill, rect, colour, colour, false});
}

// A ramp given as origin and size, as the drawing steps are written.
void gradient(PaintOps& ops, int x, int y, int width, int height, Rgb from, Rgb to, bool leftToRight)
{
    ops.push_back(PaintOp {OpKind::Gradient, Rect {x, y, x + width, y + height}, from, to, leftToRight});
}

void addFilledBar(PaintOps& ops, const ProgressBarModel& model, Rect bar, int width, int height)
{
    const Rgb colour = model.colour;
    const Rgb light = lighten(colour, 150);
    if (isHorizontal(model)) {
        gradient(ops, 2, 3, bar.right - 2, 6, light, colour, false);
        fill(ops, Rect {2, 8, bar.right, height - 6}, colour);
        gradient(ops, 2, height - 8, bar.right - 2, 6, colour, light, false);
    } else {
        gradient(ops, 2, bar.top, 6, height, light, colour, true);
        fill(ops, Rect {7, bar.top, width - 8, height}, colour);
        gradient(ops, width - 8, bar.top, 6, height, colour, light, true);
    }
}

// Searching mode: three blocks beyond the moving edge, the first the palest.
void addSearchBlocks(PaintOps& ops, const ProgressBarModel& model, Rect bar, int width, int height)
{
    for (int k = 0; k < 3; ++k) {
        const Rgb pale = lighten(model.colour, 220 - 40 * k);
        const Rgb deep = lighten(model.colour, 200 - 40 * k);
        if (isHorizontal(model)) {
            const int x = bar.right + 12 * k;
            gradient(ops, x, 3, 10, 6, pale, deep, false);
            fill(ops, Rect {x, 8, x + 10, height - 6}, deep);
            gradient(ops, x, height - 8, 10, 6, deep, pale, false);
        } else {
            const int y = bar.top + 12 * k;
            gradient(ops, 2, y, 6, 10, pale, deep, false);
            fill(ops, Rect {8, y, width - 8, y + 10}, deep);
            gradient(ops, width - 8, y, 6, 10, deep, pale, false);
        }
    }
}

void addGaps(PaintOps& ops, const ProgressBarModel& model, Rect bar, int width, int height)
{
    if (isHorizontal(model)) {
        for (int x = bar.left + kBlockSize; x <= bar.right; x += kBlockStep)
            fill(ops, Rect {x + 2, 0, x + 2 + kGapSize, height}, kWhite);
    } else {
        for (int y = bar.bottom; y >= bar.top + kBlockSize; y -= kBlockStep)
            fill(ops, Rect {0, y - kGapSize, width, y}, kWhite);
    }
}

void addBorder(PaintOps& ops, int width, int height)
{
    ops.push_back(PaintOp {OpKind::Frame, Rect {1, 1, width, height}, kOuterGrey, kOuterGrey});
    ops.push_back(PaintOp {OpKind::Frame, Rect {1, 2, width - 1, height - 1}, kInnerGrey, kInnerGrey});
    ops.push_back(PaintOp {OpKind::Frame, Rect {0, 0, width, height}, kDarkGrey, kDarkGrey});
    for (const auto& [x, y] : {std::pair {1, 1}, {width - 2, 1}, {1, height - 2}, {width - 2, height - 2}})
        ops.push_back(PaintOp {OpKind::Pixel, Rect {x, y, x + 1, y + 1}, kDarkGrey, kDarkGrey});
}

} // namespace

double fillFraction(const ProgressBarModel& model)
{
    // Doubles keep a range spanning the whole 32-bit space from overflowing.
    const double fraction
        = (static_cast<double>(model.value) - model.min) / (static_cast<double>(model.max) - model.min);
    if (!(fraction >= 0.0)) // below 0, or not a number for an empty range
        return 0.0;
    return std::min(fraction, 1.0);
}

Rect barRect(const ProgressBarModel& model, int width, int height)
{
    Rect bar {0, 0, width, height};
    const double fraction = fillFraction(model);
    if (isHorizontal(model)) {
        const int x = static_cast<int>(std::nearbyint(fraction * width));
        const int snapped = bar.left + (x - bar.left) / kBlockStep * kBlockStep;
        bar.right = std::max(snapped, 0);
    } else {
        // The vertical bar stops a little short of its full length, as it always has.
        const int y = static_cast<int>(std::nearbyint((1.0 - fraction - 0.02) * height));
        const int snapped = bar.bottom - (bar.bottom - y) / kBlockStep * kBlockStep;
        bar.top = std::min(snapped, height);
    }
    return bar;
}

PaintOps progressBarOps(const ProgressBarModel& model, int width, int height)
{
    PaintOps ops;
    if (width <= 0 || height <= 0)
        return ops;
    fill(ops, Rect {0, 0, width, height}, kWhite);
    const Rect bar = barRect(model, width, height);
    if (model.scrolling == 2)
        addSearchBlocks(ops, model, bar, width, height);
    else
        addFilledBar(ops, model, bar, width, height);
    if (model.scrolling == 0)
        addGaps(ops, model, bar, width, height);
    if (model.showText)
        ops.push_back(PaintOp {OpKind::Text});
    addBorder(ops, width, height);
    return ops;
}

std::string progressBarText(const ProgressBarModel& model)
{
    if (model.scrolling == 2)
        return "正在查找..";
    // The share of the range in per cent; for the usual range 0-100 this is the value itself.
    double percent = fillFraction(model) * 100.0;
    if (model.max != model.min) {
        const double clamped = std::clamp(static_cast<double>(model.value),
            static_cast<double>(std::min(model.min, model.max)), static_cast<double>(std::max(model.min, model.max)));
        percent = (clamped - model.min) * 100.0 / (static_cast<double>(model.max) - model.min);
    }
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.15g", percent == 0.0 ? 0.0 : percent);
    return std::string(buffer) + " %";
}

bool isInsideProgressBarShape(int x, int y, int width, int height)
{
    if (x < 0 || y < 0 || x >= width || y >= height)
        return false;
    // Distance from the nearest corner along each axis; (0,0), (1,0) and (0,1) are cut.
    const int dx = std::min(x, width - 1 - x);
    const int dy = std::min(y, height - 1 - y);
    return dx + dy >= 2;
}

} // namespace xpcontrols
