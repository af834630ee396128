#include "modXml.h"

#include "codepage.h"
#include "file_util.h"
#include "modPublic.h"

#include <algorithm>
#include <sstream>

namespace modXml {
namespace {

std::string loweredAscii(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
        [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c); });
    return text;
}

// The encoding named by an XML declaration at the start of the bytes, lower-cased; empty
// when there is none. Declarations are ASCII in every encoding the lists use.
std::string declaredEncoding(const std::string& bytes)
{
    std::size_t start = bytes.starts_with("\xEF\xBB\xBF") ? 3 : 0;
    if (bytes.compare(start, 5, "<?xml") != 0)
        return {};
    const std::size_t end = bytes.find("?>", start);
    const std::string declaration = bytes.substr(start, end == std::string::npos ? 200 : end - start);
    const std::size_t at = declaration.find("encoding");
    if (at == std::string::npos)
        return {};
    const std::size_t quote = declaration.find_first_of("\"'", at);
    if (quote == std::string::npos)
        return {};
    const std::size_t close = declaration.find(declaration[quote], quote + 1);
    if (close == std::string::npos)
        return {};
    return loweredAscii(declaration.substr(quote + 1, close - quote - 1));
}

bool isGbkFamily(const std::string& encoding)
{
    return encoding == "gbk" || encoding == "gb2312" || encoding == "gb18030" || encoding == "cp936"
        || encoding == "windows-936" || encoding == "x-gbk";
}

constexpr unsigned parseOptions = pugi::parse_default | pugi::parse_declaration | pugi::parse_comments | pugi::parse_pi;

} // namespace

bool LoadXml(const std::string& path, XmlDocument& document)
{
    if (!modPublic::FileExists(path))
        return false;
    const std::string bytes = platform::readWholeFile(path).value_or(std::string());
    document.declaredEncoding = declaredEncoding(bytes);
    if (isGbkFamily(document.declaredEncoding)) {
        // pugixml knows no GBK: convert first, then read the text as UTF-8.
        const std::string text = platform::ansiToUtf8(bytes);
        document.parseResult
            = document.document.load_buffer(text.data(), text.size(), parseOptions, pugi::encoding_utf8);
    } else {
        document.parseResult
            = document.document.load_buffer(bytes.data(), bytes.size(), parseOptions, pugi::encoding_auto);
    }
    return true;
}

std::string SaveXml(const XmlDocument& document)
{
    std::ostringstream out;
    document.document.save(out, "\t", pugi::format_default, pugi::encoding_utf8);
    if (isGbkFamily(document.declaredEncoding))
        return platform::utf8ToAnsi(out.str());
    return out.str();
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
