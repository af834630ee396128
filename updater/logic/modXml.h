#pragma once

#include "platform/contained_folder.h"

#include <pugixml.hpp>

#include <string>
#include <string_view>

// The XML documents of the update lists.
namespace modXml {

// The text encodings a list may be stored in. A list in any other encoding cannot be read
// faithfully: its names would not be the ones the server meant.
enum class TextEncoding { Utf8, Utf16, Gbk, Latin1, Other, Unsupported };

// A loaded list: the parsed document, the parse result (status_ok or the reason it failed),
// the encoding its declaration names, used again when the document is written back, and
// whether every byte was valid in that encoding.
struct XmlDocument
{
    pugi::xml_document document;
    pugi::xml_parse_result parseResult;
    std::string declaredEncoding;
    TextEncoding encoding = TextEncoding::Utf8;
    bool cleanText = true;
    // Why the file could not be read at all (in the program's words); "" when it was read.
    std::string readFailure;
    // The text the document was parsed from, in place: a long list is not held twice.
    std::string text;

    // Lets go of the document and the text it was parsed from.
    void release()
    {
        document.reset();
        std::string().swap(text);
    }

    bool parsed() const { return readFailure.empty() && parseResult.status == pugi::status_ok; }
    std::string parseErrorReason() const
    {
        return readFailure.empty() ? std::string(parseResult.description()) : readFailure;
    }
};

// Loads the file at `path` into `document` and returns true; false only when the file is
// absent. Only a plain file (or a link to one) of at most the longest list a server may send
// is read, without waiting for a writer; one that cannot be read comes back with true and
// its readFailure set. A document that does not parse still comes back with true: callers look at its
// parse result. The encoding its declaration names is honoured (GBK lists are converted).
bool LoadXml(const std::string& path, XmlDocument& document);

// Loads the list `name` of `folder` as LoadXml does, reading a plain file only and at most
// the longest list a server may send; one that cannot be read comes back with true and its
// readFailure set.
bool LoadXml(const platform::ContainedFolder& folder, const std::string& name, XmlDocument& document);

// Parses the bytes of a list into `document`, as LoadXml does with a file's content.
void ParseXml(std::string_view bytes, XmlDocument& document);
// The same, taking the bytes over: the document is parsed in place.
void ParseXml(std::string&& bytes, XmlDocument& document);

// The document as bytes in its declared encoding, ready to be written to a file. When the
// encoding cannot hold some of its text (or is not one we write), it is written as UTF-8
// and its declaration says so: a written list always reads back to the same text.
std::string SaveXml(XmlDocument& document);

// The encoding named by the XML declaration at the start of `bytes`, lower-cased; "" when
// there is no declaration or it names none. Only a real declaration counts ("<?xml" and a
// blank), not a processing instruction whose name merely begins with "xml".
std::string declaredEncoding(std::string_view bytes);
TextEncoding encodingNamed(std::string_view name);

// The text of the first element of that name anywhere in the document ("//Url"), trimmed;
// nothing when there is no such element.
bool selectText(const pugi::xml_document& document, const char* xpath, std::string& text);

} // namespace modXml
