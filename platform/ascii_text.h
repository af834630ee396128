#pragma once

#include <string>
#include <string_view>

// Letter case and blanks in the ASCII range only: names, keys, header fields and file
// names are compared byte by byte, and a GBK or UTF-8 byte above 0x7F is never a letter or
// a blank here, whatever the process's locale says. Written out because the standard
// <cctype> calls follow the locale, and the kept libraries offer no plain-byte version.
namespace ascii {

// The blanks of the C locale's isspace().
inline constexpr std::string_view whitespace = " \t\n\v\f\r";

char lower(char c);
char upper(char c);
std::string lowered(std::string_view text);
std::string uppered(std::string_view text);
bool equalIgnoringCase(std::string_view a, std::string_view b);

// `text` without the leading and trailing characters found in `blanks`.
std::string_view trimmed(std::string_view text, std::string_view blanks = whitespace);

} // namespace ascii
