#include "common/logic/ReadAndWriteINI.h"
#include "platform/program_folder.h"
#include "tests/support/child_process.h"
#include "tests/support/temp_folder.h"
#include "tv/logic/desktop_shortcut.h"
#include "tv/logic/tv_skin.h"
#include "tv/logic/tv_texts.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

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
    ASSERT_TRUE(desktop_shortcut::create(desktop, "/opt/tv").made);
    home.write("Desktop/TovanTV.desktop", "stale");
    ASSERT_TRUE(desktop_shortcut::create(desktop, "/opt/tv").made);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(desktop), std::filesystem::directory_iterator()), 1);
    EXPECT_EQ(home.read("Desktop/TovanTV.desktop"), desktop_shortcut::entryText("/opt/tv"));

    home.write("file", "");
    const desktop_shortcut::Outcome blocked = desktop_shortcut::create((home / "file").string(), "/opt/tv");
    EXPECT_FALSE(blocked.made);
    EXPECT_FALSE(blocked.reason.empty());
}

// Whatever the program folder, the desktop's own validator accepts the entry, or nothing is
// written and the user is told why.
TEST(DesktopShortcut, EntryValidatesOrNothingIsWrittenForAnyProgramFolder)
{
    const std::string validator = "/usr/bin/desktop-file-validate";
    ASSERT_TRUE(std::filesystem::exists(validator)) << "tools/setup.sh installs desktop-file-utils";
    struct Case
    {
        std::string folder;
        bool made;
    };
    std::vector<Case> cases = {
        {"/opt/tv", true}, {"/home/a b/电视/$HOME`x`\"q\"/100%/;=[]", true}, {"/x\\y", true},
        {"/x\ty\nz\rw", true}, // escaped
        {"/x\xFFy", false}, // not UTF-8
        {"/x\xC3(y", false}, {"/x\xE7\x99", false}, // cut short
        {"/x\xED\xA0\x80", false}, // a surrogate
        {"Mhom/eM", false}, // relative: the desktop would find no program or icon
    };
    for (int c = 1; c < 0x20; ++c)
        if (c != '\t' && c != '\n' && c != '\r')
            cases.push_back({"/x" + std::string(1, static_cast<char>(c)) + "y", false});
    cases.push_back({"/x\x7Fy", false});

    for (const Case& c : cases) {
        TempFolder home;
        const std::string desktop = (home / "Desktop").string();
        const desktop_shortcut::Outcome outcome = desktop_shortcut::create(desktop, c.folder);
        EXPECT_EQ(outcome.made, c.made) << c.folder;
        const auto entry = home / "Desktop" / desktop_shortcut::fileName;
        if (!outcome.made) {
            EXPECT_FALSE(std::filesystem::exists(entry)) << c.folder;
            EXPECT_FALSE(outcome.reason.empty()) << c.folder;
            continue;
        }
        ChildProcess validate(validator, {entry.string()});
        const std::string complaints = validate.readAll();
        EXPECT_EQ(validate.wait(), 0) << c.folder << "\n" << complaints;
        EXPECT_EQ(complaints, "") << c.folder;
    }
}

namespace {

// A program folder with real skin files, for the skin rules that look at the disk.
class TvSkin : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (const char* name : {"skin/时尚星系.she", "skin/白色简约.she", "skin/sub/白色简约.she"})
            program.write(name, "SkinH-she 1\n\n");
        platform::overrideProgramFolder(program.str());
    }
    void TearDown() override { platform::overrideProgramFolder(""); }
    TempFolder program;
};

} // namespace

TEST_F(TvSkin, StoredNameThatIsNoPlainFileOfTheSkinFolderGivesTheDefault)
{
    const struct
    {
        std::string stored;
        std::string inForce;
    } cases[] = {
        {"白色简约.she", "白色简约.she"},
        {"../Setting.ini", "时尚星系.she"},
        {"../skin/白色简约.she", "时尚星系.she"},
        {"sub/白色简约.she", "时尚星系.she"},
        {"..\\skin\\白色简约.she", "时尚星系.she"},
        {program.str() + "/skin/白色简约.she", "时尚星系.she"},
        {"..", "时尚星系.she"},
    };
    for (const auto& c : cases) {
        program.write("Setting.ini", gbk("[Skin]\r\nName=" + c.stored + "\r\n"));
        EXPECT_EQ(tv_skin::startSkinName(), c.inForce) << c.stored;
    }
}

// A chosen skin is either refused (the invalid-skin road, default skin) or read back at the
// next start exactly as chosen.
TEST_F(TvSkin, ChosenNameTheSettingsFileCannotHoldIsRefusedAndAnyOtherIsKept)
{
    const std::string defaultPath = program.str() + "/skin/时尚星系.she";
    const struct
    {
        std::string name;
        bool kept;
    } cases[] = {
        {"a\\b.she", false},
        {"\xF0\x9F\x98\x80.she", false}, // an emoji
        {"\xED\x95\x9C.she", false}, // Hangul
        {"\xEF\xBB\xBFx.she", false}, // U+FEFF
        {"\xFFx.she", false}, // not UTF-8
        {" x.she", false},
        {"x.she ", false},
        {"\"x.she\"", false},
        {"'x.she'", false},
        {"x\n.she", false},
        {"x\x1A.she", false},
        {std::string(251, 'a') + ".she", false}, // 255 bytes
        {std::string(250, 'a') + ".she", true}, // 254 bytes
        {"新 皮肤.she", true},
        {"'x.she", true},
        {"x=y;[z].she", true},
    };
    for (const auto& c : cases) {
        const std::string chosen = program.str() + "/skin/" + c.name;
        program.write("skin/" + c.name, "SkinH-she 1\n\n");
        const tv_skin::Choice choice = tv_skin::choose(chosen);
        EXPECT_TRUE(choice.changes) << c.name;
        EXPECT_EQ(choice.invalid, !c.kept) << c.name;
        EXPECT_EQ(choice.applyPath, c.kept ? chosen : defaultPath) << c.name;
        EXPECT_EQ(choice.skinName, c.kept ? c.name : "时尚星系.she") << c.name;
        // What the shutdown stores is what the next start applies.
        ReadAndWriteINI::WriteSetting(tv_skin::section, tv_skin::key, choice.skinName);
        EXPECT_EQ(tv_skin::startSkinName(), choice.skinName) << c.name;
    }
}
