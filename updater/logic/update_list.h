#pragma once

#include "updater/logic/file_digest.h"
#include "updater/logic/modXml.h"

#include <cstddef>
#include <cstdint>
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
    std::optional<std::int64_t> size; // the file's length in bytes, when the list gives it
    std::optional<file_digest::Sha256> sha256; // the file's digest, when the list gives it

    bool operator==(const FileEntry&) const = default;
};

// The children of the document's first "Files" element, in document order. Throws
// ListError when there is no "Files", a child is not an element, lacks Name or Ver, or
// carries a Size that is no decimal number or a Sha256 that is not 64 hex digits.
std::vector<FileEntry> readFiles(const pugi::xml_document& document);

// The Serial of the root element (a decimal number; 0 when there is none). False when the
// attribute is there but no such number.
bool readSerial(const pugi::xml_document& document, std::uint64_t& serial);

// The text of the first "RunApp" element; throws ListError when there is none.
std::string readRunApp(const pugi::xml_document& document);

// 0 when `name` is not in `local`, else 2 when the first local entry of that name has the
// same Ver and 1 when it differs. Names and versions compare exactly, letter case included.
int matchEntry(const std::vector<FileEntry>& local, const FileEntry& server);

// The server entries that are new or changed, in server order. Takes time in proportion to
// the two lists' lengths, whatever they hold.
std::vector<FileEntry> entriesToUpdate(const std::vector<FileEntry>& local, const std::vector<FileEntry>& server);
// The same in place: `server` keeps only its entries that are new or changed.
void keepEntriesToUpdate(const std::vector<FileEntry>& local, std::vector<FileEntry>& server);

// The list to keep after an update: the server's list, except that every entry named in
// `failed` takes back the first local entry of its name, or goes when the file is new.
// So the next run offers those files again.
void keepOldEntriesFor(
    modXml::XmlDocument& serverList, const pugi::xml_document& localList, const std::vector<std::string>& failed);

// An entry of the server's list whose file was not fetched, because the first local entry
// of its name has the same Ver, takes that local entry's Size and Sha256 (or goes without
// them, as it does): the installed file is the one the local list described, whatever the
// server now says of its bytes. True when an entry changed.
bool keepInstalledFigures(modXml::XmlDocument& serverList, const pugi::xml_document& localList);

// What makes a server's list unusable, as the description shown to the user; nothing when
// it can be used and, once installed, read again as the local list: it parses whole, in an
// encoding we read faithfully, and holds a Url, a Files whose children all carry Name and
// Ver, and a RunApp.
std::optional<std::string> serverListProblem(const modXml::XmlDocument& list);

// What a usable list lacks to be installed under a signature, which vouches for the files
// only through their digests and must know where each download ends: a Sha256 and a Size on
// every file, a readable Serial.
std::optional<std::string> signedListProblem(const modXml::XmlDocument& list);

} // namespace update_list
