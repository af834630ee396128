#include "profile.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <array>

using namespace platform;

namespace {

struct Read
{
    size_t count;
    std::string text;
};

Read read(const std::string& path, const char* section, const char* key, size_t size = 144, const char* def = "")
{
    std::array<char, 512> buffer;
    buffer.fill('\x7F');
    const size_t count = getPrivateProfileString(section, key, def, buffer.data(), size, path);
    return {count, std::string(buffer.data())};
}

} // namespace

TEST(ProfileStrings, FirstWriteCreatesFileAndSectionThenKeysAreFoundWithoutRegardToCase)
{
    TempFolder folder;
    const std::string path = (folder / "Setting.ini").string();
    EXPECT_EQ(read(path, "Skin", "Name").count, 0u);
    EXPECT_FALSE(folder.exists("Setting.ini"));

    ASSERT_TRUE(writePrivateProfileString("Skin", "Name", "a.she", path));
    EXPECT_EQ(folder.read("Setting.ini"), "[Skin]\r\nName=a.she\r\n");
    EXPECT_EQ(read(path, "SKIN", "name").text, "a.she");
    EXPECT_EQ(read(path, " skin ", " NAME ").text, "a.she");

    // Rewriting a key under another case replaces the one line, it does not add one.
    ASSERT_TRUE(writePrivateProfileString("skin", "NAME", "b.she", path));
    EXPECT_EQ(folder.read("Setting.ini"), "[Skin]\r\nNAME=b.she\r\n");
}

TEST(ProfileStrings, OtherLinesAndSectionsStayAsTheyWere)
{
    TempFolder folder;
    const std::string original = "; installed by setup\n[UpdateVersion]\nThisVersion=2.0\n\n[Other]\nx = 1\n";
    folder.write("Setting.ini", original);
    const std::string path = (folder / "Setting.ini").string();

    ASSERT_TRUE(writePrivateProfileString("UpdatePalloVersion", "ThisPalloVersion", "2.1", path));
    EXPECT_EQ(folder.read("Setting.ini"), original + "[UpdatePalloVersion]\nThisPalloVersion=2.1\n");

    // A new key goes to the end of its own section, before the blank separator line.
    ASSERT_TRUE(writePrivateProfileString("UpdateVersion", "Extra", "y", path));
    EXPECT_EQ(folder.read("Setting.ini"),
        "; installed by setup\n[UpdateVersion]\nThisVersion=2.0\nExtra=y\n\n[Other]\nx = 1\n"
        "[UpdatePalloVersion]\nThisPalloVersion=2.1\n");
    EXPECT_EQ(read(path, "Other", "x").text, "1"); // blanks around the value trimmed
}

TEST(ProfileStrings, NullValueDeletesTheKeyAndNeverCreatesAFile)
{
    TempFolder folder;
    const std::string path = (folder / "Setting.ini").string();
    ASSERT_TRUE(writePrivateProfileString("UpdatePalloVersion", "ThisPalloVersion", nullptr, path));
    EXPECT_FALSE(folder.exists("Setting.ini"));

    folder.write("Setting.ini", "[UpdateVersion]\r\nThisVersion=\r\nKeep=1\r\n");
    ASSERT_TRUE(writePrivateProfileString("updateversion", "thisversion", nullptr, path));
    EXPECT_EQ(folder.read("Setting.ini"), "[UpdateVersion]\r\nKeep=1\r\n");

    ASSERT_TRUE(writePrivateProfileString("UpdateVersion", nullptr, nullptr, path));
    EXPECT_EQ(folder.read("Setting.ini"), "");
}

TEST(ProfileStrings, BufferSizeTruncatesAndDefaultsApply)
{
    TempFolder folder;
    const std::string path = (folder / "Setting.ini").string();
    const std::string value(150, 'v');
    folder.write("Setting.ini", "[S]\r\nK=" + value + "\r\nQ=\"quoted value\"\r\nE=\r\n");

    EXPECT_EQ(read(path, "S", "K", 144).count, 143u);
    EXPECT_EQ(read(path, "S", "K", 144).text, value.substr(0, 143));
    EXPECT_EQ(read(path, "S", "K", 255).text, value);
    EXPECT_EQ(read(path, "S", "Q").text, "quoted value");
    EXPECT_EQ(read(path, "S", "E").count, 0u);
    EXPECT_EQ(read(path, "S", "missing", 144, "fallback  ").text, "fallback");
    EXPECT_EQ(read(path, "S", "missing", 4, "fallback").text, "fal");
    EXPECT_EQ(read(path, "nosuch", "K").count, 0u);
}

TEST(ProfileStrings, UnwritableFolderFailsAndLeavesNothing)
{
    TempFolder folder;
    const std::string path = (folder / "missing-folder" / "Setting.ini").string();
    EXPECT_FALSE(writePrivateProfileString("S", "K", "v", path));
    EXPECT_FALSE(folder.exists("missing-folder"));
}
