#pragma once

#include "modXml.h"

#include <cstddef>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

// The file entries of the update lists and what the comparison makes of them.
namespace update_list {

// A list that lacks what the comparison needs; what() is the description shown to the user.
class ListError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

struct FileEntry
{
    std::string name; // relative to the program folder, sub-folders separated by "\"
    std::string ver; // free text, compared exactly

    bool operator==(const FileEntry&) const = default;
};

// The children of the document's first "Files" element, in document order. Throws
// ListError when there is no "Files", a child is not an element, or lacks Name or Ver.
std::vector<FileEntry> readFiles(const pugi::xml_document& document);

// The text of the first "RunApp" element; throws ListError when there is none.
std::string readRunApp(const pugi::xml_document& document);

// 0 when `name` is not in `local`, else 2 when the first local entry of that name has the
// same Ver and 1 when it differs. Names and versions compare exactly, letter case included.
int matchEntry(const std::vector<FileEntry>& local, const FileEntry& server);

// The server entries that are new or changed, in server order. Takes time in proportion to
// the two lists' lengths, whatever they hold.
std::vector<FileEntry> entriesToUpdate(const std::vector<FileEntry>& local, const std::vector<FileEntry>& server);

// The list to keep after an update: the server's list, except that every entry named in
// `failed` takes back the first local entry of its name, or goes when the file is new.
// So the next run offers those files again.
void keepOldEntriesFor(
    modXml::XmlDocument& serverList, const pugi::xml_document& localList, const std::vector<std::string>& failed);

// What makes a server's list unusable, as the description shown to the user; nothing when
// it can be used and, once installed, read again as the local list: it parses whole, in an
// encoding we read faithfully, and holds a Url, a Files whose children all carry Name and
// Ver, and a RunApp.
std::optional<std::string> serverListProblem(const modXml::XmlDocument& list);

} // namespace update_list
