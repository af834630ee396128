#pragma once

#include "platform/installation.h"

#include <string>

// Whether this installation updates itself, and why the updater may refuse to.
namespace self_update {

// Shown where a system installation is asked to update itself.
inline constexpr const char* packageManagedText = "此安装由系统的软件包管理器更新，请通过软件包管理器安装新版本。";

// A portable folder updates itself: only then do the shells check for updates and start
// the updater.
bool enabled();

// Why the updater cannot update the program folder `folder` of an installation of `mode`
// whose write probe gave `probeError` (0: a file could be made there); empty when it can.
std::string refusal(platform::installation::Mode mode, const std::string& folder, int probeError);

// The refusal for the running updater's program folder: its mode, and in a portable folder
// whether a file can be made there. Probes nothing in a system installation.
std::string updaterRefusal(const std::string& folder);

} // namespace self_update
