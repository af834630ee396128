#pragma once

#include <string>

// How the programs were installed, and so where they keep what they write at run time.
//
// A portable program folder (unpacked anywhere, updated by the updater) keeps everything
// beside the programs. A system installation (a distribution package, updated by the
// package manager) is read-only for its users: settings go to the user's configuration
// folder, downloaded control files to the user's cache folder. The package says which by
// the marker file it installs in the program folder; nothing is guessed from permissions.
namespace platform::installation {

enum class Mode { Portable, System };

// The file a package installs in the program folder to make it a system installation.
inline constexpr const char* systemMarkerFile = "installed-by-package";
// The programs' folder name under the user's XDG folders.
inline constexpr const char* userFolderName = "pallomar";

// The mode of the program folder, read once per folder (tests move the program folder).
Mode mode();

// Where "Setting.ini" lies: the program folder, or $XDG_CONFIG_HOME/pallomar (default
// ~/.config/pallomar) in a system installation, made when missing.
std::string settingsFolder();

// Where downloaded control files are kept: the program folder, or $XDG_CACHE_HOME/pallomar
// (default ~/.cache/pallomar) in a system installation, made when missing.
std::string cacheFolder();

// The user folder the XDG rules give for `variable` ("XDG_CONFIG_HOME") with its default
// below the home folder (".config"): a relative value is ignored, as the rules say.
std::string xdgFolder(const char* variable, const char* homeDefault);

// 0 when a file can be made in `folder` (a probe file, made and removed at once), else
// the errno of the failure (EACCES, EROFS, ENOENT, ...).
int writeProbe(const std::string& folder);

} // namespace platform::installation
