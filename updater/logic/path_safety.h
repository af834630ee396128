#pragma once

#include <string_view>

// A name from a server's file list becomes a path under the program folder. A name that
// could reach anything else (an absolute path, a drive letter, a "..", a UNC or device
// path, an empty part, a control character) is refused before anything is written.
namespace path_safety {

// True when `name` (sub-folders separated by "\" or "/") stays inside the folder it is
// joined to.
bool isSafeRelativeName(std::string_view name);

} // namespace path_safety
