// Reading the skin's bitmap file onto a surface.
#include "portal/frame/logic/MDC.h"

#include <cstdlib>

namespace MDC {

namespace {

std::uint32_t u32(std::string_view bytes, std::size_t at)
{
    return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at]))
        | static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + 1])) << 8
        | static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + 2])) << 16
        | static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + 3])) << 24;
}

std::uint16_t u16(std::string_view bytes, std::size_t at)
{
    return static_cast<std::uint16_t>(
        static_cast<unsigned char>(bytes[at]) | static_cast<unsigned char>(bytes[at + 1]) << 8);
}

} // namespace

Surface surfaceForBitmap(std::string_view bmp)
{
    constexpr std::size_t kHeaders = 14 + 40;
    if (bmp.size() < kHeaders || bmp.substr(0, 2) != "BM")
        return {};
    const std::uint32_t offset = u32(bmp, 10);
    const auto width = static_cast<std::int32_t>(u32(bmp, 18));
    const auto signedHeight = static_cast<std::int32_t>(u32(bmp, 22));
    const std::uint16_t bits = u16(bmp, 28);
    const std::uint32_t compression = u32(bmp, 30);
    if (u32(bmp, 14) < 40 || (bits != 24 && bits != 32) || compression != 0 || width <= 0 || signedHeight == 0)
        return {};
    const int height = std::abs(signedHeight);
    const std::size_t stride = (static_cast<std::size_t>(width) * (bits / 8) + 3) / 4 * 4;
    if (offset > bmp.size() || (bmp.size() - offset) / stride < static_cast<std::size_t>(height))
        return {};
    Surface surface = memorySurface(width, height);
    if (surface.empty())
        return surface;
    for (int y = 0; y < height; ++y) {
        // Rows run bottom-up unless the height is negative.
        const std::size_t line = offset + stride * static_cast<std::size_t>(signedHeight > 0 ? height - 1 - y : y);
        Pixel* out = surface.row(y);
        for (int x = 0; x < width; ++x) {
            const std::size_t at = line + static_cast<std::size_t>(x) * (bits / 8);
            out[x] = rgb(static_cast<unsigned char>(bmp[at + 2]), static_cast<unsigned char>(bmp[at + 1]),
                static_cast<unsigned char>(bmp[at]));
        }
    }
    return surface;
}

} // namespace MDC
