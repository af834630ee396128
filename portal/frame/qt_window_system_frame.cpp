// The frame side of the Qt window system: window facts, the operations the frame starts,
// moving and sizing, the system menu and the size limits.
#include "qt_window_system.h"

#include <QCursor>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>

namespace frame {

namespace {

constexpr std::uint32_t kFrameBits = WS_BORDER | WS_DLGFRAME;

Qt::Edges edgesOf(int hit)
{
    switch (hit) {
    case HIT_LEFT:
        return Qt::LeftEdge;
    case HIT_RIGHT:
        return Qt::RightEdge;
    case HIT_TOP:
        return Qt::TopEdge;
    case HIT_TOPLEFT:
        return Qt::TopEdge | Qt::LeftEdge;
    case HIT_TOPRIGHT:
        return Qt::TopEdge | Qt::RightEdge;
    case HIT_BOTTOM:
        return Qt::BottomEdge;
    case HIT_BOTTOMLEFT:
        return Qt::BottomEdge | Qt::LeftEdge;
    default:
        return Qt::BottomEdge | Qt::RightEdge;
    }
}

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
    w->setWindowFlag(Qt::FramelessWindowHint, frameless);
    if (HookFilter* filter = hook(hwnd))
        filter->state.flags = w->windowFlags();
    w->setGeometry(frameless ? outer : QRect(outer.topLeft(), w->size()));
    w->setWindowState(states);
    if (visible)
        w->show();
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
    const MINMAXINFO limits = applySizeLimits(w);
    QWindow* native = w.windowHandle();
    if (buttonHeld && native) {
        // The window manager moves and sizes, with its snapping and its own rules.
        const bool started = hit == HTCAPTION ? native->startSystemMove() : native->startSystemResize(edgesOf(hit));
        if (started)
            return;
    }
    const HookFilter* filter = hook(hwndOf(&w));
    const QPoint from = filter && buttonHeld ? filter->lastGlobalPos : QCursor::pos();
    if (HookFilter* f = hook(hwndOf(&w)))
        f->drag.begin(w, hit, from, buttonHeld, limits.ptMinTrackSize, limits.ptMaxTrackSize);
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
    default:
        return 0; // a window without a frame of the window manager's
    }
}

} // namespace frame
