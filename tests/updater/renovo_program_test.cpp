// The Renovo program itself, copied with its skin engine into a temporary program folder and
// started offscreen against the local portal server.

#include "tests/support/child_process.h"
#include "tests/support/sim_server.h"

#include "tests/support/wait_for.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

namespace fs = std::filesystem;

namespace {

const fs::path built = TEST_PROGRAM_FOLDER;

std::string emptyList(const std::string& url)
{
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<UpdateList><Url>" + url
        + "</Url><Files/><RunApp>Pallomar.exe</RunApp></UpdateList>\n";
}

} // namespace

TEST(RenovoProgram, StartsFromACopiedFolderAndFetchesTheServerList)
{
    SimServer sim;
    TempFolder folder;
    fs::copy_file(built / "Renovo", folder / "Renovo");
    fs::copy_file(built / "libSkinH.so", folder / "libSkinH.so");
    fs::copy(built / "skin", folder / "skin");
    const std::string base = sim.url("/update/");
    folder.write("UpdList.xml", emptyList(base));
    sim.site().write("update/UpdList.xml", emptyList(base));

    // Started from elsewhere: the program finds its files beside itself, not in the
    // current folder.
    ChildProcess renovo((folder / "Renovo").string(), {}, {"QT_QPA_PLATFORM=offscreen"});
    ASSERT_TRUE(renovo.started());
    EXPECT_TRUE(waitFor([&] { return folder.exists("NewUpdList.xml"); }, 20000))
        << "the list timer ran and fetched the server list";
    EXPECT_EQ(folder.read("NewUpdList.xml"), emptyList(base));
    // Nothing to update: the window stays open for the user's exit.
    EXPECT_EQ(renovo.wait(500), -1);
    const auto requests = sim.server().requests();
    EXPECT_NE(std::find(requests.begin(), requests.end(), "GET /update/UpdList.xml"), requests.end());
}
