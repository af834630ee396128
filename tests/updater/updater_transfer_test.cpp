#include "platform/inet_transfer.h"
#include "tests/support/raw_http_server.h"
#include "tests/support/sim_server.h"
#include "updater/logic/update_engine.h"

#include <gtest/gtest.h>

using platform::InetTransfer;

TEST(InetTransfer, HeadGivesTheWholeHeaderAndTheLength)
{
    SimServer sim;
    sim.site().write("update/a.dat", std::string(1536, 'a'));
    InetTransfer client;
    std::vector<int> states;
    client.setStateHandler([&](int state) { states.push_back(state); });

    client.execute(sim.url("/update/a.dat"), "HEAD");
    EXPECT_EQ(client.url(), sim.url("/update/a.dat"));
    EXPECT_TRUE(client.getHeader().starts_with("HTTP/1.1 200 OK\r\n"));
    EXPECT_EQ(client.getHeader("Content-Length"), "1536");
    EXPECT_EQ(client.getHeader("content-length"), "1536");
    EXPECT_EQ(client.getHeader("X-None"), "");
    EXPECT_EQ(client.getChunk(), ""); // a HEAD answer has no body

    client.execute(sim.url("/update/none.dat"), "HEAD");
    EXPECT_NE(client.getHeader().find("404 Not Found"), std::string::npos);

    // A chunked answer announces no length.
    sim.rule("/update/a.dat", "nolength");
    client.execute(sim.url("/update/a.dat"), "HEAD");
    EXPECT_EQ(client.status(), 200);
    EXPECT_EQ(client.getHeader("Content-Length"), "");
    EXPECT_TRUE(states.empty()); // answers with any status are no transfer errors
}

TEST(InetTransfer, BodiesComeInChunksOf1024Bytes)
{
    SimServer sim;
    std::string body;
    for (int i = 0; i < 2049; ++i)
        body.push_back(static_cast<char>('a' + i % 26));
    sim.site().write("f.dat", body);
    InetTransfer client;

    client.execute(sim.url("/f.dat"), "GET");
    EXPECT_EQ(client.receivedBytes(), 2049);
    EXPECT_EQ(client.getChunk(1024), body.substr(0, 1024));
    EXPECT_EQ(client.getChunk(1024), body.substr(1024, 1024));
    EXPECT_EQ(client.getChunk(1024), body.substr(2048)); // the last single byte is kept
    EXPECT_EQ(client.getChunk(1024), "");

    std::vector<std::size_t> sizes;
    std::string sunk;
    client.execute(sim.url("/f.dat"), "GET", [&](std::string_view chunk) {
        sizes.push_back(chunk.size());
        sunk.append(chunk);
        return true;
    });
    EXPECT_EQ(sunk, body);
    for (const std::size_t size : sizes)
        EXPECT_LE(size, InetTransfer::chunkSize);
    EXPECT_EQ(client.getChunk(), ""); // a sunk body is not kept

    EXPECT_EQ(client.openUrl(sim.url("/f.dat")), body);
}

TEST(InetTransfer, BrokenTransfersRaiseTheErrorState)
{
    SimServer sim;
    sim.site().write("cut.dat", std::string(5000, 'x'));
    sim.rule("/cut.dat", "truncate=100");
    InetTransfer client;
    std::vector<int> states;
    client.setStateHandler([&](int state) { states.push_back(state); });

    client.execute(sim.url("/cut.dat"), "GET");
    EXPECT_NE(client.error(), platform::hresult::ok);
    EXPECT_EQ(states, std::vector<int> {InetTransfer::stateError});

    client.execute("http://127.0.0.1:" + std::to_string(closedPort()) + "/x", "HEAD");
    EXPECT_EQ(client.getHeader(), "");
    EXPECT_EQ(states.size(), 2u);

    // A sink that refuses ends the transfer as well.
    client.execute(sim.url("/cut.dat"), "GET", [](std::string_view) { return false; });
    EXPECT_NE(client.error(), platform::hresult::ok);

    // A body that never ends, kept in the client, breaks off at the limit.
    sim.rule("/cut.dat", "endless");
    client.setKeptBodyLimit(1 << 20);
    const std::string kept = client.openUrl(sim.url("/cut.dat"));
    EXPECT_NE(client.error(), platform::hresult::ok);
    EXPECT_LE(kept.size(), std::size_t {1} << 20);
    EXPECT_EQ(states.size(), 3u);
}

TEST(InetTransfer, TheWaitPumpsAndCanBeCancelled)
{
    SimServer sim;
    sim.site().write("slow.dat", "x");
    sim.rule("/slow.dat", "hang");
    int pumped = 0;
    bool executingInPump = false;
    InetTransfer* self = nullptr;
    InetTransfer client([&] {
        ++pumped;
        executingInPump = self->stillExecuting();
        if (pumped == 20)
            self->cancel();
    });
    self = &client;
    client.execute(sim.url("/slow.dat"), "GET");
    EXPECT_GE(pumped, 20);
    EXPECT_TRUE(executingInPump);
    EXPECT_FALSE(client.stillExecuting());
    EXPECT_EQ(client.error(), platform::hresult::aborted);
    sim.rule("/slow.dat", "normal");
}

TEST(InetTransfer, FileUrlsGlueTheNameToTheBase)
{
    EXPECT_EQ(platform::fileUrl("http://h/update/", "a\\b\\c.dat"), "http://h/update/a/b/c.dat");
    EXPECT_EQ(platform::fileUrl("http://h/update", "x.dat"), "http://h/updatex.dat");
    EXPECT_EQ(platform::fileUrl("http://h/", "a b%.dat"), "http://h/a%20b%25.dat");
    EXPECT_EQ(platform::fileUrl("http://h/", "皮"), "http://h/%E7%9A%AE");
}

TEST(UpdateEngine, ADownloadIsEndedBySilenceNotByItsLength)
{
    SimServer sim;
    TempFolder folder;
    sim.site().write("slow.dat", std::string(3000, 's'));
    sim.rule("/slow.dat", "delay=800");
    InetTransfer client;
    client.setTimeouts(300, 0);
    UpdateEngine engine(client, folder.str());

    // Longer than the client's time-out for short requests, but never silent for long.
    auto outcome = engine.download(sim.url("/slow.dat"), "slow.dat", {.announcedBytes = 3000}, {});
    EXPECT_TRUE(outcome.complete);
    EXPECT_EQ(folder.read("slow.dat.tmp"), std::string(3000, 's'));
    EXPECT_EQ(client.requestTimeoutMs(), 300); // the short requests keep their limit
    EXPECT_EQ(client.stallTimeoutMs(), 0);

    // A server that stops answering ends the download.
    sim.rule("/slow.dat", "hang");
    engine.setStallTimeoutMs(1000);
    outcome = engine.download(sim.url("/slow.dat"), "slow.dat", {.announcedBytes = 3000}, {});
    EXPECT_FALSE(outcome.complete);
    EXPECT_FALSE(outcome.writeFailed);
    EXPECT_FALSE(folder.exists("slow.dat.tmp"));
    sim.rule("/slow.dat", "normal");
}

TEST(InetTransfer, OneClientKeepsItsConnectionBetweenRequests)
{
    // A keep-alive server that answers every request with "abc".
    RawHttpServer server([](const std::string& method, const std::string&) {
        return RawHttpServer::Answer {
            std::string("HTTP/1.1 200 OK\r\nContent-Length: 3\r\n\r\n") + (method == "HEAD" ? "" : "abc"), false};
    });
    {
        InetTransfer client;
        client.execute(server.url("/UpdList.xml"), "HEAD");
        client.execute(server.url("/UpdList.xml"), "GET");
        EXPECT_EQ(client.getChunk(), "abc");
        client.execute(server.url("/a.dat"), "HEAD");
        client.execute(server.url("/a.dat"), "GET", [](std::string_view) { return true; });
        EXPECT_EQ(client.receivedBytes(), 3);
        EXPECT_EQ(server.connections(), 1);
    }
    // Another client has connections of its own.
    InetTransfer other;
    other.execute(server.url("/a.dat"), "GET");
    EXPECT_EQ(server.connections(), 2);
}
