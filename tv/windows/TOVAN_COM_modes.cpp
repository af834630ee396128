// Stacking modes, the toolbar, the tray icon's rules and the page-to-shell mouse bridge.
#include "tv/windows/TOVAN_COM.h"

#include <QToolBar>
#include <QWindow>

void TOVAN_COM::setStacking(modTray::Stacking mode)
{
    m_stacking = mode;
    showStackingChoice();
    Qt::WindowFlags flags = windowFlags();
    flags.setFlag(Qt::WindowStaysOnTopHint, mode == modTray::Stacking::Top);
    // The window system is told directly: changing the widget's own flags would re-create
    // its native window, and the page would load again.
    overrideWindowFlags(flags);
    QWindow* handle = windowHandle();
    if (!handle)
        return;
    handle->setFlags(flags);
    // Sent to the back once; like any window it comes forward again when activated.
    if (mode == modTray::Stacking::Bottom)
        handle->lower();
}

void TOVAN_COM::Toolbar1_ButtonClick(const QString& key)
{
    if (const auto mode = modTray::stackingForKey(key.toStdString()))
        setStacking(*mode);
}

void TOVAN_COM::TrayWindowProc(QSystemTrayIcon::ActivationReason reason)
{
    // Every left click toggles: the second click of a double click arrives as such, not as
    // a trigger. The icon opens its menu itself on a right click.
    if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
        applyWindowChange(modTray::leftRelease(m_windowShown, isMinimized(), m_trayAvailable()));
}

void TOVAN_COM::mnuShow_Click()
{
    applyWindowChange(modTray::showHideItem(m_windowShown, m_trayAvailable()));
}

void TOVAN_COM::applyWindowChange(modTray::WindowChange change)
{
    // Into the tray and back, the window system sees only hide and show: a window iconified
    // and withdrawn at once is mapped back iconified, or placed anew, by some window
    // managers. The widget's own state says minimized while it is in the tray.
    switch (change) {
    case modTray::WindowChange::ShowNormal: {
        const bool inTray = isHidden();
        overrideWindowState(Qt::WindowNoState);
        // Un-iconifies a window minimized by its own button; a maximized one becomes normal.
        if (QWindow* handle = windowHandle())
            handle->setWindowStates(Qt::WindowNoState);
        if (inTray && m_normalGeometry.isValid())
            setGeometry(m_normalGeometry);
        m_normalGeometry = QRect();
        show();
        raise();
        activateWindow();
        break;
    }
    case modTray::WindowChange::MinimizeAndHide:
        // A maximized window comes back at its normal size.
        m_normalGeometry = isMaximized() ? normalGeometry() : QRect();
        hide();
        overrideWindowState(Qt::WindowMinimized);
        break;
    case modTray::WindowChange::MinimizeOnly:
        setWindowState(Qt::WindowMinimized);
        break;
    }
}

void TOVAN_COM::WebBrowser1_DocumentComplete()
{
    // Every page and frame load replaces the documents: place the bridge again, in the top
    // document, which frames cannot reach.
    WebBrowser1->execScript(QString::fromStdString(mouse_bridge::script()), QStringLiteral("javascript"));
}

void TOVAN_COM::WebBrowser1_BeforeNavigate2(const QString& url, bool* cancel)
{
    const std::optional<mouse_bridge::Message> message = mouse_bridge::parse(url.toStdString());
    if (!message)
        return;
    *cancel = true;
    Toolbar1->setVisible(mouse_bridge::showsToolbar(m_lastMousePos, message->x, message->y));
}
