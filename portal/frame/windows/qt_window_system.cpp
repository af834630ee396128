// The hook side of the Qt window system: the per-window event filter, the previous
// procedure and the window's end.
#include "portal/frame/windows/qt_window_system.h"

#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>
#include <QWidget>

#include <cmath>

namespace frame {

namespace {

// Sees the events of every widget of the program first, as one filter over a hooked
// window's children would.
class ChildFilter final : public QObject
{
public:
    explicit ChildFilter(QtWindowSystem& system)
        : m_system(system)
    { }
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QtWindowSystem& m_system;
};

} // namespace

QtWindowSystem& QtWindowSystem::instance()
{
    static QtWindowSystem system;
    return system;
}

QWidget* QtWindowSystem::widget(Hwnd hwnd) const
{
    if (const HookFilter* filter = hook(hwnd))
        return filter->window;
    // A handle is only ever compared, never followed, until it names a live window.
    const QWidgetList all = QApplication::allWidgets();
    for (QWidget* w : all)
        if (hwndOf(w) == hwnd && w->isWindow())
            return w;
    return nullptr;
}

bool QtWindowSystem::ownedByThisProcess(Hwnd hwnd) const
{
    // Every widget this process can name is its own.
    return widget(hwnd) != nullptr;
}

HookFilter* QtWindowSystem::hook(Hwnd hwnd) const
{
    const auto it = m_hooks.find(hwnd);
    return it == m_hooks.end() ? nullptr : it->second;
}

int QtWindowSystem::replaceProcedure(Hwnd hwnd, std::shared_ptr<HookedWindowProc> proc)
{
    QWidget* window = widget(hwnd);
    if (!window)
        return 1400; // no such window
    if (hook(hwnd))
        return 5; // hooked already: the first hook stays
    if (!m_childFilter) {
        m_childFilter = new ChildFilter(*this);
        qApp->installEventFilter(m_childFilter);
    }
    auto* filter = new HookFilter(*this, *window, std::move(proc));
    m_hooks[hwnd] = filter;
    window->installEventFilter(filter);
    // A window sees every mouse move over it, not only those with a button held.
    filter->hadMouseTracking = window->hasMouseTracking();
    window->setMouseTracking(true);
    QObject::connect(window, &QObject::destroyed, filter, [filter, hwnd] {
        // The window's last message: its record ends with it.
        if (const auto proc = filter->proc)
            proc->windowProc(hwnd, WM_NCDESTROY, 0, 0);
    });
    return 0;
}

void QtWindowSystem::restoreProcedure(Hwnd hwnd)
{
    const auto it = m_hooks.find(hwnd);
    if (it == m_hooks.end())
        return;
    HookFilter* filter = it->second;
    m_hooks.erase(it);
    if (QWidget* window = filter->window) {
        window->removeEventFilter(filter);
        window->setMouseTracking(filter->hadMouseTracking);
    }
    filter->proc.reset();
    filter->deleteLater();
}

LResult QtWindowSystem::callPreviousProcedure(Hwnd hwnd, bool, unsigned uMsg, WParam, LParam)
{
    HookFilter* filter = hook(hwnd);
    if (!filter || !filter->window || !filter->inFlight)
        return 0;
    HookFilter::InFlight& current = *filter->inFlight;
    // A Qt window handles the event it is given; any other message reaches no handling.
    if (current.uMsg != uMsg || current.delivered)
        return 0;
    current.delivered = true;
    // QObject::event is public; the widget's own override runs.
    QObject* target = filter->window;
    return target->event(current.event) ? 1 : 0;
}

void QtWindowSystem::trackMouseLeave(Hwnd hwnd)
{
    if (HookFilter* filter = hook(hwnd))
        filter->state.leaveTracked = true;
}

void QtWindowSystem::destroyWindow(Hwnd hwnd)
{
    if (QWidget* window = widget(hwnd))
        window->deleteLater();
}

void QtWindowSystem::runLater(int delayMs, std::function<void()> task)
{
    // Without an event loop any more (the program is ending) there is no later.
    if (!QCoreApplication::instance()) {
        task();
        return;
    }
    QTimer::singleShot(delayMs, qApp, std::move(task));
}

HookFilter::HookFilter(QtWindowSystem& s, QWidget& w, std::shared_ptr<HookedWindowProc> p)
    : system(s)
    , window(&w)
    , hwnd(QtWindowSystem::hwndOf(&w))
    , proc(std::move(p))
{
    state.flags = w.windowFlags();
}

bool HookFilter::eventFilter(QObject* watched, QEvent* event)
{
    QWidget* w = window;
    if (watched != w || !w)
        return false;
    if (const auto* mouse = dynamic_cast<const QMouseEvent*>(event))
        lastGlobalPos = mouse->globalPosition().toPoint();
    if (drag.active() && drag.filter(*w, *event))
        return true;
    if (system.followPendingDrag(*this, *event))
        return true;
    if (event->type() == QEvent::MouseMove)
        system.overrideCursor(nullptr); // over the window itself its own cursor shows
    // The procedure stays while it runs, even if a handler unhooks the window.
    const std::shared_ptr<HookedWindowProc> current = proc;
    if (!current)
        return false;
    const Translation t = translateEvent(*w, *event, state);
    bool consumed = false;
    ++system.m_dispatching;
    for (int i = 0; i < t.count; ++i) {
        const TranslatedMessage& m = t.messages[i];
        if (m.uMsg == WM_GETMINMAXINFO) {
            system.applySizeLimits(*w);
        } else if (!m.ownEvent) {
            current->windowProc(hwnd, m.uMsg, m.wParam, m.lParam);
        } else {
            InFlight here {event, m.uMsg, false};
            InFlight* outer = inFlight;
            inFlight = &here;
            current->windowProc(hwnd, m.uMsg, m.wParam, m.lParam);
            inFlight = outer;
            // Handled before the window's own handling, or handled by it inside: either way
            // Qt must not hand the event on again.
            consumed = true;
        }
    }
    --system.m_dispatching;
    return consumed;
}

bool ChildFilter::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseMove:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
        break;
    default:
        return false;
    }
    if (!watched->isWidgetType())
        return false;
    auto* child = static_cast<QWidget*>(watched);
    return !child->isWindow() && m_system.childEvent(*child, *event);
}

bool QtWindowSystem::childEvent(QWidget& child, QEvent& event)
{
    QWidget* top = child.window();
    HookFilter* filter = hook(hwndOf(top));
    if (!filter || !filter->proc || filter->drag.active())
        return false;
    const std::shared_ptr<HookedWindowProc> proc = filter->proc;
    const Hwnd hwnd = filter->hwnd;
    if (isSystemMenuKey(event)) {
        proc->windowProc(hwnd, WM_SYSCOMMAND, SC_KEYMENU, ' ');
        return true;
    }
    if (event.type() == QEvent::KeyPress)
        return false;
    auto& mouse = static_cast<QMouseEvent&>(event);
    filter->lastGlobalPos = mouse.globalPosition().toPoint();
    if (followPendingDrag(*filter, event))
        return true;
    const QPointF at = child.mapTo(top, mouse.position());
    const auto hit = static_cast<int>(proc->windowProc(
        hwnd, WM_NCHITTEST, 0, makeLParam(static_cast<int>(std::floor(at.x())), static_cast<int>(std::floor(at.y())))));
    // The frame's own parts: its sizing edges and caption buttons. The caption and the
    // client area stay with the child (a title-area button, the page).
    const bool framePart = (hit >= HIT_LEFT && hit <= HIT_BOTTOMRIGHT) || hit == HIT_CLOSE || hit == HIT_MAXBUTTON
        || hit == HIT_MINBUTTON || hit >= HIT_EXTRA;
    bool deliver = false;
    switch (event.type()) {
    case QEvent::MouseMove:
        // The frame sees every move, so a button it drew hot returns to normal whichever
        // child the pointer enters.
        deliver = true;
        break;
    case QEvent::MouseButtonRelease:
        deliver = filter->childPressed;
        filter->childPressed = false;
        break;
    default:
        deliver = framePart;
        filter->childPressed = framePart;
        break;
    }
    if (deliver) {
        const Translation t = translateMouse(mouse, at);
        ++m_dispatching;
        for (int i = 0; i < t.count; ++i)
            proc->windowProc(hwnd, t.messages[i].uMsg, t.messages[i].wParam, t.messages[i].lParam);
        --m_dispatching;
    }
    if (event.type() == QEvent::MouseMove)
        overrideCursor(framePart ? top : nullptr);
    return framePart || (deliver && event.type() != QEvent::MouseMove);
}

void QtWindowSystem::overrideCursor(const QWidget* frameWindow)
{
    if (frameWindow) {
        const QCursor cursor = frameWindow->cursor();
        if (m_cursorOverridden)
            QGuiApplication::changeOverrideCursor(cursor);
        else
            QGuiApplication::setOverrideCursor(cursor);
        m_cursorOverridden = true;
    } else if (m_cursorOverridden) {
        QGuiApplication::restoreOverrideCursor();
        m_cursorOverridden = false;
    }
}

} // namespace frame
