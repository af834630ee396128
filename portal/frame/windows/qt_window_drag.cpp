#include "portal/frame/windows/qt_window_drag.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>

namespace frame {

void WindowDrag::begin(QWidget& window, int hit, QPoint globalPos, bool buttonHeld, POINT minSize, POINT maxSize)
{
    m_active = true;
    m_buttonHeld = buttonHeld;
    m_hit = hit;
    m_origin = globalPos;
    m_start = window.geometry();
    m_minSize = minSize;
    m_maxSize = maxSize;
    // The pointer may leave the window while it follows.
    window.grabMouse();
    if (!buttonHeld)
        window.grabKeyboard();
}

bool WindowDrag::filter(QWidget& window, QEvent& event)
{
    switch (event.type()) {
    case QEvent::MouseMove: {
        const QPoint delta = static_cast<QMouseEvent&>(event).globalPosition().toPoint() - m_origin;
        const MDC::Rect r = draggedRect({m_start.x(), m_start.y(), m_start.width(), m_start.height()}, m_hit, delta.x(),
            delta.y(), m_minSize, m_maxSize);
        window.setGeometry(r.x, r.y, r.width, r.height);
        return true;
    }
    case QEvent::MouseButtonRelease:
        if (m_buttonHeld)
            end(window, true);
        return true;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        if (!m_buttonHeld)
            end(window, true);
        return true;
    case QEvent::KeyPress: {
        const int key = static_cast<QKeyEvent&>(event).key();
        if (key == Qt::Key_Escape)
            end(window, false);
        else if (key == Qt::Key_Return || key == Qt::Key_Enter)
            end(window, true);
        return true;
    }
    default:
        return false;
    }
}

void WindowDrag::end(QWidget& window, bool keep)
{
    m_active = false;
    window.releaseMouse();
    if (!m_buttonHeld)
        window.releaseKeyboard();
    if (!keep)
        window.setGeometry(m_start);
}

} // namespace frame
