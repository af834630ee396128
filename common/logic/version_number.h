#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Version numbers as the shells compare them: the leading decimal number of a text, read
// the same way whatever the system's locale, compared numerically.
namespace version_number {

struct Reading
{
    // A number too large for a double reads as an infinity of its sign.
    double value = 0.0;
    bool overflow = false;
};

// The number formed by the leading characters of `text`: an optional sign, digits with at
// most one period, an optional exponent. Blanks, tabs and line feeds are skipped wherever
// they stand; reading stops at the first other character that cannot continue the number.
// A text without such a number reads as 0.
Reading read(std::string_view text);

// Whether the server's version calls for an update: its number is larger than the
// installed one's. Numbers too large for a double compare as infinities, so a server that
// announces one is offered once and, once recorded, never again.
bool serverIsNewer(std::string_view installed, std::string_view server);

// The text to record as the installed version so that it reads back as the same number:
// line breaks removed (a stored value is one line), and a text longer than `maxChars`
// (which would read back cut) replaced by the shortest decimal text of its number.
std::string recordable(std::string_view version, std::size_t maxChars);

} // namespace version_number
