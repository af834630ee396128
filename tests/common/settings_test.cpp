#include "common/logic/ReadAndWriteINI.h"
#include "common/logic/ini.h"
#include "platform/program_folder.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

namespace {

class Settings : public ::testing::Test
{
protected:
    void SetUp() override { platform::overrideProgramFolder(folder.str()); }
    void TearDown() override { platform::overrideProgramFolder(""); }

    std::string settingsFile() const { return folder.read("Setting.ini"); }

    TempFolder folder;
};

} // namespace

TEST_F(Settings, NoSettingsFileReadsEmptyAndAnAbsentDefaultWritesNothing)
{
    EXPECT_EQ(ini::ReadSetting("UpdatePalloVersion", "ThisPalloVersion", std::nullopt), "");
    EXPECT_FALSE(folder.exists("Setting.ini"));
    EXPECT_EQ(ReadAndWriteINI::ReadSettingPlain("Skin", "Name"), "");
    EXPECT_FALSE(folder.exists("Setting.ini"));
}

TEST_F(Settings, MissingEntryWritesTheDefaultBackInTheAnsiCodePage)
{
    EXPECT_EQ(ini::ReadSetting("Skin", "Name", std::string("时尚星系.she")), "时尚星系.she");
    EXPECT_EQ(settingsFile(), "[Skin]\r\nName=" + gbk("时尚星系.she") + "\r\n");
    EXPECT_EQ(ReadAndWriteINI::ReadSettingPlain("Skin", "Name"), "时尚星系.she");
}

TEST_F(Settings, EmptyValueIsRemovedByTheReadWithoutDefault)
{
    folder.write("Setting.ini", "[UpdateVersion]\r\nThisVersion=\r\n[UpdatePalloVersion]\r\nThisPalloVersion=2.0\r\n");
    EXPECT_EQ(ini::ReadSetting("UpdateVersion", "ThisVersion", std::nullopt), "");
    EXPECT_EQ(settingsFile(), "[UpdateVersion]\r\n[UpdatePalloVersion]\r\nThisPalloVersion=2.0\r\n");
    // The other shell's entry is untouched and still reads.
    EXPECT_EQ(ini::ReadSetting("UpdatePalloVersion", "ThisPalloVersion", std::nullopt), "2.0");
}

TEST_F(Settings, LongValuesAreCutByEachModulesBuffer)
{
    const std::string value150(150, 'x');
    const std::string value300(300, 'y');
    ini::WriteSetting("S", "A", value150);
    ReadAndWriteINI::WriteSetting("S", "B", value300);
    EXPECT_EQ(ini::ReadSetting("S", "A", std::nullopt), value150.substr(0, 143));
    EXPECT_EQ(ReadAndWriteINI::ReadSettingPlain("S", "A"), value150);
    EXPECT_EQ(ReadAndWriteINI::ReadSettingPlain("S", "B"), value300.substr(0, 254));
    // The truncated read never writes: the stored value stays whole.
    EXPECT_NE(settingsFile().find(value150), std::string::npos);
}

TEST_F(Settings, ChineseValuesSurviveTheCodePageBothWays)
{
    EXPECT_EQ(ReadAndWriteINI::WriteSetting("Skin", "Name", "白色简约.she"), "");
    EXPECT_EQ(ReadAndWriteINI::ReadSettingPlain("skin", "NAME"), "白色简约.she");
    EXPECT_EQ(ini::ReadSetting("Skin", "Name", std::string("other")), "白色简约.she");
    // A 143-character limit counts bytes of the code page: 71 Chinese characters fit whole.
    std::string eighty;
    for (int i = 0; i < 80; ++i)
        eighty += "中";
    ini::WriteSetting("S", "C", eighty);
    std::string seventyOne;
    for (int i = 0; i < 71; ++i)
        seventyOne += "中";
    // 143 bytes hold 71 two-byte characters; the 72nd is not cut in half.
    EXPECT_EQ(ini::ReadSetting("S", "C", std::nullopt), seventyOne);
}

TEST_F(Settings, ProgramFolderHasExactlyOneTrailingSeparator)
{
    EXPECT_EQ(ini::ProgramFolder(), folder.str() + "/");
    EXPECT_EQ(ReadAndWriteINI::ProgramFolder(), folder.str() + "/");
    platform::overrideProgramFolder("/");
    EXPECT_EQ(ini::ProgramFolder(), "/");
    EXPECT_EQ(ReadAndWriteINI::ProgramFolder(), "/");
}
