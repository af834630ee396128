#include "common/windows/pane_context_menu.h"

#include <QAction>
#include <QMenu>
#include <QWebEnginePage>

#include <algorithm>
#include <array>

namespace pane_context_menu {

void keepWorkingItems(QMenu& menu, QWebEnginePage& page)
{
    using A = QWebEnginePage::WebAction;
    constexpr std::array working {A::Back, A::Forward, A::Stop, A::Reload, A::ReloadAndBypassCache, A::Cut, A::Copy,
        A::Paste, A::Undo, A::Redo, A::SelectAll, A::PasteAndMatchStyle, A::Unselect, A::OpenLinkInThisWindow,
        A::CopyLinkToClipboard, A::CopyImageToClipboard, A::CopyImageUrlToClipboard, A::CopyMediaUrlToClipboard,
        A::ToggleMediaControls, A::ToggleMediaLoop, A::ToggleMediaPlayPause, A::ToggleMediaMute};
    const auto works = [&](QAction* action) {
        return std::any_of(working.begin(), working.end(), [&](A kind) { return page.action(kind) == action; });
    };
    bool lastWasSeparator = true; // no separator at the top
    QAction* trailing = nullptr;
    for (QAction* action : menu.actions()) {
        if (action->isSeparator()) {
            if (lastWasSeparator)
                menu.removeAction(action);
            else
                trailing = action;
            lastWasSeparator = true;
            continue;
        }
        if (!works(action)) {
            menu.removeAction(action);
            continue;
        }
        lastWasSeparator = false;
        trailing = nullptr;
    }
    if (trailing)
        menu.removeAction(trailing);
}

} // namespace pane_context_menu
