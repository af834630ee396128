#include "platform/http.h"
#include "tests/support/raw_http_server.h"
#include "tests/support/sim_server.h"

#include <gtest/gtest.h>

using namespace platform;

namespace {

HttpResponse get(const std::string& url, int timeoutMs = 5000, EventPump pump = {})
{
    HttpRequest request;
    request.url = url;
    request.timeoutMs = timeoutMs;
    request.pump = std::move(pump);
    return performHttp(request);
}

} // namespace

TEST(Http, GetAndHeadAgainstARealServer)
{
    SimServer sim;
    sim.site().write("update/updatePallo.txt", "2.1\n");

    const HttpResponse ok = get(sim.url("/update/updatePallo.txt"));
    EXPECT_EQ(ok.error, hresult::ok);
    EXPECT_EQ(ok.status, 200);
    EXPECT_EQ(ok.body, "2.1\n");
    EXPECT_EQ(ok.contentLength(), 4);
    EXPECT_EQ(ok.header("content-type"), "text/plain");

    HttpRequest head;
    head.method = "HEAD";
    head.url = sim.url("/update/updatePallo.txt");
    const HttpResponse headResponse = performHttp(head);
    EXPECT_EQ(headResponse.status, 200);
    EXPECT_EQ(headResponse.body, "");
    EXPECT_EQ(headResponse.contentLength(), 4);

    // A missing file is a complete response with the server's error page.
    const HttpResponse missing = get(sim.url("/update/none.txt"));
    EXPECT_EQ(missing.error, hresult::ok);
    EXPECT_EQ(missing.status, 404);
    EXPECT_NE(missing.body.find("Not Found"), std::string::npos);
}

TEST(Http, StatusAndHeadersAreTheOnesLibcurlRead)
{
    const struct
    {
        std::string what;
        std::string method;
        std::string answer; // exactly as the server sends it
        std::int32_t error;
        long status;
        std::string headerText; // as the callers read it
        std::string body;
    } cases[] = {
        {"a header that begins with HTTP/", "GET",
            "HTTP/1.1 200 OK\r\nContent-Length: 2\r\nHTTP/2: 404 Not Found\r\n\r\nok", hresult::ok, 200,
            "HTTP/1.1 200 OK\r\nContent-Length: 2\r\nHTTP/2: 404 Not Found\r\n\r\n", "ok"},
        {"a first line that is no status line", "GET", "HTTP/garbage\r\nContent-Length: 2\r\n\r\nok",
            hresult::downloadFailure, 0, "", ""},
        {"no status line, to a HEAD", "HEAD", "HTTP/x 200 OK\r\nContent-Length: 5\r\n\r\n", hresult::downloadFailure, 0,
            "", ""},
        {"the final answer after a 100 Continue", "GET",
            "HTTP/1.1 100 Continue\r\nX-Early: 1\r\n\r\nHTTP/1.1 404 Not Found\r\nContent-Length: 2\r\n\r\nno",
            hresult::ok, 404, "HTTP/1.1 404 Not Found\r\nContent-Length: 2\r\n\r\n", "no"},
        {"HTTP/1.0, folded header, no reason", "GET", "HTTP/1.0 200\r\nX-Long: a\r\n  b\r\nContent-Length: 2\r\n\r\nok",
            hresult::ok, 200, "HTTP/1.0 200\r\nX-Long: a b\r\nContent-Length: 2\r\n\r\n", "ok"},
        {"trailers are no headers", "GET",
            "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n2\r\nok\r\n0\r\nX-Late: HTTP/1.1 404 Not "
            "Found\r\n\r\n",
            hresult::ok, 200, "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n", "ok"},
    };
    for (const auto& c : cases) {
        RawHttpServer server([&](const std::string&, const std::string&) { return RawHttpServer::Answer {c.answer}; });
        HttpRequest request;
        request.method = c.method;
        request.url = server.url("/x");
        // Kept in the response, and handed to a sink as it arrives: the same verdict.
        for (const bool sink : {false, true}) {
            std::string streamed;
            HttpResponse head;
            if (sink) {
                request.onBody = [&](std::string_view chunk) {
                    streamed += chunk;
                    return true;
                };
                request.onBodyStart = [&](const HttpResponse& started) { head = started; };
            }
            const HttpResponse response = performHttp(request);
            const std::string label = c.what + (sink ? ", streamed" : "");
            EXPECT_EQ(response.error, c.error) << label;
            EXPECT_EQ(response.status, c.status) << label;
            EXPECT_EQ(response.headerText, c.headerText) << label;
            EXPECT_EQ(sink ? streamed : response.body, c.body) << label;
            // The length is the answer's own, never lost to a header that follows it.
            const bool announced = c.headerText.find("Content-Length: 2") != std::string::npos;
            EXPECT_EQ(response.contentLength(), announced ? std::optional<long long>(2) : std::nullopt) << label;
            if (sink && !c.body.empty()) {
                EXPECT_EQ(head.headerText, c.headerText) << label << ": the body's own head, before it";
            }
        }
    }
}

TEST(Http, FailuresMapToTheCodesCallersLookFor)
{
    // Nothing listens: the server is unreachable.
    const HttpResponse refused = get("http://127.0.0.1:" + std::to_string(closedPort()) + "/x");
    EXPECT_EQ(refused.error, hresult::resourceNotFound);
    EXPECT_EQ(refused.status, 0);

    EXPECT_EQ(get("http://no-such-host.invalid/x").error, hresult::resourceNotFound);
    EXPECT_EQ(get("ftp://127.0.0.1/x").error, hresult::invalidUrl);

    SimServer sim;
    sim.site().write("cut.txt", std::string(5000, 'x'));
    sim.rule("/cut.txt", "truncate=100");
    const HttpResponse cut = get(sim.url("/cut.txt"));
    EXPECT_EQ(cut.error, hresult::downloadFailure);

    // A body that never ends breaks off at the kept limit instead of filling the memory.
    sim.rule("/cut.txt", "endless");
    HttpRequest endless;
    endless.url = sim.url("/cut.txt");
    endless.maxKeptBodyBytes = 1 << 20;
    const HttpResponse flood = performHttp(endless);
    EXPECT_EQ(flood.error, hresult::downloadFailure);
    EXPECT_TRUE(flood.body.empty());
}

TEST(Http, ServerThatNeverAnswersEndsAtTheTimeOutWhileThePumpRuns)
{
    SimServer sim;
    sim.site().write("slow.txt", "late");
    sim.rule("/slow.txt", "hang");
    int pumped = 0;
    const HttpResponse response = get(sim.url("/slow.txt"), 400, [&] { ++pumped; });
    EXPECT_EQ(response.error, hresult::connectionTimeout);
    EXPECT_EQ(response.status, 0);
    EXPECT_GT(pumped, 5); // the window kept being served while we waited
}

TEST(Http, BodySinkStreamsAndCanStopTheTransfer)
{
    SimServer sim;
    sim.site().write("big.bin", std::string(300000, 'b'));
    size_t received = 0;
    HttpRequest request;
    request.url = sim.url("/big.bin");
    request.onBody = [&](std::string_view chunk) {
        received += chunk.size();
        return true;
    };
    const HttpResponse whole = performHttp(request);
    EXPECT_EQ(whole.error, hresult::ok);
    EXPECT_EQ(received, 300000u);
    EXPECT_TRUE(whole.body.empty());

    request.onBody = [](std::string_view) { return false; };
    EXPECT_EQ(performHttp(request).error, hresult::aborted);

    sim.rule("/big.bin", "hang");
    request.onBody = {};
    int polls = 0;
    request.cancelled = [&] { return ++polls > 3; };
    EXPECT_EQ(performHttp(request).error, hresult::aborted);
}

TEST(XmlHttpRequest, SynchronousRequestLifecycle)
{
    SimServer sim;
    sim.site().write("news.txt", gbk("更新信息：新版本"));
    XmlHttpRequest request;
    EXPECT_EQ(request.readyState(), 0);
    EXPECT_EQ(request.open("GET", sim.url("/news.txt"), true), hresult::unexpected); // only synchronous use
    EXPECT_EQ(request.send(), hresult::unexpected);

    ASSERT_EQ(request.open("GET", sim.url("/news.txt")), hresult::ok);
    EXPECT_EQ(request.readyState(), 1);
    ASSERT_EQ(request.send(), hresult::ok);
    EXPECT_EQ(request.readyState(), 4);
    EXPECT_EQ(request.status(), 200);
    EXPECT_EQ(request.responseBody(), gbk("更新信息：新版本"));
    // No charset declared: the object's own rule reads UTF-8, so GBK arrives garbled.
    EXPECT_NE(request.responseText(), "更新信息：新版本");
    request.abort();
    EXPECT_EQ(request.readyState(), 0);

    // The same object is reusable after abort.
    ASSERT_EQ(request.open("GET", "http://127.0.0.1:" + std::to_string(closedPort()) + "/"), hresult::ok);
    EXPECT_EQ(request.send(), hresult::resourceNotFound);
    EXPECT_EQ(request.readyState(), 1);
}

TEST(XmlHttpRequest, AbortFromThePumpEndsTheWait)
{
    SimServer sim;
    sim.site().write("x.txt", "x");
    sim.rule("/x.txt", "hang");
    XmlHttpRequest* self = nullptr;
    XmlHttpRequest request([&] { self->abort(); }, 60000);
    self = &request;
    request.open("GET", sim.url("/x.txt"));
    EXPECT_EQ(request.send(), hresult::aborted);
    EXPECT_EQ(request.readyState(), 0);
}

TEST(XmlHttpRequest, ResponseTextFollowsTheDeclaredCharset)
{
    EXPECT_EQ(decodeHttpText(gbk("中文"), "text/plain; charset=GBK"), "中文");
    EXPECT_EQ(decodeHttpText(gbk("中文"), "text/html;charset=\"gb2312\""), "中文");
    EXPECT_EQ(decodeHttpText("caf\xE9", "text/plain; charset=ISO-8859-1"), "caf\xC3\xA9");
    EXPECT_EQ(decodeHttpText("\xEF\xBB\xBF中文", "text/plain"), "中文");
    EXPECT_EQ(decodeHttpText("a\xFF", ""), "a\xEF\xBF\xBD");
    // windows-1252 is not Latin-1: 0x80-0x9F are letters and signs of their own.
    EXPECT_EQ(decodeHttpText("\x80 \x93x\x94 \x9C", "text/plain; charset=windows-1252"), "€ “x” œ");
    EXPECT_EQ(decodeHttpText("\xA4\xA4", "text/plain; charset=Big5"), "中");
    EXPECT_EQ(decodeHttpText("\x82\xA0", "text/html; charset=shift_jis"), "あ");
    EXPECT_EQ(decodeHttpText(gbk("中文"), "text/plain; charset=GB18030"), "中文");
    // A name no table knows: read as UTF-8.
    EXPECT_EQ(decodeHttpText("ok\xFF", "text/plain; charset=x-unknown"), "ok\xEF\xBF\xBD");
}
