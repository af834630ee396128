// The settings file: any content is taken apart without harm; a file with a byte-order mark
// comes back byte for byte when nothing changes; a value written under any section and key
// that the file can hold reads back as written, whatever else the file held, and a second
// identical write changes nothing.

#include "platform/profile_text.h"

#include <cstdint>
#include <cstdlib>
#include <string>

using namespace platform::profile_text;

namespace {

// A value as a stored value can carry it: one line without NUL or Ctrl-Z, no blanks at either end, no quotes
// around it (a reader drops one pair).
std::string plainValue(std::string_view bytes)
{
    std::string out;
    for (const char c : bytes)
        if (c != '\r' && c != '\n' && c != '\0' && c != '\x1A' && c != '"' && c != '\'')
            out.push_back(c);
    const std::size_t first = out.find_first_not_of(" \t\v\f");
    if (first == std::string::npos)
        return {};
    return out.substr(first, out.find_last_not_of(" \t\v\f") - first + 1);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 3)
        return 0;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    // The first three bytes give the lengths of section, key and value; the rest is the file.
    const std::size_t sectionLength = std::min<std::size_t>(data[0] % 16, size - 3);
    const std::size_t keyLength = std::min<std::size_t>(data[1] % 16, size - 3 - sectionLength);
    const std::size_t valueLength = std::min<std::size_t>(data[2] % 32, size - 3 - sectionLength - keyLength);
    const std::string_view section = bytes.substr(3, sectionLength);
    const std::string_view key = bytes.substr(3 + sectionLength, keyLength);
    const std::string_view value = bytes.substr(3 + sectionLength + keyLength, valueLength);
    const std::string_view file = bytes.substr(3 + sectionLength + keyLength + valueLength);

    std::optional<Document> document = decode(file);
    // The programs hand a file with a byte-order mark only UTF-8 (converted from the ANSI
    // code page); in UTF-16 nothing else could be stored.
    const bool utf16 = document->encoding == FileEncoding::Utf16LeBom || document->encoding == FileEncoding::Utf16BeBom;
    std::string sectionText(section), keyText(key), valueText(value);
    if (utf16)
        for (std::string* text : {&sectionText, &keyText, &valueText})
            std::erase_if(*text, [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
    valueText = plainValue(valueText);
    if (document->encoding != FileEncoding::Ansi && document->encoding != FileEncoding::Utf16LeBom
        && document->encoding != FileEncoding::Utf16BeBom && encode(*document) != file)
        std::abort();
    (void)find(*document, section, key);

    // Entries outside any section stand at the file's start, where a key's first bytes could
    // read as a byte-order mark; the programs write only under named sections.
    if (plainValue(sectionText).empty())
        return 0;
    if (update(*document, sectionText, keyText, valueText) != Change::Changed)
        return 0;
    const std::optional<std::string> stored = find(*document, sectionText, keyText);
    if (!stored || *stored != valueText)
        std::abort();
    const std::string once = document->text;
    if (update(*document, sectionText, keyText, valueText) != Change::Changed || document->text != once)
        std::abort();
    // The written file decodes to the same text, whole.
    const Document again = decode(encode(*document));
    if (again.damaged || again.text != document->text)
        std::abort();
    return 0;
}
