#pragma once

#include "portal/frame/logic/frame_rules.h"

#include <QPoint>
#include <QRect>

class QEvent;
class QWidget;

namespace frame {

// Moving or sizing a window ourselves, where the window manager cannot: the window follows
// the pointer. Started by a press, it ends with that button's release; started from the
// system menu, it ends with the next press or Enter, and the arrow keys move it (or its
// edge) by steps as the pointer does. Escape puts the window back.
class WindowDrag
{
public:
    // `hit` is what follows the pointer: the caption (the whole window) or an edge code.
    void begin(QWidget& window, int hit, QPoint globalPos, bool buttonHeld, POINT minSize, POINT maxSize);
    bool active() const { return m_active; }
    // Takes the window's mouse and key events while active; true when it used the event.
    bool filter(QWidget& window, QEvent& event);

private:
    void end(QWidget& window, bool keep);
    void follow(QWidget& window);

    bool m_active = false;
    bool m_buttonHeld = false;
    int m_hit = HIT_CAPTION;
    QPoint m_origin;
    QPoint m_pointerDelta; // since the beginning
    QPoint m_keyDelta; // the arrow keys' steps so far
    QRect m_start;
    POINT m_minSize;
    POINT m_maxSize;
};

} // namespace frame
