#pragma once

class QWidget;

namespace frame {

// Lets alt+space reach a framed window, so that it opens the frame's own system menu and
// not the window manager's (which takes the key for the whole desktop otherwise): while Alt
// is held over the window, the window has the keyboard. Any other key pressed with Alt
// gives the keyboard back at once and is handed on as if it had never been held, so the
// window manager's other Alt keys still work. Call once the window has its native window.
void takeSystemMenuKey(QWidget& window);

} // namespace frame
