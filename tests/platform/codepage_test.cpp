#include "platform/codepage.h"

#include <gtest/gtest.h>

using namespace platform;

TEST(CodePage, RoundTripsChineseAndAscii)
{
    const std::string text = "连接网络失败！ Orvel影视盒 2.1";
    const std::string ansi = utf8ToAnsi(text);
    // GBK uses two bytes per Chinese character: the conversion really happened.
    EXPECT_EQ(ansi.substr(0, 2), "\xC1\xAC");
    EXPECT_NE(ansi, text);
    EXPECT_EQ(ansiToUtf8(ansi), text);
    EXPECT_EQ(ansiToUtf8(""), "");
    EXPECT_EQ(utf8ToAnsi("plain ascii\r\n"), "plain ascii\r\n");
}

TEST(CodePage, InvalidGbkBytesBecomeReplacementCharactersWithoutLosingTheRest)
{
    // Code page 936 maps the single byte 0x80 to the euro sign; 0xC1 at the very end is an
    // incomplete pair; 0xFF is never valid.
    EXPECT_EQ(ansiToUtf8("a\x80"
                         "b"),
        "a€b");
    EXPECT_EQ(ansiToUtf8("ok\xC1"), "ok\xEF\xBF\xBD");
    EXPECT_EQ(ansiToUtf8("\xFF\xFFx"), "\xEF\xBF\xBD\xEF\xBF\xBDx");
    // A lead byte followed by a byte that cannot trail it: that byte survives.
    EXPECT_EQ(ansiToUtf8("\xC1\n2.1"), "\xEF\xBF\xBD\n2.1");
}

TEST(CodePage, CharactersGbkLacksAndInvalidUtf8BecomeQuestionMarks)
{
    EXPECT_EQ(utf8ToAnsi("a\xF0\x9F\x98\x80"
                         "b"),
        "a?b"); // an emoji has no GBK form
    EXPECT_EQ(utf8ToAnsi("a\xC3"
                         "b"),
        "a?b"); // a broken UTF-8 sequence
    EXPECT_EQ(utf8ToAnsi("\xED\xA0\x80"), "???"); // an encoded surrogate is not UTF-8
    // iconv drops a tag character silently; it must not vanish: "..<U+E0001>" is not "..".
    EXPECT_EQ(utf8ToAnsi("..\xF3\xA0\x80\x81\\x"), "..?\\x");
}

TEST(CodePage, SanitizeAndLatin1)
{
    EXPECT_EQ(sanitizeUtf8("abc"), "abc");
    EXPECT_EQ(sanitizeUtf8("\xC0\xAF"), "\xEF\xBF\xBD\xEF\xBF\xBD"); // overlong form
    EXPECT_EQ(sanitizeUtf8("中文"), "中文");
    EXPECT_EQ(latin1ToUtf8("caf\xE9"), "caf\xC3\xA9");
}
