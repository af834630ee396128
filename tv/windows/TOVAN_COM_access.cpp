// The main window for the keyboard and screen readers: names from one table, the stacking
// buttons as a choice of three with the current mode checked, the menu bar on F10 and Alt,
// and the floating toolbar on F6 and Tab, kept on screen while the keyboard is in it.
#include "common/windows/frmRightBottom.h"
#include "tv/logic/tv_accessible_names.h"
#include "tv/windows/TOVAN_COM.h"

#include <QAbstractNativeEventFilter>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QKeyEvent>
#include <QMenuBar>
#include <QShortcut>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QWebEngineView>

#include <xcb/xcb.h>

#include <mutex>

namespace {

// The window manager taking the keyboard for a key of its own pressed with Alt (alt+F4,
// alt+Tab) shows only in the X server's focus events of its grab, which Qt does not pass on:
// the Alt then let go was no Alt alone.
class KeyboardGrabWatch final : public QObject, public QAbstractNativeEventFilter
{
public:
    KeyboardGrabWatch(QObject* owner, bool& altAlone)
        : QObject(owner)
        , m_altAlone(altAlone)
    {
        qApp->installNativeEventFilter(this);
    }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override
    {
        if (eventType == "xcb_generic_event_t") {
            const auto* event = static_cast<const xcb_generic_event_t*>(message);
            if ((event->response_type & ~0x80) == XCB_FOCUS_OUT
                && reinterpret_cast<const xcb_focus_out_event_t*>(event)->mode == XCB_NOTIFY_MODE_GRAB)
                m_altAlone = false;
        }
        return false;
    }

private:
    bool& m_altAlone;
};

const char* const modeProperty = "stackingMode";
const char* const checkedProperty = "stackingChecked";

// A stacking button reads as one of three radio buttons; pressing it chooses its mode.
class StackingButtonAccessible final : public QAccessibleWidget
{
public:
    explicit StackingButtonAccessible(QToolButton* button)
        : QAccessibleWidget(button, QAccessible::RadioButton)
    { }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.checkable = true;
        s.checked = widget()->property(checkedProperty).toBool();
        return s;
    }
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& name) override
    {
        if (name == pressAction())
            static_cast<QToolButton*>(widget())->click();
    }
};

QAccessibleInterface* tvFactory(const QString& className, QObject* object)
{
    if (className == QLatin1String("QToolButton") && object->property(modeProperty).isValid())
        return new StackingButtonAccessible(static_cast<QToolButton*>(object));
    return nullptr;
}

} // namespace

void TOVAN_COM::makeAccessible()
{
    static std::once_flag once;
    std::call_once(once, [] { QAccessible::installFactory(tvFactory); });
    menuBar()->setAccessibleName(QString::fromUtf8(tv::accessible_names::menuBar));
    QWidget* previous = nullptr;
    for (const auto& [control, name, description] : tv::accessible_names::controls) {
        QWidget* widget = findChild<QWidget*>(QString::fromLatin1(control));
        if (QAction* button = menuItem(control); button && !widget)
            widget = Toolbar1->widgetForAction(button);
        if (!widget)
            continue;
        if (const auto mode = modTray::stackingForKey(control)) {
            widget->setProperty(modeProperty, static_cast<int>(*mode));
            // A reading made while the toolbar was built is a plain button's: drop it, so
            // that the next one is made as a choice.
            if (QAccessibleInterface* made = QAccessible::queryAccessibleInterface(widget);
                made && made->role() != QAccessible::RadioButton)
                QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(made));
        }
        widget->setAccessibleName(QString::fromUtf8(name));
        widget->setAccessibleDescription(QString::fromUtf8(description));
        if (modTray::stackingForKey(control)) {
            // Toolbar buttons take no focus by default; Tab goes through them in order.
            widget->setFocusPolicy(Qt::TabFocus);
            if (previous)
                setTabOrder(previous, widget);
            previous = widget;
        }
    }
    if (previous)
        setTabOrder(previous, WebBrowser1->view());
    // The skins draw no focus on the drawn buttons: a yellow frame marks the one with the keyboard.
    Toolbar1->setStyleSheet(QStringLiteral("QToolButton:focus { border: 2px solid #ffd200; border-radius: 2px; }"));
    // The keyboard starts in the page, as before: a focused toolbar would stay on screen.
    WebBrowser1->view()->setFocus();
    showStackingChoice();

    // F10 opens the first menu, as on other desktops; Alt alone where the style does not.
    auto* f10 = new QShortcut(QKeySequence(Qt::Key_F10), this);
    connect(f10, &QShortcut::activated, this, [this] { menuBar()->setActiveAction(menuBar()->actions().value(0)); });
    if (!style()->styleHint(QStyle::SH_MenuBar_AltKeyNavigation, nullptr, this)) {
        qApp->installEventFilter(this);
        new KeyboardGrabWatch(this, m_altAlone);
    }

    // F6 goes to the floating toolbar, whatever the page does with Tab, and shows it.
    auto* f6 = new QShortcut(QKeySequence(Qt::Key_F6), this);
    connect(f6, &QShortcut::activated, this, [this] {
        Toolbar1->show();
        if (QWidget* first = Toolbar1->widgetForAction(Toolbar1->actions().value(0)))
            first->setFocus(Qt::ShortcutFocusReason);
    });

    // The corner pop-up never takes the focus: while it is open, Escape here closes it as its
    // close image does. Otherwise the key stays the page's.
    m_closeCornerPopup = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    m_closeCornerPopup->setEnabled(false);
    connect(m_closeCornerPopup, &QShortcut::activated, this, [this] {
        if (frmRightBottom* popup = cornerPopup())
            popup->Picture2_Click();
    });
}

void TOVAN_COM::cornerPopupShown(frmRightBottom* popup)
{
    m_cornerPopup = popup;
    if (!popup)
        return;
    m_closeCornerPopup->setEnabled(true);
    connect(
        popup, &QObject::destroyed, m_closeCornerPopup, [escape = m_closeCornerPopup] { escape->setEnabled(false); });
}

void TOVAN_COM::showStackingChoice()
{
    for (QAction* button : Toolbar1->actions()) {
        QWidget* widget = Toolbar1->widgetForAction(button);
        if (!widget || !widget->property(modeProperty).isValid())
            continue;
        const bool checked = widget->property(modeProperty).toInt() == static_cast<int>(m_stacking);
        if (widget->property(checkedProperty).toBool() == checked && widget->property(checkedProperty).isValid())
            continue;
        widget->setProperty(checkedProperty, checked);
        if (QAccessible::isActive()) {
            QAccessible::State changed;
            changed.checked = true;
            QAccessibleStateChangeEvent event(widget, changed);
            QAccessible::updateAccessibility(&event);
        }
    }
}

bool TOVAN_COM::toolbarHasFocus() const
{
    // The window's own focus, which it gets back when it is activated again.
    const QWidget* focus = focusWidget();
    return focus && Toolbar1->isAncestorOf(focus);
}

bool TOVAN_COM::focusNextPrevChild(bool next)
{
    // Tab brings the floating toolbar as the mouse at the top does, so its buttons are reached.
    if (Toolbar1->isHidden())
        Toolbar1->show();
    return QMainWindow::focusNextPrevChild(next);
}

bool TOVAN_COM::eventFilter(QObject* watched, QEvent* event)
{
    // Alt pressed and released alone, in this window, opens the first menu. The window manager
    // taking the keyboard (Alt+Tab) ends it.
    if (watched == this && (event->type() == QEvent::WindowDeactivate || event->type() == QEvent::FocusOut))
        m_altAlone = false;
    else if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool inHere = watched->isWidgetType() && static_cast<QWidget*>(watched)->window() == this;
        if (inHere && event->type() == QEvent::KeyPress)
            m_altAlone = key->key() == Qt::Key_Alt && !key->isAutoRepeat();
        else if (inHere && key->key() == Qt::Key_Alt && m_altAlone) {
            m_altAlone = false;
            menuBar()->setActiveAction(menuBar()->actions().value(0));
        }
    }
    return QMainWindow::eventFilter(watched, event);
}
