// Server-role values: any text is judged without harm; one judged valid is a host of
// letters, digits, dots and dashes (or a bracketed IPv6 address) with at most a port of
// 1 to 65535, so it can stand in an address.

#include "server_roles.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view value(reinterpret_cast<const char*>(data), size);
    if (!isValidServerHost(value))
        return 0;
    if (value.empty())
        std::abort();
    for (const char c : value) {
        const bool allowed = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.'
            || c == '-' || c == ':' || c == '[' || c == ']';
        if (!allowed)
            std::abort();
    }
    return 0;
}
