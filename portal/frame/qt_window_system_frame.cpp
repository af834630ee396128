// The frame side of the Qt window system: window facts and operations, drawing on the
// frame's surfaces and bringing them to the screen.
#include "qt_window_system.h"

#include <QCursor>
#include <QFile>
#include <QGuiApplication>
#include <QMenu>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <xcb/xcb.h>

#include <cstdlib>

// Resources of a static library are registered by name, outside any namespace.
static void initFrameResources()
{
    Q_INIT_RESOURCE(frame);
}

namespace frame {

namespace {

constexpr std::uint32_t kFrameBits = WS_BORDER | WS_DLGFRAME;

// The surface as an image over the same pixels, at the window's device pixel ratio.
QImage imageOf(const MDC::Surface& surface, double ratio)
{
    QImage image(reinterpret_cast<const uchar*>(surface.pixels.data()), surface.width, surface.height,
        surface.width * static_cast<int>(sizeof(MDC::Pixel)), QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    return image;
}

QRect qRect(MDC::Rect r)
{
    return {r.x, r.y, r.width, r.height};
}

Qt::CursorShape shapeOf(int systemId)
{
    switch (systemId) {
    case 32515:
        return Qt::CrossCursor;
    case 32650:
        return Qt::BusyCursor;
    case 32514:
        return Qt::WaitCursor;
    case 32649:
        return Qt::PointingHandCursor;
    case 32651:
        return Qt::WhatsThisCursor;
    case 32513:
        return Qt::IBeamCursor;
    case 32648:
        return Qt::ForbiddenCursor;
    case 32640:
        return Qt::SizeAllCursor;
    case 32642:
        return Qt::SizeFDiagCursor;
    case 32643:
        return Qt::SizeBDiagCursor;
    case 32644:
        return Qt::SizeHorCursor;
    case 32645:
        return Qt::SizeVerCursor;
    case 32646:
        return Qt::SizeAllCursor;
    case 32516:
        return Qt::UpArrowCursor;
    default:
        return Qt::ArrowCursor;
    }
}

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

// Whether a compositing manager runs on the X display: it owns the selection
// _NET_WM_CM_S0.
bool compositorRunning()
{
    auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* c = x11 ? x11->connection() : nullptr;
    if (!c)
        return false;
    const char name[] = "_NET_WM_CM_S0";
    xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(c, xcb_intern_atom(c, 1, sizeof name - 1, name), nullptr);
    if (!atom)
        return false;
    bool owned = false;
    if (atom->atom != XCB_ATOM_NONE) {
        xcb_get_selection_owner_reply_t* owner
            = xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, atom->atom), nullptr);
        owned = owner && owner->owner != XCB_WINDOW_NONE;
        std::free(owner);
    }
    std::free(atom);
    return owned;
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

void QtWindowSystem::drawWindowText(
    Hwnd hwnd, MDC::Surface& surface, const std::string& text, MDC::Rect rect, unsigned format)
{
    const QWidget* w = widget(hwnd);
    if (!w || surface.empty() || text.empty())
        return;
    QImage image(reinterpret_cast<uchar*>(surface.pixels.data()), surface.width, surface.height,
        surface.width * static_cast<int>(sizeof(MDC::Pixel)), QImage::Format_RGB32);
    image.setDevicePixelRatio(w->devicePixelRatioF());
    QPainter painter(&image);
    painter.setFont(w->font());
    // The text is clipped to its rectangle, in the surface's default colour.
    painter.setClipRect(qRect(rect));
    int flags = (format & 0x1) ? Qt::AlignHCenter : Qt::AlignLeft;
    flags |= (format & DT_VCENTER) ? Qt::AlignVCenter : Qt::AlignTop;
    if (format & DT_SINGLELINE)
        flags |= Qt::TextSingleLine;
    painter.drawText(qRect(rect), flags, QString::fromStdString(text));
}

void QtWindowSystem::setWindowRegion(Hwnd hwnd, const MDC::Region& region, bool)
{
    QWidget* w = widget(hwnd);
    if (!w)
        return;
    std::vector<QRect> rects;
    rects.reserve(region.rects.size());
    for (const MDC::Rect& r : region.rects)
        rects.push_back(qRect(r));
    QRegion shape;
    shape.setRects(rects.data(), static_cast<int>(rects.size()));
    // Setting the same shape again would only cost the window system a round trip.
    QRegion& last = m_regions[hwnd];
    if (shape == last && w->mask() == shape)
        return;
    last = shape;
    w->setMask(shape);
}

void QtWindowSystem::copyToWindow(Hwnd hwnd, const MDC::Surface&, std::optional<MDC::Rect> part)
{
    // The window paints the ready surface in its next painting.
    if (QWidget* w = widget(hwnd))
        w->update(part ? qRect(*part) : w->rect());
}

void QtWindowSystem::paintWindow(Hwnd hwnd, const MDC::Surface& surface)
{
    QWidget* w = widget(hwnd);
    if (!w || surface.empty())
        return;
    QPainter painter(w);
    // Where the window system shows no shape (a picture of the window, a desktop without
    // shaped windows) the cut corners keep the window's background, never the key colour.
    if (const QRegion shape = w->mask(); !shape.isEmpty())
        painter.setClipRegion(shape, Qt::IntersectClip);
    painter.drawImage(QPointF(0, 0), imageOf(surface, w->devicePixelRatioF()));
}

MDC::Surface QtWindowSystem::loadBitmapResource(int id)
{
    initFrameResources();
    QFile file(QStringLiteral(":/bitmap/%1").arg(id));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    return MDC::surfaceForBitmap(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

int QtWindowSystem::loadCursor(int systemId)
{
    return static_cast<int>(shapeOf(systemId));
}

void QtWindowSystem::setCursor(Hwnd hwnd, int cursor)
{
    QWidget* w = widget(hwnd);
    const auto shape = static_cast<Qt::CursorShape>(cursor);
    if (w && (!w->testAttribute(Qt::WA_SetCursor) || w->cursor().shape() != shape))
        w->setCursor(shape);
}

bool QtWindowSystem::libraryExports(const std::string& library, const std::string& function) const
{
    // The question the frame asks is whether the desktop composes its windows.
    return library == "dwmapi" && function == "DwmIsCompositionEnabled" && compositorRunning();
}

} // namespace frame
