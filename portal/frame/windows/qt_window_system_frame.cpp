// The frame side of the Qt window system: window facts, the operations the frame starts,
// moving and sizing, the system menu and the size limits.
#include "portal/frame/windows/qt_window_system.h"

#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>

namespace frame {

namespace {

constexpr std::uint32_t kFrameBits = WS_BORDER | WS_DLGFRAME;

} // namespace

std::uint32_t QtWindowSystem::style(Hwnd hwnd) const
{
    const QWidget* w = widget(hwnd);
    return w ? styleOf(*w) : 0;
}

void QtWindowSystem::setStyle(Hwnd hwnd, std::uint32_t style)
{
    QWidget* w = widget(hwnd);
    const bool frameless = !(style & kFrameBits);
    if (!w || w->windowFlags().testFlag(Qt::FramelessWindowHint) == frameless)
        return;
    if (m_dispatching > 0) {
        // Changing a window's flags re-creates it; never from inside its own events.
        QPointer<QWidget> later(w);
        QTimer::singleShot(0, w, [this, later, style] {
            if (later)
                setStyle(hwndOf(later), style);
        });
        return;
    }
    // The window keeps its place and outer size: the client area takes the frame's room.
    const QRect outer = w->frameGeometry();
    const bool visible = w->isVisible();
    const Qt::WindowStates states = w->windowState();
    Qt::WindowFlags flags = w->windowFlags();
    flags.setFlag(Qt::FramelessWindowHint, frameless);
    QWindow* native = w->windowHandle();
    if (native) {
        // The window system is told directly. Changing the widget's own flags would unmap the
        // window and map it again; a window manager still busy with the first map (the frame
        // attaches just after the window is shown) can then lose it, and it stays unmapped.
        w->overrideWindowFlags(flags);
        native->setFlags(flags);
    } else {
        w->setWindowFlags(flags);
    }
    if (HookFilter* filter = hook(hwnd))
        filter->state.flags = w->windowFlags();
    w->setGeometry(frameless ? outer : QRect(outer.topLeft(), w->size()));
    if (!native) {
        w->setWindowState(states);
        if (visible)
            w->show();
    }
}

void QtWindowSystem::frameChanged(Hwnd hwnd)
{
    // The flags change above already gave the window its new frame.
    if (QWidget* w = widget(hwnd))
        w->update();
}

MDC::Rect QtWindowSystem::windowRect(Hwnd hwnd) const
{
    const QWidget* w = widget(hwnd);
    if (!w)
        return {};
    // Without a frame the window is its client area; the frame size Qt keeps may still be
    // that of the frame just removed.
    const QRect r = w->windowFlags().testFlag(Qt::FramelessWindowHint) ? w->geometry() : w->frameGeometry();
    return {r.x(), r.y(), r.width(), r.height()};
}

double QtWindowSystem::devicePixelRatio(Hwnd hwnd) const
{
    const QWidget* w = widget(hwnd);
    return w ? w->devicePixelRatioF() : 1.0;
}

bool QtWindowSystem::isVisible(Hwnd hwnd) const
{
    const QWidget* w = widget(hwnd);
    return w && w->isVisible();
}

bool QtWindowSystem::isZoomed(Hwnd hwnd) const
{
    const QWidget* w = widget(hwnd);
    return w && w->isMaximized();
}

bool QtWindowSystem::isIconic(Hwnd hwnd) const
{
    const QWidget* w = widget(hwnd);
    return w && w->isMinimized();
}

std::string QtWindowSystem::windowText(Hwnd hwnd) const
{
    const QWidget* w = widget(hwnd);
    return w ? w->windowTitle().toStdString() : std::string();
}

void QtWindowSystem::showWindow(Hwnd hwnd, int command)
{
    QWidget* w = widget(hwnd);
    if (!w)
        return;
    if (command == SW_SHOWMAXIMIZED) {
        applySizeLimits(*w);
        w->showMaximized();
    } else if (command == SW_MINIMIZE) {
        w->showMinimized();
    } else {
        w->showNormal();
    }
}

LResult QtWindowSystem::sendMessage(Hwnd hwnd, unsigned uMsg, WParam wParam, LParam)
{
    QWidget* w = widget(hwnd);
    if (!w)
        return 0;
    switch (uMsg) {
    case WM_CLOSE:
        w->close();
        break;
    case WM_NCLBUTTONDOWN:
        startDrag(*w, static_cast<int>(wParam), true);
        break;
    case WM_SYSCOMMAND:
        systemCommand(*w, static_cast<unsigned>(wParam));
        break;
    case WM_SETREDRAW:
        w->setUpdatesEnabled(wParam != 0);
        break;
    default:
        break;
    }
    return 0;
}

void QtWindowSystem::startDrag(QWidget& w, int hit, bool buttonHeld)
{
    HookFilter* filter = hook(hwndOf(&w));
    if (buttonHeld && filter) {
        // Only motion makes a drag of the press; until then it stays a click.
        filter->pending = {true, hit, filter->lastGlobalPos};
        return;
    }
    const MINMAXINFO limits = applySizeLimits(w);
    if (filter)
        filter->drag.begin(w, hit, QCursor::pos(), false, limits.ptMinTrackSize, limits.ptMaxTrackSize);
}

bool QtWindowSystem::followPendingDrag(HookFilter& filter, QEvent& event)
{
    HookFilter::PendingDrag& pending = filter.pending;
    if (!pending.active || !filter.window)
        return false;
    if (event.type() != QEvent::MouseMove) {
        if (event.type() == QEvent::MouseButtonRelease || event.type() == QEvent::MouseButtonPress
            || event.type() == QEvent::MouseButtonDblClick)
            pending.active = false;
        return false;
    }
    const auto& mouse = static_cast<const QMouseEvent&>(event);
    const QPoint now = mouse.globalPosition().toPoint();
    if (!(mouse.buttons() & Qt::LeftButton)) {
        pending.active = false;
        return false;
    }
    if ((now - pending.from).manhattanLength() < QApplication::startDragDistance())
        return false;
    pending.active = false;
    QWidget& w = *filter.window;
    const MINMAXINFO limits = applySizeLimits(w);
    // The window manager moves and sizes, with its snapping and its own rules, from where
    // the press was.
    if (QWindow* native = w.windowHandle(); native && startWindowManagerDrag(*native, pending.hit, pending.from))
        return true;
    // Our own drag: the window catches up with the pointer's way so far, then follows it.
    const QPoint delta = now - pending.from;
    const QRect g = w.geometry();
    const MDC::Rect r = draggedRect({g.x(), g.y(), g.width(), g.height()}, pending.hit, delta.x(), delta.y(),
        limits.ptMinTrackSize, limits.ptMaxTrackSize);
    if (!w.isMaximized())
        w.setGeometry(r.x, r.y, r.width, r.height);
    filter.drag.begin(w, pending.hit, now, true, limits.ptMinTrackSize, limits.ptMaxTrackSize);
    return true;
}

void QtWindowSystem::systemCommand(QWidget& w, unsigned command)
{
    switch (command & 0xFFF0) {
    case SC_RESTORE:
        w.showNormal();
        break;
    case SC_MOVE:
        startDrag(w, HIT_CAPTION, false);
        break;
    case SC_SIZE:
        startDrag(w, HIT_BOTTOMRIGHT, false);
        break;
    case SC_MINIMIZE:
        w.showMinimized();
        break;
    case SC_MAXIMIZE:
        showWindow(hwndOf(&w), SW_SHOWMAXIMIZED);
        break;
    case SC_CLOSE:
        w.close();
        break;
    default:
        break;
    }
}

MINMAXINFO QtWindowSystem::applySizeLimits(QWidget& w)
{
    // What the window gets when its procedure leaves the question to the system.
    const MDC::Rect work = workArea(hwndOf(&w));
    MINMAXINFO info = minMaxInfo(work, {systemMetric(SM_CXFRAME), systemMetric(SM_CYFRAME)},
        {systemMetric(SM_CXMINTRACK), systemMetric(SM_CYMINTRACK)});
    if (const HookFilter* filter = hook(hwndOf(&w)); filter && filter->proc) {
        const std::shared_ptr<HookedWindowProc> proc = filter->proc;
        proc->windowProc(hwndOf(&w), WM_GETMINMAXINFO, 0, reinterpret_cast<LParam>(&info));
    }
    const QSize minimum(static_cast<int>(info.ptMinTrackSize.x), static_cast<int>(info.ptMinTrackSize.y));
    const QSize maximum(static_cast<int>(info.ptMaxTrackSize.x), static_cast<int>(info.ptMaxTrackSize.y));
    if (w.minimumSize() != minimum && minimum.isValid())
        w.setMinimumSize(minimum);
    if (w.maximumSize() != maximum && maximum.isValid() && !maximum.isEmpty())
        w.setMaximumSize(maximum);
    return info;
}

void QtWindowSystem::sizeLimitsChanged(Hwnd hwnd)
{
    // The minimum holds at once; the maximum (the maximized size) is the user's limit when
    // dragging, and the program may still set a window wider than its screen.
    QWidget* w = widget(hwnd);
    const HookFilter* filter = hook(hwnd);
    if (!w || !filter || !filter->proc)
        return;
    MINMAXINFO info = minMaxInfo(workArea(hwnd), {systemMetric(SM_CXFRAME), systemMetric(SM_CYFRAME)},
        {systemMetric(SM_CXMINTRACK), systemMetric(SM_CYMINTRACK)});
    const std::shared_ptr<HookedWindowProc> proc = filter->proc;
    proc->windowProc(hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LParam>(&info));
    const QSize minimum(static_cast<int>(info.ptMinTrackSize.x), static_cast<int>(info.ptMinTrackSize.y));
    if (minimum.isValid() && w->minimumSize() != minimum)
        w->setMinimumSize(minimum);
}

void QtWindowSystem::releaseCapture()
{
    if (QWidget* grabber = QWidget::mouseGrabber())
        grabber->releaseMouse();
}

QtWindowSystem::MenuChooser QtWindowSystem::setSystemMenuChooser(MenuChooser chooser)
{
    MenuChooser previous = std::move(m_chooseFromMenu);
    m_chooseFromMenu = std::move(chooser);
    return previous;
}

unsigned QtWindowSystem::trackSystemMenu(Hwnd hwnd, POINT at)
{
    QWidget* w = widget(hwnd);
    if (!w)
        return 0;
    const bool maximized = w->isMaximized();
    const bool minimized = w->isMinimized();
    const std::uint32_t s = style(hwnd);
    QMenu menu(w);
    menu.setObjectName(QStringLiteral("systemMenu"));
    const auto item = [&](const char* text, unsigned command, bool enabled) {
        QAction* action = menu.addAction(QString::fromUtf8(text));
        action->setData(command);
        action->setEnabled(enabled);
    };
    item("还原(&R)", SC_RESTORE, maximized || minimized);
    item("移动(&M)", SC_MOVE, !maximized);
    item("大小(&S)", SC_SIZE, !maximized && (s & WS_THICKFRAME));
    item("最小化(&N)", SC_MINIMIZE, !minimized && (s & WS_MINIMIZEBOX));
    item("最大化(&X)", SC_MAXIMIZE, !maximized && (s & WS_MAXIMIZEBOX));
    menu.addSeparator();
    item("关闭(&C)", SC_CLOSE, true);
    const QPoint where(static_cast<int>(at.x), static_cast<int>(at.y));
    if (m_chooseFromMenu)
        return m_chooseFromMenu(menu, where);
    const QAction* chosen = menu.exec(where);
    return chosen ? chosen->data().toUInt() : 0;
}

POINT QtWindowSystem::cursorPos() const
{
    const QPoint p = QCursor::pos();
    return {p.x(), p.y()};
}

MDC::Rect QtWindowSystem::workArea(Hwnd hwnd) const
{
    const QWidget* w = widget(hwnd);
    const QScreen* screen = w ? w->screen() : QGuiApplication::primaryScreen();
    const QRect r = screen ? screen->availableGeometry() : QRect();
    return {r.x(), r.y(), r.width(), r.height()};
}

int QtWindowSystem::systemMetric(int index) const
{
    switch (index) {
    case SM_CXMINTRACK:
        return 136; // room for the caption buttons and the corners
    case SM_CYMINTRACK:
        return 39;
    case SM_CXFRAME:
    case SM_CYFRAME:
        return 4; // the drawn border and its rounded corners, off the screen when maximized
    default:
        return 0; // a window without a frame of the window manager's
    }
}

} // namespace frame
