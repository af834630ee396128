#include "platform/program_folder.h"
#include "platform/program_start.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

using namespace platform;

namespace {

// Waits up to five seconds for a file a started program writes.
std::string waitForFile(const TempFolder& folder, const std::string& name)
{
    for (int i = 0; i < 500; ++i) {
        if (folder.exists(name)) {
            const std::string text = folder.read(name);
            if (!text.empty() && text.back() == '\n')
                return text;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return {};
}

void writeScript(const TempFolder& folder, const std::string& name, const std::string& body)
{
    folder.write(name, "#!/bin/sh\n" + body);
    std::filesystem::permissions(folder / name, std::filesystem::perms::owner_all);
}

} // namespace

TEST(ProgramStart, StartsWithoutArgumentsAndWithoutWaiting)
{
    TempFolder folder;
    writeScript(folder, "Renovo", "sleep 0.3; echo \"$# $PPID\" > \"$(dirname \"$0\")/started.txt\"\n");
    const auto before = std::chrono::steady_clock::now();
    ASSERT_TRUE(startProgram((folder / "Renovo").string()));
    // The call does not wait for the program's 0.3 s of work.
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::milliseconds(250));
    const std::string line = waitForFile(folder, "started.txt");
    ASSERT_FALSE(line.empty());
    EXPECT_EQ(line.substr(0, 2), "0 "); // no arguments
}

TEST(ProgramStart, MissingOrNonExecutableProgramIsReported)
{
    TempFolder folder;
    EXPECT_FALSE(startProgram((folder / "Renovo").string()));
    EXPECT_FALSE(startProgram(""));
    folder.write("plain.txt", "not a program");
    EXPECT_FALSE(startProgram((folder / "plain.txt").string()));
}

TEST(ProgramStart, SystemBrowserIsTheBrowserVariableWhenSet)
{
    TempFolder folder;
    writeScript(folder, "browser", "echo \"$1\" > \"$(dirname \"$0\")/opened.txt\"\n");
    ScopedEnv browser("BROWSER", (folder / "browser").string());
    ASSERT_TRUE(openInSystemBrowser("http://example.invalid/a?b=1&c=2"));
    EXPECT_EQ(waitForFile(folder, "opened.txt"), "http://example.invalid/a?b=1&c=2\n");

    ScopedEnv missing("BROWSER", (folder / "no-browser").string());
    EXPECT_FALSE(openInSystemBrowser("http://example.invalid/"));
}

TEST(ProgramFolder, PathsAreJoinedTheProgramsWay)
{
    EXPECT_EQ(nativePath("\\html\\loading.html"), "/html/loading.html");
    EXPECT_EQ(joinPath("/opt/tovan", "\\html\\loading.html"), "/opt/tovan/html/loading.html");
    EXPECT_EQ(joinPath("/", "\\Setting.ini"), "/Setting.ini"); // drive root: one separator
    EXPECT_EQ(joinPath("/opt/tovan", "/bin/tovanT.ocx"), "/opt/tovan/bin/tovanT.ocx");
    EXPECT_EQ(executableFileName("Renovo.exe"), "Renovo");
    EXPECT_EQ(executableFileName("Pallomar.EXE"), "Pallomar");
    EXPECT_EQ(executableFileName("tool"), "tool");

    // The real folder is the one holding this test's executable.
    EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(programFolder()) / "program_start_test"));
    overrideProgramFolder("/tmp/x/");
    EXPECT_EQ(programFolder(), "/tmp/x");
    overrideProgramFolder("");
    EXPECT_NE(programFolder(), "/tmp/x");
}
