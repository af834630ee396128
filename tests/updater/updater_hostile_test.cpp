// What a hostile server or a damaged program folder tries, against real files and a real
// server on 127.0.0.1: parts that are links, programs behind links, bodies without an end,
// lengths that lie, special and huge local files, failing renames and flushes.

#include "tests/support/minisign_tool.h"
#include "tests/support/raw_http_server.h"
#include "tests/support/wait_for.h"
#include "tests/updater/updater_fixture.h"
#include "updater/logic/file_digest.h"
#include "updater/logic/list_trust.h"
#include "updater/logic/name_rules.h"
#include "updater/logic/partial_downloads.h"

#include <cerrno>
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <fstream>

namespace fs = std::filesystem;

namespace {

// Renames and flushes of this process fail with EIO when a test asks: the real calls
// otherwise, as the updater makes them.
std::atomic<int> failRenameTo {0}; // 1: the rename onto "UpdList.xml" fails
std::atomic<int> failSyncfsCall {0}; // n: the n-th flush from now fails
std::atomic<int> syncfsCalls {0};

} // namespace

extern "C" int renameat(int fromFolder, const char* from, int toFolder, const char* to)
{
    using Real = int (*)(int, const char*, int, const char*);
    static const auto real = reinterpret_cast<Real>(::dlsym(RTLD_NEXT, "renameat"));
    if (failRenameTo && std::strcmp(to, "UpdList.xml") == 0) {
        errno = EIO;
        return -1;
    }
    return real(fromFolder, from, toFolder, to);
}

extern "C" int syncfs(int fd)
{
    using Real = int (*)(int);
    static const auto real = reinterpret_cast<Real>(::dlsym(RTLD_NEXT, "syncfs"));
    if (failSyncfsCall && ++syncfsCalls == failSyncfsCall) {
        errno = EIO;
        return -1;
    }
    return real(fd);
}

namespace {

struct Entry
{
    std::string name;
    std::string ver;
    std::optional<std::string> bytes; // the Size and Sha256 of these, when given
    bool size = true;
};

std::string listWith(const std::string& url, const std::vector<Entry>& files, const std::string& rootAttributes = "")
{
    std::string xml = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<UpdateList" + rootAttributes + ">\n  <Url>" + url
        + "</Url>\n  <Files>\n";
    for (const Entry& file : files) {
        xml += "    <File Name=\"" + file.name + "\" Ver=\"" + file.ver + "\"";
        if (file.bytes && file.size)
            xml += " Size=\"" + std::to_string(file.bytes->size()) + "\"";
        if (file.bytes)
            xml += " Sha256=\"" + file_digest::toHex(file_digest::sha256(*file.bytes)) + "\"";
        xml += "/>\n";
    }
    return xml + "  </Files>\n  <RunApp>Pallomar.exe</RunApp>\n</UpdateList>\n";
}

std::string patterned(std::size_t size)
{
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>(i * 7 % 251);
    return bytes;
}

class Hostile : public UpdaterFixture
{
protected:
    bool requested(const std::string& request)
    {
        const auto all = sim.server().requests();
        return std::find(all.begin(), all.end(), request) != all.end();
    }
    bool requestedAny(const std::string& prefix)
    {
        for (const std::string& request : sim.server().requests())
            if (request.starts_with(prefix))
                return true;
        return false;
    }
    void recordPartial(const std::string& name, const std::string& bytes)
    {
        const platform::ContainedFolder contained(folder.str());
        partial_downloads::write(contained, {{name, "1", std::int64_t(bytes.size()), file_digest::sha256(bytes)}});
    }
};

} // namespace

TEST_F(Hostile, APartIsContinuedOnlyWhenItIsOursAloneAndRecorded)
{
    const std::string big = patterned(300000);
    struct Case
    {
        const char* what;
        std::size_t kept; // bytes of the part left in the folder
        bool recorded;
        bool hardLink; // the part is a second name of a file outside the folder
        uid_t owner;
        bool continued; // a range request for the rest
        bool fetched; // any GET
    };
    const Case cases[] = {
        {"a recorded part of ours", 100000, true, false, ::geteuid(), true, true},
        {"a hard link to a file outside", 100000, true, true, ::geteuid(), false, true},
        {"a part of another user", 100000, true, false, ::geteuid() + 4242, false, true},
        {"a part no record names", 100000, false, false, ::geteuid(), false, true},
        {"a whole recorded part that verifies", big.size(), true, false, ::geteuid(), false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder outside;
        for (const auto& entry : fs::directory_iterator(folder.path()))
            fs::remove_all(entry.path());
        sim.server().clearRequests();
        writeLocalList({});
        const std::string list = listWith(base(), {{"big.dat", "1", big}});
        sim.site().write("update/files/UpdList.xml", list);
        serve("big.dat", big);
        const std::string outsideBytes = big.substr(0, c.kept);
        if (c.hardLink) {
            outside.write("mine.dat", outsideBytes);
            fs::create_hard_link(outside / "mine.dat", folder / "big.dat.tmp");
        } else {
            folder.write("big.dat.tmp", outsideBytes);
            ASSERT_EQ(::chown((folder / "big.dat.tmp").c_str(), c.owner, ::getegid()), 0);
        }
        if (c.recorded)
            recordPartial("big.dat", big);

        FakeView into;
        auto session = start(into);
        ASSERT_EQ(into.rows.size(), 1u);
        session->cmdUpdate_Click();
        EXPECT_EQ(folder.read("big.dat"), big);
        EXPECT_EQ(requested("GET /update/files/big.dat Range: bytes=" + std::to_string(c.kept) + "-"), c.continued);
        EXPECT_EQ(requestedAny("GET /update/files/big.dat"), c.fetched);
        EXPECT_EQ(into.status, "更新完成！");
        if (c.hardLink) {
            EXPECT_EQ(outside.read("mine.dat"), outsideBytes) << "the outside file is never written";
            EXPECT_NE(fs::hard_link_count(outside / "mine.dat"), 2u) << "the installed file is not that inode";
        }
        EXPECT_FALSE(folder.exists("big.dat.tmp"));
        EXPECT_FALSE(folder.exists("UpdPartial.xml"));
    }
}

TEST_F(Hostile, TheProgramBehindALinkIsNeitherStartedNorEnded)
{
    TempFolder outside;
    const fs::path marker = outside / "started";
    const std::string script = "#!/bin/sh\necho started > " + marker.string() + "\n";
    outside.write("Pallomar", script);
    fs::permissions(outside / "Pallomar", fs::perms::owner_all);
    struct Case
    {
        const char* what;
        std::function<void()> prepare;
        bool starts;
    };
    const Case cases[] = {
        {"a link to a program outside", [&] { fs::create_symlink(outside / "Pallomar", folder / "Pallomar"); }, false},
        {"a program in a linked folder", [&] { fs::create_directory_symlink(outside.path(), folder / "bin"); }, false},
        {"the program itself",
            [&] {
                folder.write("Pallomar", script);
                fs::permissions(folder / "Pallomar", fs::perms::owner_all);
            },
            true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (const auto& entry : fs::directory_iterator(folder.path()))
            fs::remove_all(entry.path());
        fs::remove(marker);
        c.prepare();
        const std::string runApp = fs::exists(folder / "bin") ? "bin\\Pallomar.exe" : "Pallomar.exe";
        writeLocalList({{"a.dat", "1"}});
        writeServerList({{"a.dat", "2"}}, runApp);
        serve("a.dat", "new a");
        FakeView into;
        answer = message_box::Answer::Yes; // were it asked to end a running copy, it would
        auto session = start(into);
        ASSERT_EQ(into.rows.size(), 1u);
        session->cmdUpdate_Click();
        session->cmdFinish_Click();
        EXPECT_EQ(waitFor([&] { return fs::exists(marker); }, c.starts ? 10000 : 1000), c.starts);
    }
}

TEST_F(Hostile, LocalFilesThatAreNoPlainFilesOrTooLongAreRefusedWithoutWaiting)
{
    struct Case
    {
        const char* what;
        const char* file;
        std::function<void(const fs::path&)> make;
        std::string shown; // what the user is told
    };
    const auto fifo = [](const fs::path& path) { ASSERT_EQ(::mkfifo(path.c_str(), 0644), 0); };
    const auto sparse = [](std::uintmax_t bytes) {
        return [bytes](const fs::path& path) {
            std::ofstream(path) << "untrusted comment: minisign public key\n";
            fs::resize_file(path, bytes);
        };
    };
    const Case cases[] = {
        {"a list that is a pipe", "UpdList.xml", fifo, "无法读取文件 UpdList.xml：不是普通文件"},
        {"a list of 65 MB", "UpdList.xml", sparse(65u << 20), "无法读取文件 UpdList.xml：文件过大"},
        {"a list that is a folder", "UpdList.xml", [](const fs::path& path) { fs::create_directory(path); },
            "无法读取文件 UpdList.xml：不是普通文件"},
        {"a key that is a pipe", "update-key.pub", fifo, "更新列表被拒绝：更新公钥文件 update-key.pub 无效"},
        {"a key and 300 MB of nothing", "update-key.pub", sparse(300u << 20),
            "更新列表被拒绝：更新公钥文件 update-key.pub 无效"},
        {"a partial record that is a pipe", "UpdPartial.xml", fifo, "共有 1 个更新 ，点【更新】开始更新..."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (const auto& entry : fs::directory_iterator(folder.path()))
            fs::remove_all(entry.path());
        messages.clear();
        writeServerList({{"a.dat", "2"}});
        serve("a.dat", "new a");
        if (std::string(c.file) != "UpdList.xml")
            writeLocalList({{"a.dat", "1"}});
        c.make(folder / c.file);
        FakeView into;
        auto session = start(into);
        const bool inMessage = std::find(messages.begin(), messages.end(), c.shown) != messages.end();
        EXPECT_TRUE(inMessage || into.status == c.shown) << into.status;
        EXPECT_FALSE(session->busy()) << "the window can close";
    }
}

// The program folder on a small file system of its own: an endless body could fill no more.
class HostileOnTmpfs : public Hostile
{
protected:
    void SetUp() override
    {
        Hostile::SetUp();
        if (::mount("tmpfs", folder.str().c_str(), "tmpfs", 0, "size=64m") != 0)
            GTEST_SKIP() << "mounting a small file system needs root";
        mounted = true;
    }
    void TearDown() override
    {
        if (mounted)
            ::umount2(folder.str().c_str(), MNT_DETACH);
        Hostile::TearDown();
    }
    bool mounted = false;
};

TEST_F(HostileOnTmpfs, ADownloadWritesNoMoreThanItWasToldBeforeItBegan)
{
    struct Case
    {
        const char* what;
        Entry entry;
        const char* headRule; // how the server answers the size request
        std::string status;
        bool fetched;
    };
    const Case cases[] = {
        {"Size 0 with the empty file's digest, a HEAD of 0", {"a.dat", "2", std::string()}, "normal",
            "文件校验失败，已丢弃：a.dat", true},
        {"a digest but no Size, no length from HEAD", {"a.dat", "2", std::string("a"), false}, "nolength",
            "服务器没有说明文件的大小，未下载：a.dat", false},
        {"no Size, no digest, no length anywhere", {"a.dat", "2"}, "nolength",
            "服务器没有说明文件的大小，未下载：a.dat", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        sim.server().clearRequests();
        writeLocalList({{"a.dat", "1"}});
        folder.write("a.dat", "old a");
        sim.site().write("update/files/UpdList.xml", listWith(base(), {c.entry}));
        serve("a.dat", c.entry.bytes.value_or("a"));
        if (c.entry.bytes && c.entry.bytes->empty())
            serve("a.dat", "");
        sim.rule("/update/files/a.dat", c.headRule);
        FakeView into;
        auto session = start(into);
        ASSERT_EQ(into.rows.size(), 1u);
        sim.rule("/update/files/a.dat", "endless"); // every GET goes on for ever
        session->cmdUpdate_Click();
        EXPECT_EQ(folder.read("a.dat"), "old a");
        EXPECT_FALSE(folder.exists("a.dat.tmp"));
        EXPECT_EQ(into.rows[0][3], c.status.starts_with("文件校验") ? "校验失败" : "失败");
        EXPECT_NE(std::find(into.statusHistory.begin(), into.statusHistory.end(), c.status), into.statusHistory.end());
        EXPECT_NE(into.status, "更新完成！");
        EXPECT_EQ(requestedAny("GET /update/files/a.dat"), c.fetched);
        sim.rule("/update/files/a.dat", "normal");
    }
}

TEST_F(Hostile, TheListsSizeIsTrustedOverWhatHeadSays)
{
    const std::string body = "new a";
    std::string announced;
    std::string list;
    RawHttpServer raw([&](const std::string& method, const std::string& path) -> RawHttpServer::Answer {
        const bool head = method == "HEAD";
        const auto answer = [&](const std::string& length, const std::string& bytes) {
            return RawHttpServer::Answer {
                "HTTP/1.1 200 OK\r\nContent-Length: " + length + "\r\n\r\n" + (head ? "" : bytes), false};
        };
        if (path == "/UpdList.xml")
            return answer(std::to_string(list.size()), list);
        return head ? answer(announced, "") : answer(std::to_string(body.size()), body);
    });
    struct Case
    {
        const char* head;
        bool listSize;
        std::string result; // the status at the end, or the message
    };
    const Case cases[] = {
        {"-1", true, "更新完成！"},
        {"abc", true, "更新完成！"},
        {"18446744073709551616", true, "更新完成！"},
        {"-1", false, "服务器没有说明文件的大小，未下载：a.dat"},
        {"abc", false, "服务器没有说明文件的大小，未下载：a.dat"},
        {"18446744073709551616", false, "溢出"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.head) + (c.listSize ? " with the list's Size" : " alone"));
        messages.clear();
        announced = c.head;
        list = listWith(raw.url("/"), {{"a.dat", "2", body, c.listSize}});
        if (!c.listSize) // no Sha256 either: the unsigned road
            list = listXml(raw.url("/"), {{"a.dat", "2"}});
        folder.write("UpdList.xml", listXml(raw.url("/"), {{"a.dat", "1"}}));
        folder.write("a.dat", "old a");
        FakeView into;
        auto session = start(into);
        if (c.result == "溢出") {
            EXPECT_EQ(messages, std::vector<std::string> {"溢出"});
            continue;
        }
        ASSERT_EQ(into.rows.size(), 1u);
        session->cmdUpdate_Click();
        EXPECT_NE(std::find(into.statusHistory.begin(), into.statusHistory.end(), c.result), into.statusHistory.end())
            << into.status;
        EXPECT_EQ(folder.read("a.dat"), c.result == "更新完成！" ? body : "old a");
        if (c.result != "更新完成！") {
            EXPECT_NE(into.status, "更新完成！");
        }
    }
}

TEST_F(Hostile, RefusalsNameTheirTrueReason)
{
    struct Case
    {
        const char* what;
        const char* path;
        const char* rule;
        bool key;
        std::string status;
    };
    const Case cases[] = {
        {"an endless signature", "/update/files/UpdList.xml.minisig", "endless", true,
            "更新列表被拒绝：更新列表的签名文件过长"},
        {"a signature that stops after a few bytes", "/update/files/UpdList.xml.minisig", "stall=20", true,
            "更新列表被拒绝：无法下载更新列表的签名：传输中断或超时"},
        {"a signature that never comes", "/update/files/UpdList.xml.minisig", "hang", true,
            "更新列表被拒绝：无法下载更新列表的签名：传输中断或超时"},
        {"no signature", "/update/files/UpdList.xml.minisig", "status=404", true,
            "更新列表被拒绝：服务器没有提供更新列表的签名"},
        {"a list over 64 MB", "/update/files/UpdList.xml", "endless", false,
            "更新列表被拒绝：更新列表过大（超过 64 MB）"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (const auto& entry : fs::directory_iterator(folder.path()))
            fs::remove_all(entry.path());
        writeLocalList({{"a.dat", "1"}});
        if (c.key) // the signature never comes whole: what it would say does not matter
            fs::copy_file(minisign_tool::testPublicKey(), folder / "update-key.pub");
        sim.site().write("update/files/UpdList.xml", listWith(base(), {{"a.dat", "2", std::string("a")}}));
        sim.site().write("update/files/UpdList.xml.minisig", "untrusted comment: x\n");
        sim.rule(c.path, c.rule);
        FakeView into;
        auto session = std::make_unique<UpdaterSession>(into, [] {});
        session->intClient().setTimeouts(1500, 0);
        session->Form_Load();
        session->tmrGetUpdateList_Timer();
        EXPECT_EQ(into.status, c.status);
        EXPECT_FALSE(folder.exists("NewUpdList.xml"));
        sim.rule(c.path, "normal");
    }
}

TEST(ListTrust, AnUnreadableLocalSerialNeverLowersTheProtection)
{
    TempFolder folder;
    folder.write("update-key.pub", "k");
    const platform::ContainedFolder contained(folder.str());
    const auto parsed = [](const std::string& text) {
        auto document = std::make_unique<modXml::XmlDocument>();
        modXml::ParseXml(std::string_view(text), *document);
        return document;
    };
    const std::string files = "<Url>u</Url><Files><File Name=\"a\" Ver=\"1\" Size=\"1\" Sha256=\""
        + file_digest::toHex(file_digest::sha256("a")) + "\"/></Files><RunApp>r</RunApp>";
    struct Case
    {
        const char* local;
        const char* server;
        std::optional<std::string> refusal;
    };
    const Case cases[] = {
        {"Serial=\"5\"", "Serial=\"5\"", std::nullopt},
        {"Serial=\"5\"", "Serial=\"4\"", "更新列表比已安装的列表旧（Serial 4 低于 5）"},
        {"Serial=\"abc\"", "Serial=\"0\"", "已安装的更新列表 UpdList.xml 的 Serial 无法读取，无法确认新列表不是旧的"},
        {"Serial=\"abc\"", "Serial=\"99\"", "已安装的更新列表 UpdList.xml 的 Serial 无法读取，无法确认新列表不是旧的"},
        {"Serial=\"7\" Serial=\"1\"", "Serial=\"2\"",
            "已安装的更新列表 UpdList.xml 的 Serial 无法读取，无法确认新列表不是旧的"},
        {"Serial=\"1\"", "Serial=\"9\" Serial=\"1\"", "更新列表的 Serial 不是数字"},
        {"", "", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.local) + " / " + c.server);
        folder.write("UpdList.xml", std::string("<UpdateList ") + c.local + ">" + files + "</UpdateList>");
        const list_trust::Trust trust = list_trust::read(contained, "UpdList.xml");
        const auto server = parsed(std::string("<UpdateList ") + c.server + ">" + files + "</UpdateList>");
        EXPECT_EQ(list_trust::contentRefusal(trust, *server), c.refusal);
    }
    // Under a key every file carries its Size as well as its digest.
    const auto noSize = parsed("<UpdateList><Url>u</Url><Files><File Name=\"a\" Ver=\"1\" Sha256=\""
        + file_digest::toHex(file_digest::sha256("a")) + "\"/></Files><RunApp>r</RunApp></UpdateList>");
    EXPECT_EQ(
        list_trust::contentRefusal(list_trust::read(contained, "none.xml"), *noSize), "更新列表的文件项缺少 Size：a");
}

TEST(NameRules, TheKeyFileIsNeverInstallable)
{
    for (const char* name : {"update-key.pub", "UPDATE-KEY.PUB", "Update-Key.Pub", "update-key.pub.tmp",
             "update-key.pub.writing", "/update-key.pub", "update-key.pub/"}) {
        SCOPED_TRACE(name);
        std::vector<update_list::FileEntry> server {{"a.dat", "1"}, {name, "1"}};
        const auto verdict = name_rules::checkEntries(server, {}, modXml::TextEncoding::Utf8);
        EXPECT_EQ(verdict.fault, name_rules::Fault::Unsafe);
    }
    std::vector<update_list::FileEntry> beside {{"keys\\update-key.pub", "1"}};
    EXPECT_EQ(name_rules::checkEntries(beside, {}, modXml::TextEncoding::Utf8).fault, name_rules::Fault::None);
}

TEST_F(Hostile, AFailedFlushOrListRenameIsAFailureAndTheNextRunOffersTheFilesAgain)
{
    struct Case
    {
        const char* what;
        int renameFails;
        int syncfsFails; // which flush of the update fails
        std::string shown;
        const char* installed; // a.dat afterwards
    };
    const std::string folderError = "更新未完成：无法写入文件 " + folder.str() + "：磁盘读写错误，下次启动将重新更新";
    const Case cases[] = {
        {"the rename of the local list", 1, 0, "更新未完成：无法写入文件 UpdList.xml：磁盘读写错误，下次启动将重新更新",
            "new a"},
        {"the flush before the renames", 0, 1, folderError, "old a"},
        {"the flush after the renames", 0, 2, folderError, "new a"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        messages.clear();
        const std::string local = listXml(base(), {{"a.dat", "1"}});
        folder.write("UpdList.xml", local);
        folder.write("a.dat", "old a");
        writeServerList({{"a.dat", "2"}});
        serve("a.dat", "new a");
        FakeView into;
        auto session = start(into);
        ASSERT_EQ(into.rows.size(), 1u);
        failRenameTo = c.renameFails;
        syncfsCalls = 0;
        failSyncfsCall = c.syncfsFails;
        session->cmdUpdate_Click();
        failRenameTo = 0;
        failSyncfsCall = 0;
        EXPECT_EQ(into.status, c.shown);
        EXPECT_EQ(messages, std::vector<std::string> {c.shown});
        EXPECT_EQ(folder.read("UpdList.xml"), local);
        EXPECT_EQ(folder.read("a.dat"), c.installed);
        EXPECT_FALSE(folder.exists("a.dat.tmp"));
        session->cmdFinish_Click();
        FakeView next;
        auto again = start(next);
        ASSERT_EQ(next.rows.size(), 1u) << "the next run offers the file again";
        again->cmdUpdate_Click();
        EXPECT_EQ(next.status, "更新完成！");
        EXPECT_EQ(folder.read("a.dat"), "new a");
    }
}

TEST_F(Hostile, AStaleFolderAtATemporaryNameIsStepppedAround)
{
    writeLocalList({{"html\\loading.html", "1"}});
    folder.write("html/loading.html", "old page");
    fs::create_directories(folder / "html/loading.html.tmp/inner");
    // The part a run cut short wrote beside the stale folder.
    folder.write("html/loading.html.1.tmp", "cut short");
    writeServerList({{"html\\loading.html", "2"}});
    serve("html\\loading.html", "new page");
    for (int run = 0; run < 2; ++run) {
        FakeView into;
        auto session = start(into);
        if (run == 0) {
            EXPECT_FALSE(folder.exists("html/loading.html.1.tmp")) << "the next run removes it";
            session->cmdUpdate_Click();
            EXPECT_EQ(into.status, "更新完成！");
        } else {
            EXPECT_EQ(into.rows.size(), 0u) << "installed the first time";
        }
        session->cmdFinish_Click();
    }
    EXPECT_EQ(folder.read("html/loading.html"), "new page");
    EXPECT_TRUE(fs::is_directory(folder / "html/loading.html.tmp/inner")) << "not ours to remove";
    EXPECT_EQ(folderContents(),
        (std::set<std::string> {
            "UpdList.xml", "html", "html/loading.html", "html/loading.html.tmp", "html/loading.html.tmp/inner"}));
}
