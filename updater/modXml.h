#pragma once

#include <pugixml.hpp>

#include <string>

// The XML documents of the update lists.
namespace modXml {

// A loaded list: the parsed document, the parse result (status_ok or the reason it failed)
// and the encoding its declaration names, used again when the document is written back.
struct XmlDocument
{
    pugi::xml_document document;
    pugi::xml_parse_result parseResult;
    std::string declaredEncoding;

    bool parsed() const { return parseResult.status == pugi::status_ok; }
    std::string parseErrorReason() const { return parseResult.description(); }
};

// Loads the file at `path` into `document` and returns true; false only when the file is
// absent. A document that does not parse still comes back with true: callers look at its
// parse result. The encoding its declaration names is honoured (GBK lists are converted).
bool LoadXml(const std::string& path, XmlDocument& document);

// The document as text in its declared encoding, ready to be written to a file.
std::string SaveXml(const XmlDocument& document);

// The text of the first element of that name anywhere in the document ("//Url"), trimmed;
// nothing when there is no such element.
bool selectText(const pugi::xml_document& document, const char* xpath, std::string& text);

} // namespace modXml
