#pragma once

#include "platform/http.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// The updater's transfer client: one request at a time, HEAD or GET, with the response's
// headers and body kept for the caller to read afterwards. The body of a GET either stays
// in the client (small documents, read with getChunk or openUrl) or is handed to a chunk
// sink while it arrives, so a large file never has to fit in memory.
class InetTransfer
{
public:
    // The state number of the state-change notification that means a transfer error.
    static constexpr int stateError = 11;
    // The size of the body pieces handed out, by getChunk and to a chunk sink alike.
    static constexpr std::size_t chunkSize = 1024;

    using StateHandler = std::function<void(int state)>;
    // Receives the body in pieces of at most chunkSize bytes; false stops the transfer.
    using ChunkSink = std::function<bool(std::string_view chunk)>;

    explicit InetTransfer(EventPump pump = {});

    void setUrl(std::string url) { m_url = std::move(url); }
    const std::string& url() const { return m_url; }
    // Called with stateError when a request breaks off (unreachable server, time-out, body
    // cut short); a complete answer with an error status is no transfer error, nor is a
    // transfer ended by its chunk sink or by cancel().
    void setStateHandler(StateHandler handler) { m_onState = std::move(handler); }
    // Time-outs of the next requests: the whole exchange, and the longest silence.
    void setTimeouts(int requestTimeoutMs, int stallTimeoutMs);
    int requestTimeoutMs() const { return m_requestTimeoutMs; }
    int stallTimeoutMs() const { return m_stallTimeoutMs; }

    // Runs `method` ("HEAD" or "GET") on `url` (also the new URL) to its end, running the
    // pump meanwhile; stillExecuting() is true only inside the pump. With a sink the body
    // goes to the sink, otherwise it is kept for getChunk; while the sink runs, status() and
    // getHeader() already tell the response the body belongs to. A `range` ("100-") asks
    // for part of the body; the server may send all of it instead.
    void execute(const std::string& url, const std::string& method, ChunkSink sink = {}, const std::string& range = {});
    bool stillExecuting() const { return m_executing; }
    // Ends the running request from inside the pump; it ends as a transfer error.
    void cancel() { m_cancelRequested = true; }

    // The complete response header text, status line included; empty when none arrived.
    const std::string& getHeader() const { return m_response.headerText; }
    // One header's value, empty when absent.
    std::string getHeader(std::string_view name) const;
    // A GET of `url` returning the whole body.
    std::string openUrl(const std::string& url);
    // A body kept in the client (no sink) larger than this breaks off as a transfer error:
    // a list that never ends must not fill the memory.
    void setKeptBodyLimit(std::size_t bytes) { m_keptBodyLimit = bytes; }
    // The next up to `size` bytes of the kept body; empty when it is exhausted.
    std::string getChunk(std::size_t size = chunkSize);

    long status() const { return m_response.status; }
    // hresult::ok when the last request ended with a complete response.
    std::int32_t error() const { return m_response.error; }
    const std::string& errorText() const { return m_response.errorText; }
    // Body bytes received by the last request, kept or handed to the sink.
    long long receivedBytes() const { return m_received; }

private:
    EventPump m_pump;
    StateHandler m_onState;
    HttpConnectionCache m_connections;
    std::string m_url;
    int m_requestTimeoutMs = 15000;
    int m_stallTimeoutMs = 0;
    bool m_executing = false;
    bool m_cancelRequested = false;
    HttpResponse m_response;
    std::size_t m_readOffset = 0;
    std::size_t m_keptBodyLimit = std::size_t {64} << 20;
    long long m_received = 0;
};

// The address of a file under a base URL, the way the transfer control built it: the name
// glued to the base, "\" turned into "/", and bytes a URL cannot carry percent-encoded.
std::string fileUrl(std::string_view baseUrl, std::string_view name);

} // namespace platform
