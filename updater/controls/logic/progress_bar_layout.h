#pragma once

#include "updater/controls/logic/paint_ops.h"

#include <cstdint>
#include <string>

namespace xpcontrols {

// What the progress bar shows. Orientation 0 is horizontal (fills left to right), any other
// value vertical (fills bottom to top). Scrolling 0 cuts the bar into blocks, 2 is the searching
// mode with three fading blocks, any other value gives a continuous bar.
struct ProgressBarModel
{
    std::int32_t value = 0;
    std::int32_t min = 0;
    std::int32_t max = 100;
    std::int32_t orientation = 0;
    std::int32_t scrolling = 0;
    bool showText = false;
    Rgb colour = fromColorRef(0xD77800);
};

inline constexpr int kBlockSize = 8;
inline constexpr int kGapSize = 2;
inline constexpr int kBlockStep = kBlockSize + kGapSize;

// Share of the range that `value` covers, clamped to 0..1. A reversed range (min > max) fills
// from the other end; an empty range (min == max) shows nothing unless the value lies above it.
double fillFraction(const ProgressBarModel& model);

// The bar rectangle inside a client area of width x height pixels: its moving edge snapped to
// whole block steps.
Rect barRect(const ProgressBarModel& model, int width, int height);

// Every drawing step of one redraw, in order. Empty for an empty client area.
PaintOps progressBarOps(const ProgressBarModel& model, int width, int height);

// The text drawn when ShowText is on (UTF-8): the searching text, or the filled percentage with
// up to 15 significant digits and " %".
std::string progressBarText(const ProgressBarModel& model);

// The window shape rounds the corners by leaving out three pixels at each of them.
bool isInsideProgressBarShape(int x, int y, int width, int height);

} // namespace xpcontrols
