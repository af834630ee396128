// The whole release road: a maker publishes version 2 of a program folder with the
// publishing tool, the local portal server serves what it wrote, and the installed updater,
// started from a copy of version 1 on a private X display and driven by real clicks, makes
// the installation version 2. A tampered or replayed publication changes nothing.

#include "tests/e2e/program_processes.h"
#include "tests/e2e/x_display.h"
#include "tests/support/minisign_tool.h"
#include "tests/support/publish_tool.h"
#include "tests/support/sim_server.h"
#include "tests/support/temp_folder.h"

#include "tests/support/wait_for.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>
#include <regex>

namespace fs = std::filesystem;

namespace {

const fs::path built = TEST_PROGRAM_FOLDER;
const std::string caption = "Tovanis网络电视-自动更新程序";
const std::string password = "release road\n";

// Every file under `folder` with its bytes.
std::map<std::string, std::string> contents(const TempFolder& folder)
{
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder.path()))
        if (entry.is_regular_file())
            files[fs::relative(entry.path(), folder.path()).generic_string()]
                = folder.read(fs::relative(entry.path(), folder.path()).string());
    return files;
}

// The names whose bytes differ between two snapshots (names only: the bytes are programs).
std::vector<std::string> changed(
    const std::map<std::string, std::string>& before, const std::map<std::string, std::string>& after)
{
    std::vector<std::string> names;
    for (const auto& [name, bytes] : before)
        if (auto it = after.find(name); it == after.end() || it->second != bytes)
            names.push_back(name);
    for (const auto& [name, bytes] : after)
        if (!before.contains(name))
            names.push_back(name);
    return names;
}

void copyFolder(const fs::path& from, const fs::path& to)
{
    fs::create_directories(to);
    fs::copy(from, to, fs::copy_options::recursive | fs::copy_options::overwrite_existing);
}

class ReleaseRoad : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (findInPath("Xvfb").empty() || findInPath("xdotool").empty() || minisign_tool::program().empty())
            GTEST_SKIP()
                << "Xvfb and xdotool drive the updater, minisign keeps the key; install xvfb, xdotool, minisign";
        ASSERT_TRUE(display.running()) << "Xvfb did not start";
        const PublishRun made
            = runPublish({"keygen", "--pub", (keys / "maker.pub").string(), "--key", (keys / "maker.key").string()},
                password + password);
        ASSERT_EQ(made.status, 0) << made.output;

        // Version 1 as the maker builds it: the updater, its libraries and skins, the pages,
        // a second program, a file the next version drops.
        for (const char* name : {"Renovo", "TovanTV"})
            fs::copy_file(built / name, v1 / name);
        for (const auto& entry : fs::directory_iterator(built))
            if (entry.path().extension() == ".so")
                fs::copy_file(entry.path(), v1 / entry.path().filename().string());
        copyFolder(built / "skin", v1 / "skin");
        copyFolder(built / "html", v1 / "html");
        v1.write("notes/old.txt", "dropped by version 2");
        fs::copy_file(keys / "maker.pub", v1 / "update-key.pub");
        ASSERT_EQ(release(v1.path(), work / "out1").status, 0);
        upload(work / "out1");

        // Installed: a copy of version 1 with the list published for it.
        copyFolder(v1.path(), program.path());
        fs::copy_file(work / "out1/UpdList.xml", program / "UpdList.xml");
    }

    PublishRun release(const fs::path& from, const fs::path& out, const std::optional<fs::path>& previous = {})
    {
        std::vector<std::string> args {"release", "--from", from.string(), "--url", updates.url("/update/files/"),
            "--out", out.string(), "--key", (keys / "maker.key").string()};
        if (previous)
            args.insert(args.end(), {"--previous", previous->string()});
        const PublishRun run = runPublish(args, password);
        EXPECT_EQ(run.status, 0) << run.output;
        return run;
    }
    // Files first, the list and its signature last, as a maker uploads.
    void upload(const fs::path& out) { copyFolder(out, updates.site() / "update/files"); }

    long count(const std::string& part)
    {
        const auto all = updates.server().requests();
        return std::count_if(
            all.begin(), all.end(), [&](const std::string& r) { return r.find(part) != std::string::npos; });
    }

    // Requests for the published files, apart from the list and its signature.
    long fileRequests() { return count("/update/files/") - count("/update/files/UpdList.xml"); }

    // One run of the installed updater: it shows and fetches the list; once `ready` holds the
    // update button is clicked until `started` holds (it is enabled when the comparison
    // ends, which nothing outside shows), then, once `done` holds, the exit button until the
    // updater ends (it is enabled again when the update is over).
    // With nothing `offered`, the clicks go on for a while and `started` must never hold.
    void runUpdater(const std::function<bool()>& ready,
        const std::function<bool()>& started,
        const std::function<bool()>& done,
        bool offered = true)
    {
        const long lists = count("GET /update/files/UpdList.xml.minisig");
        ChildProcess updater((program / "Renovo").string(), {}, {"DISPLAY=" + display.name(), "QT_QPA_PLATFORM=xcb"});
        std::optional<std::string> window;
        ASSERT_TRUE(waitFor([&] { return (window = display.findWindow(caption)).has_value(); }, 20000));
        const auto size = display.size(*window).value_or(std::make_pair(0, 0));
        ASSERT_TRUE(waitFor([&] { return count("GET /update/files/UpdList.xml.minisig") > lists; }, 20000));
        ASSERT_TRUE(waitFor(ready, 20000)) << ::testing::PrintToString(updates.server().requests());
        const auto clickUpdate = [&] { display.click(*window, size.first - 151, size.second - 43); };
        if (offered)
            ASSERT_TRUE(repeatUntil(clickUpdate, started, 20000))
                << ::testing::PrintToString(updates.server().requests());
        else
            EXPECT_FALSE(repeatUntil(clickUpdate, started, 3000))
                << ::testing::PrintToString(updates.server().requests());
        ASSERT_TRUE(waitFor(done, 30000)) << ::testing::PrintToString(updates.server().requests());
        EXPECT_TRUE(repeatUntil([&] { display.click(*window, size.first - 53, size.second - 43); },
            [&] { return updater.wait(0) != -1; }, 20000))
            << "the exit button ends the updater";
    }

    SimServer updates;
    XDisplay display;
    TempFolder keys;
    TempFolder v1;
    TempFolder work;
    TempFolder program;
    // Declared last, so that programs still running from the folder end first.
    FolderProcesses programs {program.path()};
};

} // namespace

TEST_F(ReleaseRoad, ThePublishedReleaseBecomesTheInstallationAndATamperedOneChangesNothing)
{
    // Version 2: a program, a library and a page change, a file goes, one comes in a new folder.
    TempFolder v2;
    copyFolder(v1.path(), v2.path());
    v2.write("TovanTV", v1.read("TovanTV") + "\nversion 2\n");
    v2.write("libSkinH.so", v1.read("libSkinH.so") + "\nversion 2\n");
    v2.write("html/loading.html", "<html><body>loading, version 2</body></html>");
    fs::remove(v2 / "notes/old.txt");
    v2.write("news/today/index.html", "<html><body>news of version 2</body></html>");
    ASSERT_EQ(release(v2.path(), work / "out2", work / "out1/UpdList.xml").status, 0);
    upload(work / "out2");

    runUpdater([&] { return count("HEAD /update/files/news/today/index.html") > 0; },
        [&] { return count("GET /update/files/TovanTV") > 0; },
        [&] { return program.read("UpdList.xml") == work.read("out2/UpdList.xml"); });
    for (const char* name : {"TovanTV", "libSkinH.so", "html/loading.html", "news/today/index.html", "Renovo"})
        EXPECT_TRUE(program.read(name) == v2.read(name)) << name << " is version 2's, byte for byte";
    EXPECT_EQ(program.read("notes/old.txt"), "dropped by version 2") << "a dropped file stays where it was";
    EXPECT_EQ(count("/update/files/Renovo"), 0) << "an unchanged file is not fetched";
    EXPECT_FALSE(program.exists("NewUpdList.xml"));

    // A second run finds nothing to fetch: clicks on the update button for a while after the
    // list came ask for no file.
    const long fetches = fileRequests();
    runUpdater([] { return true; }, [&] { return fileRequests() > fetches; }, [] { return true; }, false);
    EXPECT_EQ(fileRequests(), fetches) << ::testing::PrintToString(updates.server().requests());

    // Version 3 changes one page; each of its publications is tampered with on the server.
    TempFolder v3;
    copyFolder(v2.path(), v3.path());
    v3.write("html/loading.html", "<html><body>loading, version 3</body></html>");
    ASSERT_EQ(release(v3.path(), work / "out3", work / "out2/UpdList.xml").status, 0);
    const std::string list3 = work.read("out3/UpdList.xml");
    struct Case
    {
        const char* what;
        std::function<void()> tamper;
        bool refused; // the list itself is refused, in a message box
    };
    const std::vector<Case> cases {
        {"one byte of the page",
            [&] {
                updates.site().write("update/files/html/loading.html", "<html><body>loading, version 4</body></html>");
            },
            false},
        {"the list edited after signing",
            [&] {
                updates.site().write("update/files/UpdList.xml",
                    std::regex_replace(list3, std::regex("RunApp>Pallomar"), "RunApp>TovanTV"));
            },
            true},
        {"the list of version 1 replayed",
            [&] {
                updates.site().write("update/files/UpdList.xml", work.read("out1/UpdList.xml"));
                updates.site().write("update/files/UpdList.xml.minisig", work.read("out1/UpdList.xml.minisig"));
            },
            true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        upload(work / "out3");
        c.tamper();
        const auto before = contents(program);
        const long pages = count("GET /update/files/html/loading.html");
        const long sizes = count("HEAD /update/files/html/loading.html");
        if (c.refused) {
            const long lists = count("GET /update/files/UpdList.xml.minisig");
            ChildProcess updater(
                (program / "Renovo").string(), {}, {"DISPLAY=" + display.name(), "QT_QPA_PLATFORM=xcb"});
            std::optional<std::string> box;
            ASSERT_TRUE(waitFor([&] { return (box = display.findWindow("Renovo")).has_value(); }, 20000))
                << "the refusal shows in a message box";
            EXPECT_GT(count("GET /update/files/UpdList.xml.minisig"), lists);
            // The user presses Return on the box, and the updater closes.
            EXPECT_TRUE(repeatUntil(
                [&] {
                    display.input({"windowfocus", *box});
                    display.keys({"Return"});
                },
                [&] { return updater.wait(0) != -1; }, 10000))
                << "the box's OK ends the updater";
        } else {
            runUpdater([&] { return count("HEAD /update/files/html/loading.html") > sizes; },
                [&] { return count("GET /update/files/html/loading.html") > pages; }, [] { return true; });
        }
        EXPECT_EQ(count("GET /update/files/html/loading.html") > pages, !c.refused) << "fetched, and discarded";
        EXPECT_EQ(changed(before, contents(program)), std::vector<std::string> {})
            << "nothing changed in the installation";
    }
}
