#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

struct _XDisplay;

// Looks at the windows of an X display directly, the way the window manager and the user
// see them: place and size, maximized state, shape and the pointer's cursor.
class XWindowProbe
{
public:
    explicit XWindowProbe(const std::string& displayName);
    ~XWindowProbe();
    XWindowProbe(const XWindowProbe&) = delete;
    XWindowProbe& operator=(const XWindowProbe&) = delete;

    bool connected() const { return m_display != nullptr; }

    struct Geometry
    {
        int x = 0;
        int y = 0;
        int width = 0;
        int height = 0;
        bool operator==(const Geometry&) const = default;
        friend std::ostream& operator<<(std::ostream& os, const Geometry& g)
        {
            return os << g.width << "x" << g.height << "+" << g.x << "+" << g.y;
        }
    };
    // Screen position and size of a window; nothing when it is gone.
    std::optional<Geometry> geometry(unsigned long window) const;
    // Whether the window manager holds the window maximized both ways.
    bool maximized(unsigned long window) const;
    // Whether the window's _NET_WM_STATE holds the named state ("_NET_WM_STATE_ABOVE").
    bool hasState(unsigned long window, const char* stateName) const;
    // The colour shown at a pixel of the window, 0xRRGGBB; nothing when it cannot be read.
    std::optional<unsigned long> pixel(unsigned long window, int x, int y) const;
    // Whether the window's shape holds the pixel at (x, y) of the window.
    bool shapeContains(unsigned long window, int x, int y) const;
    // The pointer's cursor as it is drawn now: width, height, hot spot, then the pixels.
    std::vector<unsigned long> cursorImage() const;
    // The window's WM_CLASS, instance name then class name; nothing when it has none.
    std::optional<std::pair<std::string, std::string>> windowClass(unsigned long window) const;
    // The widths of the images in the window's icon (_NET_WM_ICON), in the order stored.
    std::vector<unsigned long> iconWidths(unsigned long window) const;
    // Visible windows whose class is `windowClass`, pop-up menus included.
    int viewableWindows(const std::string& windowClass) const;

private:
    int countViewable(unsigned long parent, const std::string& windowClass) const;

    _XDisplay* m_display = nullptr;
};
