#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

// Drawing helpers of the frame on plain memory surfaces: nine-part stretching, transparent
// copying, and window shapes taken from an image.
namespace MDC {

// 0xFFRRGGBB, the layout of a 32-bit RGB image on every platform we draw on.
using Pixel = std::uint32_t;
constexpr Pixel kOpaque = 0xFF000000u;

constexpr Pixel rgb(int r, int g, int b)
{
    return kOpaque | (static_cast<Pixel>(r) << 16) | (static_cast<Pixel>(g) << 8) | static_cast<Pixel>(b);
}
constexpr bool sameColour(Pixel a, Pixel b)
{
    return ((a ^ b) & 0x00FFFFFFu) == 0;
}

struct Rect
{
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool operator==(const Rect&) const = default;
};

// The most pixels one surface may hold: a window filling the largest displays made (8K) at
// full resolution. Larger windows are drawn in parts (see Surface::splitRow).
constexpr std::int64_t kMaxSurfaceArea = 7680LL * 4320;

// A drawing surface in memory. An empty one (creation failed) takes no drawing.
struct Surface
{
    int width = 0;
    int height = 0;
    std::vector<Pixel> pixels;
    // A surface for a window taller than its memory allows keeps the window's top and bottom
    // rows and one row of the identical rows between: row `splitRow` stands for itself and
    // `splitRepeat` more rows of the window. -1: every row is the window's own.
    int splitRow = -1;
    int splitRepeat = 0;

    bool empty() const { return pixels.empty(); }
    Pixel at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
    Pixel* row(int y) { return pixels.data() + static_cast<std::size_t>(y) * width; }
    const Pixel* row(int y) const { return pixels.data() + static_cast<std::size_t>(y) * width; }
};

// The rows of the window a surface stands for.
inline int shownHeight(const Surface& s)
{
    return s.height + (s.splitRow >= 0 ? s.splitRepeat : 0);
}

// A surface of that size, black; empty when the size is not positive or too large.
Surface memorySurface(int width, int height);
// Gives a surface a new size, keeping its memory where it is large enough (its pixels are
// then to be drawn anew); empty when the size is not positive or too large.
void resizeSurface(Surface& surface, int width, int height);

// A 24- or 32-bit uncompressed bitmap file (bottom-up or top-down) on a surface; empty
// when the bytes are no such bitmap.
Surface surfaceForBitmap(std::string_view bmpFile);

// Stretches source rectangle `s` onto target rectangle `t`, averaging the source pixels a
// target pixel covers when shrinking (halftone) and repeating them when enlarging, so that
// scaled-up skin pieces stay sharp. Parts outside either surface are left out.
void stretch(Surface& target, Rect t, const Surface& source, Rect s);

// Copies source rectangle `s` to the logical rectangle `t` of a surface with `scale` device
// pixels to a logical pixel: each device pixel takes the source pixel under its centre, so
// that pieces drawn side by side at any scale share their rows and columns (no seams where
// a rectangle's rounded size would give another ratio).
void copyAtScale(Surface& target, Rect t, const Surface& source, Rect s, double scale);

// Copies source rectangle `s` pixel for pixel into target rectangle `t` with their top-right
// corners together, as a piece drawn for the display's own pixels is placed: a wider target
// repeats the source's first column, a taller one its last row; a smaller one shows the
// source's top-right part. Parts outside the target surface and pixels of the key colour
// are left out.
void copyAnchored(Surface& target, Rect t, const Surface& source, Rect s, std::optional<Pixel> key = std::nullopt);

struct Margins
{
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// Nine-part stretch of source rectangle `s` onto target rectangle `t`: corners keep their
// size, edges stretch along their length, the centre both ways. `scale` device pixels go to
// one source pixel (1 on a standard display). With a key colour, the result is copied
// without the pixels of that colour.
void nineStretch(Surface& target,
    Rect t,
    const Surface& source,
    Rect s,
    Margins margins,
    std::optional<Pixel> key = std::nullopt,
    double scale = 1.0);

// Copies a w x h block from (sx, sy) of the source to (x, y) of the target, leaving out the
// pixels of the key colour.
void transparentCopy(Surface& target, int x, int y, int w, int h, const Surface& source, int sx, int sy, Pixel key);

// A window region: rectangles sorted by rows, then left to right.
struct Region
{
    std::vector<Rect> rects;
    bool contains(int x, int y) const;
};

// The region of every pixel of rectangle `r` (window pixels) whose colour is not the key,
// built row by row from horizontal runs; rows with the same runs share one band. A window
// pixel is read from the surface `scale` times further out, at its centre.
Region shapeFromSurface(const Surface& surface, Rect r, Pixel key, double scale = 1.0);

// Gives each key-coloured device pixel within `corner` pixels of a surface's corners that
// shares a window pixel with the shape the colour of its neighbour toward the middle of its
// row: the window system may round the shape's edges either way between device pixels, and
// the key colour must never show.
void coverKeyAtShapeEdge(Surface& surface, const Region& shape, double scale, Pixel key, int corner);

// The region with every rectangle at or below row `at` moved down `extra` rows and every
// rectangle across that row made `extra` rows taller: a shape taken from a surface drawn in
// parts, for the window it stands for.
Region insertRows(const Region& region, int at, int extra);

// A window-system colour reference as plain RGB: system colours (high bit set) through
// `systemColour`, palette-relative and palette-index references without their flag byte.
Pixel translateColour(std::uint32_t colour, Pixel (*systemColour)(int index));

// Logical pixel position to device pixel position.
int toDevice(int logical, double scale);

} // namespace MDC
