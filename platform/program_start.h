#pragma once

#include <string>

namespace platform {

// Starts the program at `path` with no arguments, in the current working directory, and
// does not wait for it. Returns false when the program could not be started (missing, not
// executable). The started program is not a child that must be reaped.
bool startProgram(const std::string& path);

// Opens `url` in the system's web browser without waiting: the command in $BROWSER when it
// is set, otherwise xdg-open. Returns false when no browser could be started.
bool openInSystemBrowser(const std::string& url);

} // namespace platform
