// Downloads that must end, and end right, against servers that misbehave on 127.0.0.1.

#include "tests/support/raw_http_server.h"
#include "tests/updater/updater_fixture.h"

#include <cstring>
#include <sys/mount.h>

namespace fs = std::filesystem;

using Download = UpdaterFixture;

TEST_F(Download, ABodyLongerThanAnnouncedIsCutAtTheAnnouncedSize)
{
    writeLocalList({{"a.dat", "1"}});
    folder.write("a.dat", "old a");
    writeServerList({{"a.dat", "2"}, {"b.dat", "1"}});
    serve("a.dat", std::string(44, 'a')); // HEAD announces 44 bytes, GET never ends
    serve("b.dat", "b");
    sim.rule("/update/files/a.dat", "endless");
    auto session = start(view);
    ASSERT_EQ(view.rows[0][4], "44");
    session->cmdUpdate_Click();
    EXPECT_EQ(folder.read("a.dat"), "old a");
    EXPECT_FALSE(folder.exists("a.dat.tmp"));
    EXPECT_EQ(view.rows[0][3], "失败");
    EXPECT_EQ(folder.read("b.dat"), "b");
    EXPECT_TRUE(messages.empty()) << "a body cut by the receiver is no network error";
}

TEST_F(Download, ClosingTheWindowStopsAnEndlessBodyAndLeavesNothing)
{
    writeLocalList({{"a.dat", "1"}});
    folder.write("a.dat", "old a");
    writeServerList({{"a.dat", "2"}, {"new\\deep\\b.dat", "1"}});
    serve("a.dat", "new a");
    serve("new\\deep\\b.dat", std::string(16 << 20, 'b')); // announced by HEAD, sent for ever
    UpdaterSession* running = nullptr;
    long long pumped = 0;
    UpdaterSession session(view, [&] {
        // The user closes the window once the endless body has been flowing for a while.
        if (running && running->intClient().stillExecuting() && running->intClient().receivedBytes() > (8 << 20))
            running->windowClosing();
        ++pumped;
    });
    session.Form_Load();
    session.tmrGetUpdateList_Timer();
    ASSERT_EQ(view.rows.size(), 2u);
    sim.rule("/update/files/new/deep/b.dat", "endless");
    running = &session; // the body is closed half-way, at 8 MB
    session.cmdUpdate_Click();
    EXPECT_EQ(folder.read("a.dat"), "old a");
    EXPECT_EQ(folderContents(), (std::set<std::string> {"UpdList.xml", "a.dat"}));
    EXPECT_TRUE(messages.empty());
    EXPECT_GT(pumped, 0);
}

TEST_F(Download, LengthsAreNumbersAndAnUnknownEndIsNoFile)
{
    // A server whose bodies are announced with leading zeros, or end only by a closed
    // connection with no length anywhere.
    const std::string body100(100, 'z');
    std::string rawBase;
    RawHttpServer raw([&](const std::string& method, const std::string& path) -> RawHttpServer::Answer {
        const bool head = method == "HEAD";
        if (path == "/UpdList.xml") {
            const std::string list = listXml(rawBase, {{"zero.dat", "1"}, {"cut.dat", "1"}});
            return {
                "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(list.size()) + "\r\n\r\n" + (head ? "" : list),
                false};
        }
        if (path == "/zero.dat")
            return {"HTTP/1.1 200 OK\r\nContent-Length: 0100\r\n\r\n" + (head ? "" : body100), false};
        return {std::string("HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n") + (head ? "" : "0123456789"), true};
    });
    rawBase = raw.url("/");
    folder.write("UpdList.xml", listXml(rawBase, {}));
    auto session = start(view);
    ASSERT_EQ(view.rows.size(), 2u);
    EXPECT_EQ(view.rows[0][4], "100");
    EXPECT_EQ(view.rows[1][4], "1");
    session->cmdUpdate_Click();
    EXPECT_EQ(folder.read("zero.dat"), body100);
    EXPECT_EQ(view.rows[0][3], "100%");
    EXPECT_FALSE(folder.exists("cut.dat")) << "ten bytes of an unknown length are no file";
    EXPECT_EQ(view.rows[1][3], "失败");
    EXPECT_NE(view.status, "更新完成！");
}

// The program folder on a small file system of its own, which a download fills.
class FullDisk : public UpdaterFixture
{
protected:
    void SetUp() override
    {
        UpdaterFixture::SetUp();
        if (::mount("tmpfs", folder.str().c_str(), "tmpfs", 0, "size=256k") != 0)
            GTEST_SKIP() << "mounting a small file system needs root";
        mounted = true;
    }
    void TearDown() override
    {
        if (mounted)
            ::umount2(folder.str().c_str(), MNT_DETACH);
        UpdaterFixture::TearDown();
    }
    bool mounted = false;
};

TEST_F(FullDisk, ShowsTheRealReasonAndLeavesNothing)
{
    writeLocalList({{"a.dat", "1"}});
    folder.write("a.dat", "old a");
    writeServerList({{"a.dat", "2"}, {"big\\b.dat", "1"}});
    serve("a.dat", "new a");
    serve("big\\b.dat", std::string(1 << 20, 'b'));
    auto session = start(view);
    ASSERT_EQ(view.rows.size(), 2u);
    session->cmdUpdate_Click();
    EXPECT_EQ(messages, std::vector<std::string> {"无法写入文件 big\\b.dat：磁盘空间不足"});
    EXPECT_EQ(view.status, messages[0]) << "the status names the file and the cause";
    EXPECT_TRUE(view.closed);
    EXPECT_EQ(folder.read("a.dat"), "old a");
    EXPECT_EQ(folderContents(), (std::set<std::string> {"UpdList.xml", "a.dat"}));
}
