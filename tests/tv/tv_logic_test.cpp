#include "desktop_shortcut.h"
#include "temp_folder.h"
#include "tv_texts.h"

#include <gtest/gtest.h>

#include <filesystem>

TEST(TvTexts, DialogFilterPairsBecomeQtFilters)
{
    EXPECT_EQ(tv::dialogFilter(tv::skinFilter), "皮肤文件(*.she);;All Skin(*.SHE)");
    EXPECT_EQ(tv::dialogFilter("Skins|*.she"), "Skins (*.she)");
    EXPECT_EQ(tv::dialogFilter("A|*.a|B (*.b)|*.b"), "A (*.a);;B (*.b)");
    // A description without its pattern is dropped; nothing gives nothing.
    EXPECT_EQ(tv::dialogFilter("A|*.a|dangling"), "A (*.a)");
    EXPECT_EQ(tv::dialogFilter(""), "");
}

TEST(DesktopShortcut, ExecArgumentsAndValuesEscapeWhatTheEntryRulesReserve)
{
    EXPECT_EQ(desktop_shortcut::execArgument("/opt/tv/TovanTV"), "\"/opt/tv/TovanTV\"");
    EXPECT_EQ(desktop_shortcut::execArgument("/home/a b/电视/TovanTV"), "\"/home/a b/电视/TovanTV\"");
    EXPECT_EQ(desktop_shortcut::execArgument("/x/$HOME`id`\"q\"/T"), "\"/x/\\$HOME\\`id\\`\\\"q\\\"/T\"");
    EXPECT_EQ(desktop_shortcut::execArgument("/x/100%/T"), "\"/x/100%%/T\"");
    // A backslash is escaped for the quoting and again for the string value: four in all.
    EXPECT_EQ(desktop_shortcut::escapeValue(desktop_shortcut::execArgument("/x\\y")), "\"/x\\\\\\\\y\"");
    EXPECT_EQ(desktop_shortcut::escapeValue("a\nb\tc\rd"), "a\\nb\\tc\\rd");

    const std::string entry = desktop_shortcut::entryText("/opt/my tv");
    EXPECT_EQ(entry.rfind("[Desktop Entry]\n", 0), 0U);
    EXPECT_NE(entry.find("\nType=Application\n"), std::string::npos);
    EXPECT_NE(entry.find("\nExec=\"/opt/my tv/TovanTV\"\n"), std::string::npos) << entry;
    EXPECT_NE(entry.find("\nPath=/opt/my tv\n"), std::string::npos) << entry;
    EXPECT_NE(entry.find("\nIcon=/opt/my tv/Images/TovanTV.png\n"), std::string::npos) << entry;
}

TEST(DesktopShortcut, CreatingTwiceLeavesOneEntryAndAFolderThatCannotHoldItFails)
{
    TempFolder home;
    const std::string desktop = (home / "Desktop").string();
    ASSERT_TRUE(desktop_shortcut::create(desktop, "/opt/tv"));
    home.write("Desktop/TovanTV.desktop", "stale");
    ASSERT_TRUE(desktop_shortcut::create(desktop, "/opt/tv"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(desktop), std::filesystem::directory_iterator()), 1);
    EXPECT_EQ(home.read("Desktop/TovanTV.desktop"), desktop_shortcut::entryText("/opt/tv"));

    home.write("file", "");
    EXPECT_FALSE(desktop_shortcut::create((home / "file").string(), "/opt/tv"));
}
