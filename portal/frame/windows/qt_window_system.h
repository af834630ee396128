#pragma once

#include "portal/frame/logic/frame_platform.h"
#include "portal/frame/logic/hook_platform.h"
#include "portal/frame/windows/qt_messages.h"
#include "portal/frame/windows/qt_window_drag.h"

#include <QObject>
#include <QPointer>
#include <QRegion>

#include <functional>
#include <map>
#include <memory>

class QMenu;
class QWindow;

namespace frame {

class HookFilter;

// Asks the window manager to move (hit HTCAPTION) or size (an edge code) the window, as if the
// drag had begun at `from` (screen pixels) with the left button held. False where no X11
// window manager can be asked.
bool startWindowManagerDrag(QWindow& window, int hit, QPoint from);

// The window system under the frame and the hook, for Qt widgets: a window handle is the
// address of a top-level widget. Messages reach a hooked widget through an event filter
// that translates its events; the widget's own event handling is its previous procedure.
// Moving and sizing go to the window manager, with our own drag where it cannot.
class QtWindowSystem final : public HookPlatform, public FramePlatform
{
public:
    static QtWindowSystem& instance();
    static Hwnd hwndOf(const QWidget* window) { return reinterpret_cast<Hwnd>(window); }
    // The live widget a handle names, or null.
    QWidget* widget(Hwnd hwnd) const;

    // How the system menu is shown and answered; tests answer it without a modal loop.
    using MenuChooser = std::function<unsigned(QMenu& menu, QPoint at)>;
    MenuChooser setSystemMenuChooser(MenuChooser chooser);

    // Mouse and key events of a hooked window's children, as the window's messages where
    // the frame's rules apply.
    // True when the frame took the event.
    bool childEvent(QWidget& child, QEvent& event);

    // HookPlatform
    bool isWindow(Hwnd hwnd) const override { return widget(hwnd) != nullptr; }
    bool ownedByThisProcess(Hwnd hwnd) const override;
    bool isUnicodeWindow(Hwnd) const override { return true; }
    int replaceProcedure(Hwnd hwnd, std::shared_ptr<HookedWindowProc> proc) override;
    void restoreProcedure(Hwnd hwnd) override;
    LResult callPreviousProcedure(Hwnd hwnd, bool unicode, unsigned uMsg, WParam wParam, LParam lParam) override;
    void trackMouseLeave(Hwnd hwnd) override;
    void destroyWindow(Hwnd hwnd) override;
    void runLater(int delayMs, std::function<void()> task) override;

    // FramePlatform
    std::uint32_t style(Hwnd hwnd) const override;
    void setStyle(Hwnd hwnd, std::uint32_t style) override;
    void frameChanged(Hwnd hwnd) override;
    MDC::Rect windowRect(Hwnd hwnd) const override;
    double devicePixelRatio(Hwnd hwnd) const override;
    bool isVisible(Hwnd hwnd) const override;
    bool isZoomed(Hwnd hwnd) const override;
    bool isIconic(Hwnd hwnd) const override;
    std::string windowText(Hwnd hwnd) const override;
    void showWindow(Hwnd hwnd, int command) override;
    LResult sendMessage(Hwnd hwnd, unsigned uMsg, WParam wParam, LParam lParam) override;
    void releaseCapture() override;
    unsigned trackSystemMenu(Hwnd hwnd, POINT at) override;
    POINT cursorPos() const override;
    MDC::Rect workArea(Hwnd hwnd) const override;
    void sizeLimitsChanged(Hwnd hwnd) override;
    int systemMetric(int index) const override;
    void drawWindowText(
        Hwnd hwnd, MDC::Surface& surface, const std::string& text, MDC::Rect rect, unsigned format) override;
    void setWindowRegion(Hwnd hwnd, const MDC::Region& region, bool redraw) override;
    void copyToWindow(Hwnd hwnd, const MDC::Surface& surface, std::optional<MDC::Rect> part) override;
    void paintWindow(Hwnd hwnd, const MDC::Surface& surface) override;
    MDC::Surface loadBitmapResource(int id, double scale) override;
    int loadCursor(int systemId) override;
    void destroyCursor(int) override { }
    void setCursor(Hwnd hwnd, int cursor) override;
    bool libraryExports(const std::string& library, const std::string& function) const override;

private:
    friend class HookFilter;
    QtWindowSystem() = default;
    HookFilter* hook(Hwnd hwnd) const;
    // Asks the hooked window for its size limits (WM_GETMINMAXINFO) and applies them.
    MINMAXINFO applySizeLimits(QWidget& window);
    void systemCommand(QWidget& window, unsigned command);
    void startDrag(QWidget& window, int hit, bool buttonHeld);
    // A move or resize asked for with the button down starts only once the pointer has
    // moved past the drag distance with the button still down: a press and release stays a
    // click (a tap, a double tap). True when the event started it.
    bool followPendingDrag(HookFilter& filter, QEvent& event);
    // Over a child, the cursor the frame gives a part of it.
    void overrideCursor(const QWidget* frameWindow);

    std::map<Hwnd, HookFilter*> m_hooks; // deleted later: one may be filtering when it goes
    std::map<Hwnd, QRegion> m_regions;
    MenuChooser m_chooseFromMenu;
    QObject* m_childFilter = nullptr; // on the application, once a window is hooked
    bool m_cursorOverridden = false;
    int m_dispatching = 0; // messages being handled by a hooked window
};

// The event filter that is a hooked window's procedure.
class HookFilter final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(HookFilter)

public:
    HookFilter(QtWindowSystem& system, QWidget& window, std::shared_ptr<HookedWindowProc> proc);

    bool eventFilter(QObject* watched, QEvent* event) override;

    // The event a message being handled came from; its handling is the previous procedure.
    struct InFlight
    {
        QEvent* event = nullptr;
        unsigned uMsg = 0;
        bool delivered = false;
    };

    QtWindowSystem& system;
    QPointer<QWidget> window;
    Hwnd hwnd;
    std::shared_ptr<HookedWindowProc> proc;
    TranslationState state;
    InFlight* inFlight = nullptr;
    WindowDrag drag;
    struct PendingDrag
    {
        bool active = false;
        int hit = 0;
        QPoint from;
    } pending;
    bool childPressed = false; // a press over a child went to the frame
    QPoint lastGlobalPos;
    bool hadMouseTracking = false;
};

} // namespace frame
