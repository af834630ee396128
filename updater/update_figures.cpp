#include "update_figures.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace update_figures {

std::optional<std::int32_t> announcedSize(std::string_view headerValue)
{
    while (!headerValue.empty() && (headerValue.front() == ' ' || headerValue.front() == '\t'))
        headerValue.remove_prefix(1);
    long long size = 0;
    for (const char c : headerValue) {
        if (c < '0' || c > '9')
            break;
        size = size * 10 + (c - '0');
        if (size > std::numeric_limits<std::int32_t>::max())
            return std::nullopt;
    }
    return static_cast<std::int32_t>(size);
}

std::string sizeText(std::int32_t size)
{
    // Integer arithmetic keeps the halves exact: a float would turn some of them into
    // x.4999... and round them the wrong way.
    const long long bytes = std::max<std::int32_t>(size, 0);
    if (bytes >= 1024LL * 1024) {
        const long long hundredths = (bytes * 100 + 524288) / 1048576;
        const long long cents = hundredths % 100;
        return std::to_string(hundredths / 100) + "." + (cents < 10 ? "0" : "") + std::to_string(cents) + "MB";
    }
    return std::to_string((bytes + 512) / 1024) + "KB";
}

std::string sizeColumnText(std::int32_t size)
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
