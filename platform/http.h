#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace platform {

// Lets the window system process pending events while a request waits. Supplied by the
// windows layer; empty in plain logic.
using EventPump = std::function<void()>;

// Error codes in the form the programs were written against (HRESULTs).
namespace hresult {
inline constexpr std::int32_t ok = 0;
// The server could not be reached (no connection, unknown host, connect time-out).
inline constexpr std::int32_t resourceNotFound = static_cast<std::int32_t>(0x800C0005u);
// The server was reached but did not answer within the time-out.
inline constexpr std::int32_t connectionTimeout = static_cast<std::int32_t>(0x800C000Bu);
// The transfer broke off (connection reset, body cut short).
inline constexpr std::int32_t downloadFailure = static_cast<std::int32_t>(0x800C0008u);
inline constexpr std::int32_t invalidUrl = static_cast<std::int32_t>(0x800C0002u);
inline constexpr std::int32_t aborted = static_cast<std::int32_t>(0x80004004u);
inline constexpr std::int32_t unexpected = static_cast<std::int32_t>(0x8000FFFFu);
} // namespace hresult

// Connections kept open between the requests of one client, as the platform's transfer
// control keeps them alive; a later request to the same server reuses one instead of
// connecting again. Used from one thread at a time.
class HttpConnectionCache
{
public:
    HttpConnectionCache();
    ~HttpConnectionCache();
    HttpConnectionCache(const HttpConnectionCache&) = delete;
    HttpConnectionCache& operator=(const HttpConnectionCache&) = delete;

    // The transfer library's handle that holds the connections; null when it could not be made.
    void* handle() const { return m_handle; }

private:
    void* m_handle = nullptr;
};

struct HttpResponse;

struct HttpRequest
{
    std::string method = "GET"; // "GET" or "HEAD"
    std::string url;
    int timeoutMs = 15000; // whole exchange
    int connectTimeoutMs = 5000; // reaching the server
    // When above 0: ends the exchange as timed out when no byte arrived for that long (long
    // downloads set a large timeoutMs and rely on this instead).
    int stallTimeoutMs = 0;
    EventPump pump; // called while waiting, about every 10 ms
    // Receives the body as it arrives; returning false stops the transfer. When empty the
    // body is collected in HttpResponse::body.
    std::function<bool(std::string_view chunk)> onBody;
    // Asked while waiting; true ends the exchange as aborted.
    std::function<bool()> cancelled;
    // When not empty, asks for part of the body only ("100-" for everything from byte 100 on).
    std::string range;
    // Called once before the first body byte is handed to onBody, with the status and the
    // headers of the response the body belongs to.
    std::function<void(const HttpResponse& head)> onBodyStart;
    // A body kept in HttpResponse::body (no onBody) longer than this ends the exchange as a
    // failed download with no body: a server that sends for ever does not fill the memory.
    std::size_t maxKeptBodyBytes = std::size_t {64} << 20;
    // When set, the exchange may reuse an open connection of the cache and leaves its own
    // there; otherwise it connects afresh and closes.
    HttpConnectionCache* connections = nullptr;
};

struct HttpResponse
{
    std::int32_t error = hresult::ok; // hresult::ok when a complete response arrived
    // HTTP status, 0 when none arrived or the answer's first line was no HTTP status line
    // (then the exchange failed as a download failure).
    long status = 0;
    // The final response's headers as libcurl read them (values trimmed, folded lines joined);
    // not those of a 1xx answer, nor trailers.
    std::vector<std::pair<std::string, std::string>> headers;
    // The final response's status line as received, then its headers as "Name: value", each
    // line ending in CR LF, and the empty line.
    std::string headerText;
    std::string body;
    std::string errorText; // human-readable cause, for diagnostics

    // The first header of that name (case-insensitive).
    std::optional<std::string> header(std::string_view name) const;
    // Content-Length as a number, when present and valid.
    std::optional<long long> contentLength() const;
};

// Runs one HTTP exchange to completion, failure, time-out or cancellation, calling the pump
// while it waits. Never throws.
HttpResponse performHttp(const HttpRequest& request);

// The synchronous request object of the shells' fetches: open, send, readyState, status,
// responseText, responseBody, abort. send() returns only when the response has arrived or
// the request failed; while it waits the pump runs.
class XmlHttpRequest
{
public:
    explicit XmlHttpRequest(EventPump pump = {}, int timeoutMs = 15000);

    // Prepares a request; only synchronous use is supported (`async` false).
    std::int32_t open(const std::string& method, const std::string& url, bool async = false);
    // Performs the prepared request. Returns hresult::ok or the failure's code.
    std::int32_t send();
    // 0 uninitialised, 1 opened, 4 completed.
    int readyState() const { return m_readyState; }
    long status() const { return m_response.status; }
    // The body decoded by the request object's own rules: the charset the server declares
    // (GBK family, Latin-1, UTF-8), else a byte-order mark, else UTF-8.
    std::string responseText() const;
    // The raw bytes of the body, whatever the status.
    const std::string& responseBody() const { return m_response.body; }
    std::optional<std::string> responseHeader(std::string_view name) const { return m_response.header(name); }
    // Ends a request in progress (from inside the pump) and returns the object to its
    // uninitialised state.
    void abort();

private:
    EventPump m_pump;
    int m_timeoutMs;
    std::string m_method;
    std::string m_url;
    int m_readyState = 0;
    bool m_abortRequested = false;
    HttpResponse m_response;
};

// Decodes a body by a Content-Type header's charset, a byte-order mark, or as UTF-8.
std::string decodeHttpText(std::string_view body, std::string_view contentType);

} // namespace platform
