// The drawing side of the Qt window system: text on the frame's surfaces, the window's
// shape, bringing the surfaces to the screen, the skin resource and the cursors.
#include "portal/frame/windows/qt_window_system.h"

#include <QFile>
#include <QGuiApplication>
#include <QPainter>
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

xcb_atom_t internAtom(xcb_connection_t* c, const char* name, std::uint16_t length)
{
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, length, name), nullptr);
    xcb_atom_t value = XCB_ATOM_NONE;
    if (reply)
        value = reply->atom;
    std::free(reply);
    return value;
}

// _NET_WM_MOVERESIZE directions by hit code.
std::uint32_t moveResizeDirection(int hit)
{
    switch (hit) {
    case HIT_TOPLEFT:
        return 0;
    case HIT_TOP:
        return 1;
    case HIT_TOPRIGHT:
        return 2;
    case HIT_RIGHT:
        return 3;
    case HIT_BOTTOMRIGHT:
        return 4;
    case HIT_BOTTOM:
        return 5;
    case HIT_BOTTOMLEFT:
        return 6;
    case HIT_LEFT:
        return 7;
    default:
        return 8; // move
    }
}

// Without an X server (on Wayland itself) the compositor moves and resizes the window.
bool startCompositorDrag(QWindow& window, int hit)
{
    Qt::Edges edges;
    if (hit == HIT_TOPLEFT || hit == HIT_LEFT || hit == HIT_BOTTOMLEFT)
        edges |= Qt::LeftEdge;
    if (hit == HIT_TOPRIGHT || hit == HIT_RIGHT || hit == HIT_BOTTOMRIGHT)
        edges |= Qt::RightEdge;
    if (hit == HIT_TOPLEFT || hit == HIT_TOP || hit == HIT_TOPRIGHT)
        edges |= Qt::TopEdge;
    if (hit == HIT_BOTTOMLEFT || hit == HIT_BOTTOM || hit == HIT_BOTTOMRIGHT)
        edges |= Qt::BottomEdge;
    return edges ? window.startSystemResize(edges) : window.startSystemMove();
}

} // namespace

bool startWindowManagerDrag(QWindow& window, int hit, QPoint from)
{
    auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* c = x11 ? x11->connection() : nullptr;
    if (!c)
        return startCompositorDrag(window, hit);
    const char name[] = "_NET_WM_MOVERESIZE";
    const xcb_atom_t moveResize = internAtom(c, name, sizeof name - 1);
    if (moveResize == XCB_ATOM_NONE)
        return false;
    // The window manager takes the pointer: our own grab of the press ends first.
    xcb_ungrab_pointer(c, XCB_CURRENT_TIME);
    xcb_client_message_event_t event {};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = static_cast<xcb_window_t>(window.winId());
    event.type = moveResize;
    // Where the press was, in device pixels: the window manager moves the window by the
    // pointer's way since then, including the part before the drag distance was reached.
    const qreal ratio = window.devicePixelRatio();
    event.data.data32[0] = static_cast<std::uint32_t>(qRound(from.x() * ratio));
    event.data.data32[1] = static_cast<std::uint32_t>(qRound(from.y() * ratio));
    event.data.data32[2] = moveResizeDirection(hit);
    event.data.data32[3] = 1; // left button
    event.data.data32[4] = 1; // from an application
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    xcb_send_event(c, 0, root, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
        reinterpret_cast<const char*>(&event));
    xcb_flush(c);
    return true;
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
    // On Wayland a new shape is committed at once, with the picture the window shows then.
    // Between the acknowledgement of a compositor's resize and the first picture at the new
    // size, that commit tells the compositor that the old size answered the resize: KWin then
    // keeps the left edge of a window sized from its left edge, and the right edge moves. There
    // the shape follows the next picture (paintWindow).
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
        w->update();
    else
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
    const auto set = m_regions.find(hwnd);
    const QRegion shape = set != m_regions.end() ? set->second : w->mask();
    if (!shape.isEmpty())
        painter.setClipRegion(shape, Qt::IntersectClip);
    // A shape kept back for this picture goes to the window system once the picture is there.
    if (shape != w->mask())
        QMetaObject::invokeMethod(
            w,
            [w, shape] {
                if (w->mask() != shape)
                    w->setMask(shape);
            },
            Qt::QueuedConnection);
    const double ratio = w->devicePixelRatioF();
    const QImage image = imageOf(surface, ratio);
    if (surface.splitRow < 0) {
        painter.drawImage(QPointF(0, 0), image);
        return;
    }
    // Drawn in parts: the rows above the split, the split row for all the rows it stands
    // for, the rows below it at the window's bottom.
    const int split = surface.splitRow, below = surface.height - split - 1, width = surface.width;
    const auto logical = [ratio](double device) { return device / ratio; };
    painter.drawImage(QRectF(0, 0, logical(width), logical(split)), image, QRectF(0, 0, width, split));
    painter.drawImage(
        QRectF(0, logical(split), logical(width), logical(1 + surface.splitRepeat)), image, QRectF(0, split, width, 1));
    painter.drawImage(QRectF(0, logical(split + 1 + surface.splitRepeat), logical(width), logical(below)), image,
        QRectF(0, split + 1, width, below));
}

MDC::Surface QtWindowSystem::loadBitmapResource(int id, double scale)
{
    initFrameResources();
    // ":/bitmap/101" for the standard bitmap, ":/bitmap/101@1.5x" for the one drawn at 150 %.
    const QString name
        = scale == 1.0 ? QStringLiteral(":/bitmap/%1").arg(id) : QStringLiteral(":/bitmap/%1@%2x").arg(id).arg(scale);
    QFile file(name);
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
