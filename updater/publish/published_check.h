#pragma once

#include "updater/logic/list_signature.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// What an installation would say of a published folder (its UpdList.xml, the signature
// beside it and the files it names), without installing anything.
namespace published_check {

struct Report
{
    std::vector<std::string> problems; // each a reason the updater would refuse the list or a file
    std::vector<std::string> notes; // what is fine, or left to the server
    std::size_t filesChecked = 0;
    bool ok() const { return problems.empty(); }
};

struct Options
{
    std::uint64_t adoptedSerial = 0; // the Serial an installation holds: an older list is refused
    bool complete = false; // every listed file must be in the folder (else: already on the server)
};

Report check(const std::filesystem::path& folder, const list_signature::PublicKey& key, const Options& options);

} // namespace published_check
