#pragma once

class QMenu;
class QWebEnginePage;

namespace pane_context_menu {

// Leaves in a page's standard context menu only the items that work on the shells' pages
// (history, editing, copying, media controls); items that would hand a page to another
// window, the disk or the system's browser ("View page source", "Save page", "Open link in
// new tab", "Inspect") go, and so do separators left at an end or doubled.
void keepWorkingItems(QMenu& menu, QWebEnginePage& page);

} // namespace pane_context_menu
