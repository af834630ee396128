#pragma once

#include "portal/frame/logic/win_messages.h"

#include <functional>
#include <memory>

namespace frame {

// A window procedure put in front of a window's own handling.
class HookedWindowProc
{
public:
    virtual ~HookedWindowProc() = default;
    virtual LResult windowProc(Hwnd hwnd, unsigned uMsg, WParam wParam, LParam lParam) = 0;
};

// What the window-message hook needs of the window system.
class HookPlatform
{
public:
    virtual ~HookPlatform() = default;

    virtual bool isWindow(Hwnd hwnd) const = 0;
    virtual bool ownedByThisProcess(Hwnd hwnd) const = 0;
    virtual bool isUnicodeWindow(Hwnd hwnd) const = 0;
    // Routes every message of the window through `proc`; the window's own handling becomes
    // its previous procedure. 0 on success, otherwise the platform's error number.
    virtual int replaceProcedure(Hwnd hwnd, std::shared_ptr<HookedWindowProc> proc) = 0;
    // Puts the window's own handling back in place of the procedure given before.
    virtual void restoreProcedure(Hwnd hwnd) = 0;
    // The window's own handling of one message, and its result.
    virtual LResult callPreviousProcedure(Hwnd hwnd, bool unicode, unsigned uMsg, WParam wParam, LParam lParam) = 0;
    // Asks for one WM_MOUSELEAVE once the mouse leaves the window.
    virtual void trackMouseLeave(Hwnd hwnd) = 0;
    virtual void destroyWindow(Hwnd hwnd) = 0;
    // Runs `task` once, `delayMs` from now, on the window system's thread.
    virtual void runLater(int delayMs, std::function<void()> task) = 0;
};

} // namespace frame
