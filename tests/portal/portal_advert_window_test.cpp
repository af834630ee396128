// The advertisement control of the portal shell against a local portal server: the run on
// TimeAdControl's tick, the corner pop-up and the exit pop-up.
#include "tests/portal/portal_test_fixture.h"

#include "common/windows/FindUpdate.h"
#include "common/windows/ad_control_run.h"
#include "common/windows/ad_popup_parts.h"
#include "common/windows/frmRightBottom.h"
#include "common/windows/frmUnload.h"
#include "common/windows/unload_advert.h"

#include <QApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QScreen>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

const std::string sixItems = "on\r\noff\r\n4320\r\n3900\r\n6000\r\n5000";

using Items = std::vector<std::string>;

void click(QWidget* widget)
{
    const QPointF inside(widget->width() / 2.0, widget->height() / 2.0);
    const QPointF global(widget->mapToGlobal(inside));
    QMouseEvent press(QEvent::MouseButtonPress, inside, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, inside, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &release);
}

// The visible top-level windows of a class, wherever they came from.
template <typename Window> int openWindows()
{
    int open = 0;
    for (QWidget* widget : QApplication::topLevelWidgets())
        open += qobject_cast<Window*>(widget) && widget->isVisible() ? 1 : 0;
    return open;
}

class PortalAdvert : public ::testing::Test, public PortalFixture
{
protected:
    PortalAdvert()
        : m_tvSite("TV_SITE_SERVER", primary.host())
    {
        primary.site().write("tvsource/AD/desktop-rightad.html", "<html><body>corner ad</body></html>");
        primary.site().write("tvsource/AD/desktop-Unload-ad.html", "<html><body>exit ad</body></html>");
        std::filesystem::create_directory(program / "bin");
    }

    ~PortalAdvert() override
    {
        // Pop-ups outlive their main window by design; none may outlive the test.
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (qobject_cast<frmRightBottom*>(widget) || qobject_cast<frmUnload*>(widget))
                delete widget;
        }
    }

    // A main window whose advertisement control run has happened with `control` on the
    // primary server.
    std::unique_ptr<frmMain> ran(const std::string& control, bool primaryUp = true)
    {
        primary.site().write("update/PallomarAdControl.txt", control);
        auto window = start(primaryUp);
        window->TimeAdControl_Timer();
        // The fetch waits off the window's thread; the run ends when its step has run.
        EXPECT_TRUE(runPostedStepsUntil([&] { return window->remoteFetch().pending() == 0; }));
        return window;
    }

    static QScreen& screen() { return *QGuiApplication::primaryScreen(); }

private:
    ScopedEnv m_tvSite;
};

} // namespace

TEST_F(PortalAdvert, RunKeepsAGbkLocalCopyListsItsItemsAndSlidesTheCornerPopupUp)
{
    const std::string control = sixItems + "\r\n\"广告,右下角\"";
    primary.site().write("update/PallomarAdControl.txt", gbk(control));
    auto window = start(true);
    EXPECT_TRUE(window->TimeAdControl->isActive());
    window->TimeAdControl_Timer();
    ASSERT_TRUE(runPostedStepsUntil([&] { return window->remoteFetch().pending() == 0; }));

    EXPECT_FALSE(window->TimeAdControl->isActive());
    EXPECT_EQ(window->Label3Holder->text(), control);
    EXPECT_EQ(program.read("bin/PallomarAdControl.txt"), gbk(control) + "\r\n");
    EXPECT_EQ(listItems(*window->List1), (Items {"on", "off", "4320", "3900", "6000", "5000", "广告,右下角"}));

    frmRightBottom* popup = window->cornerPopup();
    ASSERT_NE(popup, nullptr);
    EXPECT_TRUE(popup->isVisible());
    EXPECT_EQ(popup->parent(), nullptr);
    EXPECT_EQ(popup->objectName(), QStringLiteral("frmRightBottom"));
    EXPECT_TRUE(popup->windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(popup->windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus));
    EXPECT_EQ(popup->windowType(), Qt::Tool);
    // 4320 × 3900 twips, flush with the right edge, starting just below the work area.
    const QRect screenRect = screen().geometry();
    const int workBottom = screen().availableGeometry().bottom() + 1;
    EXPECT_EQ(popup->size(), QSize(288, 260));
    EXPECT_EQ(popup->pos(), QPoint(screenRect.right() + 1 - 288, workBottom));
    EXPECT_EQ(popup->Picture1->geometry(), QRect(0, 0, 300, 310));
    EXPECT_EQ(popup->WebBrowser1->geometry(), QRect(-12, -25, 300, 310));
    EXPECT_EQ(popup->Picture2->geometry(), QRect(272, 8, 12, 12));
    EXPECT_TRUE(popup->Timer1->isActive());
    EXPECT_EQ(popup->Timer1->interval(), 10);
    EXPECT_TRUE(popup->Timer2->isActive());
    EXPECT_EQ(popup->Timer2->interval(), 35000);
    EXPECT_TRUE(waitUntil(
        [&] { return popup->WebBrowser1->LocationURL() == q(primary.url("/tvsource/AD/desktop-rightad.html")); }));

    // Each tick lifts it 13 twips; the 300th stops the slide 3900 twips higher.
    const double startTop = popup->topTwips();
    popup->Timer1_Timer();
    EXPECT_EQ(popup->topTwips(), startTop - 13);
    EXPECT_EQ(popup->y(), qRound((startTop - 13) / 15));
    for (int tick = 2; tick <= 300; ++tick)
        popup->Timer1_Timer();
    EXPECT_EQ(popup->tickCounter(), 300);
    EXPECT_FALSE(popup->Timer1->isActive());
    EXPECT_EQ(popup->topTwips(), startTop - 3900);
    EXPECT_EQ(popup->pos(), QPoint(screenRect.right() + 1 - 288, workBottom - 260));
    popup->Timer1_Timer();
    EXPECT_EQ(popup->y(), workBottom - 260);

    // The unload deletes the local copy; the corner pop-up is a window of its own and stays.
    window->close();
    EXPECT_FALSE(program.exists("bin/PallomarAdControl.txt"));
    EXPECT_EQ(exitAdvert.unloaded, 1);
    EXPECT_EQ(exitAdvert.shown, 0);
    EXPECT_TRUE(popup->isVisible());
    popup->close();
}

TEST_F(PortalAdvert, CornerPopupClosesOnItsCloseImageOrItsCloseTimer)
{
    for (const bool byImage : {true, false}) {
        auto window = ran(sixItems);
        QPointer<frmRightBottom> popup = window->cornerPopup();
        ASSERT_TRUE(popup);
        popup->Timer1_Timer();
        if (byImage) {
            click(popup->Picture2);
        } else {
            popup->Timer2_Timer();
            EXPECT_FALSE(popup->Timer1->isActive());
            EXPECT_FALSE(popup->Timer2->isActive());
        }
        EXPECT_FALSE(popup->isVisible()) << byImage;
        EXPECT_TRUE(waitUntil([&] { return popup.isNull(); })) << byImage;
        EXPECT_EQ(window->cornerPopup(), nullptr);
        EXPECT_TRUE(window->isVisible());
    }
}

TEST_F(PortalAdvert, NoCornerPopupForCapitalsMissingSizesOrAnUnreachableServer)
{
    {
        auto window = ran("ON\r\non\r\n4320\r\n3900");
        EXPECT_EQ(listItems(*window->List1), (Items {"ON", "on", "4320", "3900"}));
        EXPECT_FALSE(window->TimeAdControl->isActive());
        EXPECT_EQ(window->cornerPopup(), nullptr);
    }
    {
        // "on" with its height missing or not a number: the run goes on without a pop-up.
        for (const char* control : {"on,off,4320", "on,off,4320,high"}) {
            auto window = ran(control);
            EXPECT_EQ(window->List1->item(0)->text(), QStringLiteral("on"));
            EXPECT_FALSE(window->TimeAdControl->isActive());
            EXPECT_EQ(window->cornerPopup(), nullptr) << control;
        }
    }
    {
        // No body could be read: the holder is empty, its one item no "on".
        messages.clear();
        auto window = ran(sixItems, false);
        EXPECT_EQ(window->Label3Holder->text(), "");
        EXPECT_EQ(listItems(*window->List1), Items {""});
        EXPECT_EQ(messages, (std::vector<std::string> {"连接网络失败！", "连接网络失败！"}));
        EXPECT_EQ(window->cornerPopup(), nullptr);
        window->close();
        EXPECT_EQ(exitAdvert.shown, 0);
        EXPECT_EQ(exitAdvert.unloaded, 0);
    }
    EXPECT_EQ(openWindows<frmRightBottom>(), 0);
}

TEST_F(PortalAdvert, ExitPopupOutlivesTheMainWindowCentredWithItsSizeUntilItsTimerImageOrOff)
{
    enum class Close { Timer, Image, Off };
    for (const Close how : {Close::Timer, Close::Image, Close::Off}) {
        auto window = ran("off\r\non\r\n4320\r\n3900\r\n6000\r\n5000");
        UnloadAdvert advert(Shell::Portal, [&window] { return listItems(*window->List1); });
        window->setExitAdvert(&advert);
        EXPECT_EQ(window->cornerPopup(), nullptr);
        window->close();
        EXPECT_FALSE(window->isVisible());

        QPointer<frmUnload> popup = advert.window();
        ASSERT_TRUE(popup);
        EXPECT_TRUE(popup->isVisible());
        EXPECT_EQ(popup->parent(), nullptr);
        EXPECT_TRUE(popup->windowFlags().testFlag(Qt::FramelessWindowHint));
        EXPECT_EQ(popup->size(), QSize(400, 333));
        EXPECT_EQ(popup->geometry().center(), screen().geometry().center());
        EXPECT_EQ(popup->Picture2->geometry(), QRect(380, 3, 17, 17));
        EXPECT_EQ(popup->Picture1->geometry(), QRect(0, 0, 412, 383));
        EXPECT_EQ(popup->WebBrowser1->geometry(), QRect(-12, -25, 412, 383));
        EXPECT_TRUE(popup->Timer1->isActive());
        EXPECT_EQ(popup->Timer1->interval(), 25000);
        EXPECT_TRUE(waitUntil([&] {
            return popup->WebBrowser1->LocationURL() == q(primary.url("/tvsource/AD/desktop-Unload-ad.html"));
        }));
        // It is the one window left that keeps the process running.
        EXPECT_EQ(openWindows<frmUnload>(), 1);

        if (how == Close::Timer)
            popup->Timer1_Timer();
        else if (how == Close::Image)
            click(popup->Picture2);
        else
            advert.unloadIfLoaded();
        EXPECT_TRUE(waitUntil([&] { return popup.isNull(); })) << static_cast<int>(how);
        EXPECT_EQ(advert.window(), nullptr);
        advert.unloadIfLoaded(); // nothing left to close
    }
}

TEST_F(PortalAdvert, ExitPopupWithoutItsSizeIsNotShownAndTheUnloadGoesOn)
{
    program.write("updatePallo.txt", "2.1\r\n");
    auto window = ran("off,on,4320,3900");
    UnloadAdvert advert(Shell::Portal, [&window] { return listItems(*window->List1); });
    window->setExitAdvert(&advert);
    window->close();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(advert.window(), nullptr);
    EXPECT_EQ(openWindows<frmUnload>(), 0);
    // The steps after the exit rule still ran.
    EXPECT_FALSE(program.exists("updatePallo.txt"));
    EXPECT_FALSE(program.exists("bin/PallomarAdControl.txt"));
}

TEST_F(PortalAdvert, TheProgramEndsWithItsLastWindowAndTheNoticeGoesWithTheMainWindow)
{
    installUpdater();
    program.write("Setting.ini", "[UpdatePalloVersion]\r\nThisPalloVersion=2.0\r\n");
    program.write("updatePallo.txt", "2.1\r\n");
    auto window = ran("on,off,4320,3900,6000,5000");
    QPointer<frmRightBottom> corner = window->cornerPopup();
    ASSERT_TRUE(corner);
    window->updateFields().updateFlag = true;
    window->updateFields().TransferVersion = "2.1";
    QPointer<FindUpdate> notice = showUpdateNoticeWhenFlagged(*window);
    ASSERT_TRUE(notice);

    // Inside the application's own loop, as in the program: it ends when its last window
    // has closed.
    int lastWindowClosed = 0;
    bool noticeGone = false;
    bool cornerOpen = false;
    int closedBeforeCorner = -1;
    const auto counted = QObject::connect(qApp, &QGuiApplication::lastWindowClosed, [&] { ++lastWindowClosed; });
    QTimer::singleShot(0, window.get(), [&] { window->close(); });
    QTimer::singleShot(300, qApp, [&] {
        // The notice closed with the main window and can answer nothing afterwards; the
        // corner pop-up is a window of its own and keeps the program alive.
        noticeGone = notice.isNull();
        cornerOpen = corner && corner->isVisible();
        closedBeforeCorner = lastWindowClosed;
        if (corner)
            corner->close();
    });
    QTimer safety;
    safety.setSingleShot(true);
    QObject::connect(&safety, &QTimer::timeout, qApp, &QCoreApplication::quit);
    safety.start(20000);
    QApplication::exec();
    QObject::disconnect(counted);

    EXPECT_TRUE(noticeGone);
    EXPECT_TRUE(cornerOpen);
    EXPECT_EQ(closedBeforeCorner, 0);
    EXPECT_EQ(lastWindowClosed, 1);
    EXPECT_TRUE(safety.isActive()) << "the program did not end with its last window";
    EXPECT_FALSE(program.exists("renovo-started.txt"));
    EXPECT_EQ(program.read("Setting.ini"), "[UpdatePalloVersion]\r\nThisPalloVersion=2.0\r\n");
}
