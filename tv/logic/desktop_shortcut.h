#pragma once

#include <string>

// The "创建快捷方式" item the Linux way: a freedesktop desktop entry that starts TovanTV
// from its program folder, with its icon, on the user's desktop.
namespace desktop_shortcut {

inline constexpr const char* fileName = "TovanTV.desktop";

// `path` as one argument of an Exec key: always in double quotes, with the characters the
// desktop entry rules reserve escaped, and every "%" doubled.
std::string execArgument(const std::string& path);

// A value of a string key: backslash, line breaks and tabs written as escapes.
std::string escapeValue(const std::string& value);

// The desktop entry for the program in `programFolder`.
std::string entryText(const std::string& programFolder);

// Why no entry can name `programFolder`, for the user; empty when one can. A desktop entry is
// UTF-8 text whose values escape only line breaks, tabs and backslashes: a path with other
// control characters or invalid UTF-8 has no form there.
std::string refusal(const std::string& programFolder);

// What became of a shortcut.
struct Outcome
{
    bool made = false;
    std::string reason; // why not, for the user
};

// Writes the entry into `desktopFolder` (created when missing) as "TovanTV.desktop",
// replacing an earlier one whole, and marks it executable so that desktops trust it. Writes
// nothing for a program folder the entry cannot name.
Outcome create(const std::string& desktopFolder, const std::string& programFolder);

} // namespace desktop_shortcut
