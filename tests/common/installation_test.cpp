// The two ways the programs are installed, on real folders: the package's marker alone
// decides the mode; a system installation writes every run-time file under the user's XDG
// folders and never starts the updater; the updater says why it will not touch a folder.

#include "common/logic/ReadAndWriteINI.h"
#include "common/logic/ad_control.h"
#include "common/logic/ini.h"
#include "common/logic/self_update.h"
#include "common/logic/update_check.h"
#include "common/logic/update_notice.h"
#include "platform/installation.h"
#include "tests/common/update_test_support.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <set>
#include <sys/mount.h>
#include <unistd.h>

namespace fs = std::filesystem;
using platform::installation::Mode;

namespace {

std::set<std::string> filesUnder(const fs::path& folder)
{
    std::set<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        names.insert(fs::relative(entry.path(), folder).string());
    return names;
}

class Installation : public ::testing::Test, public UpdateServerFixture
{
protected:
    void makeSystemInstallation() const { program.folder.write(platform::installation::systemMarkerFile, ""); }

    TempProgramFolder program;
    TempFolder home;
    ScopedEnv homeVariable {"HOME", home.str()};
    ScopedEnv configVariable {"XDG_CONFIG_HOME", ""};
    ScopedEnv cacheVariable {"XDG_CACHE_HOME", ""};
};

} // namespace

TEST_F(Installation, TheMarkerAloneDecidesAndSystemFoldersFollowTheXdgRules)
{
    // A folder nobody may write is still portable: permissions never switch the mode.
    fs::permissions(program.folder.path(), fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_EQ(platform::installation::mode(), Mode::Portable);
    EXPECT_EQ(platform::installation::settingsFolder(), program.folder.str());
    EXPECT_EQ(platform::installation::cacheFolder(), program.folder.str());
    fs::permissions(program.folder.path(), fs::perms::owner_all);

    TempFolder packaged;
    packaged.write(platform::installation::systemMarkerFile, "");
    platform::overrideProgramFolder(packaged.str());
    EXPECT_EQ(platform::installation::mode(), Mode::System);
    TempFolder xdg;
    // Empty or relative values are not absolute paths: the XDG rules fall back to the home.
    for (const char* value : {"", "relative/folder"}) {
        const ScopedEnv config("XDG_CONFIG_HOME", value);
        const ScopedEnv cache("XDG_CACHE_HOME", value);
        EXPECT_EQ(platform::installation::settingsFolder(), home.str() + "/.config/pallomar") << value;
        EXPECT_EQ(platform::installation::cacheFolder(), home.str() + "/.cache/pallomar") << value;
    }
    const ScopedEnv config("XDG_CONFIG_HOME", (xdg / "conf/").string());
    const ScopedEnv cache("XDG_CACHE_HOME", (xdg / "cache").string());
    EXPECT_EQ(platform::installation::settingsFolder(), (xdg / "conf/pallomar").string());
    EXPECT_EQ(platform::installation::cacheFolder(), (xdg / "cache/pallomar").string());
    // Made on demand, private to the user.
    EXPECT_EQ(fs::status(xdg / "conf/pallomar").permissions() & fs::perms::all, fs::perms::owner_all);
}

TEST_F(Installation, ASystemInstallationWritesOnlyUnderTheUsersFoldersAndNeverStartsTheUpdater)
{
    makeSystemInstallation();
    program.installUpdater();
    const std::set<std::string> installed = filesUnder(program.folder.path());

    // The update road as far as a shell takes it, and the advertisement control's copy.
    ini::WriteSetting("UpdatePalloVersion", "ThisPalloVersion", "1.0");
    serve("2.1", "新版本");
    PlainUpdateHost portal(Shell::Portal);
    runUpdateCheck(portal);
    EXPECT_TRUE(portal.fields.updateFlag);
    const auto items = ad_control::keepLocalCopyAndReadItems(
        "on\r\noff", platform::installation::cacheFolder(), adShellNames(Shell::Portal).localCopy);
    EXPECT_EQ(items, (std::vector<std::string> {"on", "off"}));
    EXPECT_FALSE(self_update::enabled());
    EXPECT_FALSE(update_notice::startUpdater());
    update_notice::accept(Shell::Portal, "2.1");

    EXPECT_EQ(filesUnder(program.folder.path()), installed) << "nothing written into the program folder";
    EXPECT_FALSE(program.updaterStarted());
    EXPECT_TRUE(home.exists(".config/pallomar/Setting.ini"));
    EXPECT_EQ(ReadAndWriteINI::ReadSettingPlain("UpdatePalloVersion", "ThisPalloVersion"), "2.1");
    EXPECT_TRUE(home.exists(".cache/pallomar/bin/PallomarAdControl.txt"));
    // The accepted notice removed the local version pair from the cache folder.
    EXPECT_FALSE(home.exists(".cache/pallomar/updatePallo.txt"));
}

TEST_F(Installation, TheUpdaterRefusesAFolderItMayNotChangeAndSaysWhy)
{
    const std::string folder = "/opt/pallomar";
    struct Case
    {
        Mode mode;
        int probe;
        std::vector<std::string> says; // empty: no refusal
    };
    const Case cases[] = {
        {Mode::System, 0, {"软件包管理器"}},
        {Mode::System, EACCES, {"软件包管理器"}},
        {Mode::Portable, 0, {}},
        {Mode::Portable, EACCES, {folder, "没有写入权限", "Permission denied"}},
        {Mode::Portable, EROFS, {folder, "只读", "Read-only file system"}},
        {Mode::Portable, ENOENT, {folder, "不存在"}},
        {Mode::Portable, EIO, {folder, "无法写入", "Input/output error"}},
    };
    for (const Case& c : cases) {
        const std::string text = self_update::refusal(c.mode, folder, c.probe);
        EXPECT_EQ(text.empty(), c.says.empty()) << c.probe;
        for (const std::string& part : c.says)
            EXPECT_NE(text.find(part), std::string::npos) << text << " lacks " << part;
    }
    EXPECT_EQ(self_update::refusal(Mode::System, folder, 0), self_update::packageManagedText);
}

TEST_F(Installation, TheWriteProbeFindsReadOnlyFoldersAndLeavesNothingBehind)
{
    EXPECT_EQ(platform::installation::writeProbe(program.folder.str()), 0);
    EXPECT_TRUE(filesUnder(program.folder.path()).empty());
    EXPECT_EQ(platform::installation::writeProbe((program.folder / "missing").string()), ENOENT);
    EXPECT_EQ(self_update::updaterRefusal(program.folder.str()), "");

    // A read-only copy: a read-only bind mount (root may write anywhere else).
    TempFolder view;
    if (::geteuid() == 0) {
        ASSERT_EQ(::mount(program.folder.str().c_str(), view.path().c_str(), nullptr, MS_BIND, nullptr), 0);
        ASSERT_EQ(::mount(nullptr, view.path().c_str(), nullptr, MS_BIND | MS_REMOUNT | MS_RDONLY, nullptr), 0);
        EXPECT_EQ(platform::installation::writeProbe(view.str()), EROFS);
        platform::overrideProgramFolder(view.str());
        EXPECT_NE(self_update::updaterRefusal(view.str()).find("只读"), std::string::npos);
        platform::overrideProgramFolder(program.folder.str());
        ::umount(view.path().c_str());
    } else {
        fs::permissions(view.path(), fs::perms::owner_read | fs::perms::owner_exec);
        EXPECT_EQ(platform::installation::writeProbe(view.str()), EACCES);
        fs::permissions(view.path(), fs::perms::owner_all);
    }
}
