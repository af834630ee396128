#pragma once

#include <string>
#include <string_view>

namespace platform {

// The folder of the running program's file, as the platform reports it: no trailing
// separator, except at the root ("/" here, "C:\" on Windows).
std::string programFolder();

// Makes every later programFolder() answer `folder` (tests run the modules against a
// temporary folder). An empty text restores the real folder.
void overrideProgramFolder(std::string folder);

// A path built the programs' way (a folder followed by a literal that begins with "\" or
// "/") in the platform's own form: separators unified, doubled separators collapsed.
std::string nativePath(std::string_view path);

// Joins a folder and a relative literal such as "\html\loading.html" into a native path.
std::string joinPath(std::string_view folder, std::string_view relative);

// The platform's file name of one of the programs' own executables: "Renovo.exe" is
// "Renovo" here.
std::string executableFileName(std::string_view windowsName);

} // namespace platform
