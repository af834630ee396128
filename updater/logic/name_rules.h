#pragma once

#include "updater/logic/modXml.h"
#include "updater/logic/update_list.h"

#include <string>
#include <string_view>
#include <vector>

// Which names of a server's list the updater may install. A name is judged in every form in
// which it is stored or used: as UTF-8 here, and in the encoding of the list that keeps it.
namespace name_rules {

// True when `name` stays a file under the program folder in every such form: safe as a
// relative path (path_safety), valid UTF-8 without characters that some conversions drop
// (format and other ignorable characters, non-characters, U+FFFD), and unchanged by a trip
// through the list's encoding.
bool isInstallableName(std::string_view name, modXml::TextEncoding listEncoding);

// True for the files the programs write at run time in the program folder (the settings,
// the local update and control files, the lists, temporary files) and for the key an
// installation trusts: a release never offers them, whatever the maker's folder holds.
bool isRunTimeFile(std::string_view name);

// The name as a file system that ignores letter case and takes either separator sees it.
std::string foldedName(std::string_view name);

// The file a download is written to before it replaces its target.
std::string temporaryName(std::string_view name);

enum class Fault { None, Unsafe, Duplicate };

struct Verdict
{
    Fault fault = Fault::None;
    std::string name; // the entry refused
};

// Checks the server's entries before anything is fetched, and folds entries for one file
// (same folded name) that agree on Ver into the first. Refused: a name that is not
// installable; one of the list files or the updater's own temporary names; entries for one
// file with different versions, sizes or digests; a file where another entry needs a folder.
Verdict checkEntries(std::vector<update_list::FileEntry>& server,
    const update_list::LocalVersions& local,
    modXml::TextEncoding listEncoding);
// The same with the local entries themselves.
Verdict checkEntries(std::vector<update_list::FileEntry>& server,
    const std::vector<update_list::FileEntry>& local,
    modXml::TextEncoding listEncoding);

} // namespace name_rules
