#include "portal/frame/logic/MDC.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace MDC {

namespace {

constexpr int kMaxSide = 1 << 15;

// For each target position along one axis: the first source position it reads and how many
// it averages (more than one only when shrinking).
struct AxisMap
{
    std::vector<int> first;
    std::vector<int> count;
};

AxisMap axisMap(int sourceStart, int sourceLength, int targetLength)
{
    AxisMap map;
    map.first.resize(targetLength);
    map.count.resize(targetLength, 1);
    for (int i = 0; i < targetLength; ++i) {
        if (sourceLength <= targetLength) {
            // Enlarging: the source pixel under the target pixel's centre.
            const auto at = (static_cast<std::int64_t>(2 * i + 1) * sourceLength) / (2 * targetLength);
            map.first[i] = sourceStart + static_cast<int>(at);
        } else {
            const auto from = static_cast<std::int64_t>(i) * sourceLength / targetLength;
            const auto to = static_cast<std::int64_t>(i + 1) * sourceLength / targetLength;
            map.first[i] = sourceStart + static_cast<int>(from);
            map.count[i] = static_cast<int>(std::max<std::int64_t>(1, to - from));
        }
    }
    return map;
}

Pixel average(const Surface& source, int x0, int nx, int y0, int ny)
{
    std::uint64_t r = 0, g = 0, b = 0;
    for (int y = y0; y < y0 + ny; ++y) {
        for (int x = x0; x < x0 + nx; ++x) {
            const Pixel p = source.at(x, y);
            r += (p >> 16) & 0xFF;
            g += (p >> 8) & 0xFF;
            b += p & 0xFF;
        }
    }
    const auto n = static_cast<std::uint64_t>(nx) * ny;
    return rgb(static_cast<int>(r / n), static_cast<int>(g / n), static_cast<int>(b / n));
}

bool inside(const Surface& surface, Rect r)
{
    return r.x >= 0 && r.y >= 0 && r.width >= 0 && r.height >= 0 && r.x + r.width <= surface.width
        && r.y + r.height <= surface.height;
}

} // namespace

int toDevice(int logical, double scale)
{
    return static_cast<int>(std::lround(logical * scale));
}

static bool allowedSize(int width, int height)
{
    return width > 0 && height > 0 && width <= kMaxSide && height <= kMaxSide
        && static_cast<std::int64_t>(width) * height <= kMaxSurfaceArea;
}

Surface memorySurface(int width, int height)
{
    Surface surface;
    if (!allowedSize(width, height))
        return surface;
    surface.width = width;
    surface.height = height;
    surface.pixels.assign(static_cast<std::size_t>(width) * height, kOpaque);
    return surface;
}

void resizeSurface(Surface& surface, int width, int height)
{
    if (!allowedSize(width, height)) {
        surface = Surface();
        return;
    }
    surface.splitRow = -1;
    surface.splitRepeat = 0;
    surface.width = width;
    surface.height = height;
    surface.pixels.resize(static_cast<std::size_t>(width) * height, kOpaque);
}

void stretch(Surface& target, Rect t, const Surface& source, Rect s)
{
    if (t.width <= 0 || t.height <= 0 || s.width <= 0 || s.height <= 0 || target.empty() || !inside(source, s))
        return;
    const AxisMap xs = axisMap(s.x, s.width, t.width);
    const AxisMap ys = axisMap(s.y, s.height, t.height);
    // Only the part of the target rectangle that lies on the target surface.
    const int x0 = std::max(0, -t.x);
    const int x1 = std::min(t.width, target.width - t.x);
    const int y0 = std::max(0, -t.y);
    const int y1 = std::min(t.height, target.height - t.y);
    if (x0 >= x1 || y0 >= y1)
        return;
    const bool shrinking = s.width > t.width || s.height > t.height;
    const auto span = static_cast<std::size_t>(x1 - x0);
    for (int j = y0; j < y1; ++j) {
        Pixel* out = target.row(t.y + j) + t.x + x0;
        // Rows that read the same source rows are copies of the row above.
        if (j > y0 && ys.first[j] == ys.first[j - 1] && ys.count[j] == ys.count[j - 1]) {
            std::memcpy(out, target.row(t.y + j - 1) + t.x + x0, span * sizeof(Pixel));
            continue;
        }
        if (shrinking) {
            for (int i = x0; i < x1; ++i)
                out[i - x0] = average(source, xs.first[i], xs.count[i], ys.first[j], ys.count[j]);
        } else if (s.width == 1) {
            std::fill(out, out + span, source.at(s.x, ys.first[j]));
        } else {
            const Pixel* in = source.row(ys.first[j]);
            for (int i = x0; i < x1; ++i)
                out[i - x0] = in[xs.first[i]];
        }
    }
}

void copyAtScale(Surface& target, Rect t, const Surface& source, Rect s, double scale)
{
    if (target.empty() || !inside(source, s) || s.width <= 0 || s.height <= 0 || t.width <= 0 || t.height <= 0)
        return;
    const auto sourceAt = [scale](int device, int logicalStart, int length) {
        const auto logical = static_cast<int>(std::floor((device + 0.5) / scale)) - logicalStart;
        return std::clamp(logical, 0, length - 1);
    };
    const int x0 = std::max(0, toDevice(t.x, scale)), x1 = std::min(target.width, toDevice(t.x + t.width, scale));
    const int y0 = std::max(0, toDevice(t.y, scale)), y1 = std::min(target.height, toDevice(t.y + t.height, scale));
    for (int y = y0; y < y1; ++y) {
        const Pixel* in = source.row(s.y + sourceAt(y, t.y, std::min(t.height, s.height)));
        Pixel* out = target.row(y);
        for (int x = x0; x < x1; ++x)
            out[x] = in[s.x + sourceAt(x, t.x, std::min(t.width, s.width))];
    }
}

void copyAnchored(Surface& target, Rect t, const Surface& source, Rect s, std::optional<Pixel> key)
{
    if (target.empty() || !inside(source, s) || s.width <= 0 || s.height <= 0 || t.width <= 0 || t.height <= 0)
        return;
    const int x0 = std::max(0, -t.x), x1 = std::min(t.width, target.width - t.x);
    const int y0 = std::max(0, -t.y), y1 = std::min(t.height, target.height - t.y);
    for (int j = y0; j < y1; ++j) {
        const Pixel* in = source.row(s.y + std::min(j, s.height - 1)) + s.x;
        Pixel* out = target.row(t.y + j) + t.x;
        for (int i = x0; i < x1; ++i) {
            const Pixel p = in[std::max(0, s.width - (t.width - i))];
            if (!key || !sameColour(p, *key))
                out[i] = p;
        }
    }
}

void nineStretch(
    Surface& target, Rect t, const Surface& source, Rect s, Margins m, std::optional<Pixel> key, double scale)
{
    // A source rectangle beyond the source (a skin of another layout) draws nothing, rather
    // than the fresh surface's black through the key colour's copy.
    if (target.empty() || source.empty() || t.width <= 0 || t.height <= 0 || !inside(source, s))
        return;
    struct Part
    {
        Rect from;
        Rect to;
    };
    std::vector<Part> parts;
    if (m.left <= 0 && m.top <= 0 && m.right <= 0 && m.bottom <= 0) {
        parts.push_back({s, {0, 0, t.width, t.height}});
    } else {
        const int l = m.left, tp = m.top, r = m.right, b = m.bottom;
        const int dl = toDevice(l, scale), dt = toDevice(tp, scale), dr = toDevice(r, scale), db = toDevice(b, scale);
        const int cw = t.width - dl - dr, ch = t.height - dt - db;
        const int sr = s.x + s.width - r, sb = s.y + s.height - b;
        const int scw = s.width - l - r, sch = s.height - tp - b;
        parts = {
            // Corners at their own size, then the edges along their length, then the centre.
            {{s.x, s.y, l, tp}, {0, 0, dl, dt}},
            {{sr, s.y, r, tp}, {t.width - dr, 0, dr, dt}},
            {{s.x, sb, l, b}, {0, t.height - db, dl, db}},
            {{sr, sb, r, b}, {t.width - dr, t.height - db, dr, db}},
            {{s.x, s.y + tp, l, sch}, {0, dt, dl, ch}},
            {{sr, s.y + tp, r, sch}, {t.width - dr, dt, dr, ch}},
            {{s.x + l, s.y, scw, tp}, {dl, 0, cw, dt}},
            {{s.x + l, sb, scw, b}, {dl, t.height - db, cw, db}},
            {{s.x + l, s.y + tp, scw, sch}, {dl, dt, cw, ch}},
        };
    }
    // A part too small to draw leaves its place as the fresh surface has it.
    const bool allDrawn = std::all_of(parts.begin(), parts.end(),
        [](const Part& p) { return p.from.width > 0 && p.from.height > 0 && p.to.width > 0 && p.to.height > 0; });
    if (!key && allDrawn) {
        // Every pixel of the target rectangle is painted: drawing in place equals drawing on a
        // fresh surface and copying it over.
        for (const Part& p : parts)
            stretch(target, {t.x + p.to.x, t.y + p.to.y, p.to.width, p.to.height}, source, p.from);
        return;
    }
    Surface fresh = memorySurface(t.width, t.height);
    if (fresh.empty())
        return;
    for (const Part& p : parts)
        stretch(fresh, p.to, source, p.from);
    if (key)
        transparentCopy(target, t.x, t.y, t.width, t.height, fresh, 0, 0, *key);
    else
        stretch(target, t, fresh, {0, 0, t.width, t.height});
}

void transparentCopy(Surface& target, int x, int y, int w, int h, const Surface& source, int sx, int sy, Pixel key)
{
    for (int j = 0; j < h; ++j) {
        const int ty = y + j, fy = sy + j;
        if (ty < 0 || ty >= target.height || fy < 0 || fy >= source.height)
            continue;
        for (int i = 0; i < w; ++i) {
            const int tx = x + i, fx = sx + i;
            if (tx < 0 || tx >= target.width || fx < 0 || fx >= source.width)
                continue;
            const Pixel p = source.at(fx, fy);
            if (!sameColour(p, key))
                target.row(ty)[tx] = p;
        }
    }
}

bool Region::contains(int x, int y) const
{
    return std::any_of(rects.begin(), rects.end(),
        [&](const Rect& r) { return x >= r.x && x < r.x + r.width && y >= r.y && y < r.y + r.height; });
}

Region shapeFromSurface(const Surface& surface, Rect r, Pixel key, double scale)
{
    Region region;
    if (surface.empty() || r.width <= 0 || r.height <= 0)
        return region;
    auto sample = [&](int logical, int limit) {
        return std::clamp(static_cast<int>(std::floor((logical + 0.5) * scale)), 0, limit - 1);
    };
    std::vector<int> columns(r.width);
    for (int i = 0; i < r.width; ++i)
        columns[i] = sample(r.x + i, surface.width);
    std::size_t bandStart = 0; // first rectangle of the band the rows above belong to
    int previousRow = -1;
    std::vector<Rect> runs;
    for (int j = 0; j < r.height; ++j) {
        const int sy = sample(r.y + j, surface.height);
        const bool samePixels = previousRow >= 0
            && (sy == previousRow
                || std::memcmp(surface.row(sy), surface.row(previousRow), surface.width * sizeof(Pixel)) == 0);
        previousRow = sy;
        if (!samePixels) {
            runs.clear();
            const Pixel* line = surface.row(sy);
            for (int i = 0; i < r.width;) {
                if (sameColour(line[columns[i]], key)) {
                    ++i;
                    continue;
                }
                const int start = i;
                while (i < r.width && !sameColour(line[columns[i]], key))
                    ++i;
                runs.push_back({r.x + start, r.y + j, i - start, 1});
            }
        }
        // A row with the runs of the band above makes that band one row taller.
        const bool sameRuns = j > 0
            && (samePixels
                || std::equal(runs.begin(), runs.end(), region.rects.begin() + static_cast<std::ptrdiff_t>(bandStart),
                    region.rects.end(), [](const Rect& a, const Rect& b) { return a.x == b.x && a.width == b.width; }));
        if (sameRuns) {
            for (std::size_t k = bandStart; k < region.rects.size(); ++k)
                ++region.rects[k].height;
            continue;
        }
        bandStart = region.rects.size();
        region.rects.insert(region.rects.end(), runs.begin(), runs.end());
    }
    return region;
}

void coverKeyAtShapeEdge(Surface& surface, const Region& shape, double scale, Pixel key, int corner)
{
    // The window pixels a device span [d, d + 1) touches.
    const auto first = [scale](int d) { return static_cast<int>(std::floor(d / scale)); };
    const auto last = [scale](int d) { return static_cast<int>(std::ceil((d + 1) / scale)) - 1; };
    const auto touchesShape = [&](int x, int y) {
        for (int ly = first(y); ly <= last(y); ++ly)
            for (int lx = first(x); lx <= last(x); ++lx)
                if (shape.contains(lx, ly))
                    return true;
        return false;
    };
    const int w = surface.width, h = surface.height;
    corner = std::min({corner, w / 2, h / 2});
    for (int y = 0; y < h; y = (y + 1 == corner && h - corner > y + 1) ? h - corner : y + 1) {
        const int windowRow = surface.splitRow >= 0 && y > surface.splitRow ? y + surface.splitRepeat : y;
        Pixel* line = surface.row(y);
        for (int x = 0; x < w; x = (x + 1 == corner && w - corner > x + 1) ? w - corner : x + 1) {
            if (!sameColour(line[x], key) || !touchesShape(x, windowRow))
                continue;
            const int step = x < w / 2 ? 1 : -1;
            int from = x;
            while (from >= 0 && from < w && sameColour(line[from], key))
                from += step;
            if (from >= 0 && from < w)
                line[x] = line[from];
        }
    }
}

Region insertRows(const Region& region, int at, int extra)
{
    Region out = region;
    for (Rect& r : out.rects) {
        if (r.y >= at)
            r.y += extra;
        else if (r.y + r.height > at)
            r.height += extra;
    }
    return out;
}

Pixel translateColour(std::uint32_t colour, Pixel (*systemColour)(int index))
{
    if (colour & 0x80000000u)
        return systemColour ? systemColour(static_cast<int>(colour & 0xFF)) : kOpaque;
    // References are blue-green-red, low byte red; the top byte only says how to look it up.
    return rgb(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
        static_cast<int>((colour >> 16) & 0xFF));
}

} // namespace MDC
