#include "portal/frame/windows/qt_window_drag.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>

namespace frame {

namespace {

// An arrow key's step, in pixels, as a standard system menu's move and size take it.
constexpr int kArrowStep = 8;

QPoint arrowStep(int key)
{
    switch (key) {
    case Qt::Key_Left:
        return {-kArrowStep, 0};
    case Qt::Key_Right:
        return {kArrowStep, 0};
    case Qt::Key_Up:
        return {0, -kArrowStep};
    case Qt::Key_Down:
        return {0, kArrowStep};
    default:
        return {};
    }
}

} // namespace

void WindowDrag::begin(QWidget& window, int hit, QPoint globalPos, bool buttonHeld, POINT minSize, POINT maxSize)
{
    m_active = true;
    m_buttonHeld = buttonHeld;
    m_hit = hit;
    m_origin = globalPos;
    m_pointerDelta = {};
    m_keyDelta = {};
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
    case QEvent::MouseMove:
        m_pointerDelta = static_cast<QMouseEvent&>(event).globalPosition().toPoint() - m_origin;
        follow(window);
        return true;
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
        else if (const QPoint step = arrowStep(key); !step.isNull() && !m_buttonHeld) {
            m_keyDelta += step;
            follow(window);
        }
        return true;
    }
    default:
        return false;
    }
}

void WindowDrag::follow(QWidget& window)
{
    const QPoint delta = m_pointerDelta + m_keyDelta;
    const MDC::Rect r = draggedRect({m_start.x(), m_start.y(), m_start.width(), m_start.height()}, m_hit, delta.x(),
        delta.y(), m_minSize, m_maxSize);
    window.setGeometry(r.x, r.y, r.width, r.height);
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
