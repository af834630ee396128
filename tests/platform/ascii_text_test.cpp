// Case and blanks in the ASCII range: the helpers every module shares for names, keys and
// header fields.
#include "platform/ascii_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(AsciiText, CaseChangesOnlyAsciiLetters)
{
    // GBK "皮肤" and UTF-8 "é" hold bytes in the letter ranges once 0x20 or 0x80 is taken off;
    // none of them may change.
    const std::string gbkSkin = "\xC6\xA4\xB7\xF4";
    const std::string utf8E = "\xC3\xA9";
    struct Case
    {
        std::string text, lower, upper;
    } const cases[] = {
        {"", "", ""},
        {"Content-Type: Text/HTML", "content-type: text/html", "CONTENT-TYPE: TEXT/HTML"},
        {"@[`{az AZ09", "@[`{az az09", "@[`{AZ AZ09"},
        {gbkSkin + "X.she", gbkSkin + "x.she", gbkSkin + "X.SHE"},
        {utf8E + "e", utf8E + "e", utf8E + "E"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ascii::lowered(c.text), c.lower) << c.text;
        EXPECT_EQ(ascii::uppered(c.text), c.upper) << c.text;
        EXPECT_TRUE(ascii::equalIgnoringCase(c.lower, c.upper)) << c.text;
    }
    EXPECT_FALSE(ascii::equalIgnoringCase("Setting.ini", "Setting.in"));
    EXPECT_FALSE(ascii::equalIgnoringCase("@", "`")) << "0x40 and 0x60 are no letters";
    EXPECT_FALSE(ascii::equalIgnoringCase("\xC3\xA9", "\xC3\x89")) << "é and É stay apart";
}

TEST(AsciiText, TrimmedTakesOffOnlyTheGivenBlanksAtBothEnds)
{
    struct Case
    {
        std::string text;
        std::string blanks;
        std::string expected;
    } const cases[] = {
        {" \t\r\n gb2312 \v\f", std::string(ascii::whitespace), "gb2312"}, {"  a b  ", " ", "a b"},
        {"\t a \r\n", " \t", "a \r\n"}, {"   ", " ", ""}, {"", " ", ""}, {"x", " ", "x"},
        {"\xA1\xA1x\xA1\xA1", " ", "\xA1\xA1x\xA1\xA1"}, // the GBK full-width blank is text
    };
    for (const Case& c : cases)
        EXPECT_EQ(ascii::trimmed(c.text, c.blanks), c.expected) << "[" << c.text << "]";
    EXPECT_EQ(ascii::trimmed(" \n x \r "), "x") << "the default blanks are isspace()'s";
}

} // namespace
