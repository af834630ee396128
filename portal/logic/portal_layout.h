#pragma once

#include <optional>

// Where the main window's parts go for a client area of W x H twips. Plain numbers, so the
// rules are tested without a window; the window applies them on every resize.
namespace portal {

struct Rect
{
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// A panel with the browser it clips. A size the platform would refuse (negative) is left
// out; the window then keeps the part's previous size.
struct PanelPlacement
{
    int panelLeft = 0;
    int panelTop = 0;
    std::optional<int> panelWidth;
    std::optional<int> panelHeight;
    int browserLeft = 0;
    int browserTop = 0;
    std::optional<int> browserWidth;
    std::optional<int> browserHeight;
};

struct Layout
{
    PanelPlacement startCover; // load_Pic / Load_Web
    PanelPlacement libraryPane; // Picture1 / WebBrowser1
    PanelPlacement playerPane; // Picture3 / WebBrowser2
    PanelPlacement playCover; // play_load_Pic / play_load_Web
    int menuButtonLeft = 0; // MenuePicBox
    int pinButtonLeft = 0; // PicTopControl
    bool viewToggleShown = true; // BFQ_YSKpic
    int channelButtonLefts[3] = {}; // Picture6, Picture7, Picture2
    int progressLeft = 0; // ProgressPic
    int progressTop = 0;
};

// Design values of the title area and the content area.
constexpr int kDesignClientWidthTwips = 12060;
constexpr int kDesignClientHeightTwips = 7215;
constexpr int kContentTopTwips = 720;
constexpr int kWideTitleWidthTwips = 8500; // channel buttons move right from here on
constexpr int kViewToggleWidthTwips = 6700; // the view toggle shows from here on
constexpr int kProgressWidthTwips = 2655;
constexpr int kProgressHeightTwips = 255;
// The smallest client area that keeps the title area whole: the pin button stays clear of
// the live-TV button at its narrow place (left 3300, 405 wide), and the content area keeps
// some rows below the title area.
constexpr int kMinClientWidthTwips = 3300 + 405 + 60 + 2150;
constexpr int kMinClientHeightTwips = kContentTopTwips + 80 + 900;

Layout layoutFor(int widthTwips, int heightTwips);

} // namespace portal
