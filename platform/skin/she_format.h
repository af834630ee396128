#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

// Our ".she" skin file: a first line naming the format, header lines "key=value" up to an
// empty line, then a Qt style sheet that the engine applies to the whole application. All
// of it is UTF-8; line ends may be "\n" or "\r\n".
//
//   SkinH-she 1
//   name=白色简约
//   window=#F4F6F9
//
//   QTreeView { background: white; }
//
// Known header keys: "name"; "password" (when present and not empty, attaching needs the
// same text); the palette colours "window", "windowText", "base", "alternateBase", "text",
// "button", "buttonText", "highlight", "highlightedText" as #RRGGBB.
namespace she_format {

inline constexpr std::string_view magicLine = "SkinH-she 1";

// The results SkinH_AttachEx hands back.
enum AttachResult : int {
    attached = 0,
    unreadableFile = 1,
    notASkinFile = 2,
    wrongPassword = 3,
    noApplication = 4,
};

struct Skin
{
    std::map<std::string, std::string> header;
    std::string styleSheet;
};

// Parses the content of a skin file; nullopt when it is not one of ours (wrong first line,
// a header line without "=", no empty line ending the header, a colour that is not
// #RRGGBB, a style sheet that is not valid UTF-8).
std::optional<Skin> parse(std::string_view content);

// Whether `password` opens `skin`.
bool opens(const Skin& skin, std::string_view password);

// The header keys naming palette colours, in a fixed order.
const std::map<std::string, int>& paletteKeys();

// "#RRGGBB" as 0xRRGGBB, nullopt otherwise.
std::optional<unsigned> parseColour(std::string_view text);

} // namespace she_format
