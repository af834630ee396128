#pragma once

#include "platform/contained_folder.h"
#include "updater/logic/list_signature.h"
#include "updater/logic/modXml.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// What an installation demands of a server list before the list is used. An installation
// whose program folder holds the maker's public key takes only lists signed by that key,
// giving every file's digest and never older than the list it adopted last; one without
// the key takes lists as they come.
namespace list_trust {

struct Trust
{
    bool keyPresent = false; // the program folder holds the key file
    std::optional<list_signature::PublicKey> key; // its key, when it holds one
    std::uint64_t adoptedSerial = 0; // the Serial of the local list
    // The local list's Serial is there but cannot be read (not a number, given twice): no
    // list can be shown to be no older than it, so none is taken under the key.
    bool adoptedSerialUnreadable = false;
};

Trust read(const platform::ContainedFolder& folder, const std::string& localListFile);

// Why the exact bytes of a list and of its signature file (nothing when the server had
// none) are refused, as the status shows it; nothing when they may be used.
std::optional<std::string> signatureRefusal(
    const Trust& trust, std::string_view list, const std::optional<std::string>& signature);

// Why a usable list is refused under a key (a file without Sha256, an older Serial);
// nothing when it may be used.
std::optional<std::string> contentRefusal(const Trust& trust, const modXml::XmlDocument& list);

} // namespace list_trust
