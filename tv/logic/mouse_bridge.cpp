#include "tv/logic/mouse_bridge.h"

#include "common/logic/version_number.h"

#include <climits>
#include <cmath>
#include <cstdlib>

namespace mouse_bridge {
namespace {

constexpr std::string_view prefix = "mouse://";

// The leading decimal number of a text, as the bridge reads its coordinates.
int coordinate(std::string_view text)
{
    const version_number::Reading reading = version_number::read(text);
    double value = reading.value;
    if (reading.overflow) {
        // Too large for a double: only its sign is known.
        const auto first = text.find_first_not_of(" \t\n");
        value = first != std::string_view::npos && text[first] == '-' ? -HUGE_VAL : HUGE_VAL;
    }
    const double rounded = std::nearbyint(value); // the default rounding: halves to even
    if (rounded >= static_cast<double>(INT_MAX))
        return INT_MAX;
    if (rounded <= static_cast<double>(INT_MIN))
        return INT_MIN;
    return static_cast<int>(rounded);
}

} // namespace

std::string script()
{
    return std::string("document.body.onmousemove=function()") + "\r\n"
        + "{location.href='mouse://move|'+window.event.x + '|'+window.event.y;}";
}

std::optional<Message> parse(std::string_view address)
{
    if (address.substr(0, prefix.size()) != prefix)
        return std::nullopt;
    const std::string_view rest = address.substr(prefix.size());
    Message message;
    const auto first = rest.find('|');
    message.command = std::string(rest.substr(0, first));
    if (first == std::string_view::npos)
        return message;
    const std::string_view afterCommand = rest.substr(first + 1);
    const auto second = afterCommand.find('|');
    message.x = coordinate(afterCommand.substr(0, second));
    if (second != std::string_view::npos)
        message.y = coordinate(afterCommand.substr(second + 1));
    return message;
}

bool showsToolbar(Position& last, int x, int y)
{
    const bool nearX = std::fabs(last.x - static_cast<float>(x)) <= 1.0F;
    const bool nearY = std::fabs(last.y - static_cast<float>(y)) <= 1.0F;
    if ((nearX || y >= 200) && nearY)
        return false;
    last = {static_cast<float>(x), static_cast<float>(y)};
    return true;
}

} // namespace mouse_bridge
