#include "common/logic/update_check.h"
#include "common/logic/update_notice.h"
#include "tests/common/update_test_support.h"

#include <gtest/gtest.h>

namespace {

class UpdateCheck : public ::testing::Test, public UpdateServerFixture
{
protected:
    void installed(const std::string& section, const std::string& key, const std::string& version)
    {
        program.folder.write("Setting.ini", "[" + section + "]\r\n" + key + "=" + version + "\r\n");
    }

    TempProgramFolder program;
    PlainUpdateHost portal {Shell::Portal};
    PlainUpdateHost tv {Shell::TV};
};

} // namespace

TEST_F(UpdateCheck, NewerServerVersionSetsTheFlagAndKeepsBothFilesLocally)
{
    installed("UpdatePalloVersion", "ThisPalloVersion", "2.0");
    serve("2.1", "1. 新增高清影库频道\r\n2. 修正播放问题");
    runUpdateCheck(portal);

    EXPECT_TRUE(portal.fields.updateFlag);
    EXPECT_EQ(portal.fields.serverVersion, "2.1");
    EXPECT_EQ(portal.fields.installedVersion, "2.0");
    EXPECT_EQ(portal.fields.TransferVersion, "2.1");
    EXPECT_FALSE(portal.checkTimerEnabled);
    EXPECT_EQ(program.folder.read("updatePallo.txt"), "2.1\r\n");
    EXPECT_EQ(program.folder.read("updatePallonews.txt"), gbk("1. 新增高清影库频道\r\n2. 修正播放问题"));
    EXPECT_TRUE(messages.empty());
}

TEST_F(UpdateCheck, SameOrNumericallySmallerVersionLeavesTheFlag)
{
    installed("UpdatePalloVersion", "ThisPalloVersion", "2.1");
    serve("2.1\r\n", "无");
    runUpdateCheck(portal);
    EXPECT_FALSE(portal.fields.updateFlag);
    EXPECT_EQ(portal.fields.TransferVersion, "2.1");
    // The files stay until the main window closes.
    EXPECT_TRUE(program.folder.exists("updatePallo.txt"));
    EXPECT_TRUE(program.folder.exists("updatePallonews.txt"));

    // 2.10 reads as a number smaller than 2.9.
    installed("UpdatePalloVersion", "ThisPalloVersion", "2.9");
    PlainUpdateHost again(Shell::Portal);
    serve("2.10", "无");
    runUpdateCheck(again);
    EXPECT_FALSE(again.fields.updateFlag);
    EXPECT_EQ(again.fields.serverVersion, "2.10");
}

TEST_F(UpdateCheck, UnreachableServerOffersVersionTwoPointZeroWhenNothingIsInstalled)
{
    ScopedEnv down("PORTAL_PRIMARY_SERVER", "127.0.0.1:" + std::to_string(closedPort()));
    runUpdateCheck(portal);
    // Each of the two fetches reports the lost connection once.
    EXPECT_EQ(messages, (std::vector<std::string> {"连接网络失败！", "连接网络失败！"}));
    EXPECT_EQ(portal.fields.installedVersion, "");
    EXPECT_EQ(portal.fields.serverVersion, "2.0");
    EXPECT_TRUE(portal.fields.updateFlag);
    EXPECT_EQ(program.folder.read("updatePallo.txt"), "2.0\r\n");
    EXPECT_EQ(program.folder.read("updatePallonews.txt"), "");
    // Reading without a default writes nothing.
    EXPECT_FALSE(program.folder.exists("Setting.ini"));
}

TEST_F(UpdateCheck, OnlyTheFirstLineOfTheVersionFileCounts)
{
    installed("UpdatePalloVersion", "ThisPalloVersion", "2.0");
    serve("2.1\r\n1.5\r\n", "两行");
    runUpdateCheck(portal);
    EXPECT_EQ(portal.fields.serverVersion, "2.1");
    EXPECT_TRUE(portal.fields.updateFlag);
    EXPECT_EQ(program.folder.read("updatePallo.txt"), "2.1\r\n1.5\r\n\r\n");

    // A lone line feed does not end the line.
    PlainUpdateHost lf(Shell::Portal);
    serve("1.9\n9", "无");
    runUpdateCheck(lf);
    EXPECT_EQ(lf.fields.serverVersion, "1.9\n9");
    EXPECT_FALSE(lf.fields.updateFlag);
}

TEST_F(UpdateCheck, ShorterNewsReplacesTheWholeOldFile)
{
    // An earlier run ended without its unload and left its files, under either spelling.
    program.folder.write("updatePalloNews.txt", gbk("很长很长的旧更新信息，应当完全消失"));
    program.folder.write("updatePallo.txt", "1.0\r\n");
    serve("2.1", "新");
    runUpdateCheck(portal);
    EXPECT_EQ(program.folder.read("updatePalloNews.txt"), gbk("新"));
    EXPECT_FALSE(program.folder.exists("updatePallonews.txt"));
    EXPECT_EQ(program.folder.read("updatePallo.txt"), "2.1\r\n");
}

TEST_F(UpdateCheck, MissingServerFilesLeaveTheHolderTextsAndTheErrorPage)
{
    installed("UpdatePalloVersion", "ThisPalloVersion", "2.0");
    runUpdateCheck(portal);
    EXPECT_EQ(portal.fields.serverVersion, "2.0");
    EXPECT_FALSE(portal.fields.updateFlag);
    EXPECT_NE(program.folder.read("updatePallonews.txt").find("404"), std::string::npos);
    EXPECT_TRUE(messages.empty());
}

TEST_F(UpdateCheck, UnrepresentableServerVersionStillSetsTheFlag)
{
    installed("UpdatePalloVersion", "ThisPalloVersion", "2.0");
    serve("1e999", "大版本");
    runUpdateCheck(portal);
    EXPECT_TRUE(portal.fields.updateFlag);
}

TEST_F(UpdateCheck, TvShellUsesItsOwnFilesAndEntryInASharedSettingsFile)
{
    program.folder.write(
        "Setting.ini", "[UpdatePalloVersion]\r\nThisPalloVersion=5.0\r\n[UpdateVersion]\r\nThisVersion=3.0\r\n");
    serve("3.2\r\n", "电视新版", Shell::TV);
    serve("5.0\r\n", "门户", Shell::Portal);
    runUpdateCheck(tv);
    EXPECT_TRUE(tv.fields.updateFlag);
    EXPECT_EQ(tv.fields.installedVersion, "3.0");
    EXPECT_EQ(tv.fields.TransferVersion, "3.2");
    EXPECT_EQ(program.folder.read("update.txt"), "3.2\r\n\r\n");
    EXPECT_EQ(program.folder.read("updatenews.txt"), gbk("电视新版"));
    EXPECT_FALSE(program.folder.exists("updatePallo.txt"));

    runUpdateCheck(portal);
    EXPECT_FALSE(portal.fields.updateFlag);
    EXPECT_EQ(portal.fields.installedVersion, "5.0");
}

TEST_F(UpdateCheck, TheNoticeIsRequestedOncePerSetFlag)
{
    installed("UpdatePalloVersion", "ThisPalloVersion", "2.0");
    EXPECT_FALSE(takeUpdateNoticeRequest(portal));
    serve("2.1", "无");
    runUpdateCheck(portal);
    EXPECT_TRUE(takeUpdateNoticeRequest(portal));
    EXPECT_FALSE(portal.fields.updateFlag);
    EXPECT_FALSE(takeUpdateNoticeRequest(portal));
}

TEST_F(UpdateCheck, AnAcceptedVersionIsNeverOfferedAgain)
{
    // Versions the server may send that once came back from "Setting.ini" as another
    // number: a line break inside, a number beyond a double, more digits than a read holds.
    for (const std::string& server : {std::string("0\n9"), std::string("1e309"), std::string(144, '9')}) {
        installed("UpdatePalloVersion", "ThisPalloVersion", "2.0");
        serve(server + "\r\n", "新版本");
        PlainUpdateHost first(Shell::Portal);
        runUpdateCheck(first);
        ASSERT_TRUE(first.fields.updateFlag) << server;
        update_notice::accept(Shell::Portal, first.fields.TransferVersion);

        PlainUpdateHost next(Shell::Portal);
        runUpdateCheck(next);
        EXPECT_FALSE(next.fields.updateFlag) << server << " recorded as " << next.fields.installedVersion;
    }
}
