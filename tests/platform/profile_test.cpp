#include "platform/profile.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

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

// Files as other programs leave them, read and changed the way the real profile functions do.
TEST(ProfileStrings, FilesWithMarksBracketsDoubleByteNamesAndOddLinesReadAsTheRealFunctionsDo)
{
    const struct
    {
        const char* what;
        std::string file;
        const char* section;
        const char* key;
        const char* expected; // nullptr: the default
    } cases[] = {
        {"UTF-8 mark", "\xEF\xBB\xBF[S]\r\nk=1\r\n", "S", "k", "1"},
        {"UTF-8 value in GBK", "\xEF\xBB\xBF[Skin]\r\nName=\xE7\x99\xBD.she\r\n", "Skin", "Name", "\xB0\xD7.she"},
        {"UTF-16 LE",
            std::string("\xFF\xFE[\0S\0]\0\r\0\n\0k\0=\0"
                        "2\0",
                18),
            "S", "k", "2"},
        {"bracket in a name", "[a]b]\r\nk=3\r\n", "a]b", "k", "3"},
        {"GBK trail byte ]", "[\x81\x5D]\r\nk=4\r\n", "\x81\x5D", "k", "4"},
        {"GBK trail bytes never fold", "[S]\r\n\x95\x52=5\r\n", "S", "\x95\x72", nullptr},
        {"ASCII letters fold", "[S]\r\nKEY=6\r\n", "s", "key", "6"},
        {"[ without ] is no section", "[Skin\r\nk=1\r\n", "Skin", "k", nullptr},
        {"a key may begin with [", "[S]\r\n[k=7\r\n", "S", "[k", "7"},
        {"an empty key name", "[S]\r\n=v\r\n", "S", "", nullptr},
        {"lone CR ends a line", "[S]\rk=8\rj=9", "S", "j", "9"},
        {"a line without = is an entry with an empty value", "[S]\r\nName\r\nName=x\r\n", "S", "Name", ""},
        {"NUL ends a line's text", std::string("[S]\r\nk=a\0b\r\n", 12), "S", "k", "a"},
        {"Ctrl-Z ends a line's text", "[S]\r\nj=v\x1A\r\n", "S", "j", "v"},
        {"Ctrl-Z before the = leaves a bare key", "[S]\r\nj\x1A=v\r\n", "S", "j", ""},
        {"[] is no header", "[S]\r\n[]\r\nj=2\r\n", "S", "j", "2"},
        {"keys before the first header are the section \"\"", "j=3\r\n[S]\r\nj=4\r\n", "", "j", "3"},
        {"[] does not start the section \"\"", "[S]\r\n[]\r\nj=2\r\n", "", "j", nullptr},
    };
    for (const auto& c : cases) {
        TempFolder folder;
        folder.write("Setting.ini", c.file);
        const std::string path = (folder / "Setting.ini").string();
        EXPECT_EQ(read(path, c.section, c.key, 144, "default").text, c.expected ? c.expected : "default") << c.what;
    }
}

TEST(ProfileStrings, WritesKeepTheFilesEncodingAndReadBackWhatTheyStored)
{
    TempFolder folder;
    const std::string path = (folder / "Setting.ini").string();

    // A first section hidden by a byte-order mark would be added a second time.
    folder.write("Setting.ini", "\xEF\xBB\xBF[S]\r\nk=1\r\n");
    ASSERT_TRUE(writePrivateProfileString("S", "k", "\xB0\xD7", path)); // GBK for U+767D
    EXPECT_EQ(folder.read("Setting.ini"), "\xEF\xBB\xBF[S]\r\nk=\xE7\x99\xBD\r\n");

    // UTF-16 stays UTF-16, with every other line as it was.
    const std::string utf16("\xFF\xFE[\0S\0]\0\r\0\n\0x\0=\0\x3D\xD8\x00\xDE\r\0\n\0", 24); // x = U+1F600
    folder.write("Setting.ini", utf16);
    ASSERT_TRUE(writePrivateProfileString("S", "k", "2", path));
    EXPECT_EQ(folder.read("Setting.ini"),
        utf16
            + std::string("k\0=\0"
                          "2\0\r\0\n\0",
                10));
    EXPECT_EQ(read(path, "S", "k").text, "2");

    // A section name with "]" and a double-byte name ending in 0x5D are found again, once.
    folder.write("Setting.ini", "");
    for (int i = 0; i < 2; ++i) {
        ASSERT_TRUE(writePrivateProfileString("a]b", "k", "1", path));
        ASSERT_TRUE(writePrivateProfileString("\x81\x5D", "k", "2", path));
    }
    EXPECT_EQ(folder.read("Setting.ini"), "[a]b]\r\nk=1\r\n[\x81\x5D]\r\nk=2\r\n");

    // A value's line breaks make no keys or sections of their own.
    ASSERT_TRUE(writePrivateProfileString("V", "ThisVersion", "0\n9\r\n[X]\r\ny=1", path));
    EXPECT_EQ(read(path, "V", "ThisVersion").text, "09[X]y=1");
    EXPECT_EQ(read(path, "X", "y", 144, "none").text, "none");

    // What could never be read back is not written at all.
    const std::string before = folder.read("Setting.ini");
    EXPECT_FALSE(writePrivateProfileString("V", "", "v", path));
    EXPECT_FALSE(writePrivateProfileString("V", "[k]", "v", path));
    EXPECT_FALSE(writePrivateProfileString("V", "a=b", "v", path));
    EXPECT_EQ(folder.read("Setting.ini"), before);

    // A null default with a missing key reads as empty text.
    EXPECT_EQ(read(path, "V", "missing", 144, nullptr).count, 0u);
    // A double-byte character is never cut in half.
    ASSERT_TRUE(writePrivateProfileString("V", "w", "ab\xB0\xD7", path));
    EXPECT_EQ(read(path, "V", "w", 4).text, "ab");
}

TEST(ProfileStrings, TwoProcessesWritingAtOnceLoseNothing)
{
    TempFolder folder;
    const std::string path = (folder / "Setting.ini").string();
    constexpr int writesEach = 300;
    std::vector<pid_t> writers;
    for (const char* section : {"UpdatePalloVersion", "UpdateVersion"}) {
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            bool ok = true;
            for (int i = 0; i < writesEach; ++i)
                ok = writePrivateProfileString(section, ("k" + std::to_string(i)).c_str(), "v", path) && ok;
            ::_exit(ok ? 0 : 1);
        }
        writers.push_back(pid);
    }
    for (const pid_t pid : writers) {
        int status = -1;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    int found = 0;
    for (const char* section : {"UpdatePalloVersion", "UpdateVersion"})
        for (int i = 0; i < writesEach; ++i)
            found += read(path, section, ("k" + std::to_string(i)).c_str()).text == "v" ? 1 : 0;
    EXPECT_EQ(found, 2 * writesEach);
    for (const auto& entry : std::filesystem::directory_iterator(folder.path()))
        EXPECT_EQ(entry.path().filename(), "Setting.ini") << "no temporary file is left behind";
}

// What our writes leave reads the same by the rules above: the first line of a key, bare or
// not, is the one written; the section "" is the top of the file.
TEST(ProfileStrings, WritesChangeTheEntryTheRealFunctionsRead)
{
    TempFolder folder;
    const std::string path = (folder / "Setting.ini").string();
    folder.write("Setting.ini", "[S]\r\nName\r\nName=x\r\n");
    ASSERT_TRUE(writePrivateProfileString("S", "Name", "y", path));
    EXPECT_EQ(folder.read("Setting.ini"), "[S]\r\nName=y\r\nName=x\r\n");
    EXPECT_EQ(read(path, "S", "Name").text, "y");

    folder.write("Setting.ini", "; top\r\n[S]\r\n[]\r\nj=1\r\n");
    ASSERT_TRUE(writePrivateProfileString("", "j", "0", path));
    ASSERT_TRUE(writePrivateProfileString("S", "k",
        "a\x1A"
        "b",
        path));
    EXPECT_EQ(folder.read("Setting.ini"), "; top\r\nj=0\r\n[S]\r\n[]\r\nj=1\r\nk=ab\r\n");
    EXPECT_EQ(read(path, "", "j").text, "0");
    EXPECT_EQ(read(path, "S", "j").text, "1");
    ASSERT_TRUE(writePrivateProfileString("", nullptr, nullptr, path));
    EXPECT_EQ(folder.read("Setting.ini"), "[S]\r\n[]\r\nj=1\r\nk=ab\r\n");
}
