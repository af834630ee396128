#include "common/logic/update_notice.h"
#include "tests/common/update_test_support.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {

class UpdateNotice : public ::testing::Test
{
protected:
    // The check's files as an update check leaves them.
    void leaveCheckFiles(const std::string& version = "2.1\r\n\r\n", const std::string& news = "新版本说明")
    {
        program.folder.write("updatePallo.txt", version);
        program.folder.write("updatePallonews.txt", gbk(news));
    }

    // The stand-in updater runs detached; give it its moment without asserting how long.
    bool waitForUpdater() const
    {
        for (int i = 0; i < 1000 && !program.updaterStarted(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return program.updaterStarted();
    }

    TempProgramFolder program;
};

} // namespace

TEST_F(UpdateNotice, HeadlineJoinsTheVersionFileWithoutLineBreaks)
{
    leaveCheckFiles("2.1\r\n1.5\r\n\r\n");
    EXPECT_EQ(update_notice::headline(Shell::Portal), "Tovanis网络电视 2.11.5 版发布了，是否进行升级？");
    // Only CR LF pairs go; a lone line feed stays.
    leaveCheckFiles("2.1\n3\r\n");
    EXPECT_EQ(update_notice::headline(Shell::Portal), "Tovanis网络电视 2.1\n3 版发布了，是否进行升级？");
    // The version file is GBK like every local text file.
    program.folder.write("update.txt", gbk("3.0正式版") + "\r\n");
    EXPECT_EQ(update_notice::headline(Shell::TV), "Tovanis网络电视 3.0正式版 版发布了，是否进行升级？");
}

TEST_F(UpdateNotice, NewsIsReadUnderEitherSpellingOfItsName)
{
    leaveCheckFiles("2.1\r\n\r\n", "1. 新增频道\r\n2. 修正问题");
    EXPECT_EQ(update_notice::news(Shell::Portal), "1. 新增频道\r\n2. 修正问题");
    program.folder.write("updatenews.txt", gbk("电视"));
    EXPECT_EQ(update_notice::news(Shell::TV), "电视");
}

TEST_F(UpdateNotice, MissingFilesGiveTheBareHeadlineAndNoNews)
{
    EXPECT_EQ(update_notice::headline(Shell::Portal), "Tovanis网络电视  版发布了，是否进行升级？");
    EXPECT_EQ(update_notice::news(Shell::Portal), "");
}

TEST_F(UpdateNotice, AcceptStartsTheUpdaterWithoutArgumentsRecordsTheVersionAndDeletesTheFiles)
{
    program.installUpdater();
    leaveCheckFiles();
    program.folder.write("Setting.ini", "[UpdateVersion]\r\nThisVersion=3.0\r\n");
    update_notice::accept(Shell::Portal, "2.1");
    ASSERT_TRUE(waitForUpdater());
    EXPECT_EQ(program.updaterArgumentCount(), "0\n");
    EXPECT_NE(program.settings().find("ThisPalloVersion=2.1"), std::string::npos);
    EXPECT_NE(program.settings().find("ThisVersion=3.0"), std::string::npos);
    EXPECT_FALSE(program.folder.exists("updatePallo.txt"));
    EXPECT_FALSE(program.folder.exists("updatePallonews.txt"));
}

TEST_F(UpdateNotice, AcceptNeverEmptiesTheInstalledVersion)
{
    program.installUpdater();
    program.folder.write("Setting.ini", "[UpdatePalloVersion]\r\nThisPalloVersion=2.0\r\n");
    program.folder.write("updatePallonews.txt", "x");
    // Without the version file (the unload already removed it) nothing is recorded...
    update_notice::accept(Shell::Portal, "2.1");
    ASSERT_TRUE(waitForUpdater());
    EXPECT_NE(program.settings().find("ThisPalloVersion=2.0\r\n"), std::string::npos) << program.settings();
    // ...and the news file is not touched.
    EXPECT_TRUE(program.folder.exists("updatePallonews.txt"));

    // An empty server version is no version to record either.
    leaveCheckFiles("\r\n");
    update_notice::accept(Shell::Portal, "");
    EXPECT_NE(program.settings().find("ThisPalloVersion=2.0\r\n"), std::string::npos) << program.settings();
    EXPECT_FALSE(program.folder.exists("updatePallo.txt"));
}

TEST_F(UpdateNotice, MissingUpdaterDoesNotStopTheRest)
{
    leaveCheckFiles();
    EXPECT_FALSE(update_notice::startUpdater());
    update_notice::accept(Shell::Portal, "2.1");
    EXPECT_NE(program.settings().find("ThisPalloVersion=2.1"), std::string::npos);
    EXPECT_FALSE(program.folder.exists("updatePallo.txt"));
    EXPECT_FALSE(program.folder.exists("updatePallonews.txt"));

    // A file that is not executable is no updater either.
    program.folder.write("Renovo", "#!/bin/sh\n");
    EXPECT_FALSE(update_notice::startUpdater());
}

TEST_F(UpdateNotice, DeclineDeletesTheFilesAndKeepsTheEntry)
{
    leaveCheckFiles();
    program.folder.write("Setting.ini", "[UpdatePalloVersion]\r\nThisPalloVersion=2.0\r\n");
    update_notice::decline(Shell::Portal);
    EXPECT_FALSE(program.folder.exists("updatePallo.txt"));
    EXPECT_FALSE(program.folder.exists("updatePallonews.txt"));
    EXPECT_EQ(program.settings(), "[UpdatePalloVersion]\r\nThisPalloVersion=2.0\r\n");
    EXPECT_FALSE(program.updaterStarted());
    // Already gone is no error.
    update_notice::decline(Shell::Portal);
}

TEST_F(UpdateNotice, UnloadRemovesTheNewsFileOnlyWithTheVersionFile)
{
    program.folder.write("update.txt", "3.1\r\n\r\n");
    update_notice::removeLocalFiles(Shell::TV);
    EXPECT_FALSE(program.folder.exists("update.txt"));

    program.folder.write("updatenews.txt", "left");
    update_notice::removeLocalFiles(Shell::TV);
    EXPECT_TRUE(program.folder.exists("updatenews.txt"));
}
