#include "tests/e2e/x_window_probe.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xfixes.h>
#include <X11/extensions/shape.h>

#include <algorithm>

namespace {

// Windows come and go while the probe walks the tree; a request about one that has just
// gone fails and reads as "not there". Xlib's own handler would end the whole test process
// and leave the display, the window manager and the programs behind it running.
int ignoreError(Display*, XErrorEvent*)
{
    return 0;
}

} // namespace

XWindowProbe::XWindowProbe(const std::string& displayName)
    : m_display(XOpenDisplay(displayName.c_str()))
{
    XSetErrorHandler(ignoreError);
}

XWindowProbe::~XWindowProbe()
{
    if (m_display)
        XCloseDisplay(m_display);
}

std::optional<XWindowProbe::Geometry> XWindowProbe::geometry(unsigned long window) const
{
    XWindowAttributes attributes;
    if (!m_display || !XGetWindowAttributes(m_display, window, &attributes))
        return std::nullopt;
    Window child;
    int x = 0, y = 0;
    XTranslateCoordinates(m_display, window, DefaultRootWindow(m_display), 0, 0, &x, &y, &child);
    return Geometry {x, y, attributes.width, attributes.height};
}

bool XWindowProbe::maximized(unsigned long window) const
{
    return hasState(window, "_NET_WM_STATE_MAXIMIZED_VERT") && hasState(window, "_NET_WM_STATE_MAXIMIZED_HORZ");
}

bool XWindowProbe::hasState(unsigned long window, const char* stateName) const
{
    if (!m_display)
        return false;
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char* data = nullptr;
    const Atom state = XInternAtom(m_display, "_NET_WM_STATE", False);
    if (XGetWindowProperty(m_display, window, state, 0, 64, False, XA_ATOM, &type, &format, &count, &after, &data)
            != Success
        || !data)
        return false;
    const auto* atoms = reinterpret_cast<const Atom*>(data);
    const bool found = std::count(atoms, atoms + count, XInternAtom(m_display, stateName, False)) > 0;
    XFree(data);
    return found;
}

std::optional<unsigned long> XWindowProbe::pixel(unsigned long window, int x, int y) const
{
    if (!m_display)
        return std::nullopt;
    XImage* image = XGetImage(m_display, window, x, y, 1, 1, AllPlanes, ZPixmap);
    if (!image)
        return std::nullopt;
    const unsigned long value = XGetPixel(image, 0, 0) & 0xFFFFFFu;
    XDestroyImage(image);
    return value;
}

bool XWindowProbe::shapeContains(unsigned long window, int x, int y) const
{
    int count = 0, ordering = 0;
    XRectangle* rects = m_display ? XShapeGetRectangles(m_display, window, ShapeBounding, &count, &ordering) : nullptr;
    bool inside = false;
    for (int i = 0; i < count; ++i)
        inside = inside
            || (x >= rects[i].x && x < rects[i].x + rects[i].width && y >= rects[i].y
                && y < rects[i].y + rects[i].height);
    if (rects)
        XFree(rects);
    return inside;
}

std::vector<unsigned long> XWindowProbe::cursorImage() const
{
    XFixesCursorImage* image = m_display ? XFixesGetCursorImage(m_display) : nullptr;
    if (!image)
        return {};
    std::vector<unsigned long> result {image->width, image->height, image->xhot, image->yhot};
    result.insert(result.end(), image->pixels, image->pixels + image->width * image->height);
    XFree(image);
    return result;
}

int XWindowProbe::viewableWindows(const std::string& windowClass) const
{
    return m_display ? countViewable(DefaultRootWindow(m_display), windowClass) : 0;
}

int XWindowProbe::countViewable(unsigned long parent, const std::string& windowClass) const
{
    Window root, up;
    Window* children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(m_display, parent, &root, &up, &children, &count))
        return 0;
    int found = 0;
    for (unsigned int i = 0; i < count; ++i) {
        XWindowAttributes attributes;
        if (!XGetWindowAttributes(m_display, children[i], &attributes) || attributes.map_state != IsViewable)
            continue;
        XClassHint hint;
        if (XGetClassHint(m_display, children[i], &hint)) {
            found += hint.res_class && windowClass == hint.res_class;
            XFree(hint.res_name);
            XFree(hint.res_class);
        }
        // Managed windows sit inside the window manager's frames.
        found += countViewable(children[i], windowClass);
    }
    if (children)
        XFree(children);
    return found;
}

std::optional<std::pair<std::string, std::string>> XWindowProbe::windowClass(unsigned long window) const
{
    XClassHint hint;
    if (!m_display || !XGetClassHint(m_display, window, &hint))
        return std::nullopt;
    std::pair<std::string, std::string> names {
        hint.res_name ? hint.res_name : "", hint.res_class ? hint.res_class : ""};
    XFree(hint.res_name);
    XFree(hint.res_class);
    return names;
}

std::vector<unsigned long> XWindowProbe::iconWidths(unsigned long window) const
{
    std::vector<unsigned long> widths;
    if (!m_display)
        return widths;
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    const Atom icon = XInternAtom(m_display, "_NET_WM_ICON", False);
    // Xlib hands 32-bit items as longs. A 256-pixel image alone is 65538 of them.
    if (XGetWindowProperty(
            m_display, window, icon, 0, 1L << 22, False, XA_CARDINAL, &type, &format, &count, &after, &data)
            != Success
        || !data)
        return widths;
    const auto* items = reinterpret_cast<const unsigned long*>(data);
    // Each image: width, height, then width * height pixels.
    for (unsigned long at = 0; format == 32 && at + 2 <= count;) {
        const unsigned long width = items[at];
        const unsigned long height = items[at + 1];
        if (width == 0 || height == 0 || width * height > count - at - 2)
            break;
        widths.push_back(width);
        at += 2 + width * height;
    }
    XFree(data);
    return widths;
}
