// HTTP lengths: a Content-Length is read as a number (leading zeros and blanks allowed,
// nothing else), never as text; the listed size takes the numeric prefix.

#include "updater/logic/update_figures.h"

#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string_view>

namespace {

std::optional<std::int64_t> reference(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    if (text.empty() || text.front() < '0' || text.front() > '9')
        return std::nullopt;
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (update_figures::contentLength(text) != reference(text))
        std::abort();
    if (const auto listed = update_figures::announcedSize(text)) {
        if (*listed < 0)
            std::abort();
        update_figures::sizeText(*listed);
        if (const auto exact = update_figures::contentLength(text); exact && *exact != *listed)
            std::abort();
    }
    return 0;
}
