#include "updater/logic/modXml.h"

#include "platform/codepage.h"
#include "platform/text_encodings.h"

#include <algorithm>

namespace modXml {
namespace {

constexpr std::string_view bom8 = "\xEF\xBB\xBF";
constexpr std::string_view replacement = "\xEF\xBF\xBD";

std::string loweredAscii(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool isUtf16(std::string_view bytes)
{
    return bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF")
        || bytes.starts_with(std::string_view("<\0?\0", 4)) || bytes.starts_with(std::string_view("\0<\0?", 4));
}

constexpr unsigned parseOptions = pugi::parse_default | pugi::parse_declaration | pugi::parse_comments | pugi::parse_pi;

// Whether every character of UTF-8 `text` is at most U+00FF.
bool fitsLatin1(std::string_view text)
{
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x80 && c != 0xC2 && c != 0xC3)
            return false;
        if (c >= 0x80)
            ++i;
    }
    return true;
}

// The declaration node at the top of the document, made when there is none, and holding
// only what a declaration may hold: the text read back must find the same one.
pugi::xml_node declarationOf(pugi::xml_document& document)
{
    pugi::xml_node declaration = document.first_child();
    if (declaration.type() != pugi::node_declaration)
        declaration = document.prepend_child(pugi::node_declaration);
    const std::string encoding = declaration.attribute("encoding").value();
    const std::string standalone = declaration.attribute("standalone").value();
    while (declaration.first_attribute())
        declaration.remove_attribute(declaration.first_attribute());
    declaration.append_attribute("version") = "1.0";
    if (!encoding.empty() && encoding.find_first_of("\"'<>&") == std::string::npos)
        declaration.append_attribute("encoding") = encoding.c_str();
    if (standalone == "yes" || standalone == "no")
        declaration.append_attribute("standalone") = standalone.c_str();
    return declaration;
}

void setEncodingAttribute(pugi::xml_node declaration, const char* name)
{
    pugi::xml_attribute encoding = declaration.attribute("encoding");
    if (!encoding)
        encoding = declaration.insert_attribute_after("encoding", declaration.attribute("version"));
    if (!encoding)
        encoding = declaration.append_attribute("encoding");
    encoding = name;
}

// Valid UTF-8 throughout; plain ASCII, as most lists are, is judged without a copy.
bool isCleanUtf8(std::string_view bytes)
{
    if (std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        return true;
    return platform::sanitizeUtf8(bytes) == bytes;
}

} // namespace

std::string declaredEncoding(std::string_view bytes)
{
    if (bytes.starts_with(bom8))
        bytes.remove_prefix(bom8.size());
    if (!bytes.starts_with("<?xml") || bytes.size() < 6 || !isBlank(bytes[5]))
        return {};
    const std::size_t end = bytes.find("?>");
    std::string_view rest = bytes.substr(6, end == std::string_view::npos ? std::string_view::npos : end - 6);
    // Pseudo-attributes: name, "=", a quoted value; the first malformed one ends the search.
    for (;;) {
        while (!rest.empty() && isBlank(rest.front()))
            rest.remove_prefix(1);
        const std::size_t eq = rest.find('=');
        if (eq == std::string_view::npos)
            return {};
        std::string_view name = rest.substr(0, eq);
        while (!name.empty() && isBlank(name.back()))
            name.remove_suffix(1);
        rest.remove_prefix(eq + 1);
        while (!rest.empty() && isBlank(rest.front()))
            rest.remove_prefix(1);
        if (rest.empty() || (rest.front() != '"' && rest.front() != '\''))
            return {};
        const std::size_t close = rest.find(rest.front(), 1);
        if (close == std::string_view::npos)
            return {};
        const std::string_view value = rest.substr(1, close - 1);
        if (name == "encoding")
            return loweredAscii(value);
        rest.remove_prefix(close + 1);
    }
}

TextEncoding encodingNamed(std::string_view name)
{
    if (name.empty())
        return TextEncoding::Utf8;
    // The names come from the table the HTTP layer reads charsets by.
    const std::optional<platform::KnownEncoding> known = platform::encodingForName(name);
    if (!known)
        return TextEncoding::Unsupported;
    switch (known->kind) {
    case platform::TextEncodingKind::Utf8:
        return TextEncoding::Utf8;
    case platform::TextEncodingKind::Gbk:
        // GB18030 holds more than GBK: read and written back as GBK, it would lose text.
        return std::string_view(known->iconvName) == "GBK" ? TextEncoding::Gbk : TextEncoding::Other;
    case platform::TextEncodingKind::Latin1:
        return TextEncoding::Latin1;
    case platform::TextEncodingKind::Utf16:
        return TextEncoding::Utf16;
    case platform::TextEncodingKind::Other:
        return TextEncoding::Other;
    }
    return TextEncoding::Unsupported;
}

void ParseXml(std::string_view bytes, XmlDocument& document)
{
    document.declaredEncoding = declaredEncoding(bytes);
    // Only bytes that are UTF-16 are read as such; a declaration that says "utf-16" over
    // single-byte text is read (and written back) as the UTF-8 it is.
    const TextEncoding named = encodingNamed(document.declaredEncoding);
    document.encoding = isUtf16(bytes) ? TextEncoding::Utf16
        : named == TextEncoding::Utf16 ? TextEncoding::Utf8
                                       : named;
    document.cleanText = true;
    switch (document.encoding) {
    case TextEncoding::Gbk: {
        // pugixml knows no GBK: convert first, then read the text as UTF-8. A byte that is
        // no GBK becomes U+FFFD, which GBK itself does not hold.
        const std::string text = platform::ansiToUtf8(bytes);
        document.cleanText = text.find(replacement) == std::string::npos;
        document.parseResult
            = document.document.load_buffer(text.data(), text.size(), parseOptions, pugi::encoding_utf8);
        break;
    }
    case TextEncoding::Latin1:
        document.parseResult
            = document.document.load_buffer(bytes.data(), bytes.size(), parseOptions, pugi::encoding_latin1);
        break;
    case TextEncoding::Other: {
        // Any other declared encoding is read through iconv; it is written back as UTF-8.
        const std::string text
            = platform::decodeToUtf8(bytes, document.declaredEncoding).value_or(platform::sanitizeUtf8(bytes));
        document.cleanText = text.find(replacement) == std::string::npos;
        document.parseResult
            = document.document.load_buffer(text.data(), text.size(), parseOptions, pugi::encoding_utf8);
        break;
    }
    case TextEncoding::Utf16:
        document.parseResult
            = document.document.load_buffer(bytes.data(), bytes.size(), parseOptions, pugi::encoding_auto);
        break;
    case TextEncoding::Utf8:
    case TextEncoding::Unsupported:
        document.cleanText = isCleanUtf8(bytes);
        document.parseResult
            = document.document.load_buffer(bytes.data(), bytes.size(), parseOptions, pugi::encoding_utf8);
        break;
    }
}

void ParseXml(std::string&& bytes, XmlDocument& document)
{
    const TextEncoding named = encodingNamed(declaredEncoding(bytes));
    if (isUtf16(bytes)
        || (named != TextEncoding::Utf8 && named != TextEncoding::Unsupported && named != TextEncoding::Utf16)) {
        ParseXml(std::string_view(bytes), document);
        return;
    }
    // UTF-8 is parsed where it lies: the document's strings are the text's own bytes.
    document.document.reset();
    document.text = std::move(bytes);
    document.declaredEncoding = declaredEncoding(document.text);
    document.encoding = named == TextEncoding::Utf16 ? TextEncoding::Utf8 : named;
    document.cleanText = isCleanUtf8(document.text);
    document.parseResult = document.document.load_buffer_inplace(
        document.text.data(), document.text.size(), parseOptions, pugi::encoding_utf8);
}

std::string SaveXml(XmlDocument& document)
{
    pugi::xml_node declaration = declarationOf(document.document);
    // The declaration names the encoding the bytes are in, whatever it said before (a
    // declaration found later in the text, or one that named another encoding).
    const auto declare = [&](TextEncoding written, const char* name) {
        const pugi::xml_attribute encoding = declaration.attribute("encoding");
        if ((encoding || written != TextEncoding::Utf8) && encodingNamed(encoding.value()) != written)
            setEncodingAttribute(declaration, name);
    };
    // Measured first, then written into one string of that length: a long list is not
    // held again in a growing stream and its copy.
    const auto render = [&](pugi::xml_encoding encoding, unsigned flags) {
        struct Writer : pugi::xml_writer
        {
            std::string* bytes = nullptr;
            std::size_t length = 0;
            void write(const void* data, std::size_t size) override
            {
                if (bytes)
                    bytes->append(static_cast<const char*>(data), size);
                else
                    length += size;
            }
        } writer;
        document.document.save(writer, "\t", pugi::format_default | flags, encoding);
        std::string bytes;
        bytes.reserve(writer.length);
        writer.bytes = &bytes;
        document.document.save(writer, "\t", pugi::format_default | flags, encoding);
        return bytes;
    };
    if (document.encoding == TextEncoding::Utf16) {
        declare(TextEncoding::Utf16, "utf-16");
        return render(pugi::encoding_utf16_le, pugi::format_write_bom);
    }
    if (document.encoding == TextEncoding::Gbk) {
        declare(TextEncoding::Gbk, "gbk");
        const std::string text = render(pugi::encoding_utf8, 0);
        std::string bytes = platform::utf8ToAnsi(text);
        if (platform::ansiToUtf8(bytes) == text)
            return bytes;
    } else if (document.encoding == TextEncoding::Latin1) {
        declare(TextEncoding::Latin1, "iso-8859-1");
        if (fitsLatin1(render(pugi::encoding_utf8, 0)))
            return render(pugi::encoding_latin1, 0);
    } else if (document.encoding == TextEncoding::Utf8) {
        declare(TextEncoding::Utf8, "utf-8");
        return render(pugi::encoding_utf8, 0);
    }
    // The declared encoding cannot carry this text: UTF-8, and the declaration says so.
    setEncodingAttribute(declaration, "utf-8");
    document.declaredEncoding = "utf-8";
    document.encoding = TextEncoding::Utf8;
    return render(pugi::encoding_utf8, 0);
}

bool selectText(const pugi::xml_document& document, const char* xpath, std::string& text)
{
    const pugi::xpath_node found = document.select_node(xpath);
    if (!found)
        return false;
    std::string value = pugi::xpath_query(".").evaluate_string(found);
    const std::size_t first = value.find_first_not_of(" \t\r\n");
    const std::size_t last = value.find_last_not_of(" \t\r\n");
    text = first == std::string::npos ? std::string() : value.substr(first, last - first + 1);
    return true;
}

} // namespace modXml
