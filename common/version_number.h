#pragma once

#include <string_view>

// Version numbers as the shells compare them: the leading decimal number of a text, read
// the same way whatever the system's locale, compared numerically.
namespace version_number {

struct Reading
{
    double value = 0.0;
    // The text holds a number too large for a double; `value` is then meaningless.
    bool overflow = false;
};

// The number formed by the leading characters of `text`: an optional sign, digits with at
// most one period, an optional exponent. Blanks, tabs and line feeds are skipped wherever
// they stand; reading stops at the first other character that cannot continue the number.
// A text without such a number reads as 0.
Reading read(std::string_view text);

// Whether the server's version calls for an update: its number is larger than the
// installed one's, or one of the two cannot be represented (such a comparison is taken as
// "newer", so a broken number never hides an update).
bool serverIsNewer(std::string_view installed, std::string_view server);

} // namespace version_number
