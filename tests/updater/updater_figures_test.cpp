#include "updater/logic/modPublic.h"
#include "updater/logic/path_safety.h"
#include "updater/logic/update_figures.h"

#include <gtest/gtest.h>

using namespace update_figures;

TEST(UpdateFigures, SizeTextRoundsHalvesAwayFromZero)
{
    EXPECT_EQ(sizeText(0), "0KB");
    EXPECT_EQ(sizeText(511), "0KB");
    EXPECT_EQ(sizeText(512), "1KB"); // 0.5 KB
    EXPECT_EQ(sizeText(1536), "2KB"); // 1.5 KB
    EXPECT_EQ(sizeText(2560), "3KB"); // 2.5 KB: not to even
    EXPECT_EQ(sizeText(1048575), "1024KB"); // just under a megabyte stays in KB
    EXPECT_EQ(sizeText(1048576), "1.00MB");
    EXPECT_EQ(sizeText(1048576 + 5243), "1.01MB"); // 1.0050001 MB
    EXPECT_EQ(sizeText(1048576 + 5242), "1.00MB"); // 1.0049992 MB
    EXPECT_EQ(sizeText(524288000), "500.00MB");
    EXPECT_EQ(sizeText(2147483647), "2048.00MB");
}

TEST(UpdateFigures, AnnouncedSizeTakesTheNumericPrefixWithin64Bits)
{
    EXPECT_EQ(announcedSize("1536"), 1536);
    EXPECT_EQ(announcedSize(""), 0);
    EXPECT_EQ(announcedSize("abc"), 0);
    EXPECT_EQ(announcedSize("12ab"), 12);
    EXPECT_EQ(announcedSize(" 42"), 42);
    EXPECT_EQ(announcedSize("-5"), 0);
    EXPECT_EQ(announcedSize("2147483647"), 2147483647);
    EXPECT_EQ(announcedSize("5368709120"), 5368709120LL); // files over 2 GB have sizes too
    EXPECT_EQ(announcedSize("9223372036854775807"), 9223372036854775807LL);
    EXPECT_EQ(announcedSize("9223372036854775808"), std::nullopt);
    EXPECT_EQ(announcedSize("99999999999999999999"), std::nullopt);
    EXPECT_EQ(sizeText(5368709120LL), "5120.00MB");

    EXPECT_EQ(sizeColumnText(0), "1");
    EXPECT_EQ(sizeColumnText(1), "1");
    EXPECT_EQ(sizeColumnText(1536), "1536");
}

TEST(UpdateFigures, ContentLengthsAreNumbersNotTexts)
{
    const std::vector<std::pair<const char*, std::optional<std::int64_t>>> cases {{"44", 44}, {"0100", 100}, {"000", 0},
        {" 44 ", 44}, {"5368709120", 5368709120LL}, {"9223372036854775807", 9223372036854775807LL}, {"", std::nullopt},
        {"  ", std::nullopt}, {"12ab", std::nullopt}, {"-1", std::nullopt}, {"+5", std::nullopt}, {"1 2", std::nullopt},
        {"9223372036854775808", std::nullopt}, {"0x10", std::nullopt}};
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(contentLength(text), expected) << text;
}

TEST(UpdateFigures, OverallProgressLeavesTheLastTenthForTheReplacement)
{
    EXPECT_EQ(overallProgress(0, 3), 0);
    EXPECT_EQ(overallProgress(1, 1), 91);
    EXPECT_EQ(overallProgress(1, 3), 30);
    EXPECT_EQ(overallProgress(2, 3), 61);
    EXPECT_EQ(overallProgress(3, 3), 91);
    EXPECT_EQ(overallProgress(1, 100), 1);
    EXPECT_EQ(overallProgress(0, 0), 0);
    EXPECT_EQ(overallProgress(5, 1), 100); // more files than announced never passes the end
}

TEST(UpdateFigures, FilePercentRoundsHalvesToEvenAndStaysWithinRange)
{
    EXPECT_EQ(filePercent(1, 8), 12); // 12.5
    EXPECT_EQ(filePercent(3, 8), 38); // 37.5
    EXPECT_EQ(filePercent(1024, 2049), 50);
    EXPECT_EQ(filePercent(2049, 2049), 100);
    // Servers that announced less than they send, or nothing at all (the column holds 1).
    EXPECT_EQ(filePercent(300, 100), 100);
    EXPECT_EQ(filePercent(70000, 1), 100);
    EXPECT_EQ(filePercent(5, 0), 0);
    EXPECT_EQ(filePercent(-5, 10), 0);
}

TEST(PathSafety, NamesUnderTheProgramFolderPass)
{
    for (const char* name : {"Pallomar.exe", "a\\b\\c.dat", "skin/white.she", "皮肤\\白色.she", ".hidden", "a..b"})
        EXPECT_TRUE(path_safety::isSafeRelativeName(name)) << name;
}

TEST(PathSafety, NamesThatWouldLeaveTheFolderAreRefused)
{
    for (const char* name :
        {"", "..", "..\\evil.dat", "a\\..\\..\\evil.dat", "a/../../evil", "\\evil.dat", "/etc/passwd",
            "C:\\Windows\\x.dll", "c:x.dll", "\\\\server\\share\\x", "\\\\?\\C:\\x", "a\\\\b", "a\\", "CON", "nul.txt",
            "a\\COM1.dat", "LPT9", "x\ty", "x\ny", ". ", "a\\...\\b", "name.", "file:stream", "a*b", "a?b"})
        EXPECT_FALSE(path_safety::isSafeRelativeName(name)) << name;
    EXPECT_FALSE(path_safety::isSafeRelativeName(std::string("a\0b", 3)));
    EXPECT_TRUE(path_safety::isSafeRelativeName("COM10.dat")); // only COM0-9 are devices
}

TEST(ModPublic, FolderPartsAndBackslashes)
{
    EXPECT_EQ(modPublic::GetFolderPart("a\\b\\c.dat", "\\"), "a\\b\\");
    EXPECT_EQ(modPublic::GetFolderPart("c.dat", "\\"), "");
    EXPECT_EQ(modPublic::GetFolderPart("aXbc", "x"), "aX"); // the separator ignores letter case
    EXPECT_EQ(modPublic::GetFolderPart("a\\b", ""), "");

    EXPECT_EQ(modPublic::AddBackslash("C:\\x"), "C:\\x\\");
    EXPECT_EQ(modPublic::AddBackslash("C:\\x\\"), "C:\\x\\");
    EXPECT_EQ(modPublic::AddBackslash(""), "\\");

    EXPECT_EQ(modPublic::stripDrivePrefix("\\??\\C:\\Tovan\\Pallomar.exe"), "C:\\Tovan\\Pallomar.exe");
    EXPECT_EQ(modPublic::stripDrivePrefix("C:\\Tovan\\Pallomar.exe"), "C:\\Tovan\\Pallomar.exe");
    EXPECT_EQ(modPublic::stripDrivePrefix("/opt/a:b/Pallomar"), "/opt/a:b/Pallomar");
    EXPECT_EQ(modPublic::stripDrivePrefix("Pallomar"), "Pallomar");
}
