// The ANSI code page: any bytes decode to valid UTF-8; bytes that are valid GBK come back
// unchanged from a round trip; nothing vanishes on the way from UTF-8.

#include "platform/codepage.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::string text = platform::ansiToUtf8(bytes);
    if (platform::sanitizeUtf8(text) != text)
        std::abort();
    if (text.find("\xEF\xBF\xBD") == std::string::npos && platform::utf8ToAnsi(text) != bytes)
        std::abort(); // GBK round-trips
    const std::string clean = platform::sanitizeUtf8(bytes);
    if (platform::sanitizeUtf8(clean) != clean)
        std::abort();
    // Every character of valid UTF-8 leaves at least one byte.
    std::size_t characters = 0;
    for (const char c : clean)
        characters += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    if (platform::utf8ToAnsi(clean).size() < characters)
        std::abort();
    const std::string latin = platform::latin1ToUtf8(bytes);
    if (platform::sanitizeUtf8(latin) != latin)
        std::abort();
    return 0;
}
