#pragma once

#include "common/logic/remote_fetch.h"
#include "common/logic/update_host.h"
#include "common/windows/BrowserPane.h"
#include "common/windows/LabelHolder.h"
#include "platform/instance_lock.h"
#include "tv/logic/modTray.h"
#include "tv/logic/mouse_bridge.h"
#include "tv/logic/tv_menu.h"

#include <QMainWindow>
#include <QPointer>
#include <QSystemTrayIcon>

#include <functional>
#include <memory>

class ExitAdvert;
class frmRightBottom;
class QAction;
class QListWidget;
class QMenu;
class QShortcut;
class QTimer;
class QToolBar;

// The network-TV shell's main window: the menu bar, the channel page in WebBrowser1 inside
// Picture1, the floating Toolbar1, the hidden holders and List1 of the shared services, the
// timers and the tray icon. Handlers are public so that tests drive them as the events would.
class TOVAN_COM final : public QMainWindow, public UpdateHost
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TOVAN_COM)

public:
    explicit TOVAN_COM(QWidget* parent = nullptr);
    ~TOVAN_COM() override;

    // What the program does before its QApplication: the browser engine as every program
    // prepares it, and no cap on a page's navigations, which the mouse bridge would hit
    // after a few seconds of mouse movement.
    static void prepareEngine();

    // Start-up, before the window is first shown. False when another copy of the program
    // runs: the user has been told, and the program must end at once.
    bool Form_Load();

    // The exit advertisement the shutdown shows or unloads; none until one is set.
    void setExitAdvert(ExitAdvert* advert) { m_exitAdvert = advert; }

    // A menu item or submenu's action by its name ("HDMTV1", "mnuShow", "Window_C" ...).
    QAction* menuItem(const char* name) const;
    QMenu* mnuTray = nullptr;
    QAction* mnuShow = nullptr;

    QWidget* Picture1 = nullptr;
    BrowserPane* WebBrowser1 = nullptr;
    QToolBar* Toolbar1 = nullptr;
    LabelHolder* Label1Holder = nullptr;
    LabelHolder* Label2Holder = nullptr;
    LabelHolder* Label3Holder = nullptr;
    QListWidget* List1 = nullptr;

    QTimer* Timer3 = nullptr; // hides the toolbar
    QTimer* Timer4 = nullptr; // update notice
    QTimer* Timer5 = nullptr; // update check
    QTimer* TimeAdControl = nullptr;
    QTimer* TrayWatch = nullptr; // looks whether the tray host is still there

    // The tray icon while it is added, else nullptr.
    QSystemTrayIcon* trayIcon() const { return m_tray; }

    const std::string& SkinName() const { return m_skinName; }
    const std::string& ChosenSkinPath() const { return m_chosenSkinPath; }

    // The corner advertisement pop-up the ad-control run showed, while it is open.
    frmRightBottom* cornerPopup() const;

    // Handlers
    void Timer3_Timer();
    void TimeAdControl_Timer();
    void skinsa_Click();
    void addlnk_Click();
    void aboutme_Click();
    void openChannel(const tv::MenuEntry& entry);
    void openWebLink(const tv::MenuEntry& entry);
    void startPortalShell();
    void startUpdater();

    // The stacking modes, from the menu and the toolbar: position and size stay.
    void setStacking(modTray::Stacking mode);
    void Toolbar1_ButtonClick(const QString& key);

    // The tray: clicks on the icon, and the tray menu's show/hide item.
    void TrayWindowProc(QSystemTrayIcon::ActivationReason reason);
    void mnuShow_Click();
    // The tray host went away (a hidden window comes back) or came back (the icon is added
    // again); asked on every TrayWatch tick.
    void TrayWatch_Timer();
    bool WindowShown() const { return m_windowShown; }
    // Whether a tray can bring a hidden window back; tests answer it.
    using TrayCheck = std::function<bool()>;
    void setTrayCheck(TrayCheck check) { m_trayAvailable = std::move(check); }

    // The mouse bridge: placed in the page after every document, read from its navigations.
    void WebBrowser1_DocumentComplete();
    void WebBrowser1_BeforeNavigate2(const QString& url, bool* cancel);
    mouse_bridge::Position LastMousePos() const { return m_lastMousePos; }

    // The skin dialog: gets the filter and the initial folder, returns the chosen file's
    // full path or an empty text when cancelled. Tests answer it without a modal dialog.
    using FileChooser = std::function<QString(const QString& filter, const QString& folder)>;
    void setFileChooser(FileChooser chooser) { m_chooseFile = std::move(chooser); }

    // UpdateHost
    Shell shell() const override { return Shell::TV; }
    TextHolder& Label1() override { return *Label1Holder; }
    TextHolder& Label2() override { return *Label2Holder; }
    RemoteFetch& remoteFetch() override { return m_fetch; }
    UpdateFields& updateFields() override { return m_updateFields; }
    void disableUpdateCheckTimer() override;
    QWidget* noticeOwner() override { return this; }
    void closeMainWindow() override { close(); }

protected:
    void closeEvent(QCloseEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void createClientArea();
    void createMenus();
    void createToolbar();
    void createHolders();
    void createTimers();
    void connectMenuItem(QAction* action, const tv::MenuEntry& entry);
    void Form_Unload();
    void applySkin(const std::string& path);
    void addTrayIcon();
    void connectTrayIcon();
    void applyWindowChange(modTray::WindowChange change);
    void layOut();
    void makeAccessible();
    // The stacking buttons' checked state follows the mode, for screen readers.
    void showStackingChoice();
    bool toolbarHasFocus() const;
    void cornerPopupShown(frmRightBottom* popup);

    RemoteFetch m_fetch;
    UpdateFields m_updateFields;
    std::string m_skinName;
    std::string m_chosenSkinPath;
    platform::InstanceLock m_instance;
    QSystemTrayIcon* m_tray = nullptr;
    ExitAdvert* m_exitAdvert = nullptr;
    QPointer<QWidget> m_cornerPopup;
    FileChooser m_chooseFile;
    TrayCheck m_trayAvailable;
    bool m_windowShown = true;
    bool m_trayWasAvailable = false;
    QRect m_normalGeometry; // of a window that went into the tray maximized
    mouse_bridge::Position m_lastMousePos;
    bool m_unloaded = false;
    modTray::Stacking m_stacking = modTray::Stacking::Normal;
    bool m_altAlone = false; // Alt is down and no other key came since
    QShortcut* m_closeCornerPopup = nullptr;
};
