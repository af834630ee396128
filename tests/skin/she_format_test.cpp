#include "platform/skin/she_format.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

using she_format::parse;

TEST(SheFormat, ReadsHeaderAndStyleSheet)
{
    const auto skin = parse("SkinH-she 1\nname=白色简约\nwindow=#F5f7FA\n\nQTreeView { color: red; }\n");
    ASSERT_TRUE(skin);
    EXPECT_EQ(skin->header.at("name"), "白色简约");
    EXPECT_EQ(skin->header.at("window"), "#F5f7FA");
    EXPECT_EQ(skin->styleSheet, "QTreeView { color: red; }\n");
    EXPECT_EQ(she_format::parseColour("#F5f7FA"), 0xF5F7FAu);

    // Windows line ends and a byte-order mark, as an editor may leave them.
    const auto crlf = parse("\xEF\xBB\xBFSkinH-she 1\r\nname=x\r\n\r\nQLabel{}\r\n");
    ASSERT_TRUE(crlf);
    EXPECT_EQ(crlf->header.at("name"), "x");
    EXPECT_EQ(crlf->styleSheet, "QLabel{}\r\n");

    // No header lines and no style sheet is a skin that changes nothing.
    const auto empty = parse("SkinH-she 1\n\n");
    ASSERT_TRUE(empty);
    EXPECT_TRUE(empty->header.empty());
    EXPECT_TRUE(empty->styleSheet.empty());
}

TEST(SheFormat, RefusesWhatIsNotOurSkin)
{
    EXPECT_FALSE(parse(""));
    EXPECT_FALSE(parse("SkinH-she 1")); // no line end after the first line
    EXPECT_FALSE(parse("SkinH-she 2\n\nQLabel{}"));
    EXPECT_FALSE(parse("QLabel { color: red; }\n"));
    EXPECT_FALSE(parse("SkinH-she 1\nname=x\nQLabel{}")); // the header never ends
    EXPECT_FALSE(parse("SkinH-she 1\nname\n\n")); // a header line without "="
    EXPECT_FALSE(parse("SkinH-she 1\n=x\n\n"));
    EXPECT_FALSE(parse("SkinH-she 1\nwindow=red\n\n")); // colours are #RRGGBB
    EXPECT_FALSE(parse("SkinH-she 1\nhighlight=#12345G\n\n"));
    EXPECT_FALSE(parse("SkinH-she 1\nbase=#1234567\n\n"));
    EXPECT_FALSE(parse("SkinH-she 1\n\nQLabel { font-family: \"\xB0\xD7\"; }")); // GBK, not UTF-8
    EXPECT_FALSE(parse("SkinH-she 1\n\n\xC0\x80")); // an overlong NUL
    EXPECT_FALSE(parse("SkinH-she 1\n\n\xED\xA0\x80")); // a surrogate
    EXPECT_FALSE(parse(std::string_view("SkinH-she 1\n\n\xE4\xB8", 15))); // cut inside a character
    // An unknown key is kept, not refused: newer skins may say more.
    EXPECT_TRUE(parse("SkinH-she 1\nauthor=someone\n\n"));
}

TEST(SheFormat, APasswordOnlyWhenTheSkinHasOne)
{
    const auto open = parse("SkinH-she 1\nname=x\n\n");
    const auto emptyPassword = parse("SkinH-she 1\npassword=\n\n");
    const auto locked = parse("SkinH-she 1\npassword=secret\n\n");
    ASSERT_TRUE(open && emptyPassword && locked);
    EXPECT_TRUE(she_format::opens(*open, ""));
    EXPECT_TRUE(she_format::opens(*open, "anything"));
    EXPECT_TRUE(she_format::opens(*emptyPassword, ""));
    EXPECT_FALSE(she_format::opens(*locked, ""));
    EXPECT_FALSE(she_format::opens(*locked, "Secret"));
    EXPECT_TRUE(she_format::opens(*locked, "secret"));
}

TEST(SheFormat, TheInstalledSkinsAreValid)
{
    for (const char* name : {"白色简约.she", "时尚星系.she"}) {
        std::ifstream in(std::filesystem::path(TEST_SOURCE_DIR) / "data" / "skin" / name, std::ios::binary);
        ASSERT_TRUE(in) << name;
        const std::string content {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        const auto skin = parse(content);
        ASSERT_TRUE(skin) << name;
        EXPECT_TRUE(she_format::opens(*skin, ""));
        EXPECT_EQ(skin->header.at("name") + ".she", name);
        EXPECT_NE(skin->styleSheet.find("QTreeView"), std::string::npos) << name;
        for (const auto& [key, index] : she_format::paletteKeys())
            EXPECT_TRUE(skin->header.contains(key)) << name << " " << key;
    }
}
