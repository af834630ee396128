#pragma once

#include <cstdint>
#include <vector>

// The drawing of the two updater controls written down as plain data: the logic decides every
// rectangle and colour, a thin Qt painter only carries the list out. This keeps the pixel maths
// testable without a display.
namespace xpcontrols {

struct Rgb
{
    int r = 0;
    int g = 0;
    int b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

// A colour written the Windows way, 0xBBGGRR.
constexpr Rgb fromColorRef(std::uint32_t bgr)
{
    return Rgb {
        static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF), static_cast<int>((bgr >> 16) & 0xFF)};
}

// Each channel becomes amount + channel * (255 - amount) / 255, capped at 255.
Rgb lighten(Rgb colour, int amount);

// Left and top inclusive, right and bottom exclusive, as a Windows RECT.
struct Rect
{
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool isEmpty() const { return right <= left || bottom <= top; }
    friend bool operator==(const Rect&, const Rect&) = default;
};

enum class OpKind {
    Fill, // solid colour over `rect`
    Gradient, // two-colour ramp over `rect` in 16-bit steps (see rampColour)
    RowGradient, // one line per row, rounded ramp from top to bottom (see roundedRampColour)
    Frame, // one-pixel outline of `rect`
    Pixel, // the single pixel at (rect.left, rect.top)
    InvertDots, // every other pixel of the outline of `rect` inverted: a dotted focus rectangle
    Text, // the control's text goes here, between the steps before and after
};

struct PaintOp
{
    OpKind kind = OpKind::Fill;
    Rect rect;
    Rgb from;
    Rgb to;
    bool leftToRight = false; // Gradient only: otherwise top to bottom
};

using PaintOps = std::vector<PaintOp>;

// Colour of step `index` of `steps` in a ramp from `from` to `to`: channels widened to 16 bits
// as channel * 256, interpolated and cut back to 8 bits, so the last step stops just short of `to`.
Rgb rampColour(Rgb from, Rgb to, int index, int steps);

// Colour of row `index` of `rows` when the first row is exactly `from` and the last exactly `to`,
// each channel rounded to the nearest whole number (halves to even). One row takes `from`.
Rgb roundedRampColour(Rgb from, Rgb to, int index, int rows);

// Pixels of the outline of `rect` that a dotted focus rectangle touches.
bool isFocusDot(int x, int y);

} // namespace xpcontrols
