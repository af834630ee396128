#pragma once

#include "portal/frame/logic/win_messages.h"

#include <QWidget>

class QEvent;
class QMouseEvent;

namespace frame {

// One window message a toolkit event stands for. The event's own message is answered by
// the window's handling of that event; a further message (a key's character, the size
// limits asked before the window shows) has no handling of its own.
struct TranslatedMessage
{
    unsigned uMsg = 0;
    WParam wParam = 0;
    LParam lParam = 0;
    bool ownEvent = true;
};

struct Translation
{
    TranslatedMessage messages[2];
    int count = 0;
    void add(TranslatedMessage m) { messages[count++] = m; }
};

// What a hooked window remembers between its events.
struct TranslationState
{
    bool leaveTracked = false; // a WM_MOUSELEAVE was asked for
    Qt::WindowFlags flags; // as last seen, to notice style changes
};

// The toolkit's events of a window as the platform's window messages: the one place where
// they are translated.
Translation translateEvent(const QWidget& window, const QEvent& event, TranslationState& state);

// A mouse event of a child of the window as the window's own message, at the window
// position given.
Translation translateMouse(const QMouseEvent& event, QPointF windowPos);

// alt+space, which opens the window's system menu.
bool isSystemMenuKey(const QEvent& event);

// The window-message style bits a toolkit window's flags and state stand for.
std::uint32_t styleOf(const QWidget& window);

} // namespace frame
