// Skin files: any content is read or refused without harm; a skin read has a UTF-8 style
// sheet and palette colours of the form #RRGGBB.

#include "platform/codepage.h"
#include "platform/skin/she_format.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view content(reinterpret_cast<const char*>(data), size);
    const auto skin = she_format::parse(content);
    if (!skin)
        return 0;
    if (platform::sanitizeUtf8(skin->styleSheet) != skin->styleSheet)
        std::abort();
    for (const auto& [key, value] : skin->header) {
        if (she_format::paletteKeys().contains(key) && !she_format::parseColour(value))
            std::abort();
        she_format::opens(*skin, value);
    }
    return 0;
}
