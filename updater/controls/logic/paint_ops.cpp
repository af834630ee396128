#include "updater/controls/logic/paint_ops.h"

#include <algorithm>
#include <cmath>

namespace xpcontrols {

Rgb lighten(Rgb colour, int amount)
{
    const auto channel = [amount](int c) { return std::min(255, amount + c * (255 - amount) / 255); };
    return Rgb {channel(colour.r), channel(colour.g), channel(colour.b)};
}

Rgb rampColour(Rgb from, Rgb to, int index, int steps)
{
    if (steps <= 0)
        return from;
    const auto channel = [index, steps](int a, int b) {
        const long wideA = static_cast<long>(a) * 256;
        const long wideB = static_cast<long>(b) * 256;
        return static_cast<int>((wideA + (wideB - wideA) * index / steps) >> 8);
    };
    return Rgb {channel(from.r, to.r), channel(from.g, to.g), channel(from.b, to.b)};
}

Rgb roundedRampColour(Rgb from, Rgb to, int index, int rows)
{
    if (rows <= 1)
        return from;
    // nearbyint rounds halves to even in the default rounding mode.
    const auto channel = [index, rows](int a, int b) {
        return static_cast<int>(std::nearbyint(a + static_cast<double>(b - a) * index / (rows - 1)));
    };
    return Rgb {channel(from.r, to.r), channel(from.g, to.g), channel(from.b, to.b)};
}

bool isFocusDot(int x, int y)
{
    // The dot pattern is fixed to the surface, not to the rectangle, as a brush pattern is.
    return ((x + y) & 1) == 0;
}

} // namespace xpcontrols
