// The real updater in program folders it must not change: a system installation (the
// package's marker), another user's portable folder, and a read-only copy. Each time it
// says why in a message box (and on standard error) before it reads, fetches or writes
// anything, and the folder stays as it was, byte for byte.

#include "platform/file_util.h"
#include "platform/installation.h"
#include "tests/e2e/x_display.h"
#include "tests/support/child_process.h"
#include "tests/support/sim_server.h"
#include "tests/support/temp_folder.h"
#include "tests/support/update_list_xml.h"
#include "tests/support/wait_for.h"
#include "updater/logic/file_digest.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sys/mount.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const fs::path built = TEST_PROGRAM_FOLDER;

// Every file of a folder with its digest and permissions.
std::map<std::string, std::string> manifest(const fs::path& folder)
{
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        std::string state = std::to_string(static_cast<int>(entry.status().permissions()));
        if (entry.is_regular_file())
            state += " "
                + file_digest::toHex(file_digest::sha256(platform::readWholeFile(entry.path().string()).value_or("?")));
        files[fs::relative(entry.path(), folder).string()] = state;
    }
    return files;
}

class UpdaterRefusal : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (::geteuid() != 0 || findInPath("Xvfb").empty() || findInPath("setpriv").empty())
            GTEST_SKIP() << "runs the updater as another user (setpriv, as root) on Xvfb";
        ASSERT_TRUE(display.running());
        // A portable folder as root unpacked it: readable by everyone, writable by root only.
        fs::permissions(root.path(), fs::perms::all & ~fs::perms::group_write & ~fs::perms::others_write);
        fs::create_directory(program);
        fs::copy_file(built / "Renovo", program / "Renovo");
        for (const auto& entry : fs::directory_iterator(built))
            if (entry.path().extension() == ".so")
                fs::copy_file(entry.path(), program / entry.path().filename());
        fs::copy(built / "skin", program / "skin", fs::copy_options::recursive);
        root.write("Pallomar/UpdList.xml", listXml(updates.url("/update/files/"), {{"a.dat", "1"}}));
        updates.site().write("update/files/UpdList.xml", listXml(updates.url("/update/files/"), {{"a.dat", "2"}}));
    }

    // Runs the updater from `folder` (as the user `uid`), waits for its message; returns
    // what it wrote on standard error.
    std::string refusalOf(const fs::path& folder, const std::string& uid)
    {
        const std::vector<std::string> args {"-c",
            "exec setpriv --reuid=" + uid + " --regid=" + uid + " --clear-groups -- \"$0\" 2>&1",
            (folder / "Renovo").string()};
        ChildProcess updater("/bin/sh", args, {"DISPLAY=" + display.name(), "QT_QPA_PLATFORM=xcb", "HOME=/"});
        // Qt may warn first (no runtime folder for that user).
        std::string said;
        for (int i = 0; i < 20 && said.rfind("Renovo: ", 0) != 0; ++i)
            said = updater.readLine(20000);
        EXPECT_TRUE(waitFor([&] { return display.findWindow("Renovo").has_value(); }, 20000))
            << "the reason shows in a message box";
        EXPECT_TRUE(display.findWindow("Tovanis网络电视-自动更新程序") == std::nullopt) << "no updater window";
        return said;
    }

    SimServer updates;
    XDisplay display;
    TempFolder root;
    const fs::path program = root / "Pallomar";
};

} // namespace

TEST_F(UpdaterRefusal, SaysWhyAndChangesNothingInAFolderItMayNotUpdate)
{
    const std::string nobody = "65534";
    const auto before = manifest(program);

    // Another user's portable folder.
    std::string said = refusalOf(program, nobody);
    EXPECT_NE(said.find("无法更新程序文件夹 " + program.string() + "："), std::string::npos) << said;
    EXPECT_NE(said.find("没有写入权限"), std::string::npos) << said;

    // A read-only copy, even for root.
    TempFolder view;
    ASSERT_EQ(::mount(program.c_str(), view.path().c_str(), nullptr, MS_BIND, nullptr), 0);
    ASSERT_EQ(::mount(nullptr, view.path().c_str(), nullptr, MS_BIND | MS_REMOUNT | MS_RDONLY, nullptr), 0);
    said = refusalOf(view.path(), "0");
    ::umount(view.path().c_str());
    EXPECT_NE(said.find(view.str()), std::string::npos) << said;
    EXPECT_NE(said.find("只读"), std::string::npos) << said;
    EXPECT_EQ(manifest(program), before);

    // A system installation: the package manager updates it, for root as for anyone.
    root.write(std::string("Pallomar/") + platform::installation::systemMarkerFile, "");
    const auto packaged = manifest(program);
    for (const std::string& user : {nobody, std::string("0")}) {
        said = refusalOf(program, user);
        EXPECT_NE(said.find("软件包管理器"), std::string::npos) << said;
    }
    EXPECT_EQ(manifest(program), packaged);
    EXPECT_TRUE(updates.server().requests().empty()) << "nothing fetched";
}
