// Version texts: any text reads as a number without harm, and a version is never newer than
// itself.

#include "common/logic/version_number.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const version_number::Reading reading = version_number::read(text);
    if (!reading.overflow && !std::isnan(reading.value) && version_number::serverIsNewer(text, text))
        std::abort();
    const std::size_t half = size / 2;
    version_number::serverIsNewer(text.substr(0, half), text.substr(half));
    return 0;
}
