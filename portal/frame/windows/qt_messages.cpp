#include "portal/frame/windows/qt_messages.h"

#include <QKeyEvent>
#include <QMouseEvent>

#include <cmath>

namespace frame {

namespace {

WParam mouseKeys(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers)
{
    WParam keys = 0;
    if (buttons & Qt::LeftButton)
        keys |= MK_LBUTTON;
    if (buttons & Qt::RightButton)
        keys |= MK_RBUTTON;
    if (buttons & Qt::MiddleButton)
        keys |= MK_MBUTTON;
    if (modifiers & Qt::ShiftModifier)
        keys |= MK_SHIFT;
    if (modifiers & Qt::ControlModifier)
        keys |= MK_CONTROL;
    return keys;
}

// The message of a button's press, release or double-click; 0 for buttons the frame has
// no message for.
unsigned buttonMessage(Qt::MouseButton button, unsigned left, unsigned right, unsigned middle)
{
    switch (button) {
    case Qt::LeftButton:
        return left;
    case Qt::RightButton:
        return right;
    case Qt::MiddleButton:
        return middle;
    default:
        return 0;
    }
}

void addMouse(Translation& t, const QMouseEvent& e, unsigned uMsg, QPointF at)
{
    if (uMsg == 0)
        return;
    // The window pixel under the pointer, also left of or above the window.
    const auto x = static_cast<int>(std::floor(at.x()));
    const auto y = static_cast<int>(std::floor(at.y()));
    t.add({uMsg, mouseKeys(e.buttons(), e.modifiers()), makeLParam(x, y)});
}

WParam sizeType(const QWidget& window)
{
    if (window.isMinimized())
        return SIZE_MINIMIZED;
    return window.isMaximized() ? SIZE_MAXIMIZED : SIZE_RESTORED;
}

void addMouseEvent(Translation& t, const QMouseEvent& e, QPointF at)
{
    switch (e.type()) {
    case QEvent::MouseMove:
        addMouse(t, e, WM_MOUSEMOVE, at);
        break;
    case QEvent::MouseButtonPress:
        // The second press of a double-click is the double-click message alone.
        if (!(e.flags() & Qt::MouseEventCreatedDoubleClick))
            addMouse(t, e, buttonMessage(e.button(), WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN), at);
        break;
    case QEvent::MouseButtonRelease:
        addMouse(t, e, buttonMessage(e.button(), WM_LBUTTONUP, WM_RBUTTONUP, WM_MBUTTONUP), at);
        break;
    case QEvent::MouseButtonDblClick:
        addMouse(t, e, buttonMessage(e.button(), WM_LBUTTONDBLCLK, WM_RBUTTONDBLCLK, WM_MBUTTONDBLCLK), at);
        break;
    default:
        break;
    }
}

} // namespace

Translation translateMouse(const QMouseEvent& event, QPointF windowPos)
{
    Translation t;
    addMouseEvent(t, event, windowPos);
    return t;
}

bool isSystemMenuKey(const QEvent& event)
{
    if (event.type() != QEvent::KeyPress)
        return false;
    const auto& key = static_cast<const QKeyEvent&>(event);
    return key.key() == Qt::Key_Space && (key.modifiers() & ~Qt::KeypadModifier) == Qt::AltModifier;
}

std::uint32_t styleOf(const QWidget& window)
{
    const Qt::WindowFlags flags = window.windowFlags();
    std::uint32_t style = 0;
    if (!(flags & Qt::FramelessWindowHint))
        style |= WS_BORDER | WS_DLGFRAME;
    if (flags & Qt::WindowSystemMenuHint)
        style |= WS_SYSMENU;
    if (flags & Qt::WindowMinimizeButtonHint)
        style |= WS_MINIMIZEBOX;
    if (flags & Qt::WindowMaximizeButtonHint)
        style |= WS_MAXIMIZEBOX;
    // A window whose size is not fixed has a sizing border.
    if (window.minimumSize() != window.maximumSize())
        style |= WS_THICKFRAME;
    return style;
}

Translation translateEvent(const QWidget& window, const QEvent& event, TranslationState& state)
{
    Translation t;
    const QSize size = window.size();
    switch (event.type()) {
    case QEvent::Paint:
        t.add({WM_PAINT, 0, 0});
        break;
    case QEvent::Resize:
    case QEvent::WindowStateChange:
        // A state change is a size change: maximized, minimized or restored.
        t.add({WM_SIZE, sizeType(window), makeLParam(size.width(), size.height())});
        break;
    case QEvent::WindowTitleChange:
        t.add({WM_SETTEXT, 0, 0});
        break;
    case QEvent::WindowIconChange:
        t.add({WM_GETICON, 0, 0});
        break;
    case QEvent::ActivationChange:
        t.add({WM_NCACTIVATE, window.isActiveWindow() ? 1u : 0u, 0});
        break;
    case QEvent::MouseMove:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick: {
        const auto& e = static_cast<const QMouseEvent&>(event);
        addMouseEvent(t, e, e.position());
        break;
    }
    case QEvent::Leave:
        // Only once after each request, as the platform reports it.
        if (state.leaveTracked) {
            state.leaveTracked = false;
            t.add({WM_MOUSELEAVE, 0, 0});
        }
        break;
    case QEvent::KeyPress: {
        if (isSystemMenuKey(event)) {
            t.add({WM_SYSCOMMAND, SC_KEYMENU, ' '});
            break;
        }
        const auto& e = static_cast<const QKeyEvent&>(event);
        t.add({WM_KEYDOWN, static_cast<WParam>(e.nativeVirtualKey()), 0});
        if (!e.text().isEmpty())
            t.add({WM_CHAR, static_cast<WParam>(e.text().at(0).unicode()), 0, false});
        break;
    }
    case QEvent::KeyRelease:
        t.add({WM_KEYUP, static_cast<WParam>(static_cast<const QKeyEvent&>(event).nativeVirtualKey()), 0});
        break;
    case QEvent::Show:
        // The window asks its size limits before it shows; a style changed while it was
        // hidden is reported first.
        if (window.windowFlags() != state.flags) {
            state.flags = window.windowFlags();
            t.add({WM_STYLECHANGED, static_cast<WParam>(static_cast<LParam>(GWL_STYLE)), 0, false});
        }
        t.add({WM_GETMINMAXINFO, 0, 0, false});
        break;
    case QEvent::ScreenChangeInternal:
        t.add({WM_GETMINMAXINFO, 0, 0, false});
        break;
    default:
        break;
    }
    return t;
}

} // namespace frame
