#include "common/logic/message_box.h"
#include "common/logic/update_check.h"
#include "common/windows/FindUpdate.h"
#include "common/windows/drawn_images.h"
#include "common/windows/qt_message_box.h"
#include "common/windows/qt_translations.h"
#include "tests/common/update_test_support.h"
#include "tests/support/qt_test_util.h"
#include "tests/support/scoped_hooks.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

// A main window of either shell as far as the update check and notice see it.
class TestMainWindow final : public QWidget, public PlainUpdateHost
{
public:
    explicit TestMainWindow(Shell shell)
        : PlainUpdateHost(shell)
    {
        setGeometry(300, 200, 800, 600);
    }
    QWidget* noticeOwner() override { return this; }
    void closeMainWindow() override
    {
        ++closeRequests;
        close();
    }
};

class Notice : public ::testing::Test, public UpdateServerFixture
{
protected:
    Notice() { main.show(); }

    // The road to the notice: the check on its timer, then the notice timer's tick.
    FindUpdate* checkAndTrigger(const std::string& installedVersion, const std::string& serverVersion)
    {
        program.folder.write("Setting.ini", "[UpdatePalloVersion]\r\nThisPalloVersion=" + installedVersion + "\r\n");
        serve(serverVersion, news);
        runUpdateCheck(main);
        return showUpdateNoticeWhenFlagged(main);
    }

    static QString labelText(FindUpdate* notice, const char* name)
    {
        return notice->findChild<QLabel*>(QString::fromLatin1(name))->text();
    }

    static QRect twips(const QWidget* widget)
    {
        const QRect r = widget->geometry();
        return {r.x() * 15, r.y() * 15, r.width() * 15, r.height() * 15};
    }

    // A closed notice deletes itself once control is back in the event loop.
    static bool gone(const QPointer<FindUpdate>& notice)
    {
        return waitUntil([&] {
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            return notice.isNull();
        });
    }

    bool waitForUpdater() const
    {
        return waitUntil([this] { return program.updaterStarted(); });
    }

    const std::string news = "1. 新增高清影库频道\r\n2. 修正了播放器的若干问题";
    TempProgramFolder program;
    TestMainWindow main {Shell::Portal};
};

} // namespace

TEST_F(Notice, NewerVersionOpensTheNoticeOnceWithHeadlineAndNews)
{
    FindUpdate* notice = checkAndTrigger("2.0", "2.1");
    ASSERT_NE(notice, nullptr);
    EXPECT_TRUE(notice->isVisible());
    EXPECT_EQ(notice->parentWidget(), &main);
    EXPECT_EQ(labelText(notice, "Label1"), QStringLiteral("Tovanis网络电视 2.1 版发布了，是否进行升级？"));
    EXPECT_EQ(labelText(notice, "Label20"), QString::fromStdString(news));
    EXPECT_FALSE(main.fields.updateFlag);

    // Later ticks find the flag cleared and do nothing.
    EXPECT_EQ(showUpdateNoticeWhenFlagged(main), nullptr);
    EXPECT_EQ(main.findChildren<FindUpdate*>().size(), 1);
}

TEST_F(Notice, WindowLooksAsDesigned)
{
    FindUpdate* notice = checkAndTrigger("2.0", "2.1");
    ASSERT_NE(notice, nullptr);
    EXPECT_EQ(notice->windowTitle(), QStringLiteral("有新版本啦！^_^"));
    const Qt::WindowFlags flags = notice->windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_EQ(notice->minimumSize(), notice->maximumSize());
    EXPECT_EQ(notice->size() * 15, QSize(5670, 2670));
    EXPECT_EQ(qAlpha(notice->windowIcon().pixmap(16).toImage().pixel(8, 8)), 0);

    const auto* yes = notice->findChild<QPushButton*>(QStringLiteral("btnOK"));
    const auto* no = notice->findChild<QPushButton*>(QStringLiteral("btnNO"));
    EXPECT_EQ(yes->text(), QStringLiteral("是"));
    EXPECT_EQ(no->text(), QStringLiteral("否"));
    EXPECT_EQ(twips(yes), QRect(1440, 2040, 855, 375));
    EXPECT_EQ(twips(no), QRect(3120, 2040, 855, 375));

    const auto* image = notice->findChild<QLabel*>(QStringLiteral("Image1"));
    EXPECT_FALSE(image->pixmap().isNull());
    EXPECT_LT(image->geometry().right(), notice->findChild<QLabel*>(QStringLiteral("Label1"))->geometry().left());

    const auto* timer = notice->findChild<QTimer*>(QStringLiteral("Timer1"));
    EXPECT_TRUE(timer->isActive());
    EXPECT_EQ(timer->interval(), 40000);

    // Centred on its owner, frames included.
    const QPoint offset = main.frameGeometry().center() - notice->frameGeometry().center();
    EXPECT_LE(offset.manhattanLength(), 1) << offset.x() << "," << offset.y();
}

TEST_F(Notice, EqualOrSmallerServerVersionShowsNothing)
{
    EXPECT_EQ(checkAndTrigger("2.1", "2.1"), nullptr);
    EXPECT_TRUE(program.folder.exists("updatePallo.txt"));
    EXPECT_TRUE(program.folder.exists("updatePallonews.txt"));
    EXPECT_EQ(checkAndTrigger("2.9", "2.10"), nullptr);
    EXPECT_TRUE(main.findChildren<FindUpdate*>().isEmpty());
}

TEST_F(Notice, TwoLineVersionFileIsJoinedInTheHeadline)
{
    FindUpdate* notice = checkAndTrigger("2.0", "2.1\r\n2.2");
    ASSERT_NE(notice, nullptr);
    EXPECT_EQ(labelText(notice, "Label1"), QStringLiteral("Tovanis网络电视 2.12.2 版发布了，是否进行升级？"));
    EXPECT_EQ(main.fields.TransferVersion, "2.1");
}

TEST_F(Notice, MarkupFromTheServerIsShownAsText)
{
    program.folder.write("Setting.ini", "[UpdatePalloVersion]\r\nThisPalloVersion=2.0\r\n");
    serve("2.1<br>", "<img src=x>新版");
    runUpdateCheck(main);
    FindUpdate* notice = showUpdateNoticeWhenFlagged(main);
    ASSERT_NE(notice, nullptr);
    for (const char* name : {"Label1", "Label20"})
        EXPECT_EQ(notice->findChild<QLabel*>(QString::fromLatin1(name))->textFormat(), Qt::PlainText) << name;
    EXPECT_EQ(labelText(notice, "Label1"), QStringLiteral("Tovanis网络电视 2.1<br> 版发布了，是否进行升级？"));
    EXPECT_EQ(labelText(notice, "Label20"), QStringLiteral("<img src=x>新版"));
}

TEST_F(Notice, SilenceForFortySecondsStartsTheUpdaterAndKeepsTheMainWindow)
{
    program.installUpdater();
    QPointer<FindUpdate> notice = checkAndTrigger("2.0", "2.1");
    ASSERT_FALSE(notice.isNull());
    notice->Timer1_Timer();
    ASSERT_TRUE(waitForUpdater());
    EXPECT_EQ(program.updaterArgumentCount(), "0\n");
    EXPECT_NE(program.settings().find("ThisPalloVersion=2.1"), std::string::npos);
    EXPECT_FALSE(program.folder.exists("updatePallo.txt"));
    EXPECT_FALSE(program.folder.exists("updatePallonews.txt"));
    EXPECT_TRUE(gone(notice));
    EXPECT_TRUE(main.isVisible());
    EXPECT_EQ(main.closeRequests, 0);
}

TEST_F(Notice, YesAlsoClosesTheMainWindow)
{
    program.installUpdater();
    QPointer<FindUpdate> notice = checkAndTrigger("2.0", "2.1");
    ASSERT_FALSE(notice.isNull());
    notice->findChild<QPushButton*>(QStringLiteral("btnOK"))->click();
    ASSERT_TRUE(waitForUpdater());
    EXPECT_EQ(program.updaterArgumentCount(), "0\n");
    EXPECT_NE(program.settings().find("ThisPalloVersion=2.1"), std::string::npos);
    EXPECT_FALSE(program.folder.exists("updatePallo.txt"));
    EXPECT_EQ(main.closeRequests, 1);
    EXPECT_FALSE(main.isVisible());
    EXPECT_TRUE(gone(notice));
}

TEST_F(Notice, NoDeletesTheFilesAndLeavesTheEntry)
{
    program.installUpdater();
    QPointer<FindUpdate> notice = checkAndTrigger("2.0", "2.1");
    ASSERT_FALSE(notice.isNull());
    notice->findChild<QPushButton*>(QStringLiteral("btnNO"))->click();
    EXPECT_TRUE(gone(notice));
    EXPECT_EQ(program.settings(), "[UpdatePalloVersion]\r\nThisPalloVersion=2.0\r\n");
    EXPECT_FALSE(program.folder.exists("updatePallo.txt"));
    EXPECT_FALSE(program.folder.exists("updatePallonews.txt"));
    EXPECT_FALSE(program.updaterStarted());
    EXPECT_TRUE(main.isVisible());
}

TEST_F(Notice, UnreachableServerOffersTwoPointZeroAndAcceptingRecordsIt)
{
    program.installUpdater();
    ScopedEnv down("PORTAL_PRIMARY_SERVER", "127.0.0.1:" + std::to_string(closedPort()));
    runUpdateCheck(main);
    QPointer<FindUpdate> notice = showUpdateNoticeWhenFlagged(main);
    ASSERT_FALSE(notice.isNull());
    EXPECT_EQ(labelText(notice, "Label1"), QStringLiteral("Tovanis网络电视 2.0 版发布了，是否进行升级？"));
    EXPECT_EQ(labelText(notice, "Label20"), QString());
    notice->btnOK_Click();
    ASSERT_TRUE(waitForUpdater());
    EXPECT_NE(program.settings().find("ThisPalloVersion=2.0"), std::string::npos);
}

TEST_F(Notice, MissingUpdaterStillRecordsAndCleansUp)
{
    QPointer<FindUpdate> notice = checkAndTrigger("2.0", "2.1");
    ASSERT_FALSE(notice.isNull());
    notice->Timer1_Timer();
    EXPECT_TRUE(messages.empty());
    EXPECT_NE(program.settings().find("ThisPalloVersion=2.1"), std::string::npos);
    EXPECT_FALSE(program.folder.exists("updatePallo.txt"));
    EXPECT_FALSE(program.folder.exists("updatePallonews.txt"));
    EXPECT_TRUE(gone(notice));
}

TEST_F(Notice, ClosedThroughItsFrameItDoesNothingFurther)
{
    program.installUpdater();
    QPointer<FindUpdate> notice = checkAndTrigger("2.0", "2.1");
    ASSERT_FALSE(notice.isNull());
    QTimer* timer = notice->findChild<QTimer*>(QStringLiteral("Timer1"));
    notice->close();
    EXPECT_FALSE(timer->isActive());
    EXPECT_TRUE(gone(notice));
    EXPECT_TRUE(program.folder.exists("updatePallo.txt"));
    EXPECT_EQ(program.settings(), "[UpdatePalloVersion]\r\nThisPalloVersion=2.0\r\n");
    EXPECT_FALSE(program.updaterStarted());
}

TEST_F(Notice, TvShellReadsItsOwnFiles)
{
    TestMainWindow tv(Shell::TV);
    tv.show();
    program.folder.write("Setting.ini", "[UpdateVersion]\r\nThisVersion=3.0\r\n");
    serve("3.1\r\n", "电视版更新", Shell::TV);
    runUpdateCheck(tv);
    QPointer<FindUpdate> notice = showUpdateNoticeWhenFlagged(tv);
    ASSERT_FALSE(notice.isNull());
    EXPECT_EQ(labelText(notice, "Label1"), QStringLiteral("Tovanis网络电视 3.1 版发布了，是否进行升级？"));
    EXPECT_EQ(labelText(notice, "Label20"), QStringLiteral("电视版更新"));
    notice->btnNO_Click();
    EXPECT_FALSE(program.folder.exists("update.txt"));
    EXPECT_FALSE(program.folder.exists("updatenews.txt"));
}

TEST(QtMessageBox, ABoxIsWideEnoughForItsCaption)
{
    const ScopedMessageHandlers handlers;
    installQtMessageBox();
    const std::string caption = "Tovanis网络电视";
    int boxWidth = 0;
    int captionWidth = 0;
    QTimer::singleShot(0, [&] {
        waitUntil([] { return QApplication::activeModalWidget() != nullptr; });
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        QFont bold = box->font();
        bold.setBold(true);
        boxWidth = box->width();
        captionWidth = QFontMetrics(bold).horizontalAdvance(box->windowTitle());
        box->accept();
    });
    message_box::show(caption, "OK");
    ASSERT_GT(boxWidth, 0) << "the box showed";
    // Room beside the caption for the icon and the caption buttons a title bar draws.
    EXPECT_GE(boxWidth, captionWidth + 120);
}

TEST(QtMessageBox, TheToolkitsOwnTextsFollowTheSystemsLanguage)
{
    ASSERT_TRUE(installQtTranslations(QLocale(QLocale::Chinese, QLocale::China)))
        << "Debian's qt6-translations-l10n (tools/setup.sh installs it)";
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "OK"), QStringLiteral("确定"));
    EXPECT_EQ(QCoreApplication::translate("QFileDialog", "Open"), QStringLiteral("打开"));
}

TEST(DrawnImages, HaveTheDevicePixelsOfEveryScaleTheyAreShownAt)
{
    struct Case
    {
        QIcon icon;
        int logical;
    };
    const std::vector<Case> cases {{drawn_images::stackingButton(QStringLiteral("zhiqian")), 20},
        {drawn_images::stackingButton(QStringLiteral("quxiao")), 20},
        {drawn_images::stackingButton(QStringLiteral("zhihou")), 20}, {drawn_images::updateNotice(), 80}};
    for (const qreal scale : {1.0, 1.5, 2.0}) {
        for (const Case& c : cases) {
            const QPixmap shown = c.icon.pixmap(QSize(c.logical, c.logical), scale);
            const int device = qRound(c.logical * scale);
            EXPECT_EQ(shown.size(), QSize(device, device)) << scale;
            EXPECT_DOUBLE_EQ(shown.devicePixelRatio(), scale);
            const QImage image = shown.toImage();
            EXPECT_EQ(qAlpha(image.pixel(device / 2, device / 2)), 255) << "drawn, not empty";
            EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0) << "round corners";
        }
    }
    EXPECT_TRUE(drawn_images::stackingButton(QStringLiteral("other")).isNull());
}
