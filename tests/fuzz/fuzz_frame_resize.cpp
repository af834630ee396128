// The frame's resize: a window of any size, at any display scale, maximized or not, is drawn
// within the surface limit, its surfaces stand for every device row of the window, and its
// shape lies inside the window.
//   input: width, height (4 bytes each, little-endian, signed), a scale byte, a state byte

#include "portal/frame/logic/CSkinForm.h"
#include "tests/frame/fake_window_system.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

int readInt(const std::uint8_t* data)
{
    std::int32_t value;
    std::memcpy(&value, data, sizeof value);
    return value;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 10)
        return 0;
    static const double kScales[] = {1.0, 1.25, 1.5, 1.75, 2.0, 2.5, 3.0, 4.0};
    // Up to 40000 pixels a side: beyond what any window system gives a window.
    const int width = std::abs(readInt(data) % 40000);
    const int height = std::abs(readInt(data + 4) % 40000);
    FakeWindowSystem window;
    window.skin = MDC::memorySurface(167, 57);
    window.ratio = kScales[data[8] % 8];
    window.zoomed = (data[9] & 1) != 0;
    window.frameMetric = (data[9] >> 1) & 7;
    window.rect = {window.zoomed ? -window.frameMetric : 10, 24, width, height};
    frame::CSkinForm form(window, window);
    form.Attach(FakeWindowSystem::kWindow);
    window.send(frame::WM_SIZE, 0, frame::makeLParam(width, height));
    for (const MDC::Surface* s : {&form.frameSurface(), &form.backgroundSurface()}) {
        if (static_cast<std::int64_t>(s->width) * s->height > MDC::kMaxSurfaceArea)
            std::abort();
        if (!s->empty() && s->pixels.size() != static_cast<std::size_t>(s->width) * s->height)
            std::abort();
        if (!s->empty() && MDC::shownHeight(*s) != MDC::toDevice(height, window.ratio))
            std::abort();
    }
    for (const MDC::Region& region : window.regions)
        for (const MDC::Rect& r : region.rects)
            if (r.x < 0 || r.y < 0 || r.width <= 0 || r.height <= 0 || r.x + r.width > width || r.y + r.height > height)
                std::abort();
    // The mouse over every edge and corner of the window.
    for (const int x : {0, width / 2, width - 1})
        for (const int y : {0, height / 2, height - 1})
            window.send(frame::WM_MOUSEMOVE, 0, frame::makeLParam(x, y));
    return 0;
}
