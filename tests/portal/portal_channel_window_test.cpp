#include "tests/portal/portal_test_fixture.h"
#include "tests/support/pane_test_util.h"
#include "tests/support/recording_browser.h"

#include <QAction>
#include <QMenu>
#include <QMovie>
#include <QTimer>

#include <algorithm>
#include <sstream>

#include <gtest/gtest.h>

namespace {

using portal::Channel;

class PortalChannels : public ::testing::Test, public PortalFixture
{
protected:
    static void expectEnabled(frmMain& w, bool live, bool hd, bool qvod)
    {
        EXPECT_EQ(w.Picture2->isEnabled(), live);
        EXPECT_EQ(w.WebTV->isEnabled(), live);
        EXPECT_EQ(w.Picture6->isEnabled(), hd);
        EXPECT_EQ(w.boxmovie->isEnabled(), hd);
        EXPECT_EQ(w.Picture7->isEnabled(), qvod);
        EXPECT_EQ(w.qvodmovie->isEnabled(), qvod);
    }

    static QStringList captions(QMenu* menu)
    {
        QStringList list;
        for (QAction* action : menu->actions())
            list << (action->isSeparator() ? QStringLiteral("-") : action->text());
        return list;
    }
};

} // namespace

TEST_F(PortalChannels, EachChannelComesFromThePrimaryServerWhileItAnswers)
{
    auto window = start(true);
    ASSERT_TRUE(waitForTopPage(*window, primary.url("/box")));

    window->Picture2->setEnabled(true);
    window->switchChannel(Channel::LiveTv);
    EXPECT_EQ(window->BoxTitle->text(), QStringLiteral("Orvel影视盒-电视直播"));
    expectEnabled(*window, false, true, true);
    EXPECT_FALSE(window->ProgressPic->isHidden());
    EXPECT_TRUE(window->ProgressTimer);
    ASSERT_NE(window->progressMovie(), nullptr);
    EXPECT_TRUE(window->progressMovie()->isValid());
    EXPECT_GT(window->progressMovie()->frameCount(), 1);
    ASSERT_TRUE(waitUntil([&] { return window->WebBrowser1->LocationURL() == q(primary.url("/webtv")); }));
    EXPECT_TRUE(waitUntil([&] { return window->ProgressPic->isHidden(); }));
    EXPECT_FALSE(window->ProgressTimer);

    window->qvodmovie->trigger();
    EXPECT_EQ(window->BoxTitle->text(), QStringLiteral("Orvel影视盒-快播影库"));
    expectEnabled(*window, true, true, false);
    EXPECT_TRUE(waitUntil([&] { return window->WebBrowser1->LocationURL() == q(mirror.url("/box")); }));

    window->boxmovie->trigger();
    expectEnabled(*window, true, false, true);
    EXPECT_TRUE(waitUntil([&] { return window->WebBrowser1->LocationURL() == q(primary.url("/box")); }));
    EXPECT_TRUE(messages.empty());
}

TEST_F(PortalChannels, FallbackServersServeWhenTheProbesFailed)
{
    auto window = start(false, false);
    ASSERT_TRUE(waitForTopPage(*window, backup.url("/box")));
    ASSERT_EQ(messages.size(), 1U);

    // The start-up probe decides for live TV even though nothing is probed again.
    window->WebTV->trigger();
    EXPECT_TRUE(waitUntil([&] { return window->WebBrowser1->LocationURL().endsWith(QStringLiteral("/webtv")); }));
    EXPECT_EQ(messages.size(), 1U);

    // The Qvod library probes the film mirror again, and tells the user once more.
    window->Picture7->setEnabled(true);
    window->switchChannel(Channel::QvodLibrary);
    EXPECT_EQ(messages.size(), 2U);
    EXPECT_EQ(window->FindTVLinkQvod->text(), "OK");
    EXPECT_TRUE(waitUntil([&] { return window->WebBrowser1->LocationURL() == q(backup.url("/box")); }));
}

TEST_F(PortalChannels, QvodLibraryAsksItsPrimaryFirstThenFallsBackAfterTheProbe)
{
    // The mirror answers pages but has no probe file, and answers slowly.
    std::filesystem::remove(mirror.site() / "update/PallomarAdControl.txt");
    mirror.rule("/update/PallomarAdControl.txt", "delay=1500");
    auto window = start(true);
    ASSERT_TRUE(waitForTopPage(*window, primary.url("/box")));
    window->qvodmovie->trigger();
    EXPECT_EQ(window->FindTVLinkQvod->text(), "OK");
    EXPECT_TRUE(messages.empty());
    EXPECT_TRUE(waitUntil([&] { return window->WebBrowser1->LocationURL() == q(backup.url("/box")); }));
    const auto asked = mirror.server().requests();
    EXPECT_NE(std::find(asked.begin(), asked.end(), "GET /box"), asked.end());
}

TEST_F(PortalChannels, LiveTvEmptiesThePlayerAndEverySwitchReturnsToTheLibrary)
{
    // A film page that keeps asking its server, as a playing film does.
    primary.site().write("play/TOVAN/film3.html",
        "<html><body>film three<script>setInterval(function () { fetch('/play/TOVAN/tick'); }, 50);"
        "</script></body></html>");
    auto window = start(true);
    ASSERT_TRUE(waitForTopPage(*window, primary.url("/box")));
    evaluate(*window->WebBrowser1, QStringLiteral("document.getElementById('film').click(); 1"));
    ASSERT_TRUE(
        waitUntil([&] { return window->WebBrowser2->LocationURL() == q(primary.url("/play/TOVAN/film3.html")); }));
    EXPECT_TRUE(window->Picture1->isHidden());
    const auto ticks = [&] {
        const auto asked = primary.server().requests();
        return std::count(asked.begin(), asked.end(), "GET /play/TOVAN/tick");
    };
    ASSERT_TRUE(waitUntil([&] { return ticks() > 0; }));

    window->switchChannel(Channel::LiveTv);
    EXPECT_FALSE(window->Picture1->isHidden());
    EXPECT_TRUE(window->Picture3->isHidden());
    EXPECT_EQ(window->BFQ_YSKpic->shownImage(), &window->Picture5[0]);
    // The player pane, now out of sight, really shows the empty player page: the film is gone.
    EXPECT_TRUE(waitForPlayerPage(*window));
    EXPECT_EQ(
        evaluate(*window->WebBrowser2, QStringLiteral("document.body.innerText.indexOf('film three')")).toInt(), -1);
    primary.server().clearRequests();
    waitUntil([] { return false; }, 400);
    EXPECT_EQ(ticks(), 0);
}

TEST_F(PortalChannels, PlayCoverTimerDuringTheQvodProbeLeavesTheLibraryLoading)
{
    auto window = start(true, false);
    ASSERT_TRUE(waitForTopPage(*window, primary.url("/box")));
    evaluate(*window->WebBrowser1, QStringLiteral("document.getElementById('film').click(); 1"));
    ASSERT_TRUE(
        waitUntil([&] { return window->WebBrowser2->LocationURL() == q(primary.url("/play/TOVAN/film3.html")); }));
    ASSERT_TRUE(window->Timer1->isActive());

    // The play cover's time runs out while the probe's message is on screen: the player view
    // comes back over the library, which must load its fallback page all the same.
    whileMessageShows = [&] { window->Timer1_Timer(); };
    backup.server().clearRequests();
    window->switchChannel(Channel::QvodLibrary);
    ASSERT_EQ(messages, std::vector<std::string> {"连接网络失败！"});
    EXPECT_TRUE(window->Picture1->isHidden());
    EXPECT_TRUE(waitUntil([&] {
        const auto asked = backup.server().requests();
        return std::find(asked.begin(), asked.end(), "GET /box") != asked.end();
    }));
    EXPECT_TRUE(waitUntil([&] { return window->ProgressPic->isHidden(); }));
    EXPECT_EQ(window->WebBrowser1->LocationURL(), q(backup.url("/box")));
}

TEST_F(PortalChannels, AMissingAnimationIsReportedAndThePageStillLoads)
{
    std::filesystem::remove(program / "Images/loading.gif");
    auto window = start(true);
    ASSERT_TRUE(waitForTopPage(*window, primary.url("/box")));
    window->Picture7->setEnabled(true);
    window->switchChannel(Channel::QvodLibrary);
    EXPECT_EQ(messages, std::vector<std::string> {"加载文件错误！"});
    EXPECT_TRUE(waitUntil([&] { return window->WebBrowser1->LocationURL() == q(mirror.url("/box")); }));
    EXPECT_TRUE(waitUntil([&] { return window->ProgressPic->isHidden(); }));
}

TEST_F(PortalChannels, FilmLinksOpenInThePlayerBehindThePlayCover)
{
    RecordingBrowser browser;

    auto window = start(true);
    ASSERT_TRUE(waitForTopPage(*window, primary.url("/box")));
    ASSERT_TRUE(waitForPlayerPage(*window));

    // "TOVAN" in capitals is a film link all the same.
    evaluate(*window->WebBrowser1, QStringLiteral("document.getElementById('film').click(); 1"));
    ASSERT_TRUE(
        waitUntil([&] { return window->WebBrowser2->LocationURL() == q(primary.url("/play/TOVAN/film3.html")); }));
    EXPECT_TRUE(window->Picture1->isHidden());
    EXPECT_FALSE(window->Picture3->isHidden());
    EXPECT_FALSE(window->play_load_Pic->isHidden());
    EXPECT_TRUE(window->Timer1->isActive());
    EXPECT_EQ(window->BFQ_YSKpic->shownImage(), &window->Picture5[1]);
    EXPECT_TRUE(waitUntil([&] { return window->play_load_Web->LocationURL() == q(local("/html/Playloading.html")); }));
    window->Timer1_Timer();
    EXPECT_TRUE(window->play_load_Pic->isHidden());

    // An outside link opens in the system browser, yet the player view and cover come up.
    window->BFQ_YSKpic_Click();
    ASSERT_FALSE(window->Picture1->isHidden());
    evaluate(*window->WebBrowser1, QStringLiteral("document.getElementById('out').click(); 1"));
    ASSERT_TRUE(waitUntil([&] { return browser.openedAny(); }));
    EXPECT_EQ(browser.opened(), primary.url("/news/today.html") + "\n");
    EXPECT_EQ(window->WebBrowser2->LocationURL(), q(primary.url("/play/TOVAN/film3.html")));
    EXPECT_TRUE(window->Picture1->isHidden());
    EXPECT_FALSE(window->play_load_Pic->isHidden());
    EXPECT_TRUE(window->Timer1->isActive());
}

TEST_F(PortalChannels, WindowsWithoutALinkAddressAndMenuPagesOpenOutsideOnly)
{
    RecordingBrowser browser;
    auto window = start(true);
    ASSERT_TRUE(waitForTopPage(*window, primary.url("/box")));

    // A script's window, opened from a button: outside, and the window stays as it is.
    evaluate(*window->WebBrowser1, QStringLiteral("document.getElementById('script').click(); 1"));
    ASSERT_TRUE(waitUntil([&] { return browser.openedAny(); }));
    EXPECT_FALSE(window->Picture1->isHidden());
    EXPECT_TRUE(window->Picture3->isHidden());
    EXPECT_FALSE(window->Timer1->isActive());
    EXPECT_TRUE(window->play_load_Pic->isHidden());

    ASSERT_EQ(browser.opened(), primary.url("/news/today.html") + "\n");
    // Each item starts a browser of its own; they may finish in any order.
    window->TovanTv->trigger();
    window->QvodOnline->trigger();
    window->guestbooks->trigger();
    const auto lines = [&] {
        std::vector<std::string> opened;
        std::istringstream text(browser.opened());
        for (std::string line; std::getline(text, line);)
            opened.push_back(line);
        std::sort(opened.begin(), opened.end());
        return opened;
    };
    std::vector<std::string> expected {
        primary.url("/news/today.html"), primary.url(""), mirror.url(""), primary.url("/guestbook")};
    std::sort(expected.begin(), expected.end());
    EXPECT_TRUE(waitUntil([&] { return lines() == expected; })) << browser.opened();
    EXPECT_EQ(window->WebBrowser1->LocationURL(), q(primary.url("/box")));

    // The current channel's button is disabled: a click on it does nothing.
    primary.server().clearRequests();
    const QPointF inside(5, 5);
    QMouseEvent press(QEvent::MouseButtonPress, inside, window->Picture6->mapToGlobal(inside), Qt::LeftButton,
        Qt::LeftButton, Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, inside, window->Picture6->mapToGlobal(inside), Qt::LeftButton,
        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(window->Picture6, &press);
    QApplication::sendEvent(window->Picture6, &release);
    EXPECT_TRUE(window->ProgressPic->isHidden());
    // The same click on an enabled channel button switches.
    QApplication::sendEvent(window->Picture2, &press);
    QApplication::sendEvent(window->Picture2, &release);
    EXPECT_TRUE(waitUntil([&] { return window->WebBrowser1->LocationURL() == q(primary.url("/webtv")); }));
}

TEST_F(PortalChannels, ViewToggleAlwaysDoesWhatItsImageSays)
{
    auto window = start(true);
    ASSERT_TRUE(waitForTopPage(*window, primary.url("/box")));
    // Library on screen, the button reads "back to the player": a click shows the player.
    for (int round = 0; round < 2; ++round) {
        ASSERT_EQ(window->BFQ_YSKpic->shownImage(), &window->Picture5[0]);
        window->BFQ_YSKpic_Click();
        EXPECT_TRUE(window->Picture1->isHidden());
        EXPECT_FALSE(window->Picture3->isHidden());
        EXPECT_EQ(window->BFQ_YSKpic->shownImage(), &window->Picture5[1]);
        window->BFQ_YSKpic_Click();
        EXPECT_FALSE(window->Picture1->isHidden());
        EXPECT_TRUE(window->Picture3->isHidden());
    }
    // After the play cover's timeout the player is on screen and the button offers the library.
    window->Timer1_Timer();
    ASSERT_EQ(window->BFQ_YSKpic->shownImage(), &window->Picture5[1]);
    window->BFQ_YSKpic_Click();
    EXPECT_FALSE(window->Picture1->isHidden());
    EXPECT_EQ(window->BFQ_YSKpic->shownImage(), &window->Picture5[0]);
}

TEST_F(PortalChannels, RightClicksOpenTheWindowsMenusAndNotTheEngines)
{
    auto window = start(true);
    ASSERT_TRUE(waitForTopPage(*window, primary.url("/box")));
    EXPECT_EQ(captions(window->MyRightMenu),
        (QStringList {QStringLiteral("复制"), QStringLiteral("粘贴"), QStringLiteral("前进"), QStringLiteral("后退"),
            QStringLiteral("刷新")}));
    EXPECT_EQ(captions(window->PlayMyRightMenu),
        (QStringList {QStringLiteral("16:9"), QStringLiteral("4:3"), QStringLiteral("1:1")}));
    EXPECT_EQ(captions(window->addmenus),
        (QStringList {QStringLiteral("在线高清影视"), QStringLiteral("在线快播影视"), QStringLiteral("-"),
            QStringLiteral("网络电视直播"), QStringLiteral("快播影视库"), QStringLiteral("高清影视库"),
            QStringLiteral("-"), QStringLiteral("意见反馈"), QStringLiteral("在线更新"), QStringLiteral("-"),
            QStringLiteral("退出软件")}));

    rightClick(*window->WebBrowser1, QPoint(50, 50));
    ASSERT_TRUE(waitUntil([&] { return !openedMenus.empty(); }));
    EXPECT_EQ(openedMenus.back(), window->MyRightMenu);

    window->BFQ_YSKpic_Click();
    ASSERT_TRUE(waitUntil([&] { return window->WebBrowser2->hasHtmlDocument(); }));
    rightClick(*window->WebBrowser2, QPoint(50, 50));
    ASSERT_TRUE(waitUntil([&] { return openedMenus.size() == 2; }));
    EXPECT_EQ(openedMenus.back(), window->PlayMyRightMenu);

    // The main menu opens on a left press only.
    QMouseEvent rightPress(QEvent::MouseButtonPress, QPointF(3, 3), window->MenuePicBox->mapToGlobal(QPointF(3, 3)),
        Qt::RightButton, Qt::RightButton, Qt::NoModifier);
    QApplication::sendEvent(window->MenuePicBox, &rightPress);
    EXPECT_EQ(openedMenus.size(), 2U);
    // In the button's middle: its top rows lie on the frame's sizing edge, which takes presses over every child.
    const QPointF middle = QRectF(window->MenuePicBox->rect()).center();
    QMouseEvent leftPress(QEvent::MouseButtonPress, middle, window->MenuePicBox->mapToGlobal(middle), Qt::LeftButton,
        Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window->MenuePicBox, &leftPress);
    ASSERT_EQ(openedMenus.size(), 3U);
    EXPECT_EQ(openedMenus.back(), window->addmenus);

    // A picture instead of a page: no menu, and the window goes on working.
    primary.site().write("picture.gif",
        "GIF89a\x01\x00\x01\x00\x80\x00\x00\x00\x00\x00\xff\xff\xff!\xf9\x04\x01\x00\x00\x00"
        "\x00,\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02D\x01\x00;");
    window->BFQ_YSKpic_Click();
    window->WebBrowser1->Navigate(q(primary.url("/picture.gif")));
    ASSERT_TRUE(waitUntil([&] { return !window->WebBrowser1->hasHtmlDocument(); }));
    rightClick(*window->WebBrowser1, QPoint(50, 50));
    QCoreApplication::processEvents();
    EXPECT_EQ(openedMenus.size(), 3U);
    window->boxmovie->setEnabled(true);
    window->boxmovie->trigger();
    EXPECT_TRUE(waitUntil([&] { return window->WebBrowser1->LocationURL() == q(primary.url("/box")); }));
}

TEST_F(PortalChannels, HistoryItemsFollowTheLibrarysHistory)
{
    auto window = start(true);
    // Until the library reports its history both items are enabled.
    EXPECT_TRUE(window->GoBackMenu->isEnabled());
    EXPECT_TRUE(window->GoForwardMenu->isEnabled());
    ASSERT_TRUE(waitForTopPage(*window, primary.url("/box")));
    EXPECT_TRUE(waitUntil([&] { return !window->GoBackMenu->isEnabled() && !window->GoForwardMenu->isEnabled(); }));

    window->WebBrowser1->Navigate(q(primary.url("/webtv")));
    EXPECT_TRUE(waitUntil([&] { return window->GoBackMenu->isEnabled(); }));
    window->GoBackMenu->trigger();
    EXPECT_TRUE(waitUntil([&] { return window->WebBrowser1->LocationURL() == q(primary.url("/box")); }));
    EXPECT_TRUE(waitUntil([&] { return window->GoForwardMenu->isEnabled() && !window->GoBackMenu->isEnabled(); }));
    window->GoForwardMenu->trigger();
    EXPECT_TRUE(waitUntil([&] { return window->WebBrowser1->LocationURL() == q(primary.url("/webtv")); }));
}

TEST_F(PortalChannels, AspectItemsChangeOnlyTheWidth)
{
    auto window = start(true);
    // An outer height of 7215 twips, 481 pixels, whatever the frame takes.
    const QSize frame = window->frameGeometry().size() - window->size();
    window->resize(804, 481 - frame.height());
    ASSERT_EQ(window->frameGeometry().height(), 481);
    const QPoint position = window->pos();
    const int height = window->height();
    window->shiliubijiu->trigger();
    // 7215 x 16 / 9 = 12826.7 twips, 855 pixels.
    EXPECT_EQ(window->frameGeometry().width(), 855);
    EXPECT_EQ(window->height(), height);
    EXPECT_EQ(window->pos(), position);
    EXPECT_EQ(window->MenuePicBox->x(), ((855 - frame.width()) * 15 - 1800) / 15);
    window->sibisan->trigger();
    EXPECT_EQ(window->frameGeometry().width(), 641); // 9620 twips
    window->yiyi->trigger();
    EXPECT_EQ(window->frameGeometry().width(), 481);
}
