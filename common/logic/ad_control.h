#pragma once

#include "common/logic/remote_fetch.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Everything the advertisement control and its pop-ups name differently in the two shells.
struct AdShellNames
{
    const char* localCopy; // local copy of the control file, relative to the program folder
    const char* holderInitialText; // Label3 before a fetch filled it
    int adControlTimerMs; // TimeAdControl
    const char* cornerWindow; // the corner pop-up's window name
    int cornerCloseMs; // the corner pop-up's close timer; 0: it never closes by itself
    const char* exitWindow;
    int exitCloseMs;
};

const AdShellNames& adShellNames(Shell shell);

// The advertisement control file and the geometry of the two pop-ups, without windows.
// All geometry is in twips.
namespace ad_control {

constexpr const char* cornerPagePath = "/tvsource/AD/desktop-rightad.html";
constexpr const char* exitPagePath = "/tvsource/AD/desktop-Unload-ad.html";

// The items of a control file's text, by the delimited-field rules: blanks (spaces, tabs)
// before an item are skipped; an item in double quotes is taken without them and may hold
// commas and line breaks, and whatever follows its closing quote up to the next delimiter is
// dropped; an unquoted item ends at a comma or a line end. A line end is CR, CR LF, or a
// lone LF (control files edited elsewhere end their lines so). Blanks after an unquoted item
// are not part of it ("on " reads "on"). A delimiter right before the end of the text opens
// no further item, so "a,b" + CR LF is two items while an empty line is one empty item.
std::vector<std::string> readItems(std::string_view text);

// Item `position` of the list, or empty text when the list is shorter.
std::string item(const std::vector<std::string>& items, std::size_t position);

// The corner pop-up is shown only for exactly "on" in item 0.
bool showsCornerPopup(const std::vector<std::string>& items);

// Steps 2 and 4 of the run: writes `holderText` + CR LF to program folder + `localCopy` in
// the ANSI code page, then reads the file back item by item. The "bin" folder is never
// created: without it nothing is written or read and there are no items.
std::vector<std::string> keepLocalCopyAndReadItems(
    const std::string& holderText, const std::string& programFolder, const char* localCopy);

// A size item as the pop-ups read it: a decimal number with optional sign, fraction and
// exponent, blanks around it allowed. Empty text, anything else, a value a single-precision
// number cannot hold, and a negative size (no window can take one) are not sizes.
std::optional<double> sizeItem(const std::string& text);

// The height in twips of the screen strip below the work area: the screen height divided by
// the horizontal twips per pixel (which serves both directions), less the work area's bottom
// edge in pixels, times the same factor, rounded to the nearest integer with halves to the
// even neighbour. Nothing when the result does not fit in 16 bits.
std::optional<std::int16_t> workAreaBottomMargin(
    double screenHeightTwips, double twipsPerPixelX, int workAreaBottomPixels);

// A rectangle in twips relative to its parent.
struct RectTwips
{
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;
};

struct CornerPopupGeometry
{
    RectTwips window; // on the screen; the top is where the slide starts
    RectTwips container; // Picture1 in the window
    RectTwips browser; // WebBrowser1 in the container
    RectTwips closeImage; // Picture2 in the container
};

constexpr int cornerStepTwips = 13; // 12.7 to the nearest integer
constexpr int cornerSlideTicks = 300;
constexpr int cornerSlideMs = 10;

// The corner pop-up's load: size from items 2 and 3, flush with the right screen edge and
// just below the work area. Nothing when item 2 or 3 is missing or not a size.
std::optional<CornerPopupGeometry> cornerPopupGeometry(
    const std::vector<std::string>& items, double screenWidthTwips, double screenHeightTwips, int bottomMarginTwips);

// The slide of the corner pop-up: every tick moves it up by the step until the 300th.
class CornerSlide
{
public:
    explicit CornerSlide(double startTopTwips)
        : m_top(startTopTwips)
    { }
    // One tick; returns false once the slide has ended with this tick.
    bool tick();
    double topTwips() const { return m_top; }
    int ticks() const { return m_ticks; }

private:
    double m_top;
    int m_ticks = 0;
};

struct ExitPopupGeometry
{
    double width = 0;
    double height = 0;
    RectTwips container; // Picture1 in the window
    RectTwips browser; // WebBrowser1 in the container
    RectTwips closeImage; // Picture2 in the window, above the container
};

// The exit pop-up's load: size from items 4 and 5, the close image near the top-right
// corner. Nothing when item 4 or 5 is missing or not a size.
std::optional<ExitPopupGeometry> exitPopupGeometry(const std::vector<std::string>& items);

} // namespace ad_control
