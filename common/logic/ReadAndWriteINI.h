#pragma once

#include <string>

// Settings module of the TV shell: a plain read (no default, nothing written), the same
// write and the same program folder as module ini.
namespace ReadAndWriteINI {

std::string ProgramFolder();

// The value stored under section and key (at most 254 characters), or empty text.
std::string ReadSettingPlain(const std::string& section, const std::string& key);

std::string WriteSetting(const std::string& section, const std::string& key, const std::string& value);

} // namespace ReadAndWriteINI
