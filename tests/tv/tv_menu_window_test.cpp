// The TV main window's menu items: channels, web links, program starts, the about box and
// the desktop shortcut; and the shared services on its own timers and file names.
#include "tests/tv/tv_test_fixture.h"

#include "common/windows/FindUpdate.h"
#include "common/windows/ad_control_run.h"
#include "common/windows/frmRightBottom.h"
#include "common/windows/frmUnload.h"
#include "common/windows/unload_advert.h"
#include "platform/codepage.h"
#include "tests/support/recording_browser.h"

#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

class TvMenus : public ::testing::Test, public TvFixture
{
protected:
    // A window whose live-TV page is complete.
    std::unique_ptr<TOVAN_COM> loaded()
    {
        auto window = start();
        EXPECT_TRUE(showsPage(*window, "/bin/tovanT.ocx", QStringLiteral("高清电视直播")));
        return window;
    }
};

} // namespace

TEST_F(TvMenus, EveryChannelItemOpensItsPageFileAndChecksNothing)
{
    auto window = loaded();
    const std::vector<std::pair<const char*, const char*>> channels = {
        {"HDMTV1", "/bin/tovanMTV1.ocx"},
        {"HDMTV2", "/bin/tovanMTV2.ocx"},
        {"hddm", "/bin/tovanDM.ocx"},
        {"radio", "/bin/tovanpR.ocx"},
        {"DigitHDMOVIE", "/bin/tovanDigHD1.ocx"},
        {"DigitQHD", "/bin/tovanDigHD2.ocx"},
        {"DigitM1905", "/bin/tovanDigHD3.ocx"},
        {"HDMovie", "/bin/tovanHDM.ocx"},
        {"hdjc", "/bin/tovanJC.ocx"},
        {"tvlive", "/bin/tovanT.ocx"},
    };
    for (const auto& [name, page] : channels) {
        QAction* item = window->menuItem(name);
        ASSERT_NE(item, nullptr) << name;
        item->trigger();
        // The page is the channel's own, read from GBK: its heading is the item's caption.
        ASSERT_TRUE(showsPage(*window, page, item->text())) << name;
        for (const tv::MenuEntry& entry : tv::menuTree())
            EXPECT_FALSE(window->menuItem(entry.name)->isChecked()) << name << " " << entry.name;
    }
    // The channel already shown loads again; a page missing from the folder is the pane's
    // business and tells the user nothing.
    std::filesystem::remove(program / "bin/tovanJC.ocx");
    window->menuItem("hdjc")->trigger();
    EXPECT_TRUE(waitUntil([&] { return window->WebBrowser1->LocationURL() == q(local("/bin/tovanJC.ocx")); }));
    EXPECT_TRUE(messages.empty());
}

TEST_F(TvMenus, WebLinksOpenTheirSitesInTheSystemBrowser)
{
    RecordingBrowser browser;
    ScopedEnv mirror("FILM_MIRROR_SERVER", "mirror.example:8080");
    ScopedEnv site("TV_SITE_SERVER", "tv.example");
    ScopedEnv primary("PORTAL_PRIMARY_SERVER", "portal.example");
    auto window = start();
    const std::vector<std::pair<const char*, std::string>> links = {
        {"wwwtovan", "http://portal.example"},
        {"HDmovielfv", "http://portal.example"},
        {"goguestbook", "http://portal.example/guestbook"},
        {"guestboog", "http://portal.example/guestbook"},
        {"vodtovan", "http://mirror.example:8080"},
        {"HDmovieqvod", "http://mirror.example:8080"},
        {"skindown", "http://tv.example"},
        {"guanwang", "http://tv.example"},
    };
    std::string expected;
    for (const auto& [name, address] : links) {
        window->menuItem(name)->trigger();
        expected += address + "\n";
        ASSERT_TRUE(waitUntil([&] { return browser.opened() == expected; })) << name << ": " << browser.opened();
    }
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(messages.empty());
}

TEST_F(TvMenus, PortalAndUpdaterItemsStartTheirProgramsAndAMissingOneIsIgnored)
{
    auto window = start();
    // Nothing installed yet: no message, the shell stays up.
    for (const char* name : {"TovanBox", "Pallomar", "Renovo", "Findupdata"})
        window->menuItem(name)->trigger();
    EXPECT_TRUE(messages.empty());
    EXPECT_TRUE(window->isVisible());

    installStandIn("Pallomar");
    installStandIn("Renovo");
    window->menuItem("TovanBox")->trigger();
    window->menuItem("Pallomar")->trigger();
    window->menuItem("Renovo")->trigger();
    window->menuItem("Findupdata")->trigger();
    // Each started once per item, with no arguments.
    EXPECT_TRUE(waitUntil([&] { return program.read("Pallomar-started.txt") == "0\n0\n"; }));
    EXPECT_TRUE(waitUntil([&] { return program.read("Renovo-started.txt") == "0\n0\n"; }));
    EXPECT_TRUE(window->isVisible());
    EXPECT_NE(window->trayIcon(), nullptr);
}

TEST_F(TvMenus, BothAboutItemsShowTheSameInformationBoxWithTheProgramsVersion)
{
    auto window = start();
    window->menuItem("aboutme")->trigger();
    window->menuItem("RightAboutme")->trigger();
    const ShownMessage about {message_box::Icon::Information, "Tovanis网络电视",
        "感谢您对Tovanis的支持我们会做的更好！\r\n\r\n"
        "客服邮箱：service@tovanis.example    用户交流群：20461357\r\n\r\n"
        "程序名称： Tovanis网络电视(版本 1.4.0)"};
    EXPECT_EQ(messages, (std::vector<ShownMessage> {about, about}));
}

TEST_F(TvMenus, ShortcutItemPutsOneDesktopEntryOnTheUsersDesktopFolder)
{
    TempFolder home;
    ScopedEnv homeVariable("HOME", home.str());
    ScopedEnv config("XDG_CONFIG_HOME", (home / ".config").string());
    home.write(".config/user-dirs.dirs", "XDG_DESKTOP_DIR=\"$HOME/桌面\"\n");
    auto window = start();
    window->menuItem("addlnk")->trigger();
    window->menuItem("addlnk")->trigger();
    const auto desktop = home / "桌面";
    ASSERT_TRUE(std::filesystem::exists(desktop / "TovanTV.desktop"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(desktop), std::filesystem::directory_iterator()), 1);
    const std::string entry = home.read("桌面/TovanTV.desktop");
    EXPECT_NE(entry.find("Exec=\"" + local("/TovanTV") + "\"\n"), std::string::npos) << entry;
    EXPECT_NE(entry.find("Icon=" + local("/Images/TovanTV.png") + "\n"), std::string::npos) << entry;
    EXPECT_NE(entry.find("Name=Tovanis网络电视\n"), std::string::npos) << entry;
    EXPECT_NE(std::filesystem::status(desktop / "TovanTV.desktop").permissions() & std::filesystem::perms::owner_exec,
        std::filesystem::perms::none);
    EXPECT_TRUE(messages.empty());
}

TEST_F(TvMenus, CornerPopupIsFrmLeftRightAndStaysAfterTheMainWindowUntilItsCloseImage)
{
    server.site().write("update/TovanTVAdControl.txt", "on\r\noff\r\n4320\r\n3900\r\n6000\r\n5000");
    server.site().write("tvsource/AD/desktop-rightad.html", "<html><body>corner ad</body></html>");
    auto window = start();
    window->TimeAdControl_Timer();
    ASSERT_TRUE(runPostedStepsUntil([&] { return window->remoteFetch().pending() == 0; }));
    EXPECT_FALSE(window->TimeAdControl->isActive());
    EXPECT_EQ(program.read("bin/TovanTVAdControl.txt"), "on\r\noff\r\n4320\r\n3900\r\n6000\r\n5000\r\n");
    EXPECT_EQ(listItems(*window->List1), (std::vector<std::string> {"on", "off", "4320", "3900", "6000", "5000"}));
    QPointer<frmLeftRight> popup = window->cornerPopup();
    ASSERT_TRUE(popup);
    EXPECT_EQ(popup->objectName(), QStringLiteral("frmLeftRight"));
    EXPECT_TRUE(popup->isVisible());
    EXPECT_FALSE(popup->Timer2->isActive()) << "the TV shell's corner pop-up never closes by itself";
    EXPECT_TRUE(waitUntil(
        [&] { return popup->WebBrowser1->LocationURL() == q(server.url("/tvsource/AD/desktop-rightad.html")); }));

    // "off" at shutdown: no exit pop-up; the corner pop-up is a window of its own and stays.
    window->close();
    EXPECT_EQ(exitAdvert.unloaded, 1);
    EXPECT_EQ(exitAdvert.shown, 0);
    EXPECT_FALSE(program.exists("bin/TovanTVAdControl.txt"));
    waitUntil([] { return false; }, 200);
    ASSERT_TRUE(popup);
    EXPECT_TRUE(popup->isVisible());
    popup->Picture2_Click();
    EXPECT_TRUE(waitUntil([&] { return popup.isNull(); }));
}

TEST_F(TvMenus, ExitPopupOnShutdownOutlivesTheMainWindow)
{
    auto window = start();
    UnloadAdvert advert(Shell::TV, [&window] { return listItems(*window->List1); });
    window->setExitAdvert(&advert);
    for (const char* item : {"off", "on", "4320", "3900", "6000", "5000"})
        window->List1->addItem(QString::fromLatin1(item));
    window->close();
    QPointer<frmUnload> popup = advert.window();
    ASSERT_TRUE(popup);
    EXPECT_TRUE(popup->isVisible());
    EXPECT_EQ(popup->parent(), nullptr);
    EXPECT_EQ(popup->size(), QSize(400, 333));
    EXPECT_FALSE(window->TimeAdControl->isActive());
    popup->Timer1_Timer();
    EXPECT_TRUE(waitUntil([&] { return popup.isNull(); }));
}

TEST_F(TvMenus, UpdateCheckOnTimer5AndNoticeOnTimer4UseTheTvShellsFiles)
{
    program.write("Setting.ini", "[UpdateVersion]\r\nThisVersion=2.0\r\n");
    installStandIn("Renovo");
    server.site().write("update/update.txt", "2.1\r\n");
    server.site().write("update/updatenews.txt", gbk("新增皮肤"));
    auto window = start();
    window->Timer5->setInterval(1);
    ASSERT_TRUE(waitUntil([&] { return !window->Timer5->isActive(); }));
    EXPECT_EQ(program.read("update.txt"), "2.1\r\n\r\n");
    EXPECT_EQ(program.read("updatenews.txt"), gbk("新增皮肤"));

    window->Timer4->setInterval(1);
    FindUpdate* notice = nullptr;
    ASSERT_TRUE(waitUntil([&] {
        notice = window->findChild<FindUpdate*>();
        return notice && notice->isVisible();
    }));
    EXPECT_EQ(notice->findChild<QLabel*>(QStringLiteral("Label20"))->text(), QStringLiteral("新增皮肤"));
    notice->btnOK_Click();
    EXPECT_TRUE(waitUntil([&] { return program.read("Renovo-started.txt") == "0\n"; }));
    EXPECT_FALSE(window->isVisible());
    EXPECT_NE(platform::ansiToUtf8(program.read("Setting.ini")).find("ThisVersion=2.1\r\n"), std::string::npos);
    EXPECT_FALSE(program.exists("update.txt"));
    EXPECT_FALSE(program.exists("updatenews.txt"));
}
