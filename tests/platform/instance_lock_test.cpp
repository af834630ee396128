#include "platform/instance_lock.h"
#include "platform/program_start.h"
#include "tests/support/child_process.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <functional>
#include <memory>
#include <thread>
#include <unistd.h>

namespace {

using Result = platform::InstanceLock::Result;

bool eventually(const std::function<bool()>& done)
{
    for (int i = 0; i < 500; ++i) {
        if (done())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

} // namespace

TEST(InstanceLock, OneHolderPerProgramAndFolderUntilItGoes)
{
    TempFolder runtime;
    ScopedEnv variable("XDG_RUNTIME_DIR", runtime.str());
    auto first = std::make_unique<platform::InstanceLock>("TovanTV", "/opt/tv");
    EXPECT_EQ(first->path().rfind(runtime.str() + "/TovanTV-", 0), 0U) << first->path();
    EXPECT_EQ(first->acquire(), Result::Acquired);
    EXPECT_EQ(first->acquire(), Result::Acquired);

    platform::InstanceLock second("TovanTV", "/opt/tv");
    EXPECT_EQ(second.acquire(), Result::HeldElsewhere);
    platform::InstanceLock otherFolder("TovanTV", "/opt/tv2");
    EXPECT_EQ(otherFolder.acquire(), Result::Acquired);
    platform::InstanceLock otherProgram("Pallomar", "/opt/tv");
    EXPECT_EQ(otherProgram.acquire(), Result::Acquired);

    first.reset();
    EXPECT_EQ(second.acquire(), Result::Acquired);
}

TEST(InstanceLock, WithoutARuntimeFolderTheTemporaryFolderHoldsItPerUser)
{
    ScopedEnv variable("XDG_RUNTIME_DIR", "/nonexistent/runtime");
    platform::InstanceLock lock("TovanTV", "/opt/tv");
    EXPECT_EQ(lock.path().rfind("/tmp/TovanTV-" + std::to_string(::getuid()) + "-", 0), 0U) << lock.path();
    EXPECT_EQ(lock.acquire(), Result::Acquired);
}

TEST(InstanceLock, AKilledHolderFreesItAndAProgramStartedByTheHolderDoesNotKeepIt)
{
    TempFolder runtime;
    ScopedEnv variable("XDG_RUNTIME_DIR", runtime.str());
    platform::InstanceLock probe("TovanTV", "/opt/tv");

    // Another process takes the lock file with flock(1), then dies by SIGKILL.
    {
        ChildProcess holder(
            "/bin/sh", {"-c", "exec 9>\"$0\" && flock --nonblock 9 && echo held && exec sleep 30", probe.path()});
        ASSERT_EQ(holder.readLine(), "held");
        EXPECT_EQ(probe.acquire(), Result::HeldElsewhere);
        ::kill(holder.pid(), SIGKILL);
        holder.wait();
    }
    EXPECT_EQ(probe.acquire(), Result::Acquired);

    // A program the holder starts lives on after the holder let go, without the lock.
    TempFolder folder;
    folder.write("child",
        "#!/bin/sh\necho $$ > \"$(dirname \"$0\")/pid.tmp\"\n"
        "mv \"$(dirname \"$0\")/pid.tmp\" \"$(dirname \"$0\")/pid\"\nexec sleep 30\n");
    std::filesystem::permissions(folder / "child", std::filesystem::perms::owner_all);
    auto holder = std::make_unique<platform::InstanceLock>("TovanTV", "/opt/tv2");
    ASSERT_EQ(holder->acquire(), Result::Acquired);
    ASSERT_TRUE(platform::startProgram((folder / "child").string()));
    ASSERT_TRUE(eventually([&] { return folder.exists("pid"); }));
    const int child = std::stoi(folder.read("pid"));
    holder.reset();
    platform::InstanceLock next("TovanTV", "/opt/tv2");
    EXPECT_EQ(::kill(child, 0), 0) << "the started program still runs";
    EXPECT_EQ(next.acquire(), Result::Acquired);
    ::kill(child, SIGKILL);
}
