// Writes of the settings file on real file systems: links, permissions as an ordinary user
// sees them, leftovers of killed writers and damaged files.
#include "platform/profile.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace platform;
namespace fs = std::filesystem;

namespace {

std::string readValue(const std::string& path, const char* section, const char* key)
{
    std::array<char, 256> buffer {};
    getPrivateProfileString(section, key, "", buffer.data(), buffer.size(), path);
    return buffer.data();
}

// ASCII text as UTF-16 without a mark.
std::string utf16(std::string_view ascii, bool bigEndian)
{
    std::string out;
    for (const char c : ascii) {
        out.push_back(bigEndian ? '\0' : c);
        out.push_back(bigEndian ? c : '\0');
    }
    return out;
}

constexpr uid_t ordinaryUser = 65534; // nobody

// Runs `body` in a child process as an ordinary user, for whom permission bits count (root
// passes them all). Returns what it returned; the caller skips when it cannot switch.
std::optional<bool> asOrdinaryUser(const std::function<bool()>& body)
{
    if (::geteuid() != 0)
        return std::nullopt;
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::setgid(ordinaryUser) != 0 || ::setuid(ordinaryUser) != 0)
            ::_exit(2);
        ::_exit(body() ? 0 : 1);
    }
    int status = -1;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) == 2)
        return std::nullopt;
    return WEXITSTATUS(status) == 0;
}

void giveToOrdinaryUser(const fs::path& path, mode_t mode)
{
    ASSERT_EQ(::chown(path.c_str(), ordinaryUser, ordinaryUser), 0) << path;
    ASSERT_EQ(::chmod(path.c_str(), mode), 0) << path;
}

} // namespace

// A write reaches the file a link names and leaves the link a link; a link the file behind
// which cannot be written fails and changes nothing.
TEST(ProfileFile, WritesGoThroughLinksAndKeepThem)
{
    const struct
    {
        const char* what;
        const char* linkTarget; // relative to the link's folder
        const char* targetFile; // what the write must leave there, nullptr: no file
        bool written;
    } cases[] = {
        {"link to a file elsewhere", "real/Setting.ini", "real/Setting.ini", true},
        {"link to a link", "second-link", "real/Setting.ini", true},
        {"dangling link", "real/created.ini", "real/created.ini", true},
        {"link to a folder", "real", nullptr, false},
    };
    for (const auto& c : cases) {
        TempFolder folder;
        folder.write("real/Setting.ini", "[UpdateVersion]\r\nThisVersion=1.0\r\n");
        fs::create_symlink("real/Setting.ini", folder / "second-link");
        fs::create_symlink(c.linkTarget, folder / "Setting.ini");
        const std::string path = (folder / "Setting.ini").string();

        EXPECT_EQ(writePrivateProfileString("Skin", "Name", "a.she", path), c.written) << c.what;
        EXPECT_TRUE(fs::is_symlink(folder / "Setting.ini")) << c.what;
        EXPECT_EQ(fs::read_symlink(folder / "Setting.ini"), c.linkTarget) << c.what;
        if (c.targetFile) {
            const std::string expected = std::string(c.targetFile) == "real/created.ini"
                ? "[Skin]\r\nName=a.she\r\n"
                : "[UpdateVersion]\r\nThisVersion=1.0\r\n[Skin]\r\nName=a.she\r\n";
            EXPECT_EQ(folder.read(c.targetFile), expected) << c.what;
            EXPECT_EQ(readValue(path, "Skin", "Name"), "a.she") << c.what;
        } else {
            EXPECT_TRUE(fs::is_directory(folder / "real")) << c.what;
        }
        // Nothing is left beside the link or the file it names.
        EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), 3) << c.what;
    }
}

// As an ordinary user: a read-only file is not replaced; a writable file in a read-only
// folder is written in place.
TEST(ProfileFile, PermissionsOfTheFileDecideNotThoseOfTheFolder)
{
    const struct
    {
        const char* what;
        mode_t fileMode;
        mode_t folderMode;
        bool written;
    } cases[] = {
        {"read-only file", 0444, 0755, false},
        {"writable file in a read-only folder", 0644, 0555, true},
        {"read-only file in a read-only folder", 0444, 0555, false},
    };
    for (const auto& c : cases) {
        TempFolder top;
        const std::string before
            = "; a longer line than the new content keeps\r\n[UpdateVersion]\r\nThisVersion=1.0\r\n";
        top.write("app/Setting.ini", before);
        const fs::path app = top / "app";
        const std::string path = (app / "Setting.ini").string();
        giveToOrdinaryUser(top.path(), 0755);
        giveToOrdinaryUser(app / "Setting.ini", c.fileMode);
        giveToOrdinaryUser(app, c.folderMode);

        const auto result
            = asOrdinaryUser([&] { return writePrivateProfileString("UpdateVersion", nullptr, nullptr, path); });
        if (!result)
            GTEST_SKIP() << "cannot run as an ordinary user";
        EXPECT_EQ(*result, c.written) << c.what;
        EXPECT_EQ(top.read("app/Setting.ini"), c.written ? "; a longer line than the new content keeps\r\n" : before)
            << c.what;
        EXPECT_EQ(fs::status(app / "Setting.ini").permissions(), static_cast<fs::perms>(c.fileMode)) << c.what;
        EXPECT_EQ(std::distance(fs::directory_iterator(app), fs::directory_iterator()), 1) << c.what;
    }
}

TEST(ProfileFile, TemporaryFilesOfKilledWritersGoWithTheNextWrite)
{
    TempFolder folder;
    const std::string path = (folder / "Setting.ini").string();
    folder.write("Setting.ini", "[S]\r\nk=1\r\n");
    // What a writer killed after its temporary file was complete leaves.
    folder.write("Setting.ini.aB3xY9", "[S]\r\nk=1\r\nj=2\r\n");
    folder.write("Setting.ini.Q0q0Q0", "");
    // Files that only look alike are someone else's.
    for (const char* other : {"Setting.ini.bak", "Setting.ini.ab-def", "Setting.ini.abcdefg", "Other.ini.aB3xY9"})
        folder.write(other, "keep");

    ASSERT_TRUE(writePrivateProfileString("S", "k", "2", path));
    EXPECT_EQ(folder.read("Setting.ini"), "[S]\r\nk=2\r\n");
    EXPECT_FALSE(folder.exists("Setting.ini.aB3xY9"));
    EXPECT_FALSE(folder.exists("Setting.ini.Q0q0Q0"));
    for (const char* other : {"Setting.ini.bak", "Setting.ini.ab-def", "Setting.ini.abcdefg", "Other.ini.aB3xY9"})
        EXPECT_EQ(folder.read(other), "keep") << other;
}

// UTF-16 of an odd length cannot be taken apart whole: what can be read is read, and the
// first write rewrites the file from it, keeping the damaged file as "Setting.ini.bak".
TEST(ProfileFile, DamagedUtf16FileIsRewrittenFromWhatCouldBeReadAndKeptAsBackup)
{
    const struct
    {
        const char* what;
        std::string damaged;
        std::string rewritten;
    } cases[] = {
        {"mark, one unit and a stray byte", std::string("\xFF\xFE\x6E\x00\x39", 5),
            "\xFF\xFE" + utf16("n\r\n[UpdateVersion]\r\nThisVersion=2.1\r\n", false)},
        {"big-endian section, entry and a stray byte",
            "\xFE\xFF" + utf16("[UpdateVersion]\nThisVersion=1\n", true) + "\x7F",
            "\xFE\xFF" + utf16("[UpdateVersion]\nThisVersion=2.1\n", true)},
    };
    for (const auto& c : cases) {
        TempFolder folder;
        folder.write("Setting.ini", c.damaged);
        const std::string path = (folder / "Setting.ini").string();
        ASSERT_TRUE(writePrivateProfileString("UpdateVersion", "ThisVersion", "2.1", path)) << c.what;
        EXPECT_EQ(folder.read("Setting.ini"), c.rewritten) << c.what;
        EXPECT_EQ(folder.read("Setting.ini.bak"), c.damaged) << c.what;
        EXPECT_EQ(readValue(path, "UpdateVersion", "ThisVersion"), "2.1") << c.what;
        // Once mended the file is written like any other: the copy stays the damaged one.
        ASSERT_TRUE(writePrivateProfileString("UpdateVersion", "ThisVersion", "2.2", path)) << c.what;
        EXPECT_EQ(folder.read("Setting.ini.bak"), c.damaged) << c.what;
    }
}
