#pragma once

#include "portal/frame/logic/MDC.h"
#include "portal/frame/logic/win_messages.h"

#include <cstdint>
#include <optional>
#include <string>

namespace frame {

// What the drawn frame asks of the window system: facts about its window, the window
// operations it starts, and putting its surfaces on screen. Positions and sizes are window
// pixels; surfaces are in device pixels, devicePixelRatio() of them to a window pixel.
class FramePlatform
{
public:
    virtual ~FramePlatform() = default;

    virtual std::uint32_t style(Hwnd hwnd) const = 0;
    virtual void setStyle(Hwnd hwnd, std::uint32_t style) = 0;
    // The window takes its frame anew after a style change, keeping its place and size.
    virtual void frameChanged(Hwnd hwnd) = 0;
    // Screen position and size of the whole window.
    virtual MDC::Rect windowRect(Hwnd hwnd) const = 0;
    virtual double devicePixelRatio(Hwnd hwnd) const = 0;
    virtual bool isVisible(Hwnd hwnd) const = 0;
    virtual bool isZoomed(Hwnd hwnd) const = 0;
    virtual bool isIconic(Hwnd hwnd) const = 0;
    // The window's caption, UTF-8.
    virtual std::string windowText(Hwnd hwnd) const = 0;
    virtual void showWindow(Hwnd hwnd, int command) = 0;
    // The messages the frame sends: WM_CLOSE, WM_NCLBUTTONDOWN with a hit code (the system's
    // own move or resize), WM_SYSCOMMAND, WM_SETREDRAW.
    virtual LResult sendMessage(Hwnd hwnd, unsigned uMsg, WParam wParam, LParam lParam) = 0;
    virtual void releaseCapture() = 0;
    // Shows the window's system menu at a screen position; the chosen command, or 0.
    virtual unsigned trackSystemMenu(Hwnd hwnd, POINT at) = 0;
    virtual POINT cursorPos() const = 0;
    virtual MDC::Rect workArea(Hwnd hwnd) const = 0;
    // The window's size limits changed: the system asks for them (WM_GETMINMAXINFO) again
    // and holds the window to them from now on.
    virtual void sizeLimitsChanged(Hwnd hwnd) = 0;
    virtual int systemMetric(int index) const = 0;

    // Draws text in the window's own font into a rectangle of window pixels of the surface.
    virtual void drawWindowText(
        Hwnd hwnd, MDC::Surface& surface, const std::string& text, MDC::Rect rect, unsigned format)
        = 0;
    virtual void setWindowRegion(Hwnd hwnd, const MDC::Region& region, bool redraw) = 0;
    // Brings the surface (or a rectangle of it, in window pixels) to the screen.
    virtual void copyToWindow(Hwnd hwnd, const MDC::Surface& surface, std::optional<MDC::Rect> part) = 0;
    // Inside the window's painting: puts the surface where the window is being painted.
    virtual void paintWindow(Hwnd hwnd, const MDC::Surface& surface) = 0;

    // The bitmap drawn for displays of `scale` device pixels to a window pixel (1: the
    // standard one); empty when the program has none for that scale.
    virtual MDC::Surface loadBitmapResource(int id, double scale) = 0;
    virtual int loadCursor(int systemId) = 0;
    virtual void destroyCursor(int cursor) = 0;
    virtual void setCursor(Hwnd hwnd, int cursor) = 0;
    // Whether a system library exports a function (found without calling it).
    virtual bool libraryExports(const std::string& library, const std::string& function) const = 0;
};

} // namespace frame
