#include "tests/support/child_process.h"
#include "tests/support/temp_folder.h"
#include "updater/logic/modPublic.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

namespace {

// A copy of sleep under a name no other process on the machine has.
std::string copySleeper(const TempFolder& folder, const std::string& name)
{
    const auto target = folder / name;
    std::filesystem::copy_file("/bin/sleep", target);
    std::filesystem::permissions(target, std::filesystem::perms::owner_all, std::filesystem::perm_options::add);
    return target.string();
}

std::string uniqueName()
{
    return "RenovoProbe" + std::to_string(::getpid());
}

} // namespace

TEST(ProcessControl, FindsARunningProgramByItsPathAndEndsIt)
{
    TempFolder folder;
    const std::string path = copySleeper(folder, uniqueName());
    ChildProcess child(path, {"60"});
    ASSERT_TRUE(child.started());

    std::string found;
    platform::ProcessHandle handle = modPublic::FindProcess(uniqueName(), found);
    ASSERT_GT(handle.value(), 0);
    EXPECT_EQ(handle.pid(), child.pid());
    EXPECT_EQ(found, path);

    // Letter case is ignored and a part of the name is enough.
    std::string again;
    EXPECT_GT(modPublic::FindProcess("renovoprobe" + std::to_string(::getpid()), again).value(), 0);
    EXPECT_EQ(again, path);
    EXPECT_GT(modPublic::FindProcess("Probe" + std::to_string(::getpid()), again).value(), 0);

    EXPECT_TRUE(modPublic::KillProcess(handle));
    EXPECT_NE(child.wait(5000), -1);
    std::string none = "unchanged";
    EXPECT_EQ(modPublic::FindProcess(uniqueName(), none).value(), 0);
    EXPECT_EQ(none, "unchanged");
}

TEST(ProcessControl, AHandleNeverReachesAnotherProcess)
{
    TempFolder folder;
    const std::string path = copySleeper(folder, uniqueName());
    ChildProcess child(path, {"60"});
    ASSERT_TRUE(child.started());

    // An id whose executable is not the one expected is not opened.
    EXPECT_FALSE(platform::openProcess(child.pid(), "/bin/other").valid());

    platform::ProcessHandle handle = platform::openProcess(child.pid(), path);
    ASSERT_TRUE(handle.valid());
    ::kill(child.pid(), SIGKILL);
    child.wait(5000);
    // The process has ended and been reaped: the handle still names it, and ending it again
    // cannot hit whatever gets its id next.
    EXPECT_FALSE(platform::terminateProcess(handle));
    EXPECT_FALSE(platform::terminateProcess(platform::ProcessHandle()));
}

TEST(ProcessControl, ProcessListHoldsNamesAndPaths)
{
    const auto processes = platform::listProcesses();
    const auto self
        = std::find_if(processes.begin(), processes.end(), [](const auto& entry) { return entry.pid == ::getpid(); });
    ASSERT_NE(self, processes.end());
    EXPECT_EQ(self->exeFileName, "updater_process_test");
    EXPECT_TRUE(platform::processExecutablePath(::getpid())->ends_with("/updater_process_test"));
    EXPECT_FALSE(platform::processExecutablePath(-1).has_value());
}
