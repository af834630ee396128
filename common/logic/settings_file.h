#pragma once

#include <string>

// What the two settings modules share: where "Setting.ini" lies and how text crosses
// into the file's code page.
namespace settings_file {

// The program folder followed by one separator, as the settings modules hand it out.
std::string programFolderWithSeparator();

// The settings file of the running program.
std::string path();

// Stores value under section and key, converted to the ANSI code page.
void write(const std::string& section, const std::string& key, const std::string& value);

} // namespace settings_file
