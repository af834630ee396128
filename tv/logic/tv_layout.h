#pragma once

// The TV main window's geometry in twips.
namespace tv_layout {

// The client area the window opens with.
inline constexpr int designClientWidthTwips = 12045;
inline constexpr int designClientHeightTwips = 6735;

// Toolbar1 floats over the top-left of the page.
inline constexpr int toolbarLeftTwips = 600;
inline constexpr int toolbarTopTwips = 120;
inline constexpr int toolbarWidthTwips = 2655;
inline constexpr int toolbarHeightTwips = 390;

struct PaneLayout
{
    // Picture1, at (0, 0) of the client area.
    int pictureWidth = 0;
    int pictureHeight = 0;
    // WebBrowser1 inside Picture1.
    int browserLeft = -120;
    int browserTop = 0;
    int browserWidth = 0;
    int browserHeight = 0;
};

// Picture1 overhangs the client area by 200 twips to the right and 35 at the bottom;
// WebBrowser1 takes Picture1's width and 60 twips more than its height, 120 twips left of
// it, so the pane's own border lies outside the window on every side.
PaneLayout paneLayout(int clientWidthTwips, int clientHeightTwips);

} // namespace tv_layout
