#include "portal/frame/windows/system_menu_key.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QWidget>

#include <xcb/xcb.h>

#include <dlfcn.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace frame {

namespace {

constexpr xcb_keysym_t kAltLeft = 0xffe9;
constexpr xcb_keysym_t kAltRight = 0xffea;
constexpr xcb_keysym_t kSpace = 0x20;

std::vector<xcb_keycode_t> keycodesOf(xcb_connection_t* c, xcb_keysym_t keysym)
{
    const xcb_setup_t* setup = xcb_get_setup(c);
    const int count = setup->max_keycode - setup->min_keycode + 1;
    xcb_get_keyboard_mapping_reply_t* reply = xcb_get_keyboard_mapping_reply(
        c, xcb_get_keyboard_mapping(c, setup->min_keycode, static_cast<std::uint8_t>(count)), nullptr);
    std::vector<xcb_keycode_t> codes;
    if (!reply)
        return codes;
    const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(reply);
    const int perCode = reply->keysyms_per_keycode;
    for (int i = 0; i < count; ++i)
        for (int j = 0; j < perCode; ++j)
            if (syms[i * perCode + j] == keysym)
                codes.push_back(static_cast<xcb_keycode_t>(setup->min_keycode + i));
    std::free(reply);
    return codes;
}

bool contains(const std::vector<xcb_keycode_t>& codes, xcb_keycode_t code)
{
    for (const xcb_keycode_t c : codes)
        if (c == code)
            return true;
    return false;
}

bool isDown(const xcb_query_keymap_reply_t& keymap, xcb_keycode_t code)
{
    return (keymap.keys[code / 8] >> (code % 8)) & 1;
}

// Hands a key pressed with Alt on through the server's own processing, where the window
// manager's key bindings apply again. The chord is played as it was pressed, whatever the
// keys are doing by now (on a busy machine both may be up already): Alt down for it, the key
// let up first if it is still down (pressed again it would read as a repeat, which starts no
// binding), then down, and whatever was not held any more let up again. The test extension
// is loaded when there is one; without it the key is lost, as it would be in any window
// that holds the keyboard.
void replayChord(xcb_connection_t* c, xcb_keycode_t alt, xcb_keycode_t code)
{
    using FakeKey = int (*)(void*, unsigned, int, unsigned long);
    using Flush = int (*)(void*);
    static void* xtest = dlopen("libXtst.so.6", RTLD_NOW | RTLD_LOCAL);
    auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!xtest || !x11 || !x11->display())
        return;
    const auto fake = reinterpret_cast<FakeKey>(dlsym(xtest, "XTestFakeKeyEvent"));
    const auto flush = reinterpret_cast<Flush>(dlsym(RTLD_DEFAULT, "XFlush"));
    if (!fake)
        return;
    xcb_query_keymap_reply_t* keymap = xcb_query_keymap_reply(c, xcb_query_keymap(c), nullptr);
    const bool altDown = !keymap || isDown(*keymap, alt);
    const bool keyDown = keymap && isDown(*keymap, code);
    std::free(keymap);
    auto* display = x11->display();
    if (!altDown)
        fake(display, alt, 1, 0);
    if (keyDown)
        fake(display, code, 0, 0);
    fake(display, code, 1, 0);
    if (!keyDown)
        fake(display, code, 0, 0);
    if (!altDown)
        fake(display, alt, 0, 0);
    if (flush)
        flush(display);
}

class AltKeyFilter final : public QAbstractNativeEventFilter
{
public:
    explicit AltKeyFilter(xcb_connection_t* c)
        : m_connection(c)
        , m_alt(keycodesOf(c, kAltLeft))
        , m_space(keycodesOf(c, kSpace))
    {
        for (const xcb_keycode_t code : keycodesOf(c, kAltRight))
            m_alt.push_back(code);
    }

    const std::vector<xcb_keycode_t>& altCodes() const { return m_alt; }
    void add(xcb_window_t window) { m_windows.push_back(window); }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override
    {
        if (eventType != "xcb_generic_event_t")
            return false;
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        const auto type = static_cast<std::uint8_t>(event->response_type & ~0x80);
        if (type != XCB_KEY_PRESS && type != XCB_KEY_RELEASE)
            return false;
        const auto* key = reinterpret_cast<const xcb_key_press_event_t*>(event);
        if (contains(m_alt, key->detail)) {
            // Only over a window that took the key has the grab begun.
            m_altHeld
                = type == XCB_KEY_PRESS && std::find(m_windows.begin(), m_windows.end(), key->event) != m_windows.end();
            if (m_altHeld)
                m_altCode = key->detail;
            return false;
        }
        if (type != XCB_KEY_PRESS || !m_altHeld || contains(m_space, key->detail))
            return false;
        // Not the system menu's key: the keyboard goes back and the key goes where it would
        // have gone.
        m_altHeld = false;
        xcb_ungrab_keyboard(m_connection, key->time);
        xcb_flush(m_connection);
        replayChord(m_connection, m_altCode, key->detail);
        return true;
    }

private:
    xcb_connection_t* m_connection;
    std::vector<xcb_keycode_t> m_alt;
    std::vector<xcb_keycode_t> m_space;
    std::vector<xcb_window_t> m_windows;
    bool m_altHeld = false;
    xcb_keycode_t m_altCode = 0;
};

} // namespace

void takeSystemMenuKey(QWidget& window)
{
    auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* c = x11 ? x11->connection() : nullptr;
    if (!c)
        return;
    static AltKeyFilter* filter = nullptr;
    if (!filter) {
        filter = new AltKeyFilter(c);
        QCoreApplication::instance()->installNativeEventFilter(filter);
    }
    const auto native = static_cast<xcb_window_t>(window.winId());
    filter->add(native);
    // A grab of the Alt key alone: held over this window, the keyboard is the window's until
    // it is released, so alt+space comes here before the window manager's binding of it.
    for (const xcb_keycode_t code : filter->altCodes())
        xcb_grab_key(c, 1, native, XCB_MOD_MASK_ANY, code, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
    xcb_flush(c);
}

} // namespace frame
