#include "tv/logic/tv_layout.h"

namespace tv_layout {

PaneLayout paneLayout(int clientWidthTwips, int clientHeightTwips)
{
    PaneLayout layout;
    layout.pictureWidth = clientWidthTwips + 200;
    layout.pictureHeight = clientHeightTwips + 35;
    layout.browserWidth = layout.pictureWidth;
    layout.browserHeight = layout.pictureHeight + 60;
    return layout;
}

} // namespace tv_layout
