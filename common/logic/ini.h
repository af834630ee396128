#pragma once

#include <cstddef>
#include <optional>
#include <string>

// Settings module of both shells: reads with a default written back, writes, and the
// program folder. Every value lives in "Setting.ini" in the program folder, in the ANSI
// code page; values in memory are UTF-8.
namespace ini {

// The longest value ReadSetting gives back; longer stored values read cut.
inline constexpr std::size_t kReadSettingMaxChars = 143;

// The program folder with exactly one trailing separator.
std::string ProgramFolder();

// The value stored under section and key, at most 143 characters. When the entry is
// missing or empty the default is written back and returned; an absent default deletes
// the key and reads as empty text.
std::string ReadSetting(const std::string& section, const std::string& key, const std::optional<std::string>& def);

// Stores value under section and key, creating the file and the section when needed.
// Returns empty text; failures are not reported.
std::string WriteSetting(const std::string& section, const std::string& key, const std::string& value);

} // namespace ini
