#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform {

// The one table of text encoding names: every name a server's charset, a page or an update
// list may declare, with the encoding it stands for.
enum class TextEncodingKind { Utf8, Utf16, Gbk, Latin1, Other };

struct KnownEncoding
{
    TextEncodingKind kind;
    const char* iconvName; // what iconv converts it by
};

// The encoding a declared name stands for (case and surrounding blanks ignored), or nothing
// for a name the table does not hold.
std::optional<KnownEncoding> encodingForName(std::string_view declared);

// Text in the declared encoding to UTF-8 through iconv: bytes that are not valid in it
// become U+FFFD, one each. Nothing when the name is unknown or iconv cannot convert it.
std::optional<std::string> decodeToUtf8(std::string_view bytes, std::string_view declared);

} // namespace platform
