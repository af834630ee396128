// The TV main window's stacking modes, toolbar, tray rules and mouse bridge, offscreen.
#include "tests/tv/tv_test_fixture.h"

#include <QAction>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QToolBar>
#include <QWindow>

#include <gtest/gtest.h>

namespace {

class TvModes : public ::testing::Test, public TvFixture
{
protected:
    // A window showing its live-TV page with the bridge in place, and a count of the top
    // page's completions from then on.
    std::unique_ptr<TOVAN_COM> loaded()
    {
        auto window = start();
        window->setTrayCheck([this] { return trayAvailable; });
        EXPECT_TRUE(showsPage(*window, "/bin/tovanT.ocx", QStringLiteral("高清电视直播")));
        EXPECT_TRUE(bridgePlaced(*window));
        QObject::connect(window->WebBrowser1, &BrowserPane::DocumentComplete, window.get(),
            [this, w = window.get()](BrowserPane::BrowserObject browser, const QString&) {
                topCompletes += browser == w->WebBrowser1->Application() ? 1 : 0;
            });
        return window;
    }

    static bool bridgePlaced(TOVAN_COM& window)
    {
        return waitUntil([&] {
            return evaluate(*window.WebBrowser1, QStringLiteral("typeof document.body.onmousemove"))
                == QStringLiteral("function");
        });
    }

    static QVariant run(TOVAN_COM& window, const char* script)
    {
        return evaluate(*window.WebBrowser1, QString::fromUtf8(script));
    }

    bool trayAvailable = true;
    int topCompletes = 0;
};

} // namespace

TEST_F(TvModes, StackingModesChangeOnlyTheStackingFromTheMenuAndTheToolbar)
{
    auto window = loaded();
    const WId native = window->winId();
    const QRect where = window->geometry();
    struct Case
    {
        std::function<void()> choose;
        bool onTop;
    };
    const Case cases[] = {
        {[&] { window->menuItem("TopShow")->trigger(); }, true},
        {[&] { window->menuItem("NormalShow")->trigger(); }, false},
        {[&] { window->Toolbar1->actions().at(0)->trigger(); }, true},
        {[&] { window->Toolbar1_ButtonClick(QStringLiteral("Zhihou")); }, true}, // no such key
        {[&] { window->Toolbar1->actions().at(2)->trigger(); }, false},
        {[&] { window->menuItem("TopShow")->trigger(); }, true},
        {[&] { window->menuItem("DownShow")->trigger(); }, false},
        {[&] { window->Toolbar1->actions().at(0)->trigger(); }, true},
        {[&] { window->Toolbar1->actions().at(1)->trigger(); }, false},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        cases[i].choose();
        EXPECT_EQ(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint), cases[i].onTop) << i;
        EXPECT_EQ(window->windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint), cases[i].onTop) << i;
        EXPECT_EQ(window->winId(), native) << i << ": the native window is kept";
        EXPECT_EQ(window->geometry(), where) << i;
        EXPECT_TRUE(window->isVisible()) << i;
    }
    // Nothing is stored or checked, and the page never loaded again.
    waitUntil([] { return false; }, 300);
    EXPECT_EQ(topCompletes, 0);
    EXPECT_EQ(program.read("Setting.ini"), gbk("[Skin]\r\nName=时尚星系.she\r\n"));
    for (const char* item : {"TopShow", "NormalShow", "DownShow"})
        EXPECT_FALSE(window->menuItem(item)->isChecked());
}

TEST_F(TvModes, ToolbarTimerHidesTheToolbarEveryTickWhateverShowedIt)
{
    auto window = loaded();
    EXPECT_TRUE(window->Timer3->isActive());
    EXPECT_EQ(window->Timer3->interval(), 5000);
    for (int tick = 0; tick < 2; ++tick) {
        window->Toolbar1->show();
        window->Timer3->setInterval(1);
        EXPECT_TRUE(waitUntil([&] { return window->Toolbar1->isHidden(); })) << tick;
        EXPECT_TRUE(window->Timer3->isActive()) << "it goes on ticking";
        window->Timer3->setInterval(5000);
    }
}

TEST_F(TvModes, ShowItemHidesFirstAndTrayClicksToggleBackToANormalWindow)
{
    auto window = loaded();
    EXPECT_TRUE(window->WindowShown());
    window->mnuShow->trigger();
    EXPECT_FALSE(window->WindowShown());
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(window->isMinimized());
    window->mnuShow->trigger();
    EXPECT_TRUE(window->WindowShown());
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowState(), Qt::WindowNoState);

    // Left clicks on the icon: a maximized window goes to the tray and comes back normal.
    window->showMaximized();
    window->TrayWindowProc(QSystemTrayIcon::Trigger);
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(window->WindowShown());
    window->TrayWindowProc(QSystemTrayIcon::Context); // the icon's own menu; nothing else
    window->TrayWindowProc(QSystemTrayIcon::MiddleClick);
    EXPECT_FALSE(window->isVisible());
    // The second click of a double click arrives as a double click: it toggles too.
    window->TrayWindowProc(QSystemTrayIcon::DoubleClick);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowState(), Qt::WindowNoState);

    // Without a tray the window is only minimized: hidden, nothing could bring it back.
    trayAvailable = false;
    window->mnuShow->trigger();
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->isMinimized());
    window->mnuShow->trigger();
    EXPECT_EQ(window->windowState(), Qt::WindowNoState);
    // The page stayed as it was all along.
    EXPECT_EQ(topCompletes, 0);
}

TEST_F(TvModes, BridgeNavigationsAreCancelledReadAndDriveTheToolbar)
{
    server.site().write("page.html", "<html><body style='height:600px'><h1>remote</h1></body></html>");
    auto window = loaded();
    window->WebBrowser1->Navigate(q(server.url("/page.html")));
    ASSERT_TRUE(waitUntil([&] { return topCompletes == 1; }));
    ASSERT_TRUE(bridgePlaced(*window));
    const auto requestsBefore = server.server().requests();
    const int historyBefore = run(*window, "history.length").toInt();
    window->Timer3_Timer();
    ASSERT_TRUE(window->Toolbar1->isHidden());

    // A script-made navigation: cancelled, read, and the toolbar shows.
    run(*window, "location.href = 'mouse://move|10|5'; 1");
    ASSERT_TRUE(waitUntil([&] { return window->Toolbar1->isVisible(); }));
    EXPECT_EQ(window->LastMousePos().x, 10);
    EXPECT_EQ(window->LastMousePos().y, 5);
    // The same place again hides it.
    run(*window, "location.href = 'mouse://move|10|5'; 1");
    ASSERT_TRUE(waitUntil([&] { return window->Toolbar1->isHidden(); }));

    // A real mouse-move event reaches the placed script, which navigates with its position.
    run(*window, "document.body.dispatchEvent(new MouseEvent('mousemove', {clientX: 300, clientY: 250})); 1");
    ASSERT_TRUE(waitUntil([&] { return window->Toolbar1->isVisible(); }));
    EXPECT_EQ(window->LastMousePos().x, 300);
    EXPECT_EQ(window->LastMousePos().y, 250);

    // Nothing of it reached the network, the history or the page.
    waitUntil([] { return false; }, 300);
    EXPECT_EQ(server.server().requests(), requestsBefore);
    EXPECT_EQ(run(*window, "history.length").toInt(), historyBefore);
    EXPECT_EQ(window->WebBrowser1->LocationURL(), q(server.url("/page.html")));
    EXPECT_EQ(run(*window, "document.querySelector('h1').textContent").toString(), QStringLiteral("remote"));
    EXPECT_EQ(topCompletes, 1);
}

TEST_F(TvModes, TheChannelPagesOwnLinksStillNavigate)
{
    auto window = loaded();
    run(*window, "document.querySelector('nav a[href=\"tovanMTV1.ocx\"]').click(); 1");
    EXPECT_TRUE(showsPage(*window, "/bin/tovanMTV1.ocx", QStringLiteral("高清MTV一")));
    // The new page gets the bridge again.
    EXPECT_TRUE(bridgePlaced(*window));
    window->Timer3_Timer();
    run(*window, "document.body.dispatchEvent(new MouseEvent('mousemove', {clientX: 20, clientY: 30})); 1");
    EXPECT_TRUE(waitUntil([&] { return window->Toolbar1->isVisible(); }));
}
