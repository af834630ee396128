#pragma once

#include "updater/logic/update_list.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

// A release as a maker publishes it: the files of a new program folder measured against the
// list published last, the files to upload and the new list that names them.
namespace release {

// What stops a release; what() is the reason shown to the maker.
class ReleaseError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

struct Options
{
    std::filesystem::path from; // the new program folder
    std::optional<std::filesystem::path> previous; // the list published last; none for a first release
    std::string url; // the base address the files are served under
    std::string runApp = "Pallomar.exe";
};

struct Plan
{
    std::string url; // ends with "/"
    std::string runApp;
    std::uint64_t serial = 1;
    std::vector<update_list::FileEntry> entries; // the new list's files, names with "\"
    std::vector<std::size_t> changed; // indexes into entries of the new and changed files
    std::vector<std::string> skipped; // files of the folder that are never published
    std::vector<std::string> dropped; // names of the previous list the release no longer has
};

// Measures every file of `options.from` against the previous list. Unchanged files (same
// size and digest as listed) keep their Ver; new and changed ones get the first 16 digits
// of their digest. Throws ReleaseError for a file or name the updater would refuse.
Plan plan(const Options& options);

// Copies the new and changed files into `out` (which must be empty or missing) and fills in
// the size and digest of the bytes written. Throws ReleaseError when a file changed while it
// was measured and copied, or cannot be written.
void writeFiles(Plan& plan, const std::filesystem::path& from, const std::filesystem::path& out);

// The list as UTF-8 XML, as the updater reads it.
std::string listXml(const Plan& plan);

// The list's file name of a relative path of the folder ("html/a.html" -> "html\a.html").
std::string listName(const std::filesystem::path& relative);

} // namespace release
