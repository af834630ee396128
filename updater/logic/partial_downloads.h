#pragma once

#include "platform/contained_folder.h"
#include "updater/logic/update_list.h"

#include <vector>

// The downloads kept half-way for a later run to continue, by name and digest, in
// "UpdPartial.xml" beside the lists. A part is continued only for a file listed again with
// the same digest; any other is removed, so none is left behind for ever.
namespace partial_downloads {

// The entries recorded (name and Sha256 each); none when there is no record.
std::vector<update_list::FileEntry> read(const platform::ContainedFolder& folder);

// Records `partials`; with none, the record goes.
void write(const platform::ContainedFolder& folder, const std::vector<update_list::FileEntry>& partials);

} // namespace partial_downloads
