#include "tv/logic/skin_name.h"

#include "platform/codepage.h"
#include "platform/profile_text.h"

#include <string>

namespace skin_name {

bool plainFileName(std::string_view name)
{
    return !name.empty() && name != "." && name != ".." && name.find_first_of("/\\") == std::string_view::npos;
}

bool storable(std::string_view name)
{
    if (!plainFileName(name) || platform::sanitizeUtf8(name) != name)
        return false;
    const std::string ansi = platform::utf8ToAnsi(name);
    if (ansi.size() > maxAnsiBytes || platform::ansiToUtf8(ansi) != name)
        return false;
    // The entry as the file would hold it must give the same bytes back.
    namespace text = platform::profile_text;
    text::Document document;
    return text::update(document, "Skin", "Name", ansi) == text::Change::Changed
        && text::find(document, "Skin", "Name") == ansi;
}

} // namespace skin_name
