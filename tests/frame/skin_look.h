#pragma once

// What the drawn frame must show at each device pixel, worked out pixel by pixel from a skin
// drawn for the display's scale and the skin's layout: each area (x, y, w, h) of the standard
// skin lies at (x, y) * ceil(k) and is P(w) x P(h), P(v) = floor(v * k + 0.5); the frame's
// corners and borders keep their device size, the caption buttons sit 1:1 against the
// window's top-right corner.

#include "portal/frame/logic/MDC.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <string>

inline MDC::Surface skinFromFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return MDC::surfaceForBitmap(std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>()));
}

// The skin file drawn for a scale, beside the standard one ("skin101@1.5x.bmp").
inline std::string skinPathFor(const std::string& standard, double k)
{
    if (k == 1.0)
        return standard;
    const std::string scale = k == 2.0 ? "2" : k == 1.5 ? "1.5" : std::to_string(k);
    return standard.substr(0, standard.size() - 4) + "@" + scale + "x.bmp";
}

struct FrameLook
{
    const MDC::Surface& skin; // drawn for k
    double k = 1.0;
    int width = 0; // the window, window pixels
    int height = 0;
    int inset = 0; // the frame's border beyond each window edge (maximized)
    bool restoreGlyph = false;
    int states[3] = {0, 0, 0}; // close, maximize, minimize: 0 normal, 1 hot, 2 pressed

    int P(int v) const { return static_cast<int>(std::floor(v * k + 0.5)); }
    int dev(int v) const { return static_cast<int>(std::lround(v * k)); }
    int layout() const { return static_cast<int>(std::ceil(k)); }

    // Skin column/row for position `d` of a device span [from, to) whose source has `length`
    // pixels with `head` and `tail` kept; all the middle pixels of the skin are alike.
    static int nine(int d, int from, int to, int head, int tail, int length)
    {
        if (d - from < head)
            return d - from;
        if (to - d <= tail)
            return length - (to - d);
        return head;
    }

    MDC::Pixel at(int x, int y) const
    {
        const int c = layout();
        // Caption buttons: close, maximize, minimize from the frame's right edge.
        const int frameWidth = width + 2 * inset;
        const int places[3][3]
            = {{frameWidth - 39, 39, 93}, {frameWidth - 67, 28, restoreGlyph ? 65 : 37}, {frameWidth - 95, 28, 9}};
        const int top = dev(-inset), bottom = dev(19 - inset);
        for (int b = 0; b < 3; ++b) {
            const int left = dev(places[b][0] - inset), right = dev(places[b][0] + places[b][1] - inset);
            if (x < left || x >= right || y < top || y >= bottom)
                continue;
            const int sx = std::max(0, P(places[b][1]) - (right - x));
            const int sy = std::min(y - top, P(19) - 1);
            return skin.at(places[b][2] * c + sx, 19 * states[b] * c + sy);
        }
        const int sx = nine(x, dev(-inset), dev(width + inset), P(4), P(4), P(9));
        const int sy = nine(y, dev(-inset), dev(height + inset), P(50), P(3), P(54));
        return skin.at(sx, sy);
    }
};
