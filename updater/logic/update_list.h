#pragma once

#include "updater/logic/file_digest.h"
#include "updater/logic/modXml.h"

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
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

// The same entries one at a time, for a walk that need not hold a long list whole: next()
// reads the following entry into `entry` and returns false after the last. Throws as
// readFiles does, the missing "Files" at once, a faulty child when it is reached.
class FileReader
{
public:
    explicit FileReader(const pugi::xml_document& document);
    bool next(FileEntry& entry);

private:
    pugi::xml_node m_child;
};

// The Serial of the root element (a decimal number; 0 when there is none). False when the
// attribute is there but no such number.
bool readSerial(const pugi::xml_document& document, std::uint64_t& serial);

// The text of the first "RunApp" element; throws ListError when there is none.
std::string readRunApp(const pugi::xml_document& document);

// The local list as the comparison needs it: the names, and the Ver of each name's first
// entry, held in a fraction of what its entries take (a long list must fit beside the
// server's). Read as readFiles reads, and throwing as it does.
// Records of texts held in one string, each text ended by a NUL (a list's values hold
// none), found by their first text, the name: the first record of equal names comes first.
// A long list fits in little more than its text.
class NameTable
{
public:
    // Each record starts with `markBytes` bytes of its own before its name.
    explicit NameTable(std::size_t markBytes = 0)
        : m_markBytes(markBytes)
    { }
    void reserve(std::size_t bytes, std::size_t records);
    void add(std::string_view mark, std::initializer_list<std::string_view> texts);
    // Puts the records in the order of their names; before it, nothing is found.
    void sort();
    // Where the first record named `name` starts (its mark); nothing when none is.
    const char* find(std::string_view name) const;
    std::size_t size() const { return m_records.size(); }
    // The i-th name in the order of the names.
    std::string_view name(std::size_t i) const { return nameAt(m_records[i]); }
    // The text after `text`, which lies in this table.
    static std::string_view next(std::string_view text) { return text.data() + text.size() + 1; }

private:
    std::string_view nameAt(std::uint32_t at) const { return m_text.data() + at + m_markBytes; }

    std::size_t m_markBytes;
    std::string m_text;
    std::vector<std::uint32_t> m_records; // where each record starts
};

// The local list as the comparison needs it: the names, and the Ver of each name's first
// entry, held in a fraction of what its entries take (a long list must fit beside the
// server's). Read as readFiles reads, and throwing as it does.
class LocalVersions
{
public:
    explicit LocalVersions(const pugi::xml_document& document);
    explicit LocalVersions(const std::vector<FileEntry>& entries);

    // The Ver of the first entry named `name`, letter case included; nothing when none is.
    std::optional<std::string_view> ver(std::string_view name) const;
    std::size_t size() const { return m_table.size(); }
    // The i-th name in the order of the names.
    std::string_view name(std::size_t i) const { return m_table.name(i); }

private:
    NameTable m_table; // each name and its Ver
};

// 0 when `name` is not in `local`, else 2 when the first local entry of that name has the
// same Ver and 1 when it differs. Names and versions compare exactly, letter case included.
int matchEntry(const std::vector<FileEntry>& local, const FileEntry& server);

// The server entries that are new or changed, in server order. Takes time in proportion to
// the two lists' lengths, whatever they hold.
std::vector<FileEntry> entriesToUpdate(const std::vector<FileEntry>& local, const std::vector<FileEntry>& server);
// The same in place: `server` keeps only its entries that are new or changed.
void keepEntriesToUpdate(const LocalVersions& local, std::vector<FileEntry>& server);

// What the list kept after an update takes from the local list, held without its document,
// so that a long local list is not held beside the server's: the Ver, Size and Sha256 of each
// name's first entry as written, and copies of the first entries of the names that failed.
class LocalEntries
{
public:
    LocalEntries(const pugi::xml_document& localList, const std::vector<std::string>& failed);

    struct Figures
    {
        std::string_view ver;
        std::optional<std::string_view> size;
        std::optional<std::string_view> sha256;
    };
    // The figures of the first entry named `name`; nothing when none is.
    std::optional<Figures> first(std::string_view name) const;
    // The first local entry of a failed name; an empty node when the local list has none.
    pugi::xml_node failedEntry(const std::string& name) const;

private:
    // For each entry a byte telling which figures it has, then its Name, Ver, Size and Sha256.
    NameTable m_table {1};
    pugi::xml_document m_failed;
    std::unordered_map<std::string, pugi::xml_node> m_failedEntries;
};

// The list to keep after an update: the server's list, except that every entry named in
// `failed` takes back the first local entry of its name, or goes when the file is new.
// So the next run offers those files again.
void keepOldEntriesFor(
    modXml::XmlDocument& serverList, const LocalEntries& local, const std::vector<std::string>& failed);
void keepOldEntriesFor(
    modXml::XmlDocument& serverList, const pugi::xml_document& localList, const std::vector<std::string>& failed);

// An entry of the server's list whose file was not fetched, because the first local entry
// of its name has the same Ver, takes that local entry's Size and Sha256 (or goes without
// them, as it does): the installed file is the one the local list described, whatever the
// server now says of its bytes. True when an entry changed.
bool keepInstalledFigures(modXml::XmlDocument& serverList, const LocalEntries& local);

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
