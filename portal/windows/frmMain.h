#pragma once

#include "common/logic/remote_fetch.h"
#include "common/logic/update_host.h"
#include "common/windows/BrowserPane.h"
#include "common/windows/LabelHolder.h"
#include "portal/frame/windows/skinned_frame.h"
#include "portal/logic/channels.h"
#include "portal/windows/ImageButton.h"

#include <QPixmap>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>

class ExitAdvert;
class frmRightBottom;
class QAction;
class QLabel;
class QListWidget;
class QMenu;
class QMovie;
class QTimer;

// The portal shell's main window: the library and player panes with their covers, the
// title area's buttons, the hidden holders of the shared services and the timers.
// Handlers are public so that tests drive them as the events would.
class frmMain final : public QWidget, public UpdateHost
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmMain)

public:
    explicit frmMain(QWidget* parent = nullptr);
    ~frmMain() override;

    // Start-up: runs once, after the window is shown.
    void Form_Load();

    // The exit advertisement window the unload shows or unloads; none until one is set.
    void setExitAdvert(ExitAdvert* advert) { m_exitAdvert = advert; }

    // Title area
    QWidget* dtop = nullptr;
    QLabel* BoxTitle = nullptr;
    ImageButton* Picture6 = nullptr; // HD film library
    ImageButton* Picture7 = nullptr; // Qvod film library
    ImageButton* Picture2 = nullptr; // live TV
    ImageButton* BFQ_YSKpic = nullptr; // library/player view toggle
    QPixmap Picture5[2]; // 0: back to the player, 1: back to the film library
    ImageButton* PicTopControl = nullptr; // pin on top
    QPixmap PicTop1[2]; // 0: not pinned, 1: pinned
    ImageButton* MenuePicBox = nullptr; // main menu

    // Content area, front to back in the stacking order
    QWidget* ProgressPic = nullptr;
    QWidget* play_load_Pic = nullptr;
    BrowserPane* play_load_Web = nullptr;
    QWidget* load_Pic = nullptr;
    BrowserPane* Load_Web = nullptr;
    QWidget* Picture1 = nullptr;
    BrowserPane* WebBrowser1 = nullptr;
    QWidget* Picture3 = nullptr;
    BrowserPane* WebBrowser2 = nullptr;

    // Hidden holders of the shared services
    LabelHolder* FindTVLink = nullptr;
    LabelHolder* FindTVLinkQvod = nullptr;
    LabelHolder* Label1Holder = nullptr;
    LabelHolder* Label2Holder = nullptr;
    LabelHolder* Label3Holder = nullptr;
    QListWidget* List1 = nullptr;

    // Pop-up menus and their items
    QMenu* PlayMyRightMenu = nullptr;
    QAction* shiliubijiu = nullptr;
    QAction* sibisan = nullptr;
    QAction* yiyi = nullptr;
    QMenu* MyRightMenu = nullptr;
    QAction* CopyMenu = nullptr;
    QAction* PasteMenu = nullptr;
    QAction* GoForwardMenu = nullptr;
    QAction* GoBackMenu = nullptr;
    QAction* RefreshMenu = nullptr;
    QMenu* addmenus = nullptr;
    QAction* TovanTv = nullptr;
    QAction* QvodOnline = nullptr;
    QAction* WebTV = nullptr;
    QAction* qvodmovie = nullptr;
    QAction* boxmovie = nullptr;
    QAction* guestbooks = nullptr;
    QAction* updata = nullptr;
    QAction* exitItem = nullptr; // "exit"

    // Timers
    QTimer* FindUpdateTimer = nullptr;
    QTimer* gengxinTime = nullptr;
    QTimer* TimeAdControl = nullptr;
    QTimer* Timer1 = nullptr;
    bool ProgressTimer = false; // never ticks: only an on/off state

    // The drawn frame, from the load to the unload.
    std::unique_ptr<frame::CSkinForm> c_Skin;

    bool viewToggleFlag() const { return m_viewToggle; }
    bool pinFlag() const { return m_pinned; }
    QMovie* progressMovie() const { return m_progressMovie; }

    // The corner advertisement pop-up the ad-control run showed, while it is open.
    frmRightBottom* cornerPopup() const;

    // Handlers
    void Timer1_Timer();
    void TimeAdControl_Timer();
    void PicTopControl_Click();
    void PicTopControl_MouseMove();
    // Keeps the window above the others or not. Only the stacking changes: the window keeps
    // its state, place and size and its native window.
    void setStaysOnTop(bool on);
    void BFQ_YSKpic_Click();
    void switchChannel(portal::Channel channel);
    void WebBrowser1_NewWindow2(BrowserPane::BrowserObject* target);
    void WebBrowser1_DocumentComplete(BrowserPane::BrowserObject browser);
    void WebBrowser1_CommandStateChange(int command, bool enable);
    // Sets the outer width to the outer height times numerator ÷ denominator.
    void setAspect(int numerator, int denominator);
    void openInSystemBrowser(const std::string& address);
    // Lays every part out for the current client size.
    void layOut();

    // Where pop-up menus open; tests replace it to see which menu opened without a modal loop.
    using MenuOpener = std::function<void(QMenu*, const QPoint&)>;
    void setMenuOpener(MenuOpener opener) { m_openMenu = std::move(opener); }

    // UpdateHost
    Shell shell() const override { return Shell::Portal; }
    TextHolder& Label1() override { return *Label1Holder; }
    TextHolder& Label2() override { return *Label2Holder; }
    RemoteFetch& remoteFetch() override { return m_fetch; }
    UpdateFields& updateFields() override { return m_updateFields; }
    void disableUpdateCheckTimer() override;
    QWidget* noticeOwner() override { return this; }
    void closeMainWindow() override { close(); }

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void createTitleArea();
    void nameTitleControls();
    // The drawn caption buttons for the keyboard, once the frame is attached.
    void addCaptionButtons();
    void createContentArea();
    void createHolders();
    void createMenus();
    void createTimers();
    void connectBrowserEvents();
    void Form_Unload();
    void showContextMenu(QMenu* menu, const QPoint& globalPos, bool* showDefault);
    void startProgressAnimation();
    // Starts the start-up pages of the player pane and the play cover.
    void loadHiddenPanes();
    static constexpr int kHiddenPagesLatestMs = 3000;

    // Placing one panel with its browser, as the layout gives it for the current size.
    void placeStartCover();
    // Starts the start cover's page, and with it the engine's page process.
    void beginStartCover();
    void placeLibraryPane();
    void placePlayerPane();
    void placePlayCover();
    int clientWidthTwips() const;
    int clientHeightTwips() const;

    RemoteFetch m_fetch;
    UpdateFields m_updateFields;
    ExitAdvert* m_exitAdvert = nullptr;
    QPointer<QWidget> m_cornerPopup;
    MenuOpener m_openMenu;
    QMovie* m_progressMovie = nullptr;
    QLabel* m_progressView = nullptr;
    bool m_viewToggle = false;
    bool m_pinned = false;
    bool m_unloaded = false;
};
