#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform {

// Text in the ANSI code page (GBK, code page 936) to UTF-8. Bytes that are not valid GBK
// become U+FFFD and the conversion goes on with the next byte, so nothing vanishes silently.
std::string ansiToUtf8(std::string_view ansi);

// UTF-8 to the ANSI code page. Characters GBK cannot hold, and invalid UTF-8, become "?".
std::string utf8ToAnsi(std::string_view utf8);

// UTF-8 with every invalid sequence replaced by U+FFFD.
std::string sanitizeUtf8(std::string_view bytes);

// Text in the iconv encoding `iconvName` to UTF-8; bytes not valid in it become U+FFFD, one
// each. Nothing when iconv does not know the encoding.
std::optional<std::string> convertToUtf8(std::string_view bytes, const char* iconvName);

// Latin-1 bytes to UTF-8.
std::string latin1ToUtf8(std::string_view latin1);

} // namespace platform
