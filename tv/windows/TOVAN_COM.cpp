#include "tv/windows/TOVAN_COM.h"

#include "common/logic/ad_control.h"
#include "common/logic/update_check.h"
#include "common/windows/FindUpdate.h"
#include "common/windows/drawn_images.h"
#include "common/windows/frmRightBottom.h"
#include "common/windows/qt_message_box.h"
#include "common/windows/twips.h"
#include "platform/program_folder.h"
#include "tv/logic/tv_layout.h"
#include "tv/logic/tv_texts.h"
#include "tv/windows/skin_dialog.h"

#include <QAction>
#include <QApplication>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QWebEnginePage>

#include <algorithm>
#include <vector>

namespace {

QString inProgramFolder(const char* relative)
{
    return QString::fromStdString(platform::joinPath(platform::programFolder(), relative));
}

QTimer* timer(QObject* parent, const char* name, int intervalMs)
{
    auto* t = new QTimer(parent);
    t->setObjectName(QString::fromLatin1(name));
    t->setInterval(intervalMs);
    return t;
}

QIcon programIcon()
{
    // The program's hicolor icons when it was built with them, else the folder's own image.
    QIcon icon = QApplication::windowIcon();
    if (icon.isNull())
        icon = QIcon(inProgramFolder("/Images/TovanTV.png"));
    // Never an empty icon: the tray would have nothing to show.
    return icon.isNull() ? QApplication::style()->standardIcon(QStyle::SP_ComputerIcon) : icon;
}

} // namespace

void TOVAN_COM::prepareEngine()
{
    BrowserPane::prepareEngine();
    // The engine throttles a page that navigates more than 200 times in 10 seconds; every
    // mouse move over a channel page is one navigation to "mouse://".
    QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    if (!flags.contains("--disable-ipc-flooding-protection")) {
        flags += " --disable-ipc-flooding-protection";
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags.trimmed());
    }
}

TOVAN_COM::TOVAN_COM(QWidget* parent)
    : QMainWindow(parent)
    , m_fetch(Shell::TV, tv::programTitle, qtEventPump(), 10000, qtPoster())
    , m_instance("TovanTV", platform::programFolder())
    , m_chooseFile(
          [this](const QString& filter, const QString& folder) { return chooseSkinFile(this, filter, folder); })
    , m_trayAvailable([] { return QSystemTrayIcon::isSystemTrayAvailable(); })
{
    setObjectName(QStringLiteral("TOVAN_COM"));
    setWindowTitle(QString::fromUtf8(tv::programTitle));
    setWindowIcon(programIcon());

    createClientArea();
    createMenus();
    createToolbar();
    createHolders();
    createTimers();
    connect(WebBrowser1, &BrowserPane::DocumentComplete, this, &TOVAN_COM::WebBrowser1_DocumentComplete);
    connect(WebBrowser1, &BrowserPane::BeforeNavigate2, this, &TOVAN_COM::WebBrowser1_BeforeNavigate2);

    // Never so small that the menu bar folds its menus away or the toolbar is cut.
    setMinimumSize(std::max(menuBar()->sizeHint().width(), Toolbar1->width()),
        menuBar()->sizeHint().height() + Toolbar1->geometry().bottom() + 1);
    resize(twips::toPixels(tv_layout::designClientWidthTwips),
        twips::toPixels(tv_layout::designClientHeightTwips) + menuBar()->sizeHint().height());
    // First shown centred on the screen's work area and wholly on it: a screen smaller than
    // the design size makes the window smaller, so its close box stays reachable.
    if (const QScreen* where = screen()) {
        const QRect available = where->availableGeometry();
        // Before the first show the window manager's frame is unknown: room for a common one.
        const QSize frame = (frameGeometry().size() - geometry().size())
                                .expandedTo(QSize(8, style()->pixelMetric(QStyle::PM_TitleBarHeight) + 8));
        resize(size().boundedTo(available.size() - frame).expandedTo(minimumSize()));
        const QPoint centred = available.center() - rect().center();
        move(std::max(centred.x(), available.left()), std::max(centred.y(), available.top()));
    }
    layOut();
    makeAccessible();
}

TOVAN_COM::~TOVAN_COM() = default;

void TOVAN_COM::createClientArea()
{
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    setCentralWidget(client);
    Picture1 = new QWidget(client);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setAutoFillBackground(true);
    QPalette palette = Picture1->palette();
    palette.setColor(QPalette::Window, Qt::black);
    Picture1->setPalette(palette);
    WebBrowser1 = new BrowserPane(Picture1);
    WebBrowser1->setObjectName(QStringLiteral("WebBrowser1"));
}

void TOVAN_COM::createMenus()
{
    // Each submenu takes the items below it that lie one level deeper.
    std::vector<QMenu*> open;
    for (const tv::MenuEntry& entry : tv::menuTree()) {
        open.resize(static_cast<std::size_t>(entry.depth));
        const QString caption = QString::fromUtf8(entry.caption);
        const QString name = QString::fromLatin1(entry.name);
        if (entry.action == tv::MenuAction::Submenu) {
            QMenu* menu = entry.depth == 0 ? menuBar()->addMenu(caption) : open.back()->addMenu(caption);
            menu->setObjectName(name);
            menu->menuAction()->setObjectName(name);
            open.push_back(menu);
            if (name == QLatin1String("mnuTray"))
                mnuTray = menu;
            continue;
        }
        QAction* action
            = entry.action == tv::MenuAction::Separator ? open.back()->addSeparator() : open.back()->addAction(caption);
        action->setObjectName(name);
        connectMenuItem(action, entry);
    }
    mnuShow = menuItem("mnuShow");
    // The tray's pop-up shows its first item in bold.
    mnuTray->setDefaultAction(mnuShow);
}

void TOVAN_COM::connectMenuItem(QAction* action, const tv::MenuEntry& entry)
{
    using tv::MenuAction;
    const tv::MenuEntry* item = &entry;
    switch (entry.action) {
    case MenuAction::CreateShortcut:
        connect(action, &QAction::triggered, this, &TOVAN_COM::addlnk_Click);
        break;
    case MenuAction::StackTop:
        connect(action, &QAction::triggered, this, [this] { setStacking(modTray::Stacking::Top); });
        break;
    case MenuAction::StackNormal:
        connect(action, &QAction::triggered, this, [this] { setStacking(modTray::Stacking::Normal); });
        break;
    case MenuAction::StackBottom:
        connect(action, &QAction::triggered, this, [this] { setStacking(modTray::Stacking::Bottom); });
        break;
    case MenuAction::ShowHide:
        connect(action, &QAction::triggered, this, &TOVAN_COM::mnuShow_Click);
        break;
    case MenuAction::Quit:
        connect(action, &QAction::triggered, this, &QWidget::close);
        break;
    case MenuAction::Channel:
        connect(action, &QAction::triggered, this, [this, item] { openChannel(*item); });
        break;
    case MenuAction::StartPortal:
        connect(action, &QAction::triggered, this, &TOVAN_COM::startPortalShell);
        break;
    case MenuAction::WebLink:
        connect(action, &QAction::triggered, this, [this, item] { openWebLink(*item); });
        break;
    case MenuAction::StartUpdater:
        connect(action, &QAction::triggered, this, &TOVAN_COM::startUpdater);
        break;
    case MenuAction::ChooseSkin:
        connect(action, &QAction::triggered, this, &TOVAN_COM::skinsa_Click);
        break;
    case MenuAction::About:
        connect(action, &QAction::triggered, this, &TOVAN_COM::aboutme_Click);
        break;
    case MenuAction::Submenu:
    case MenuAction::Separator:
        break;
    }
}

QAction* TOVAN_COM::menuItem(const char* name) const
{
    return findChild<QAction*>(QString::fromLatin1(name));
}

void TOVAN_COM::createToolbar()
{
    Toolbar1 = new QToolBar(centralWidget());
    Toolbar1->setObjectName(QStringLiteral("Toolbar1"));
    Toolbar1->setMovable(false);
    Toolbar1->setFloatable(false);
    Toolbar1->setIconSize(QSize(20, 20));
    Toolbar1->setGeometry(twips::rect(tv_layout::toolbarLeftTwips, tv_layout::toolbarTopTwips,
        tv_layout::toolbarWidthTwips, tv_layout::toolbarHeightTwips));
    const struct
    {
        const char* key;
        const char* tip;
    } buttons[] = {{"zhiqian", "播放器最前端显示"}, {"quxiao", "取消播放器设置"}, {"zhihou", "隐藏播放器"}};
    for (const auto& button : buttons) {
        const QString key = QString::fromLatin1(button.key);
        // Drawn at the screen's device pixels: sharp at any scale.
        QAction* action = Toolbar1->addAction(drawn_images::stackingButton(key), key);
        action->setObjectName(key);
        action->setToolTip(QString::fromUtf8(button.tip));
    }
    connect(Toolbar1, &QToolBar::actionTriggered, this,
        [this](QAction* button) { Toolbar1_ButtonClick(button->objectName()); });
    // It floats over the page.
    Toolbar1->raise();
}

void TOVAN_COM::createHolders()
{
    Label1Holder = new LabelHolder(QStringLiteral("2.0"), this);
    Label1Holder->setObjectName(QStringLiteral("Label1"));
    Label2Holder = new LabelHolder(QStringLiteral("更新信息"), this);
    Label2Holder->setObjectName(QStringLiteral("Label2"));
    Label3Holder = new LabelHolder(QString::fromUtf8(adShellNames(Shell::TV).holderInitialText), this);
    Label3Holder->setObjectName(QStringLiteral("Label3"));
    List1 = new QListWidget(this);
    List1->setObjectName(QStringLiteral("List1"));
    List1->hide();
}

void TOVAN_COM::createTimers()
{
    Timer3 = timer(this, "Timer3", 5000);
    Timer4 = timer(this, "Timer4", 50000);
    Timer5 = timer(this, "Timer5", 40000);
    TimeAdControl = timer(this, "TimeAdControl", adShellNames(Shell::TV).adControlTimerMs);
    connect(Timer3, &QTimer::timeout, this, &TOVAN_COM::Timer3_Timer);
    connect(Timer4, &QTimer::timeout, this, [this] { showUpdateNoticeWhenFlagged(*this); });
    connect(Timer5, &QTimer::timeout, this, [this] { runUpdateCheck(*this); });
    connect(TimeAdControl, &QTimer::timeout, this, &TOVAN_COM::TimeAdControl_Timer);
    TrayWatch = timer(this, "TrayWatch", 1000);
    connect(TrayWatch, &QTimer::timeout, this, &TOVAN_COM::TrayWatch_Timer);
    // Both run from the window's creation: the toolbar hides, the notice may come.
    Timer3->start();
    Timer4->start();
}

void TOVAN_COM::disableUpdateCheckTimer()
{
    Timer5->stop();
}

void TOVAN_COM::Timer3_Timer()
{
    // Never from under the keyboard: the focus would fall out of a hidden toolbar.
    if (!toolbarHasFocus())
        Toolbar1->hide();
}
