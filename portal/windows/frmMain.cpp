#include "portal/windows/frmMain.h"

#include "common/logic/update_check.h"
#include "common/logic/update_notice.h"
#include "common/windows/FindUpdate.h"
#include "common/windows/qt_message_box.h"
#include "common/windows/twips.h"
#include "portal/logic/portal_layout.h"
#include "portal/windows/portal_accessible.h"
#include "portal/windows/portal_images.h"

#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMovie>
#include <QScreen>
#include <QTimer>
#include <QWebEnginePage>

namespace {

const char* const kCaption = "Orvel影视盒";

QWidget* panel(QWidget* parent, const char* name, const QColor& background)
{
    auto* widget = new QWidget(parent);
    widget->setObjectName(QString::fromLatin1(name));
    widget->setAutoFillBackground(true);
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, background);
    widget->setPalette(palette);
    return widget;
}

BrowserPane* browserIn(QWidget* panel, const char* name)
{
    auto* pane = new BrowserPane(panel);
    pane->setObjectName(QString::fromLatin1(name));
    return pane;
}

ImageButton* imageButton(QWidget* parent, const char* name, const QRect& geometry)
{
    auto* button = new ImageButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(geometry);
    return button;
}

QAction* item(QMenu* menu, const char* name, const char* caption)
{
    QAction* action = menu->addAction(QString::fromUtf8(caption));
    action->setObjectName(QString::fromLatin1(name));
    return action;
}

QTimer* timer(QObject* parent, const char* name, int intervalMs)
{
    auto* t = new QTimer(parent);
    t->setObjectName(QString::fromLatin1(name));
    t->setInterval(intervalMs);
    return t;
}

} // namespace

frmMain::frmMain(QWidget* parent)
    : QWidget(parent)
    , m_fetch(Shell::Portal, kCaption, qtEventPump(), 10000, qtPoster())
    , m_openMenu([](QMenu* menu, const QPoint& at) { menu->exec(at); })
{
    setObjectName(QStringLiteral("frmMain"));
    installPortalAccessibility();
    setWindowTitle(QString::fromUtf8(kCaption));
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, QColor(0x20, 0x23, 0x29));
    setPalette(palette);
    resize(twips::toPixels(portal::kDesignClientWidthTwips), twips::toPixels(portal::kDesignClientHeightTwips));
    // Never so small that the title area's buttons overlap or leave the window.
    // Rounded up, so that no pixel of the title area is cut off.
    setMinimumSize((portal::kMinClientWidthTwips + 14) / 15, (portal::kMinClientHeightTwips + 14) / 15);
    // First shown centred on the screen.
    if (const QScreen* where = screen())
        move(where->availableGeometry().center() - rect().center());

    // The start page's probe waits on the network while the panes bring up the browser engine.
    m_fetch.StartPortalProbe();
    createContentArea();
    beginStartCover();
    createTitleArea();
    createHolders();
    createMenus();
    createTimers();
    connectBrowserEvents();
    layOut();
}

frmMain::~frmMain() = default;

void frmMain::createTitleArea()
{
    // Created behind the buttons: the title panel and the view toggle lie at the back.
    dtop = new QLabel(this);
    dtop->setObjectName(QStringLiteral("dtop"));
    dtop->setGeometry(twips::rect(0, 0, 2415, 435));
    static_cast<QLabel*>(dtop)->setPixmap(portal_images::titleBar(dtop->size()));

    BoxTitle = new QLabel(QStringLiteral("Orvel影视盒-高清影库"), dtop);
    BoxTitle->setObjectName(QStringLiteral("BoxTitle"));
    BoxTitle->setGeometry(twips::rect(600, 120, 1815, 255));
    QFont titleFont(QStringLiteral("SimSun"));
    titleFont.setPointSize(9);
    BoxTitle->setFont(titleFont);
    BoxTitle->setStyleSheet(QStringLiteral("color: white; background: transparent;"));

    BFQ_YSKpic = imageButton(this, "BFQ_YSKpic", twips::rect(3480, 0, 1250, 700));
    Picture5[0] = portal_images::viewToggle(BFQ_YSKpic->size(), QStringLiteral("返回播放器"));
    Picture5[1] = portal_images::viewToggle(BFQ_YSKpic->size(), QStringLiteral("返回影视库"));

    Picture6 = imageButton(this, "Picture6", twips::rect(4800, 120, 330, 260));
    Picture6->setPixmap(portal_images::channelButton(Picture6->size(), QStringLiteral("HD"), true));
    Picture7 = imageButton(this, "Picture7", twips::rect(5160, 120, 315, 260));
    Picture7->setPixmap(portal_images::channelButton(Picture7->size(), QStringLiteral("快播"), false));
    Picture2 = imageButton(this, "Picture2", twips::rect(5520, 160, 405, 210));
    Picture2->setPixmap(portal_images::channelButton(Picture2->size(), QStringLiteral("直播"), false));

    PicTopControl = imageButton(this, "PicTopControl", twips::rect(8880, 95, 255, 240));
    PicTop1[0] = portal_images::pin(PicTopControl->size(), false);
    PicTop1[1] = portal_images::pin(PicTopControl->size(), true);

    MenuePicBox = imageButton(this, "MenuePicBox", twips::rect(9240, 40, 320, 320));
    MenuePicBox->setPixmap(portal_images::menuArrow(MenuePicBox->size()));
    nameTitleControls();

    connect(Picture6, &ImageButton::Click, this, [this] { switchChannel(portal::Channel::HdLibrary); });
    connect(Picture7, &ImageButton::Click, this, [this] { switchChannel(portal::Channel::QvodLibrary); });
    connect(Picture2, &ImageButton::Click, this, [this] { switchChannel(portal::Channel::LiveTv); });
    connect(Picture6, &ImageButton::MouseMove, this,
        [this] { Picture6->setToolTip(QStringLiteral("点击进入→高清影视库")); });
    connect(Picture7, &ImageButton::MouseMove, this,
        [this] { Picture7->setToolTip(QStringLiteral("点击进入→快播影视库")); });
    connect(
        Picture2, &ImageButton::MouseMove, this, [this] { Picture2->setToolTip(QStringLiteral("点击进入→电视直播")); });
    connect(BFQ_YSKpic, &ImageButton::Click, this, &frmMain::BFQ_YSKpic_Click);
    connect(PicTopControl, &ImageButton::Click, this, &frmMain::PicTopControl_Click);
    connect(PicTopControl, &ImageButton::MouseMove, this, &frmMain::PicTopControl_MouseMove);
    connect(MenuePicBox, &ImageButton::MouseDown, this, [this](Qt::MouseButton button, const QPoint& at) {
        if (button == Qt::LeftButton)
            m_openMenu(addmenus, at);
    });
}

void frmMain::nameTitleControls()
{
    // One table names them and gives the Tab order: the title area left to right.
    QWidget* previous = nullptr;
    for (const auto& control : portal_accessible::titleControls) {
        auto* button = findChild<ImageButton*>(QString::fromLatin1(control.control), Qt::FindDirectChildrenOnly);
        button->setKind(control.kind);
        button->setAccessibleName(QString::fromUtf8(control.name));
        if (previous)
            setTabOrder(previous, button);
        previous = button;
    }
    BFQ_YSKpic->setImageMeaning(&Picture5[0], QString::fromUtf8(portal_accessible::viewToggleName(true)));
    BFQ_YSKpic->setImageMeaning(&Picture5[1], QString::fromUtf8(portal_accessible::viewToggleName(false)));
    PicTopControl->setImageMeaning(&PicTop1[0], PicTopControl->accessibleName(), false);
    PicTopControl->setImageMeaning(&PicTop1[1], PicTopControl->accessibleName(), true);
}

void frmMain::createContentArea()
{
    // Created back to front: the player pane lies lowest, the progress strip on top.
    const int top = portal::kContentTopTwips;
    Picture3 = panel(this, "Picture3", Qt::black);
    WebBrowser2 = browserIn(Picture3, "WebBrowser2");
    Picture3->hide();
    Picture1 = panel(this, "Picture1", Qt::white);
    WebBrowser1 = browserIn(Picture1, "WebBrowser1");
    load_Pic = panel(this, "load_Pic", QColor(0xc0, 0xc0, 0xc0));
    Load_Web = browserIn(load_Pic, "Load_Web");
    play_load_Pic = panel(this, "play_load_Pic", QColor(0xc0, 0xc0, 0xc0));
    play_load_Web = browserIn(play_load_Pic, "play_load_Web");
    play_load_Pic->hide();
    for (QWidget* p : {Picture3, Picture1, load_Pic, play_load_Pic})
        p->move(twips::toPixels(60), twips::toPixels(top));

    ProgressPic = panel(this, "ProgressPic", QColor(0x20, 0x23, 0x29));
    ProgressPic->resize(twips::toPixels(portal::kProgressWidthTwips), twips::toPixels(portal::kProgressHeightTwips));
    m_progressView = new QLabel(ProgressPic);
    m_progressView->setObjectName(QStringLiteral("ProgressView"));
    m_progressView->setScaledContents(true);
    ProgressPic->hide();
}

void frmMain::createHolders()
{
    FindTVLink = new LabelHolder(QStringLiteral("OK"), this);
    FindTVLink->setObjectName(QStringLiteral("FindTVLink"));
    FindTVLinkQvod = new LabelHolder(QStringLiteral("OK"), this);
    FindTVLinkQvod->setObjectName(QStringLiteral("FindTVLinkQvod"));
    Label1Holder = new LabelHolder(QStringLiteral("2.0"), this);
    Label1Holder->setObjectName(QStringLiteral("Label1"));
    Label2Holder = new LabelHolder(QStringLiteral("更新信息"), this);
    Label2Holder->setObjectName(QStringLiteral("Label2"));
    Label3Holder = new LabelHolder(QStringLiteral("Label3"), this);
    Label3Holder->setObjectName(QStringLiteral("Label3"));
    List1 = new QListWidget(this);
    List1->setObjectName(QStringLiteral("List1"));
    List1->hide();
}

void frmMain::createMenus()
{
    PlayMyRightMenu = new QMenu(QStringLiteral("播放页面"), this);
    PlayMyRightMenu->setObjectName(QStringLiteral("PlayMyRightMenu"));
    shiliubijiu = item(PlayMyRightMenu, "shiliubijiu", "16:9");
    sibisan = item(PlayMyRightMenu, "sibisan", "4:3");
    yiyi = item(PlayMyRightMenu, "yiyi", "1:1");

    MyRightMenu = new QMenu(QStringLiteral("主页菜右键单"), this);
    MyRightMenu->setObjectName(QStringLiteral("MyRightMenu"));
    CopyMenu = item(MyRightMenu, "CopyMenu", "复制");
    PasteMenu = item(MyRightMenu, "PasteMenu", "粘贴");
    GoForwardMenu = item(MyRightMenu, "GoForwardMenu", "前进");
    GoBackMenu = item(MyRightMenu, "GoBackMenu", "后退");
    RefreshMenu = item(MyRightMenu, "RefreshMenu", "刷新");

    addmenus = new QMenu(QStringLiteral("添加的菜单"), this);
    addmenus->setObjectName(QStringLiteral("addmenus"));
    TovanTv = item(addmenus, "TovanTv", "在线高清影视");
    QvodOnline = item(addmenus, "QvodOnline", "在线快播影视");
    addmenus->addSeparator()->setObjectName(QStringLiteral("lineaaaa"));
    WebTV = item(addmenus, "WebTV", "网络电视直播");
    qvodmovie = item(addmenus, "qvodmovie", "快播影视库");
    boxmovie = item(addmenus, "boxmovie", "高清影视库");
    addmenus->addSeparator()->setObjectName(QStringLiteral("linee"));
    guestbooks = item(addmenus, "guestbooks", "意见反馈");
    updata = item(addmenus, "updata", "在线更新");
    addmenus->addSeparator()->setObjectName(QStringLiteral("POPS"));
    exitItem = item(addmenus, "exit", "退出软件");

    connect(shiliubijiu, &QAction::triggered, this, [this] { setAspect(16, 9); });
    connect(sibisan, &QAction::triggered, this, [this] { setAspect(4, 3); });
    connect(yiyi, &QAction::triggered, this, [this] { setAspect(1, 1); });
    connect(CopyMenu, &QAction::triggered, this, [this] { WebBrowser1->execCommand(QStringLiteral("copy")); });
    connect(PasteMenu, &QAction::triggered, this, [this] { WebBrowser1->execCommand(QStringLiteral("paste")); });
    connect(GoForwardMenu, &QAction::triggered, WebBrowser1, &BrowserPane::GoForward);
    connect(GoBackMenu, &QAction::triggered, WebBrowser1, &BrowserPane::GoBack);
    connect(RefreshMenu, &QAction::triggered, WebBrowser1, &BrowserPane::Refresh);
    connect(
        TovanTv, &QAction::triggered, this, [this] { openInSystemBrowser(serverUrl(ServerRole::PortalPrimary, "")); });
    connect(
        QvodOnline, &QAction::triggered, this, [this] { openInSystemBrowser(serverUrl(ServerRole::FilmMirror, "")); });
    connect(guestbooks, &QAction::triggered, this,
        [this] { openInSystemBrowser(serverUrl(ServerRole::PortalPrimary, "/guestbook")); });
    connect(WebTV, &QAction::triggered, this, [this] {
        switchChannel(portal::Channel::LiveTv);
        boxmovie->setEnabled(true);
        WebTV->setEnabled(false);
    });
    connect(boxmovie, &QAction::triggered, this, [this] { switchChannel(portal::Channel::HdLibrary); });
    connect(qvodmovie, &QAction::triggered, this, [this] { switchChannel(portal::Channel::QvodLibrary); });
    // "在线更新" starts the updater by hand, as the notice does when the user accepts it.
    connect(updata, &QAction::triggered, this, [] { update_notice::startUpdater(); });
    connect(exitItem, &QAction::triggered, this, &QWidget::close);
}

void frmMain::createTimers()
{
    FindUpdateTimer = timer(this, "FindUpdateTimer", 50000);
    gengxinTime = timer(this, "gengxinTime", 40000);
    TimeAdControl = timer(this, "TimeAdControl", 36000);
    Timer1 = timer(this, "Timer1", 10000);
    connect(FindUpdateTimer, &QTimer::timeout, this, [this] { showUpdateNoticeWhenFlagged(*this); });
    connect(gengxinTime, &QTimer::timeout, this, [this] { runUpdateCheck(*this); });
    connect(Timer1, &QTimer::timeout, this, &frmMain::Timer1_Timer);
    connect(TimeAdControl, &QTimer::timeout, this, &frmMain::TimeAdControl_Timer);
    // The update notice may come any time from the window's creation on.
    FindUpdateTimer->start();
}

void frmMain::connectBrowserEvents()
{
    connect(WebBrowser1, &BrowserPane::NewWindow2, this, &frmMain::WebBrowser1_NewWindow2);
    connect(WebBrowser1, &BrowserPane::DocumentComplete, this,
        [this](BrowserPane::BrowserObject browser, const QString&) { WebBrowser1_DocumentComplete(browser); });
    connect(WebBrowser1, &BrowserPane::CommandStateChange, this, &frmMain::WebBrowser1_CommandStateChange);
    // Each pane's own page gets the window's menu instead of the engine's; pages that are not
    // HTML documents raise no request and get no menu.
    connect(WebBrowser1, &BrowserPane::ContextMenu, this,
        [this](const QPoint& at, bool* showDefault) { showContextMenu(MyRightMenu, at, showDefault); });
    connect(WebBrowser2, &BrowserPane::ContextMenu, this,
        [this](const QPoint& at, bool* showDefault) { showContextMenu(PlayMyRightMenu, at, showDefault); });
}

void frmMain::showContextMenu(QMenu* menu, const QPoint& globalPos, bool* showDefault)
{
    *showDefault = false;
    m_openMenu(menu, globalPos);
}

void frmMain::disableUpdateCheckTimer()
{
    gengxinTime->stop();
}
