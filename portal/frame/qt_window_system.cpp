// The hook side of the Qt window system: the per-window event filter, the previous
// procedure and the window's end.
#include "qt_window_system.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTimer>
#include <QWidget>

namespace frame {

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

} // namespace frame
