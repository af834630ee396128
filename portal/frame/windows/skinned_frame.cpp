#include "portal/frame/windows/skinned_frame.h"

#include "portal/frame/windows/qt_window_system.h"

#include <QGuiApplication>
#include <QWidget>
#include <QWindow>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

namespace frame {

std::unique_ptr<CSkinForm> newSkinForm(SkinFormEvents* events)
{
    QtWindowSystem& system = QtWindowSystem::instance();
    return std::make_unique<CSkinForm>(system, system, events);
}

Hwnd hwndOf(const QWidget* window)
{
    return QtWindowSystem::hwndOf(window);
}

namespace {

xcb_atom_t atom(xcb_connection_t* c, const char* name)
{
    xcb_intern_atom_reply_t* reply
        = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr);
    xcb_atom_t value = XCB_ATOM_NONE;
    if (reply)
        value = reply->atom;
    std::free(reply);
    return value;
}

// A shown window's state changes through its window manager: the request EWMH names.
void askWindowManager(QWindow& native, bool above)
{
    auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* c = x11 ? x11->connection() : nullptr;
    if (!c)
        return;
    xcb_client_message_event_t event {};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = static_cast<xcb_window_t>(native.winId());
    event.type = atom(c, "_NET_WM_STATE");
    event.data.data32[0] = above ? 1 : 0; // add or remove
    event.data.data32[1] = atom(c, "_NET_WM_STATE_ABOVE");
    event.data.data32[3] = 1; // from an application
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    xcb_send_event(c, 0, root, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
        reinterpret_cast<const char*>(&event));
    xcb_flush(c);
}

} // namespace

void setStaysOnTop(QWidget& window, bool on)
{
    Qt::WindowFlags flags = window.windowFlags();
    flags.setFlag(Qt::WindowStaysOnTopHint, on);
    QWindow* native = window.windowHandle();
    if (!native) {
        window.setWindowFlags(flags);
        return;
    }
    window.overrideWindowFlags(flags);
    native->setFlags(flags);
    if (native->isVisible())
        askWindowManager(*native, on);
}

} // namespace frame
