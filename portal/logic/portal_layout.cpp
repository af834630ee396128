#include "portal/logic/portal_layout.h"

namespace portal {

namespace {

std::optional<int> sizeIfLegal(int value)
{
    if (value < 0)
        return std::nullopt;
    return value;
}

// Every panel of the content area sits at the same place with the same size; the browser
// inside starts 60 twips up and left so that the panel clips its border.
PanelPlacement contentPanel(int w, int h)
{
    PanelPlacement p;
    p.panelLeft = 60;
    p.panelTop = kContentTopTwips;
    p.panelWidth = sizeIfLegal(w - 120);
    p.panelHeight = sizeIfLegal(h - 800);
    p.browserLeft = -60;
    p.browserTop = -60;
    return p;
}

std::optional<int> plus(const std::optional<int>& size, int extra)
{
    if (!size)
        return std::nullopt;
    return sizeIfLegal(*size + extra);
}

} // namespace

Layout layoutFor(int w, int h)
{
    Layout l;

    l.startCover = contentPanel(w, h);
    l.startCover.browserWidth = plus(l.startCover.panelWidth, 120);
    l.startCover.browserHeight = plus(l.startCover.panelHeight, 300);

    l.libraryPane = contentPanel(w, h);
    l.libraryPane.browserWidth = plus(l.libraryPane.panelWidth, 120);
    l.libraryPane.browserHeight = plus(l.libraryPane.panelHeight, 115);

    l.playerPane = contentPanel(w, h);
    l.playerPane.browserWidth = sizeIfLegal(w);
    l.playerPane.browserHeight = sizeIfLegal(h - 700);

    // The play cover's browser follows the start cover's panel, not its own.
    l.playCover = contentPanel(w, h);
    l.playCover.browserWidth = plus(l.startCover.panelWidth, 120);
    l.playCover.browserHeight = plus(l.startCover.panelHeight, 100);

    l.menuButtonLeft = w - 1800;
    l.pinButtonLeft = w - 2150;
    l.viewToggleShown = w >= kViewToggleWidthTwips;
    if (w < kWideTitleWidthTwips) {
        l.channelButtonLefts[0] = 2500;
        l.channelButtonLefts[1] = 2900;
        l.channelButtonLefts[2] = 3300;
    } else {
        l.channelButtonLefts[0] = 5100;
        l.channelButtonLefts[1] = 5500;
        l.channelButtonLefts[2] = 5950;
    }
    l.progressLeft = w / 3;
    l.progressTop = h / 2;
    return l;
}

} // namespace portal
