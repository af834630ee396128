#pragma once

#include <cstddef>
#include <string>

// Profile strings over a plain-text settings file ("[Section]" lines followed by
// "Key=Value" lines), with the semantics the settings modules were written against:
// sections and keys match without regard to letter case, blanks around names and values
// are trimmed, the file and the section are created by the first write, every other line
// is left as it was, and a null value deletes the key. Lines read as the platform's own
// functions read them: a line without "=" is a key with an empty value, NUL and Ctrl-Z end a
// line's text, "[]" is no header and the lines before the first header are the section "".
// A write goes through a link to the file it names, fails for a file that may not be
// written, and rewrites a damaged file from what could be read, keeping a copy as
// "<file>.bak". Text is passed through as bytes; callers convert to and from the ANSI code
// page.
namespace platform {

// Copies the value of `key` in `section` (or `defaultValue` when the key is missing) into
// `buffer`, truncated to `size` - 1 characters and terminated by NUL. Returns the number
// of characters copied, without the NUL. A missing file reads as a file without the key.
std::size_t getPrivateProfileString(const char* section,
    const char* key,
    const char* defaultValue,
    char* buffer,
    std::size_t size,
    const std::string& path);

// Stores `value` under `key` in `section`. A null `value` deletes the key, a null `key`
// deletes the whole section. Returns false when the file could not be written; the file
// is then left as it was.
bool writePrivateProfileString(const char* section, const char* key, const char* value, const std::string& path);

} // namespace platform
