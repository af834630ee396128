#include "updater/logic/update_figures.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace update_figures {

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

// Appends a digit unless the number would pass the 64-bit range.
bool appendDigit(std::int64_t& value, char digit)
{
    if (value > (std::numeric_limits<std::int64_t>::max() - (digit - '0')) / 10)
        return false;
    value = value * 10 + (digit - '0');
    return true;
}

} // namespace

std::optional<std::int64_t> announcedSize(std::string_view headerValue)
{
    while (!headerValue.empty() && isBlank(headerValue.front()))
        headerValue.remove_prefix(1);
    std::int64_t size = 0;
    for (const char c : headerValue) {
        if (c < '0' || c > '9')
            break;
        if (!appendDigit(size, c))
            return std::nullopt;
    }
    return size;
}

std::optional<std::int64_t> contentLength(std::string_view headerValue)
{
    while (!headerValue.empty() && isBlank(headerValue.front()))
        headerValue.remove_prefix(1);
    while (!headerValue.empty() && isBlank(headerValue.back()))
        headerValue.remove_suffix(1);
    if (headerValue.empty())
        return std::nullopt;
    std::int64_t length = 0;
    for (const char c : headerValue)
        if (c < '0' || c > '9' || !appendDigit(length, c))
            return std::nullopt;
    return length;
}

std::string sizeText(std::int64_t size)
{
    // Integer arithmetic keeps the halves exact: a float would turn some of them into
    // x.4999... and round them the wrong way. Sizes beyond 2^56 bytes are no files.
    const long long bytes = std::clamp<std::int64_t>(size, 0, std::int64_t {1} << 56);
    if (bytes >= 1024LL * 1024) {
        const long long hundredths = (bytes * 100 + 524288) / 1048576;
        const long long cents = hundredths % 100;
        return std::to_string(hundredths / 100) + "." + (cents < 10 ? "0" : "") + std::to_string(cents) + "MB";
    }
    return std::to_string((bytes + 512) / 1024) + "KB";
}

std::string sizeColumnText(std::int64_t size)
{
    return size == 0 ? std::string("1") : std::to_string(size);
}

int overallProgress(int done, int count)
{
    if (count <= 0)
        return 0;
    const double value = std::nearbyint(done / (count * 1.1) * 100);
    return static_cast<int>(std::clamp(value, 0.0, 100.0));
}

int filePercent(long long received, long long announced)
{
    if (announced <= 0)
        return 0;
    const double value = std::nearbyint(static_cast<double>(received) / static_cast<double>(announced) * 100);
    return static_cast<int>(std::clamp(value, 0.0, 100.0));
}

} // namespace update_figures
