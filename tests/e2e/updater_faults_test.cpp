// The real updater, started from a copied program folder on a private X display and driven
// by real clicks, against a local server whose list or files would harm the installation:
// a link out of the folder, a name that is no file, a broken list, an endless body, a size
// request that never ends; and, with the maker's key installed, lists signed with the
// minisign tool, one changed after signing, a download killed half-way.

#include "tests/e2e/program_processes.h"
#include "tests/e2e/x_display.h"
#include "tests/support/child_process.h"
#include "tests/support/minisign_tool.h"
#include "tests/support/sim_server.h"
#include "tests/support/temp_folder.h"
#include "updater/logic/file_digest.h"

#include "tests/support/update_list_xml.h"
#include "tests/support/wait_for.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <functional>
#include <sys/mount.h>
#include <sys/stat.h>
#include <thread>

namespace fs = std::filesystem;

namespace {

const fs::path built = TEST_PROGRAM_FOLDER;
const std::string caption = "Tovanis网络电视-自动更新程序";

// A list naming each file (name, version, bytes) with its size and digest.
std::string digestList(const std::string& url, const std::vector<std::array<std::string, 3>>& files)
{
    std::string xml = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<UpdateList Serial=\"1\">\n  <Url>" + url
        + "</Url>\n  <Files>\n";
    for (const auto& [name, ver, bytes] : files)
        xml += "    <File Name=\"" + name + "\" Ver=\"" + ver + "\" Size=\"" + std::to_string(bytes.size())
            + "\" Sha256=\"" + file_digest::toHex(file_digest::sha256(bytes)) + "\"/>\n";
    return xml + "  </Files>\n  <RunApp>Pallomar.exe</RunApp>\n</UpdateList>\n";
}

class UpdaterFaults : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (findInPath("Xvfb").empty() || findInPath("xdotool").empty() || minisign_tool::program().empty())
            GTEST_SKIP() << "Xvfb and xdotool drive the updater's window, minisign signs its lists; install the "
                            "packages xvfb, xdotool and minisign";
        ASSERT_TRUE(display.running()) << "Xvfb did not start";
        fs::copy_file(built / "Renovo", program / "Renovo");
        for (const auto& entry : fs::directory_iterator(built))
            if (entry.path().extension() == ".so")
                fs::copy_file(entry.path(), program / entry.path().filename().string());
        fs::copy(built / "skin", program / "skin", fs::copy_options::recursive);
    }

    std::string base() { return updates.url("/update/files/"); }
    void serve(const std::string& path, const std::string& bytes)
    {
        updates.site().write("update/files/" + path, bytes);
    }

    // Starts the updater and waits for its window; its size, for the buttons.
    std::pair<int, int> startUpdater(const std::vector<std::string>& environment = {})
    {
        std::vector<std::string> all {"DISPLAY=" + display.name(), "QT_QPA_PLATFORM=xcb"};
        all.insert(all.end(), environment.begin(), environment.end());
        updater = std::make_unique<ChildProcess>((program / "Renovo").string(), std::vector<std::string> {}, all);
        EXPECT_TRUE(waitFor([&] { return (window = display.findWindow(caption)).has_value(); }, 20000))
            << "the updater's window shows";
        const auto size = window ? display.size(*window) : std::nullopt;
        return size.value_or(std::make_pair(0, 0));
    }
    bool got(const std::string& request)
    {
        const auto all = updates.server().requests();
        return std::find(all.begin(), all.end(), request) != all.end();
    }
    // The update and exit buttons' centres: 90 x 25 pixels, 8 apart, 8 from the right edge,
    // 8 above the 22-pixel status bar.
    void clickUpdate(std::pair<int, int> size) { display.click(*window, size.first - 151, size.second - 43); }
    void clickExit(std::pair<int, int> size) { display.click(*window, size.first - 53, size.second - 43); }
    // Clicks the update button once every file has been listed (the size request of
    // `lastFile` answered and the button enabled), and waits until `started` shows it.
    bool clickUpdateWhenListed(
        std::pair<int, int> size, const std::string& lastFile, const std::function<bool()>& started)
    {
        if (!waitFor([&] { return got("HEAD /update/files/" + lastFile); }, 20000))
            return false;
        // The button is enabled just after the last answer; nothing outside tells when, so
        // the click goes again until the download starts (a click on it disabled is lost).
        return repeatUntil([&] { clickUpdate(size); }, started, 20000);
    }
    bool updaterEnds() { return updater->wait(10000) != -1; }
    // The exit button, again until the updater ends: it is enabled only once the last
    // step of an update is over.
    bool exitByButton(std::pair<int, int> size)
    {
        return repeatUntil([&] { clickExit(size); }, [&] { return updater->wait(0) != -1; }, 20000);
    }
    // The installation takes only lists signed by the test key; the server offers `list`
    // with the test key's signature of `signedBytes`.
    void serveSigned(const std::string& list, const std::string& signedBytes)
    {
        serve("UpdList.xml", list);
        serve("UpdList.xml.minisig", minisign_tool::sign(signedBytes, minisign_tool::testSecretKey()));
    }
    void installKey() { fs::copy_file(minisign_tool::testPublicKey(), program / "update-key.pub"); }
    bool noTemporaryFiles()
    {
        for (const auto& entry : fs::recursive_directory_iterator(program.path()))
            if (entry.path().extension() == ".tmp" || entry.path().extension() == ".writing")
                return false;
        return true;
    }

    SimServer updates;
    XDisplay display;
    TempFolder program;
    TempFolder outside;
    std::unique_ptr<ChildProcess> updater;
    std::optional<std::string> window;
    // Declared last, so that programs still running from the folder end first.
    FolderProcesses programs {program.path()};
};

} // namespace

TEST_F(UpdaterFaults, ALinkOutOfTheFolderIsRefusedAndTheOtherFilesGoOn)
{
    outside.write("victim.txt", "the user's own file");
    fs::create_directory_symlink(outside.path(), program / "sub");
    fs::create_directories(program / "new");
    fs::create_symlink(outside / "victim.txt", program / "new/b.txt.tmp");
    program.write("UpdList.xml", listXml(base(), {}));
    serve("UpdList.xml", listXml(base(), {{"sub\\evil.txt", "1"}, {"new\\b.txt", "1"}, {"good.txt", "1"}}));
    serve("sub/evil.txt", "evil");
    serve("new/b.txt", "new b");
    serve("good.txt", "good");

    const auto size = startUpdater();
    ASSERT_TRUE(clickUpdateWhenListed(size, "good.txt", [&] { return program.exists("good.txt"); }))
        << "the other files go on";
    EXPECT_FALSE(outside.exists("evil.txt"));
    EXPECT_EQ(outside.read("victim.txt"), "the user's own file");
    EXPECT_FALSE(fs::is_symlink(program / "new/b.txt"));
    EXPECT_TRUE(exitByButton(size));
    EXPECT_FALSE(program.exists("NewUpdList.xml"));
    // The local list keeps the refused files unlisted, so the next run offers them again.
    EXPECT_EQ(program.read("UpdList.xml").find("evil"), std::string::npos);
}

TEST_F(UpdaterFaults, ANameThatIsAListFileIsRefused)
{
    const std::string local = listXml(base(), {{"a.dat", "1"}});
    program.write("UpdList.xml", local);
    serve("UpdList.xml", listXml(base(), {{"a.dat", "2"}, {"NewUpdList.xml", "1"}}));
    serve("a.dat", "a");
    serve("NewUpdList.xml", "<html><body>an error page</body></html>");

    const auto size = startUpdater();
    ASSERT_TRUE(waitFor([&] { return program.exists("NewUpdList.xml"); }, 20000));
    // Clicks on the update button for a while after the list came: it stays disabled, and
    // nothing is fetched.
    EXPECT_FALSE(repeatUntil([&] { clickUpdate(size); }, [&] { return got("GET /update/files/a.dat"); }, 2000));
    EXPECT_TRUE(exitByButton(size));
    EXPECT_EQ(program.read("UpdList.xml"), local);
    EXPECT_FALSE(program.exists("NewUpdList.xml"));
    EXPECT_FALSE(got("GET /update/files/NewUpdList.xml"));
    EXPECT_FALSE(got("GET /update/files/a.dat"));
}

TEST_F(UpdaterFaults, ABrokenListIsNeverKept)
{
    const std::string local = listXml(base(), {{"a.dat", "1"}});
    program.write("UpdList.xml", local);
    const std::string good = listXml(base(), {{"a.dat", "2"}});
    serve("UpdList.xml", good.substr(0, good.rfind("</UpdateList>"))); // no closing tag
    serve("a.dat", "a");

    startUpdater();
    // The list error shows in a message box of the program's own caption.
    EXPECT_TRUE(waitFor([&] { return display.findWindow("Renovo").has_value(); }, 20000));
    EXPECT_FALSE(got("HEAD /update/files/a.dat"));
    EXPECT_EQ(program.read("UpdList.xml"), local);
    EXPECT_FALSE(program.exists("NewUpdList.xml"));
    EXPECT_TRUE(programs.endAll());
}

TEST_F(UpdaterFaults, AnEndlessBodyEndsAtItsAnnouncedSize)
{
    program.write("UpdList.xml", listXml(base(), {{"a.dat", "1"}}));
    program.write("a.dat", "old a");
    serve("UpdList.xml", listXml(base(), {{"a.dat", "2"}}));
    serve("a.dat", std::string(44, 'a'));
    updates.rule("/update/files/a.dat", "endless");

    const auto size = startUpdater();
    ASSERT_TRUE(clickUpdateWhenListed(size, "a.dat", [&] { return got("GET /update/files/a.dat"); }));
    // The download stops by itself; then the exit button is enabled again and ends the updater.
    EXPECT_TRUE(exitByButton(size));
    EXPECT_EQ(program.read("a.dat"), "old a");
    EXPECT_TRUE(noTemporaryFiles());
    EXPECT_FALSE(program.exists("NewUpdList.xml"));
}

TEST_F(UpdaterFaults, TheExitButtonWorksWhileASizeRequestHangs)
{
    program.write("UpdList.xml", listXml(base(), {}));
    serve("UpdList.xml", listXml(base(), {{"a.dat", "1"}}));
    serve("a.dat", "a");
    updates.rule("/update/files/a.dat", "hang");

    const auto size = startUpdater();
    ASSERT_TRUE(waitFor([&] { return got("HEAD /update/files/a.dat"); }, 20000));
    // The size request never ends, so every click lands while it hangs.
    EXPECT_TRUE(exitByButton(size)) << "the click is not held back until the request ends";
    EXPECT_FALSE(program.exists("NewUpdList.xml"));
    updates.rule("/update/files/a.dat", "normal");
}

TEST_F(UpdaterFaults, ASignedListInstallsAndOneChangedByteIsRefused)
{
    installKey();
    program.write("UpdList.xml", listXml(base(), {{"a.dat", "1"}}));
    program.write("a.dat", "old a");
    const std::string list = digestList(base(), {{"a.dat", "2", "new a"}});
    serveSigned(list, list);
    serve("a.dat", "new a");

    auto size = startUpdater();
    ASSERT_TRUE(clickUpdateWhenListed(size, "a.dat", [&] { return got("GET /update/files/a.dat"); }));
    ASSERT_TRUE(waitFor([&] { return program.read("a.dat") == "new a"; }, 20000));
    EXPECT_TRUE(exitByButton(size));
    EXPECT_EQ(program.read("UpdList.xml"), list);

    // The next list, one byte changed after it was signed.
    const std::string next = digestList(base(), {{"a.dat", "3", "newer a"}});
    std::string changed = next;
    changed[changed.find("Ver=\"3\"") + 5] = '4';
    serveSigned(changed, next);
    serve("a.dat", "newer a");
    updates.server().clearRequests();
    startUpdater();
    EXPECT_TRUE(waitFor([&] { return display.findWindow("Renovo").has_value(); }, 20000))
        << "the list error shows in a message box";
    EXPECT_TRUE(got("GET /update/files/UpdList.xml.minisig"));
    EXPECT_FALSE(got("HEAD /update/files/a.dat"));
    EXPECT_EQ(program.read("a.dat"), "new a");
    EXPECT_EQ(program.read("UpdList.xml"), list);
    EXPECT_FALSE(program.exists("NewUpdList.xml"));
    EXPECT_TRUE(programs.endAll());
}

TEST_F(UpdaterFaults, ADownloadKilledHalfWayIsContinuedWithARangeRequest)
{
    installKey();
    program.write("UpdList.xml", listXml(base(), {}));
    std::string big(1 << 20, '\0');
    for (std::size_t i = 0; i < big.size(); ++i)
        big[i] = static_cast<char>(i * 7 % 253);
    const std::string list = digestList(base(), {{"big.dat", "1", big}});
    serveSigned(list, list);
    serve("big.dat", big);
    updates.rule("/update/files/big.dat", "stall=400000");

    auto size = startUpdater();
    ASSERT_TRUE(clickUpdateWhenListed(size, "big.dat", [&] { return got("GET /update/files/big.dat"); }));
    const fs::path part = program / "big.dat.tmp";
    ASSERT_TRUE(waitFor([&] { return fs::exists(part) && fs::file_size(part) >= 300000; }, 20000));
    ::kill(updater->pid(), SIGKILL);
    updater->wait();
    const auto kept = fs::file_size(part);
    EXPECT_EQ(program.read("big.dat.tmp"), big.substr(0, kept));

    updates.rule("/update/files/big.dat", "normal");
    updates.server().clearRequests();
    size = startUpdater();
    const std::string rest = "GET /update/files/big.dat Range: bytes=" + std::to_string(kept) + "-";
    // Either request shows the download began; which one it was is checked below.
    ASSERT_TRUE(clickUpdateWhenListed(size, "big.dat", [&] { return got(rest) || got("GET /update/files/big.dat"); }));
    ASSERT_TRUE(waitFor([&] { return program.read("big.dat") == big; }, 20000));
    EXPECT_TRUE(exitByButton(size));
    EXPECT_TRUE(got(rest));
    EXPECT_FALSE(got("GET /update/files/big.dat")) << "only the rest was fetched";
    EXPECT_TRUE(noTemporaryFiles());
    EXPECT_FALSE(program.exists("UpdPartial.xml"));
}

TEST_F(UpdaterFaults, AHardLinkedPartIsNeverWrittenThrough)
{
    const std::string big(200000, 'b');
    outside.write("mine.dat", std::string(50000, 'b'));
    fs::create_hard_link(outside / "mine.dat", program / "big.dat.tmp");
    program.write("UpdList.xml", listXml(base(), {}));
    // The updater's own record names the part, as after a download that broke off.
    program.write("UpdPartial.xml",
        "<Partial><Files><File Name=\"big.dat\" Ver=\"1\" Sha256=\"" + file_digest::toHex(file_digest::sha256(big))
            + "\"/></Files></Partial>");
    serve("UpdList.xml", digestList(base(), {{"big.dat", "1", big}}));
    serve("big.dat", big);

    const auto size = startUpdater();
    ASSERT_TRUE(clickUpdateWhenListed(size, "big.dat", [&] { return got("GET /update/files/big.dat"); }));
    ASSERT_TRUE(waitFor([&] { return program.read("big.dat") == big; }, 20000));
    EXPECT_TRUE(exitByButton(size));
    EXPECT_EQ(outside.read("mine.dat"), std::string(50000, 'b')) << "the file outside is never written";
    EXPECT_EQ(fs::hard_link_count(outside / "mine.dat"), 1u);
    EXPECT_FALSE(got("GET /update/files/big.dat Range: bytes=50000-"));
    EXPECT_TRUE(noTemporaryFiles());
}

TEST_F(UpdaterFaults, AKeyThatIsAPipeRefusesTheListAndTheWindowStaysClosable)
{
    ASSERT_EQ(::mkfifo((program / "update-key.pub").c_str(), 0644), 0);
    const std::string local = listXml(base(), {{"a.dat", "1"}});
    program.write("UpdList.xml", local);
    serve("UpdList.xml", digestList(base(), {{"a.dat", "2", "new a"}}));
    serve("a.dat", "new a");

    startUpdater();
    // Reading the pipe would block for ever; the refusal shows in a message box instead.
    EXPECT_TRUE(waitFor([&] { return display.findWindow("Renovo").has_value(); }, 20000));
    EXPECT_FALSE(got("HEAD /update/files/a.dat"));
    EXPECT_EQ(program.read("UpdList.xml"), local);
    ::kill(updater->pid(), SIGTERM);
    EXPECT_TRUE(updaterEnds()) << "the window closes";
    EXPECT_TRUE(fs::is_fifo(program / "update-key.pub"));
}

TEST_F(UpdaterFaults, AnEndlessBodyWithADigestWritesNoMoreThanTheListsSize)
{
    // The program folder on a small file system: were the body written on, it would fill
    // 64 MB, not the machine's disk.
    ASSERT_EQ(::mount("tmpfs", program.str().c_str(), "tmpfs", 0, "size=64m"), 0) << "needs root";
    struct Unmount
    {
        std::string path;
        ~Unmount() { ::umount2(path.c_str(), MNT_DETACH); }
    } unmount {program.str()};
    SetUp();
    program.write("UpdList.xml", listXml(base(), {{"a.dat", "1"}}));
    program.write("a.dat", "old a");
    serve("UpdList.xml", digestList(base(), {{"a.dat", "2", ""}})); // Size 0, the empty file's digest
    serve("a.dat", "");
    updates.rule("/update/files/a.dat", "endless");

    const auto size = startUpdater();
    ASSERT_TRUE(clickUpdateWhenListed(size, "a.dat", [&] { return got("GET /update/files/a.dat"); }));
    // The download ends by itself: the exit button is enabled again and ends the updater.
    EXPECT_TRUE(waitFor(
        [&] {
            clickExit(size);
            return updater->wait(300) != -1;
        },
        20000));
    EXPECT_EQ(program.read("a.dat"), "old a");
    EXPECT_TRUE(noTemporaryFiles());
    EXPECT_LT(fs::space(program.path()).capacity - fs::space(program.path()).available, 32u << 20);
    updates.rule("/update/files/a.dat", "normal");
    programs.endAll();
}

TEST_F(UpdaterFaults, AFailedRenameOfTheLocalListIsAFailureAndTheNextRunOffersTheFileAgain)
{
    const std::string local = listXml(base(), {{"a.dat", "1"}});
    program.write("UpdList.xml", local);
    program.write("a.dat", "old a");
    serve("UpdList.xml", listXml(base(), {{"a.dat", "2"}}));
    serve("a.dat", "new a");

    auto size = startUpdater({"LD_PRELOAD=" EIO_RENAME_SHIM});
    ASSERT_TRUE(clickUpdateWhenListed(size, "a.dat", [&] { return got("GET /update/files/a.dat"); }));
    // The failure shows in a message box; the local list still names the old file.
    EXPECT_TRUE(waitFor([&] { return display.findWindow("Renovo").has_value(); }, 20000));
    EXPECT_EQ(program.read("a.dat"), "new a");
    EXPECT_EQ(program.read("UpdList.xml"), local);
    EXPECT_TRUE(programs.endAll());

    updates.server().clearRequests();
    size = startUpdater();
    ASSERT_TRUE(clickUpdateWhenListed(size, "a.dat", [&] { return got("GET /update/files/a.dat"); }))
        << "offered again";
    ASSERT_TRUE(waitFor([&] { return program.read("UpdList.xml") != local; }, 20000));
    EXPECT_TRUE(exitByButton(size));
    EXPECT_EQ(program.read("UpdList.xml"), listXml(base(), {{"a.dat", "2"}}));
}

TEST_F(UpdaterFaults, SigtermEndsAnUpdateAsClosingTheWindowDoes)
{
    program.write("UpdList.xml", listXml(base(), {}));
    const std::string big(1 << 20, 'c');
    serve("UpdList.xml", digestList(base(), {{"big.dat", "1", big}}));
    serve("big.dat", big);
    updates.rule("/update/files/big.dat", "stall=400000");

    const auto size = startUpdater();
    const fs::path part = program / "big.dat.tmp";
    ASSERT_TRUE(clickUpdateWhenListed(size, "big.dat", [&] { return got("GET /update/files/big.dat"); }));
    ASSERT_TRUE(waitFor([&] { return fs::exists(part) && fs::file_size(part) >= 300000; }, 20000));
    ::kill(updater->pid(), SIGTERM);
    EXPECT_TRUE(updaterEnds());
    EXPECT_TRUE(noTemporaryFiles());
    EXPECT_FALSE(program.exists("NewUpdList.xml"));
    EXPECT_FALSE(program.exists("big.dat"));
    updates.rule("/update/files/big.dat", "normal");
}
