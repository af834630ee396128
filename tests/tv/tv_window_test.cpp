// The TV main window's start-up, skins and shutdown, offscreen, from a temporary program
// folder with the real skin engine.
#include "tests/tv/tv_test_fixture.h"

#include "platform/codepage.h"
#include "platform/instance_lock.h"

#include <QAction>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QToolBar>

#include <gtest/gtest.h>

namespace {

class TvWindow : public ::testing::Test, public TvFixture
{
protected:
    std::string settings() const { return platform::ansiToUtf8(program.read("Setting.ini")); }
    void storeSettings(const std::string& utf8) const { program.write("Setting.ini", gbk(utf8)); }
};

const std::string defaultSkin = "时尚星系.she";
const std::string whiteSkin = "白色简约.she";

} // namespace

TEST_F(TvWindow, FirstStartAppliesTheDefaultSkinAddsTheTrayIconAndOpensTheLiveTvPage)
{
    ASSERT_FALSE(program.exists("Setting.ini"));
    auto window = start();
    ASSERT_TRUE(window->isVisible());
    EXPECT_EQ(settings(), "[Skin]\r\nName=" + defaultSkin + "\r\n");
    EXPECT_EQ(window->SkinName(), defaultSkin);
    EXPECT_TRUE(dressedIn(skin(defaultSkin)));
    EXPECT_TRUE(messages.empty());

    EXPECT_EQ(window->windowTitle(), QStringLiteral("Tovanis网络电视"));
    // The design size where the screen's work area holds it, else as much as it holds, with
    // the whole window on it: centred, never past the top-left corner.
    const QRect available = window->screen()->availableGeometry();
    const QSize client = window->centralWidget()->size();
    if (available.width() > 12045 / 15 + 40) {
        EXPECT_EQ(client.width(), 12045 / 15);
    }
    if (available.height() > 6735 / 15 + 80) {
        EXPECT_EQ(client.height(), 6735 / 15);
    }
    EXPECT_TRUE(available.contains(window->frameGeometry())) << "the close box is on screen";
    const QPoint centred = available.center() - window->rect().center();
    EXPECT_EQ(window->pos(), QPoint(std::max(centred.x(), available.left()), std::max(centred.y(), available.top())));

    QSystemTrayIcon* tray = window->trayIcon();
    ASSERT_NE(tray, nullptr);
    EXPECT_TRUE(tray->isVisible());
    EXPECT_EQ(tray->toolTip(), QStringLiteral("Tovanis网络电视(版本 1.4.0)"));
    EXPECT_FALSE(tray->icon().isNull());
    EXPECT_EQ(tray->contextMenu(), window->mnuTray);
    EXPECT_EQ(window->mnuTray->defaultAction(), window->mnuShow);

    // The menu bar holds every menu but the tray's, which it keeps hidden.
    QStringList shown;
    for (QAction* top : window->menuBar()->actions())
        if (top->isVisible())
            shown << top->text();
    EXPECT_EQ(shown,
        (QStringList {QStringLiteral("播放器设置"), QStringLiteral("频道列表"), QStringLiteral("高清影视盒"),
            QStringLiteral("在线电影"), QStringLiteral("帮助")}));
    EXPECT_FALSE(window->menuItem("mnuTray")->isVisible());
    EXPECT_EQ(window->mnuTray->actions().size(), 10);
    for (const tv::MenuEntry& entry : tv::menuTree()) {
        QAction* item = window->menuItem(entry.name);
        ASSERT_NE(item, nullptr) << entry.name;
        EXPECT_FALSE(item->isCheckable()) << entry.name;
        EXPECT_TRUE(item->shortcut().isEmpty()) << entry.name;
        EXPECT_TRUE(item->isEnabled() || item == window->mnuTray->menuAction()) << entry.name;
    }

    // The live-TV page, an ".ocx" file in GBK, shows as a web page.
    EXPECT_TRUE(showsPage(*window, "/bin/tovanT.ocx", QStringLiteral("高清电视直播")));

    EXPECT_EQ(window->Timer3->interval(), 5000);
    EXPECT_TRUE(window->Timer3->isActive());
    EXPECT_EQ(window->Timer4->interval(), 50000);
    EXPECT_TRUE(window->Timer4->isActive());
    EXPECT_EQ(window->Timer5->interval(), 40000);
    EXPECT_TRUE(window->Timer5->isActive());
    EXPECT_EQ(window->TimeAdControl->interval(), 45000);
    EXPECT_TRUE(window->TimeAdControl->isActive());
    EXPECT_EQ(window->List1->count(), 0);
    EXPECT_TRUE(window->List1->isHidden());
}

TEST_F(TvWindow, PanesOverhangTheClientAreaOnEveryResizeAndTheToolbarFloatsOverThePage)
{
    auto window = start();
    // Client 12045 x 6735 twips: Picture1 12245 x 6770, the pane 120 twips left of it and
    // 60 twips taller.
    window->resize(12045 / 15, 6735 / 15 + window->menuBar()->height());
    ASSERT_EQ(window->centralWidget()->size(), QSize(803, 449));
    EXPECT_EQ(window->Picture1->geometry(), QRect(0, 0, 816, 451));
    EXPECT_EQ(window->WebBrowser1->geometry(), QRect(-8, 0, 816, 455));
    window->resize(600, 400);
    const QSize client = window->centralWidget()->size();
    EXPECT_EQ(window->Picture1->geometry(), QRect(0, 0, client.width() + 13, client.height() + 2));
    EXPECT_EQ(window->WebBrowser1->geometry(), QRect(-8, 0, client.width() + 13, client.height() + 6));

    EXPECT_EQ(window->Toolbar1->geometry(), QRect(40, 8, 177, 26));
    EXPECT_EQ(window->Toolbar1->parentWidget(), window->centralWidget());
    QStringList keys;
    QStringList tips;
    for (QAction* button : window->Toolbar1->actions()) {
        keys << button->objectName();
        tips << button->toolTip();
        EXPECT_FALSE(button->icon().isNull());
    }
    EXPECT_EQ(keys, (QStringList {QStringLiteral("zhiqian"), QStringLiteral("quxiao"), QStringLiteral("zhihou")}));
    EXPECT_EQ(tips,
        (QStringList {
            QStringLiteral("播放器最前端显示"), QStringLiteral("取消播放器设置"), QStringLiteral("隐藏播放器")}));
    EXPECT_TRUE(window->Toolbar1->isVisible());
    window->Timer3_Timer();
    EXPECT_FALSE(window->Toolbar1->isVisible());
    EXPECT_TRUE(window->Timer3->isActive());
}

TEST_F(TvWindow, StoredSkinIsAppliedAndAStaleOrEmptyNameFallsBackToTheDefault)
{
    runtime.write("elsewhere/外来皮肤.she", program.read("skin/" + whiteSkin));
    struct Case
    {
        std::string settings;
        std::string inForce;
    };
    const Case cases[] = {
        {"[Skin]\r\nName=" + whiteSkin + "\r\n", whiteSkin},
        {"[skin]\r\nname=" + whiteSkin + "\r\n[UpdateVersion]\r\nThisVersion=1.0\r\n", whiteSkin},
        {"[Skin]\r\nName=\r\n", defaultSkin}, // an empty entry
        {"[UpdateVersion]\r\nThisVersion=1.0\r\n", defaultSkin}, // no entry at all
        {"[Skin]\r\nName=外来皮肤.she\r\n", defaultSkin}, // chosen from elsewhere before the restart
        {"[Skin]\r\nName=.\r\n", defaultSkin}, // the skin folder itself, not a file
    };
    for (const Case& c : cases) {
        storeSettings(c.settings);
        auto window = start();
        EXPECT_EQ(window->SkinName(), c.inForce) << c.settings;
        EXPECT_TRUE(dressedIn(skin(c.inForce))) << c.settings;
        window->close();
        // The skin in force is what the next start finds.
        const std::string stored = settings();
        EXPECT_NE(stored.find("Name=" + c.inForce + "\r\n"), std::string::npos) << stored;
        EXPECT_EQ(stored.find("ThisVersion=1.0") != std::string::npos,
            c.settings.find("ThisVersion=1.0") != std::string::npos);
    }
}

TEST_F(TvWindow, SkinDialogAppliesAnExistingFileAtOnceAndTurnsAMissingOneIntoTheDefault)
{
    storeSettings("[Skin]\r\nName=" + whiteSkin + "\r\n");
    runtime.write(
        "elsewhere/外来皮肤.she", "SkinH-she 1\nname=外来\nwindow=#102030\n\nQMenuBar { background: #102030; }\n");
    const std::filesystem::path outside = runtime / "elsewhere/外来皮肤.she";
    auto window = start();
    ASSERT_TRUE(dressedIn(skin(whiteSkin)));

    // Cancelled: nothing changes.
    nextChosenFile.clear();
    window->menuItem("skinsa")->trigger();
    EXPECT_EQ(dialogFilter, QStringLiteral("皮肤文件(*.she);;All Skin(*.SHE)"));
    EXPECT_EQ(dialogFolder, q(local("/skin/")));
    EXPECT_EQ(window->SkinName(), whiteSkin);
    EXPECT_TRUE(dressedIn(skin(whiteSkin)));
    EXPECT_TRUE(messages.empty());

    // A file outside the skin folder: applied where it lies, only its name kept.
    nextChosenFile = q(outside.string());
    window->skinsa_Click();
    EXPECT_TRUE(dressedIn(outside));
    EXPECT_EQ(window->SkinName(), "外来皮肤.she");
    EXPECT_EQ(window->ChosenSkinPath(), outside.string());
    EXPECT_FALSE(program.exists("skin/外来皮肤.she")) << "the chosen file is not copied";
    EXPECT_TRUE(messages.empty());

    // A file that does not exist: the invalid-skin message, then the default skin.
    nextChosenFile = q(local("/skin/没有这个皮肤.she"));
    window->skinsa_Click();
    EXPECT_EQ(messages,
        (std::vector<ShownMessage> {
            {message_box::Icon::Error, "Tovanis网络电视", "无效的皮肤文件！请查看是否为：* . she 文件！"}}));
    EXPECT_TRUE(dressedIn(skin(defaultSkin)));
    EXPECT_EQ(window->SkinName(), defaultSkin);

    // The name reaches the settings only at shutdown; a skin from elsewhere is gone after
    // the restart.
    nextChosenFile = q(outside.string());
    window->skinsa_Click();
    EXPECT_NE(settings().find("Name=" + whiteSkin), std::string::npos);
    window->close();
    EXPECT_NE(settings().find("Name=外来皮肤.she"), std::string::npos);
    auto next = start();
    EXPECT_EQ(next->SkinName(), defaultSkin);
    EXPECT_TRUE(dressedIn(skin(defaultSkin)));
}

TEST_F(TvWindow, ShutdownStoresTheSkinDeletesTheLeftoverFilesAndRemovesTheTrayIcon)
{
    struct Case
    {
        bool version;
        bool news;
        bool newsLeft;
    };
    for (const Case c : {Case {true, false, false}, Case {true, true, false}, Case {false, true, true}}) {
        std::filesystem::remove(program / "updatenews.txt");
        program.write("bin/TovanTVAdControl.txt", "on,on,1,1\r\n");
        if (c.version)
            program.write("update.txt", "2.1\r\n");
        if (c.news)
            program.write("updatenews.txt", gbk("新闻"));
        auto window = start();
        ASSERT_NE(window->trayIcon(), nullptr);
        QPointer<QSystemTrayIcon> tray = window->trayIcon();
        window->menuItem(c.news ? "quote" : "mnuExit")->trigger();
        EXPECT_FALSE(window->isVisible());
        EXPECT_FALSE(program.exists("update.txt"));
        EXPECT_EQ(program.exists("updatenews.txt"), c.newsLeft);
        EXPECT_FALSE(program.exists("bin/TovanTVAdControl.txt"));
        EXPECT_TRUE(program.exists("bin/tovanT.ocx"));
        EXPECT_EQ(window->trayIcon(), nullptr);
        EXPECT_TRUE(tray.isNull());
        EXPECT_NE(settings().find("[Skin]\r\nName=" + defaultSkin), std::string::npos);
        EXPECT_TRUE(messages.empty());
    }
}

TEST_F(TvWindow, ASecondCopyIsToldAndStopsBeforeItsTrayIconAndPage)
{
    auto first = std::make_unique<platform::InstanceLock>("TovanTV", program.str());
    ASSERT_EQ(first->acquire(), platform::InstanceLock::Result::Acquired);
    auto refused = start();
    EXPECT_FALSE(refused->isVisible());
    EXPECT_EQ(messages,
        (std::vector<ShownMessage> {
            {message_box::Icon::Error, "请勿多次运行", "系统检测到您的系统已经运行了网络电视！"}}));
    EXPECT_EQ(refused->trayIcon(), nullptr);
    EXPECT_TRUE(refused->WebBrowser1->LocationURL().isEmpty());
    EXPECT_FALSE(refused->Timer5->isActive());
    EXPECT_FALSE(refused->TimeAdControl->isActive());
    // The skin came first and dresses the message.
    EXPECT_TRUE(dressedIn(skin(defaultSkin)));

    // Once the first copy has gone, a start runs.
    refused.reset();
    first.reset();
    messages.clear();
    auto next = start();
    EXPECT_TRUE(next->isVisible());
    EXPECT_NE(next->trayIcon(), nullptr);
    EXPECT_TRUE(messages.empty());
}

TEST_F(TvWindow, TheMinimumSizeKeepsEveryMenuOfTheMenuBarAndTheToolbarWhole)
{
    auto window = start();
    window->resize(150, 100);
    QApplication::processEvents();
    QMenuBar* bar = window->menuBar();
    int menus = 0;
    for (QAction* top : bar->actions()) {
        if (!top->isVisible())
            continue;
        ++menus;
        const QRect at = bar->actionGeometry(top);
        EXPECT_FALSE(at.isEmpty()) << top->text().toStdString() << " folded into the extension";
        EXPECT_TRUE(bar->rect().contains(at)) << top->text().toStdString();
    }
    EXPECT_GT(menus, 3);
    EXPECT_TRUE(window->centralWidget()->rect().contains(window->Toolbar1->geometry()));
}
