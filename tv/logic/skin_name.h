#pragma once

#include <cstddef>
#include <string_view>

// Which skin names the TV shell keeps in "Setting.ini". Names are UTF-8, as the program holds
// them; the file holds them in the ANSI code page.
namespace skin_name {

// The most ANSI bytes the start-up's read of the name returns.
inline constexpr std::size_t maxAnsiBytes = 254;

// A file name without any folder part: no "/" or "\", not "." or "..", not empty. Only such a
// name stays inside the skin folder.
bool plainFileName(std::string_view name);

// Whether a name written to the settings file reads back as it is: a plain file name in valid
// UTF-8 whose every character the ANSI code page has, at most `maxAnsiBytes` bytes there, on
// one line, without blanks at either end or one pair of quotes around it (a read drops them).
bool storable(std::string_view name);

} // namespace skin_name
