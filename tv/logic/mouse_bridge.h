#pragma once

#include <optional>
#include <string>
#include <string_view>

// The page-to-shell mouse bridge: a script placed in every loaded page turns each mouse
// move into a navigation to "mouse://move|x|y"; the shell cancels those navigations, reads
// them and shows or hides its toolbar.
namespace mouse_bridge {

// The script the shell runs in the top document after every document completes.
std::string script();

struct Message
{
    std::string command; // the word before the first "|", not examined
    int x = 0;
    int y = 0;
};

// The bridge's reading of an address, or nothing when its first 8 characters are not
// exactly "mouse://" (letter case counts). x is the text between the first and the second
// "|", y the text after the second; each counts as its leading decimal number (0 when
// there is none), rounded half to even and held within the range of int.
std::optional<Message> parse(std::string_view address);

// The page position that last made the toolbar appear; (0, 0) at start.
struct Position
{
    float x = 0;
    float y = 0;
};

// Whether a move to (x, y) shows the toolbar (true) or hides it (false). A move counts as
// staying put when it is within one pixel of `last` both ways, or within one pixel
// vertically in the rows from 200 down; such a move hides the toolbar and keeps `last`.
// Any other move shows it and becomes `last`.
bool showsToolbar(Position& last, int x, int y);

} // namespace mouse_bridge
