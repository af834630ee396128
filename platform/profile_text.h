#pragma once

#include <optional>
#include <string>
#include <string_view>

// The text of a settings file ("[Section]" lines followed by "Key=Value" lines) as the
// profile-string functions read and change it, without any file access. Names match without
// regard to the case of ASCII letters; a byte of a double-byte character never folds.
namespace platform::profile_text {

// How the file's bytes are stored. A file with a byte-order mark keeps its encoding when
// it is written; every other file is in the ANSI code page.
enum class FileEncoding {
    Ansi,
    Utf8Bom,
    Utf16LeBom,
    Utf16BeBom,
};

// The file as text to work on: ANSI (GBK) bytes for an ANSI file, UTF-8 for the others.
struct Document
{
    FileEncoding encoding = FileEncoding::Ansi;
    std::string text;
    // Some bytes could not be taken apart (UTF-16 of an odd length) and are not in `text`.
    bool damaged = false;
    bool isUtf8() const { return encoding != FileEncoding::Ansi; }
};

// The text of a file's bytes, as much of it as can be taken apart: a last byte of UTF-16 of an
// odd length is left out, and the document says it is damaged.
Document decode(std::string_view bytes);
// The bytes of a document, in its own encoding with its byte-order mark.
std::string encode(const Document& document);

// The value of `key` in the first section named `section`, without the blanks around it and
// without one pair of quotes around it; nothing when there is no such entry.
std::optional<std::string> find(const Document& document, std::string_view section, std::string_view key);

// What a change made of a document.
enum class Change {
    Changed, // `text` is the new text
    Unchanged, // nothing to do: a key or section to delete that is not there
    Refused, // the entry could never be read back (an empty key name, a name that is a header)
};

// Stores `value` under `key` in `section`, creating the section at the end when needed (the
// section "" is the lines before the first header). A missing value deletes the key, a
// missing key the whole section. Line breaks, NUL and Ctrl-Z in names and values are
// dropped: a value never makes lines of its own, and reads back whole.
Change update(Document& document,
    std::string_view section,
    std::optional<std::string_view> key,
    std::optional<std::string_view> value);

// The length of the longest start of `text` that is at most `limit` bytes and does not end
// inside a double-byte character of the ANSI code page.
std::size_t ansiPrefixLength(std::string_view text, std::size_t limit);

} // namespace platform::profile_text
