#pragma once

#include <string>
#include <string_view>
#include <vector>

// The local list kept after an update. It describes the files as installed: the server's
// list, except that a file left alone because its Ver did not change keeps the Size and
// Sha256 the local list gave it (the server may describe other bytes under the same Ver),
// and a file named in `failed` keeps its old entry, or none when it is new, so that the next
// run offers it again. When a file failed, the local Serial stays (the release is not
// installed), and when no entry changes at all the local list comes back as it was. Given the exact bytes of both
// lists. The server's bytes come back unchanged when no entry had to change.
namespace list_adoption {

struct Adoption
{
    std::string list; // the bytes to keep as the local list
    // Why there are none, as the status shows it: the server's list is no usable list, or the
    // result would not read back as meant (the old list then stays). Empty when there are.
    std::string problem;
};

// Both lists are taken by value: a caller done with its bytes moves them in, and a long list
// is then not held twice.
Adoption adoptedList(std::string serverList, std::string localList, const std::vector<std::string>& failed);

} // namespace list_adoption
