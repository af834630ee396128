#include "common/logic/ad_control.h"

#include "platform/ascii_text.h"
#include "platform/codepage.h"
#include "platform/file_util.h"
#include "platform/program_folder.h"

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <limits>

namespace {

constexpr AdShellNames portalNames {
    "\\bin\\PallomarAdControl.txt",
    "Label3",
    36000,
    "frmRightBottom",
    35000,
    "frmUnload",
    25000,
};

constexpr AdShellNames tvNames {
    "\\bin\\TovanTVAdControl.txt",
    "Label3-右下角显示的广告窗体",
    45000,
    "frmLeftRight",
    0,
    "frmUnload",
    25000,
};

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool isLineEnd(char c)
{
    return c == '\r' || c == '\n';
}

// Moves past the delimiter at `pos`: a comma, CR, CR LF or LF.
std::size_t skipDelimiter(std::string_view text, std::size_t pos)
{
    if (pos >= text.size())
        return pos;
    if (text[pos] == '\r' && pos + 1 < text.size() && text[pos + 1] == '\n')
        return pos + 2;
    return pos + 1;
}

std::size_t findDelimiter(std::string_view text, std::size_t pos)
{
    while (pos < text.size() && text[pos] != ',' && !isLineEnd(text[pos]))
        ++pos;
    return pos;
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Sign, digits with an optional fraction (at least one digit), optional exponent.
bool isDecimalNumber(std::string_view s)
{
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        ++i;
    std::size_t digits = 0;
    while (i < s.size() && isDigit(s[i]))
        ++i, ++digits;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && isDigit(s[i]))
            ++i, ++digits;
    }
    if (digits == 0)
        return false;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-'))
            ++i;
        std::size_t exponentDigits = 0;
        while (i < s.size() && isDigit(s[i]))
            ++i, ++exponentDigits;
        if (exponentDigits == 0)
            return false;
    }
    return i == s.size();
}

std::string trimmed(const std::string& text)
{
    return std::string(ascii::trimmed(text, " \t"));
}

// A size item already known to be one, read in single precision straight from its text.
double singlePrecision(const std::string& text)
{
    return std::strtof(trimmed(text).c_str(), nullptr);
}

double roundHalfEven(double value)
{
    const double down = std::floor(value);
    const double fraction = value - down;
    if (fraction < 0.5)
        return down;
    if (fraction > 0.5)
        return down + 1;
    return std::fmod(down, 2.0) == 0 ? down : down + 1;
}

// The container and browser placement both pop-ups share: the container is larger than the
// window and the browser sits up and to the left in it, so the page's border and top strip
// lie outside the window.
void placeContainerAndBrowser(
    double width, double height, ad_control::RectTwips& container, ad_control::RectTwips& browser)
{
    container = {0, 0, width + 180, height + 750};
    browser = {-180, -375, container.width, container.height};
}

} // namespace

const AdShellNames& adShellNames(Shell shell)
{
    return shell == Shell::Portal ? portalNames : tvNames;
}

namespace ad_control {

std::vector<std::string> readItems(std::string_view text)
{
    std::vector<std::string> items;
    std::size_t pos = 0;
    while (pos < text.size()) {
        while (pos < text.size() && isBlank(text[pos]))
            ++pos;
        if (pos < text.size() && text[pos] == '"') {
            const std::size_t close = text.find('"', pos + 1);
            if (close == std::string_view::npos) {
                items.emplace_back(text.substr(pos + 1));
                break;
            }
            items.emplace_back(text.substr(pos + 1, close - pos - 1));
            pos = skipDelimiter(text, findDelimiter(text, close + 1));
            continue;
        }
        const std::size_t end = findDelimiter(text, pos);
        std::size_t last = end;
        while (last > pos && isBlank(text[last - 1]))
            --last;
        items.emplace_back(text.substr(pos, last - pos));
        pos = skipDelimiter(text, end);
    }
    return items;
}

std::string item(const std::vector<std::string>& items, std::size_t position)
{
    return position < items.size() ? items[position] : std::string();
}

bool showsCornerPopup(const std::vector<std::string>& items)
{
    return item(items, 0) == "on";
}

std::vector<std::string> keepLocalCopyAndReadItems(
    const std::string& holderText, const std::string& programFolder, const char* localCopy)
{
    const std::string path = platform::joinPath(programFolder, localCopy);
    // An installation without its "bin" folder still keeps its local copy.
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
    platform::writeFileReplacing(path, platform::utf8ToAnsi(holderText) + "\r\n");
    const std::optional<std::string> bytes = platform::readWholeFile(path);
    if (!bytes)
        return {};
    return readItems(platform::ansiToUtf8(*bytes));
}

std::optional<double> sizeItem(const std::string& text)
{
    const std::string number = trimmed(text);
    if (!isDecimalNumber(number))
        return std::nullopt;
    const double value = std::strtod(number.c_str(), nullptr);
    if (!std::isfinite(value) || std::fabs(value) > std::numeric_limits<float>::max() || value < 0)
        return std::nullopt;
    return value;
}

std::optional<std::int16_t> workAreaBottomMargin(
    double screenHeightTwips, double twipsPerPixelX, int workAreaBottomPixels)
{
    if (!(twipsPerPixelX > 0))
        return std::nullopt;
    const double margin = roundHalfEven((screenHeightTwips / twipsPerPixelX - workAreaBottomPixels) * twipsPerPixelX);
    if (margin < std::numeric_limits<std::int16_t>::min() || margin > std::numeric_limits<std::int16_t>::max())
        return std::nullopt;
    return static_cast<std::int16_t>(margin);
}

std::optional<CornerPopupGeometry> cornerPopupGeometry(
    const std::vector<std::string>& items, double screenWidthTwips, double screenHeightTwips, int bottomMarginTwips)
{
    const std::optional<double> width = sizeItem(item(items, 2));
    const std::optional<double> height = sizeItem(item(items, 3));
    if (!width || !height)
        return std::nullopt;
    CornerPopupGeometry g;
    // The size is read in single precision, the left edge from the same item in double.
    g.window.width = singlePrecision(item(items, 2));
    g.window.height = singlePrecision(item(items, 3));
    g.window.top = screenHeightTwips - bottomMarginTwips;
    g.window.left = screenWidthTwips - *width;
    placeContainerAndBrowser(g.window.width, g.window.height, g.container, g.browser);
    g.closeImage = {4080, 120, 180, 180};
    return g;
}

bool CornerSlide::tick()
{
    if (m_ticks >= cornerSlideTicks)
        return false;
    ++m_ticks;
    m_top -= cornerStepTwips;
    return m_ticks < cornerSlideTicks;
}

std::optional<ExitPopupGeometry> exitPopupGeometry(const std::vector<std::string>& items)
{
    const std::optional<double> width = sizeItem(item(items, 4));
    const std::optional<double> height = sizeItem(item(items, 5));
    if (!width || !height)
        return std::nullopt;
    ExitPopupGeometry g;
    g.width = singlePrecision(item(items, 4));
    g.height = singlePrecision(item(items, 5));
    placeContainerAndBrowser(g.width, g.height, g.container, g.browser);
    g.closeImage = {*width - 300, 50, 255, 255};
    return g;
}

} // namespace ad_control
