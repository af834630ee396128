#include "platform/text_encodings.h"

#include "platform/ascii_text.h"
#include "platform/codepage.h"

#include <array>

namespace platform {
namespace {

struct Entry
{
    std::string_view name;
    KnownEncoding encoding;
};

using K = TextEncodingKind;

// Names as browsers and XML readers accept them.
constexpr std::array table {
    Entry {"utf-8", {K::Utf8, "UTF-8"}},
    Entry {"utf8", {K::Utf8, "UTF-8"}},
    Entry {"unicode-1-1-utf-8", {K::Utf8, "UTF-8"}},
    Entry {"utf-16", {K::Utf16, "UTF-16"}},
    Entry {"utf-16le", {K::Utf16, "UTF-16LE"}},
    Entry {"utf-16be", {K::Utf16, "UTF-16BE"}},
    Entry {"gbk", {K::Gbk, "GBK"}},
    Entry {"gb2312", {K::Gbk, "GBK"}},
    Entry {"cp936", {K::Gbk, "GBK"}},
    Entry {"windows-936", {K::Gbk, "GBK"}},
    Entry {"x-gbk", {K::Gbk, "GBK"}},
    Entry {"gb18030", {K::Gbk, "GB18030"}},
    Entry {"iso-8859-1", {K::Latin1, "ISO-8859-1"}},
    Entry {"iso8859-1", {K::Latin1, "ISO-8859-1"}},
    Entry {"latin1", {K::Latin1, "ISO-8859-1"}},
    Entry {"l1", {K::Latin1, "ISO-8859-1"}},
    Entry {"us-ascii", {K::Latin1, "ISO-8859-1"}},
    Entry {"ascii", {K::Latin1, "ISO-8859-1"}},
    Entry {"windows-1252", {K::Other, "WINDOWS-1252"}},
    Entry {"cp1252", {K::Other, "WINDOWS-1252"}},
    Entry {"x-cp1252", {K::Other, "WINDOWS-1252"}},
    Entry {"big5", {K::Other, "BIG5"}},
    Entry {"big5-hkscs", {K::Other, "BIG5-HKSCS"}},
    Entry {"shift_jis", {K::Other, "SHIFT_JIS"}},
    Entry {"euc-jp", {K::Other, "EUC-JP"}},
    Entry {"euc-kr", {K::Other, "EUC-KR"}},
    Entry {"koi8-r", {K::Other, "KOI8-R"}},
    Entry {"windows-1251", {K::Other, "WINDOWS-1251"}},
    Entry {"iso-8859-15", {K::Other, "ISO-8859-15"}},
};

std::string normalised(std::string_view name)
{
    return ascii::lowered(ascii::trimmed(name));
}

} // namespace

std::optional<KnownEncoding> encodingForName(std::string_view declared)
{
    const std::string name = normalised(declared);
    for (const Entry& entry : table)
        if (entry.name == name)
            return entry.encoding;
    return std::nullopt;
}

std::optional<std::string> decodeToUtf8(std::string_view bytes, std::string_view declared)
{
    const std::optional<KnownEncoding> encoding = encodingForName(declared);
    if (!encoding)
        return std::nullopt;
    return convertToUtf8(bytes, encoding->iconvName);
}

} // namespace platform
