#pragma once

#include <string>
#include <string_view>

// Where and how a settings file is written, as the profile functions of the platform do it:
// through links, never over a file they may not write, in place when the folder refuses a
// new file.
namespace platform::profile_file {

// The file `path` names once every link on the way is followed; a dangling link gives the
// file it names, which a write creates.
std::string followLinks(const std::string& path);

// Removes what writers killed in the middle of a write left beside `file`: the temporary
// files "<name>.XXXXXX" of `replace`. Only while holding the folder's lock, so that no
// other writer's file is taken.
void removeStaleTemporaries(const std::string& file);

// Gives `file` (a regular file or none, links already followed) the new content. It goes
// into a temporary file beside it that is renamed over it, so a reader sees the old or the
// new content; when the folder does not let a new file be made but the file itself may be
// written, it is written in place. Fails, changing nothing, for a file the caller may not
// write (mode 0444) or a name that is not a regular file (a folder).
bool replace(const std::string& file, std::string_view content);

} // namespace platform::profile_file
