#include "tests/portal/portal_test_fixture.h"

#include "common/windows/FindUpdate.h"

#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

class PortalWindow : public ::testing::Test, public PortalFixture
{
protected:
    static bool requested(SimServer& sim, const std::string& request)
    {
        const auto all = sim.server().requests();
        return std::find(all.begin(), all.end(), request) != all.end();
    }

    // A window that loaded with the primary server up and whose library page is complete.
    std::unique_ptr<frmMain> loaded()
    {
        auto window = start(true);
        EXPECT_TRUE(waitForTopPage(*window, primary.url("/box")));
        return window;
    }
};

} // namespace

TEST_F(PortalWindow, StartsWithTheLibraryFromThePrimaryServerWhenItAnswers)
{
    auto window = start(true);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Orvel影视盒"));
    // Centred on the screen, up to the platform's frame the window had when it was centred:
    // the drawn frame took that frame's place and keeps the outer rectangle.
    const QPoint offCentre = window->geometry().center() - window->screen()->availableGeometry().center();
    EXPECT_LE(offCentre.manhattanLength(), 8);
    EXPECT_TRUE(window->windowFlags() & Qt::FramelessWindowHint);
    ASSERT_TRUE(window->c_Skin);
    EXPECT_EQ(window->c_Skin->hwnd(), frame::hwndOf(window.get()));
    EXPECT_FALSE(window->mask().contains(QPoint(0, 0))) << "rounded corners";
    EXPECT_EQ(window->BoxTitle->text(), QStringLiteral("Orvel影视盒-高清影库"));
    EXPECT_NE(window->FindTVLink->text(), "OK");
    // The start cover is up until the library page is complete.
    EXPECT_FALSE(window->load_Pic->isHidden());
    ASSERT_TRUE(waitForTopPage(*window, primary.url("/box")));
    EXPECT_TRUE(messages.empty());
    EXPECT_FALSE(requested(backup, "GET /box"));

    EXPECT_FALSE(window->Picture1->isHidden());
    EXPECT_TRUE(window->Picture3->isHidden());
    EXPECT_TRUE(window->play_load_Pic->isHidden());
    EXPECT_TRUE(window->ProgressPic->isHidden());
    EXPECT_FALSE(window->dtop->isEnabled());
    EXPECT_FALSE(window->Picture6->isEnabled());
    EXPECT_FALSE(window->boxmovie->isEnabled());
    EXPECT_TRUE(window->Picture7->isEnabled());
    EXPECT_TRUE(window->Picture2->isEnabled());
    EXPECT_TRUE(window->qvodmovie->isEnabled());
    EXPECT_TRUE(window->WebTV->isEnabled());
    EXPECT_EQ(window->BFQ_YSKpic->shownImage(), &window->Picture5[0]);
    EXPECT_EQ(window->PicTopControl->shownImage(), &window->PicTop1[0]);
    EXPECT_TRUE(window->WebBrowser1->Silent());
    EXPECT_TRUE(window->WebBrowser2->Silent());

    EXPECT_TRUE(window->FindUpdateTimer->isActive());
    EXPECT_EQ(window->FindUpdateTimer->interval(), 50000);
    EXPECT_TRUE(window->gengxinTime->isActive());
    EXPECT_EQ(window->gengxinTime->interval(), 40000);
    EXPECT_TRUE(window->TimeAdControl->isActive());
    EXPECT_EQ(window->TimeAdControl->interval(), 36000);
    EXPECT_FALSE(window->Timer1->isActive());
    EXPECT_EQ(window->Timer1->interval(), 10000);
    EXPECT_TRUE(waitUntil([&] { return window->WebBrowser2->LocationURL() == q(local("/html/Playloading.html")); }));
}

TEST_F(PortalWindow, StartsFromTheBackupServerAfterOneMessageWhenThePrimaryIsDown)
{
    auto window = start(false);
    EXPECT_EQ(window->FindTVLink->text(), "OK");
    ASSERT_TRUE(waitForTopPage(*window, backup.url("/box")));
    EXPECT_EQ(messages, std::vector<std::string> {"连接网络失败！"});
    EXPECT_TRUE(requested(backup, "GET /box"));
    EXPECT_TRUE(waitUntil([&] { return window->WebBrowser2->LocationURL() == q(local("/html/Playloading.html")); }));
    EXPECT_EQ(window->Load_Web->LocationURL(), q(local("/html/loading.html")));
    EXPECT_FALSE(window->Picture6->isEnabled());
}

TEST_F(PortalWindow, OnlyTheTopPageTakesTheStartCoverDownWhileEveryFrameHidesTheProgressStrip)
{
    primary.site().write("box.html", "<html><body><iframe src='/slow.html'></iframe>library</body></html>");
    primary.site().write("slow.html", "<html><body>frame</body></html>");
    primary.site().write("inner.html", "<html><body>inner</body></html>");
    std::vector<bool> coverUpAtFrameCompletion;
    std::vector<bool> stripHiddenAtFrameCompletion;
    frmMain* seen = nullptr;
    auto window = start(true);
    seen = window.get();
    window->ProgressPic->show();
    QObject::connect(window->WebBrowser1, &BrowserPane::DocumentComplete, seen,
        [&](BrowserPane::BrowserObject browser, const QString&) {
            if (browser != seen->WebBrowser1->Application()) {
                coverUpAtFrameCompletion.push_back(!seen->load_Pic->isHidden());
                stripHiddenAtFrameCompletion.push_back(seen->ProgressPic->isHidden());
            }
        });
    ASSERT_TRUE(waitForTopPage(*window, primary.url("/box")));
    ASSERT_EQ(coverUpAtFrameCompletion.size(), 1U);
    EXPECT_TRUE(coverUpAtFrameCompletion[0]);
    EXPECT_TRUE(stripHiddenAtFrameCompletion[0]);

    // A frame navigating later hides the strip again but never brings the cover back.
    window->ProgressPic->show();
    window->WebBrowser1->execScript(QStringLiteral("document.querySelector('iframe').src = '/inner.html';"));
    ASSERT_TRUE(waitUntil([&] { return coverUpAtFrameCompletion.size() == 2; }));
    EXPECT_TRUE(window->ProgressPic->isHidden());
    EXPECT_TRUE(window->load_Pic->isHidden());
}

TEST_F(PortalWindow, UnloadShowsTheExitAdvertOnlyWhenTheControlSaysOn)
{
    struct Case
    {
        std::vector<const char*> items;
        int shown;
        int unloaded;
        bool adTimerStopped;
    };
    const Case cases[] = {
        {{"on", "on"}, 1, 0, true}, {{"on", "off"}, 0, 1, true},
        {{"on"}, 0, 0, false}, // the control never gave a second line
        {{}, 0, 0, false}, {{"off", "On"}, 0, 0, false}, // exactly "on", nothing else
    };
    for (const Case& c : cases) {
        exitAdvert = RecordingExitAdvert();
        auto window = start(true);
        for (const char* item : c.items)
            window->List1->addItem(QString::fromLatin1(item));
        window->close();
        EXPECT_FALSE(window->isVisible());
        EXPECT_EQ(exitAdvert.shown, c.shown) << c.items.size();
        EXPECT_EQ(exitAdvert.unloaded, c.unloaded) << c.items.size();
        EXPECT_EQ(window->TimeAdControl->isActive(), !c.adTimerStopped) << c.items.size();
    }
}

TEST_F(PortalWindow, UnloadDeletesTheLocalControlAndUpdateFilesThatExist)
{
    {
        program.write("bin/PallomarAdControl.txt", "on,on");
        program.write("updatePallo.txt", "2.1\r\n");
        program.write("updatePallonews.txt", "news");
        program.write("Setting.ini", "[UpdatePalloVersion]\r\nThisPalloVersion=2.0\r\n");
        auto window = start(true);
        window->close();
        EXPECT_FALSE(program.exists("bin/PallomarAdControl.txt"));
        EXPECT_FALSE(program.exists("updatePallo.txt"));
        EXPECT_FALSE(program.exists("updatePallonews.txt"));
        EXPECT_TRUE(program.exists("Setting.ini"));
    }
    {
        // Only the version file: it goes and the unload finishes (the advert still shows).
        program.write("updatePallo.txt", "2.1\r\n");
        auto window = start(true);
        window->List1->addItem(QStringLiteral("off"));
        window->List1->addItem(QStringLiteral("on"));
        exitAdvert = RecordingExitAdvert();
        window->close();
        EXPECT_FALSE(program.exists("updatePallo.txt"));
        EXPECT_EQ(exitAdvert.shown, 1);
    }
    {
        // The news file alone is left: only a version file leads to its deletion.
        program.write("updatePallonews.txt", "news");
        auto window = start(true);
        window->close();
        EXPECT_TRUE(program.exists("updatePallonews.txt"));
    }
}

TEST_F(PortalWindow, ExitMenuItemAndCloseButtonRunTheSameUnload)
{
    for (const bool byMenu : {true, false}) {
        program.write("bin/PallomarAdControl.txt", "on,on");
        exitAdvert = RecordingExitAdvert();
        auto window = start(true);
        window->List1->addItem(QStringLiteral("on"));
        window->List1->addItem(QStringLiteral("on"));
        if (byMenu) {
            window->exitItem->trigger();
        } else {
            // A click on the drawn frame's close button.
            const QPoint close(window->width() - 20, 10);
            QTest::mousePress(window->windowHandle(), Qt::LeftButton, {}, close);
            QTest::mouseRelease(window->windowHandle(), Qt::LeftButton, {}, close);
        }
        EXPECT_FALSE(window->isVisible());
        EXPECT_FALSE(window->c_Skin) << "the unload released the frame";
        EXPECT_FALSE(program.exists("bin/PallomarAdControl.txt"));
        EXPECT_EQ(exitAdvert.shown, 1);
        // A second close request does not run the unload again.
        window->close();
        EXPECT_EQ(exitAdvert.shown, 1);
    }
}

TEST_F(PortalWindow, PlayCoverTimeoutShowsThePlayerOnce)
{
    auto window = loaded();
    window->Timer1->start();
    window->play_load_Pic->show();
    window->Timer1_Timer();
    EXPECT_FALSE(window->Timer1->isActive());
    EXPECT_TRUE(window->play_load_Pic->isHidden());
    EXPECT_TRUE(window->Picture1->isHidden());
    EXPECT_FALSE(window->Picture3->isHidden());
    EXPECT_EQ(window->BFQ_YSKpic->shownImage(), &window->Picture5[1]);
}

TEST_F(PortalWindow, LayoutFollowsEveryResizeWithoutNegativeSizes)
{
    auto window = loaded();
    window->resize(12060 / 15, 7215 / 15);
    EXPECT_EQ(window->Picture1->geometry(), QRect(4, 48, 796, 427));
    EXPECT_EQ(window->WebBrowser1->geometry(), QRect(-4, -4, 804, 435));
    EXPECT_EQ(window->WebBrowser2->geometry(), QRect(-4, -4, 804, 434));
    EXPECT_EQ(window->MenuePicBox->x(), 10260 / 15);
    EXPECT_EQ(window->PicTopControl->x(), 9910 / 15);
    EXPECT_EQ(window->Picture6->x(), 5100 / 15);
    EXPECT_FALSE(window->BFQ_YSKpic->isHidden());

    window->resize(566, 7215 / 15); // 8490 twips: narrow
    EXPECT_EQ(window->Picture6->x(), 2500 / 15);
    EXPECT_EQ(window->Picture2->x(), 3300 / 15);
    window->resize(567, 7215 / 15); // 8505 twips: wide
    EXPECT_EQ(window->Picture6->x(), 5100 / 15);
    window->resize(446, 7215 / 15); // 6690 twips
    EXPECT_TRUE(window->BFQ_YSKpic->isHidden());
    window->resize(447, 7215 / 15); // 6705 twips
    EXPECT_FALSE(window->BFQ_YSKpic->isHidden());

    // A window asked to be tiny keeps its minimum, where the title area is whole: no
    // button overlaps another or the caption buttons (the last 95 pixels), and the content
    // panels keep sizes of their own (the rules for smaller sizes are the layout's tests).
    window->resize(5, 5);
    EXPECT_EQ(window->size(), window->minimumSize());
    EXPECT_GE(window->width(), 390);
    const QRect live = window->Picture2->geometry(), pin = window->PicTopControl->geometry();
    const QRect menu = window->MenuePicBox->geometry();
    EXPECT_LT(live.right(), pin.left());
    EXPECT_LT(pin.right(), menu.left());
    EXPECT_LT(menu.right(), window->width() - 95);
    EXPECT_GT(window->Picture1->height(), 0);
}

TEST_F(PortalWindow, TwoPinClicksReturnToNormalStacking)
{
    auto window = loaded();
    window->PicTopControl_MouseMove();
    EXPECT_EQ(window->PicTopControl->toolTip(), QStringLiteral("置顶"));

    window->PicTopControl_Click();
    EXPECT_TRUE(window->pinFlag());
    EXPECT_TRUE(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(window->PicTopControl->shownImage(), &window->PicTop1[1]);
    EXPECT_TRUE(window->isVisible());
    window->PicTopControl_MouseMove();
    EXPECT_EQ(window->PicTopControl->toolTip(), QStringLiteral("取消置顶"));

    window->PicTopControl_Click();
    EXPECT_FALSE(window->pinFlag());
    EXPECT_FALSE(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(window->PicTopControl->shownImage(), &window->PicTop1[0]);
    window->PicTopControl_MouseMove();
    EXPECT_EQ(window->PicTopControl->toolTip(), QStringLiteral("置顶"));
    // The panes survived the re-created native window.
    EXPECT_EQ(window->WebBrowser1->LocationURL(), q(primary.url("/box")));
}

TEST_F(PortalWindow, OnlineUpdateItemStartsTheUpdaterAndKeepsTheWindow)
{
    installUpdater();
    auto window = loaded();
    window->updata->trigger();
    ASSERT_TRUE(waitUntil([&] { return program.exists("renovo-started.txt"); }));
    EXPECT_EQ(program.read("renovo-started.txt"), "0\n");
    EXPECT_TRUE(window->isVisible());
}

TEST_F(PortalWindow, UpdateCheckAndNoticeRunOnTheWindowsTimers)
{
    program.write("Setting.ini", "[UpdatePalloVersion]\r\nThisPalloVersion=2.0\r\n");
    installUpdater();
    primary.site().write("update/updatePallo.txt", "2.1\r\n");
    primary.site().write("update/updatePalloNews.txt", gbk("修正了播放器的若干问题"));
    auto window = loaded();

    // Drive the check timer's tick: it runs once and leaves the server's files behind.
    window->gengxinTime->setInterval(1);
    ASSERT_TRUE(waitUntil([&] { return !window->gengxinTime->isActive(); }));
    EXPECT_TRUE(program.exists("updatePallo.txt"));
    EXPECT_TRUE(program.exists("updatePallonews.txt"));

    window->FindUpdateTimer->setInterval(1);
    FindUpdate* notice = nullptr;
    ASSERT_TRUE(waitUntil([&] {
        notice = window->findChild<FindUpdate*>();
        return notice && notice->isVisible();
    }));
    EXPECT_EQ(notice->findChild<QLabel*>(QStringLiteral("Label1"))->text(),
        QStringLiteral("Tovanis网络电视 2.1 版发布了，是否进行升级？"));
    EXPECT_EQ(notice->findChild<QLabel*>(QStringLiteral("Label20"))->text(), QStringLiteral("修正了播放器的若干问题"));

    // Yes: the updater starts without arguments and the window closes through its unload.
    notice->btnOK_Click();
    ASSERT_TRUE(waitUntil([&] { return program.exists("renovo-started.txt"); }));
    EXPECT_EQ(program.read("renovo-started.txt"), "0\n");
    EXPECT_FALSE(window->isVisible());
    EXPECT_NE(program.read("Setting.ini").find("ThisPalloVersion=2.1"), std::string::npos);
    EXPECT_FALSE(program.exists("updatePallo.txt"));
    EXPECT_FALSE(program.exists("updatePallonews.txt"));
}
