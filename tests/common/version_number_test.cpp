#include "common/logic/version_number.h"

#include <gtest/gtest.h>

#include <clocale>

using version_number::read;
using version_number::serverIsNewer;

TEST(VersionNumber, ReadsTheLeadingDecimalNumber)
{
    EXPECT_DOUBLE_EQ(read("2.1").value, 2.1);
    EXPECT_DOUBLE_EQ(read("2.0.3").value, 2.0);
    EXPECT_DOUBLE_EQ(read("2.10").value, 2.1);
    EXPECT_DOUBLE_EQ(read("2.1\r\n").value, 2.1);
    EXPECT_DOUBLE_EQ(read("3 版").value, 3.0);
    EXPECT_DOUBLE_EQ(read(".5").value, 0.5);
    EXPECT_DOUBLE_EQ(read("7.").value, 7.0);
    EXPECT_DOUBLE_EQ(read("-1.5").value, -1.5);
    EXPECT_DOUBLE_EQ(read("+4").value, 4.0);
    EXPECT_DOUBLE_EQ(read("007.25").value, 7.25);
}

TEST(VersionNumber, SkipsBlanksTabsAndLineFeedsAnywhereButNotCarriageReturns)
{
    EXPECT_DOUBLE_EQ(read("  2 . 1 ").value, 2.1);
    EXPECT_DOUBLE_EQ(read("\t- 3").value, -3.0);
    // A lone line feed joins two lines into one number; a carriage return ends it.
    EXPECT_DOUBLE_EQ(read("2.1\n3.0").value, 2.13);
    EXPECT_DOUBLE_EQ(read("2.1\r3").value, 2.1);
    EXPECT_DOUBLE_EQ(read("\r2.1").value, 0.0);
}

TEST(VersionNumber, Exponents)
{
    EXPECT_DOUBLE_EQ(read("2e3").value, 2000.0);
    EXPECT_DOUBLE_EQ(read("2.5E-1").value, 0.25);
    EXPECT_DOUBLE_EQ(read("1 e + 2").value, 100.0);
    // A marker without digits is no exponent.
    EXPECT_DOUBLE_EQ(read("2e").value, 2.0);
    EXPECT_DOUBLE_EQ(read("2e+x").value, 2.0);
    EXPECT_DOUBLE_EQ(read("1e-400").value, 0.0);
    EXPECT_FALSE(read("1e-400").overflow);
}

TEST(VersionNumber, TextsWithoutANumberReadAsZero)
{
    for (const char* text : {"", "abc", "-", ".", "+.", "v2.1", "e5", "\r\n"}) {
        const auto reading = read(text);
        EXPECT_EQ(reading.value, 0.0) << text;
        EXPECT_FALSE(reading.overflow) << text;
    }
}

TEST(VersionNumber, NumbersTooLargeAreFlagged)
{
    EXPECT_TRUE(read("1e309").overflow);
    EXPECT_TRUE(read("-1e400").overflow);
    EXPECT_TRUE(read(std::string(400, '9')).overflow);
    EXPECT_TRUE(read("1e99999999999999999999999").overflow);
    EXPECT_FALSE(read("1e308").overflow);
    // Many digits after the point are not large, whatever the exponent's sign says.
    EXPECT_FALSE(read("0." + std::string(400, '0') + "1e350").overflow);
    EXPECT_TRUE(read(std::string(400, '9') + "e-50").overflow);
}

TEST(VersionNumber, PeriodIsTheDecimalPointWhateverTheLocale)
{
    // A locale with a decimal comma, when the machine has one.
    const char* previous = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = previous ? previous : "C";
    const bool switched = std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr;
    EXPECT_DOUBLE_EQ(read("2.5").value, 2.5);
    EXPECT_DOUBLE_EQ(read("2,5").value, 2.0);
    std::setlocale(LC_NUMERIC, saved.c_str());
    if (!switched)
        GTEST_SKIP() << "no de_DE locale on this machine; checked in the C locale only";
}

TEST(VersionNumber, ServerIsNewerOnlyWhenItsNumberIsLarger)
{
    EXPECT_TRUE(serverIsNewer("2.0", "2.1\r\n"));
    EXPECT_FALSE(serverIsNewer("2.1", "2.1"));
    EXPECT_FALSE(serverIsNewer("2.9", "2.10"));
    EXPECT_FALSE(serverIsNewer("2.2", "2.1"));
    // No installed entry counts as 0.
    EXPECT_TRUE(serverIsNewer("", "2.0"));
    EXPECT_FALSE(serverIsNewer("", ""));
    EXPECT_FALSE(serverIsNewer("", "更新信息"));
    // Numbers too large for a double are infinities: offered once, never again once recorded.
    EXPECT_TRUE(serverIsNewer("2.0", "9e999"));
    EXPECT_FALSE(serverIsNewer("1e309", "1e309"));
    EXPECT_FALSE(serverIsNewer("9e999", "2.0"));
    EXPECT_TRUE(serverIsNewer("-1e999", "2.0"));
}

TEST(VersionNumber, RecordedVersionsReadBackAsTheNumberCompared)
{
    using version_number::recordable;
    const std::string nines(144, '9');
    const struct
    {
        std::string server;
        std::string recorded;
    } cases[] = {
        {"2.0", "2.0"},
        {"0\n9", "09"}, // one stored line, still the number 9
        {"2.1\r\n", "2.1"},
        {"1e309", "1e309"},
        {nines, "1e+144"}, // would read back cut to 143 digits
        {"", ""},
    };
    for (const auto& c : cases) {
        const std::string stored = recordable(c.server, 143);
        EXPECT_EQ(stored, c.recorded) << c.server;
        EXPECT_LE(stored.size(), 143U);
        // What the next run reads back never offers the same update again.
        EXPECT_FALSE(serverIsNewer(stored, c.server)) << c.server;
    }
}
