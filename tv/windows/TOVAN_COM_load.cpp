// Start-up, shutdown, skin and layout of the main window.
#include "tv/windows/TOVAN_COM.h"

#include "common/logic/ReadAndWriteINI.h"
#include "common/logic/ad_control.h"
#include "common/logic/message_box.h"
#include "common/logic/self_update.h"
#include "common/logic/update_notice.h"
#include "common/windows/ad_control_run.h"
#include "common/windows/frmRightBottom.h"
#include "common/windows/guarded_step.h"
#include "common/windows/twips.h"
#include "platform/file_util.h"
#include "platform/installation.h"
#include "platform/program_folder.h"
#include "platform/skin_engine.h"
#include "tv/logic/tv_layout.h"
#include "tv/logic/tv_skin.h"
#include "tv/logic/tv_texts.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QTimer>

namespace {

void quitWhenNoWindowIsShown()
{
    for (const QWidget* window : QApplication::topLevelWidgets()) {
        const Qt::WindowType type = window->windowType();
        if (window->isVisible() && type != Qt::Popup && type != Qt::ToolTip)
            return;
    }
    QCoreApplication::quit();
}

} // namespace

bool TOVAN_COM::Form_Load()
{
    guarded([&] { mnuTray->menuAction()->setVisible(false); });
    guarded([&] { m_skinName = tv_skin::startSkinName(); });
    guarded([&] { applySkin(tv_skin::skinPath(m_skinName)); });
    if (m_instance.acquire() == platform::InstanceLock::Result::HeldElsewhere) {
        message_box::show(message_box::Icon::Error, tv::secondInstanceTitle, tv::secondInstanceText);
        return false;
    }
    // The tray icon, and its clicks routed to the tray rules for as long as it lives.
    guarded([&] { addTrayIcon(); });
    guarded([&] { connectTrayIcon(); });
    guarded([&] {
        m_trayWasAvailable = m_trayAvailable();
        TrayWatch->start();
    });
    guarded([&] {
        WebBrowser1->Navigate(
            QString::fromStdString(platform::programFolder()) + QString::fromUtf8(tv::firstChannelPage));
    });
    // A system installation is updated by the package manager: no update check.
    guarded([&] {
        if (self_update::enabled())
            Timer5->start();
    });
    guarded([&] { layOut(); });
    guarded([&] { TimeAdControl->start(); });
    return true;
}

void TOVAN_COM::applySkin(const std::string& path)
{
    // The engine's answer is not examined: a missing or broken skin leaves the skin in force.
    skin_engine::attach(platform::programFolder(), path, std::string());
}

void TOVAN_COM::addTrayIcon()
{
    m_tray = new QSystemTrayIcon(windowIcon(), this);
    m_tray->setObjectName(QStringLiteral("TrayIcon"));
    m_tray->setToolTip(QString::fromStdString(tv::trayTip(tv::programVersion())));
    m_tray->setContextMenu(mnuTray);
    m_tray->show();
}

void TOVAN_COM::connectTrayIcon()
{
    connect(m_tray, &QSystemTrayIcon::activated, this, &TOVAN_COM::TrayWindowProc);
}

void TOVAN_COM::TrayWatch_Timer()
{
    const bool available = m_trayAvailable();
    if (available == m_trayWasAvailable || m_unloaded)
        return;
    m_trayWasAvailable = available;
    if (!available) {
        // Nothing else could bring a window in the tray back.
        if (const auto change = modTray::trayGone(m_windowShown, isHidden()))
            applyWindowChange(*change);
        return;
    }
    // A new tray host knows nothing of the icon the old one held.
    delete m_tray;
    m_tray = nullptr;
    guarded([&] { addTrayIcon(); });
    guarded([&] { connectTrayIcon(); });
}

void TOVAN_COM::closeEvent(QCloseEvent* event)
{
    if (!m_unloaded) {
        m_unloaded = true;
        Form_Unload();
    }
    event->accept();
    // The window system ends the program when a window on screen closes. Put away in the
    // tray, this one closes unseen ("退出软件" in the tray menu): end the program here unless
    // another window (an exit pop-up) is on screen and keeps it running.
    if (!isVisible())
        QTimer::singleShot(0, qApp, &quitWhenNoWindowIsShown);
}

void TOVAN_COM::Form_Unload()
{
    guarded([&] { ReadAndWriteINI::WriteSetting(tv_skin::section, tv_skin::key, m_skinName); });
    guarded([&] { update_notice::removeLocalFiles(Shell::TV); });
    guarded([&] {
        const std::string adControl
            = platform::joinPath(platform::installation::cacheFolder(), adShellNames(Shell::TV).localCopy);
        if (platform::fileExists(adControl))
            platform::removeFile(adControl);
    });
    // Removing the icon ends the routing of its clicks too.
    guarded([&] {
        TrayWatch->stop();
        delete m_tray;
        m_tray = nullptr;
    });
    // The exit pop-up, shown here, keeps the process running after this window has closed.
    guarded([&] { runExitRule(*List1, m_exitAdvert, *TimeAdControl); });
    // A pop-up that outlives this window is no running copy: a new start may run.
    m_instance.release();
}

void TOVAN_COM::TimeAdControl_Timer()
{
    // The pop-up is a window of its own: it outlives this one and deletes itself on closing.
    runAdControl(Shell::TV, m_fetch, *Label3Holder, *List1, *TimeAdControl,
        [this](frmRightBottom* popup) { cornerPopupShown(popup); });
}

frmRightBottom* TOVAN_COM::cornerPopup() const
{
    return qobject_cast<frmRightBottom*>(m_cornerPopup.data());
}

void TOVAN_COM::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    layOut();
}

void TOVAN_COM::layOut()
{
    const QWidget* client = centralWidget();
    const tv_layout::PaneLayout l
        = tv_layout::paneLayout(twips::fromPixels(client->width()), twips::fromPixels(client->height()));
    Picture1->setGeometry(0, 0, twips::toPixels(l.pictureWidth), twips::toPixels(l.pictureHeight));
    WebBrowser1->setGeometry(twips::toPixels(l.browserLeft), twips::toPixels(l.browserTop),
        twips::toPixels(l.browserWidth), twips::toPixels(l.browserHeight));
}
