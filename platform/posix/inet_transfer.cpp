#include "platform/inet_transfer.h"

#include <algorithm>

namespace platform {

InetTransfer::InetTransfer(EventPump pump)
    : m_pump(std::move(pump))
{ }

void InetTransfer::setTimeouts(int requestTimeoutMs, int stallTimeoutMs)
{
    m_requestTimeoutMs = requestTimeoutMs;
    m_stallTimeoutMs = stallTimeoutMs;
}

void InetTransfer::execute(const std::string& url, const std::string& method, ChunkSink sink, const std::string& range)
{
    m_url = url;
    m_response = HttpResponse {};
    m_readOffset = 0;
    m_received = 0;
    m_cancelRequested = false;

    HttpRequest request;
    request.method = method;
    request.url = url;
    request.timeoutMs = m_requestTimeoutMs;
    request.connectTimeoutMs = std::min(m_requestTimeoutMs, 5000);
    request.stallTimeoutMs = m_stallTimeoutMs;
    request.pump = [this] {
        if (m_pump)
            m_pump();
    };
    request.cancelled = [this] { return m_cancelRequested; };
    request.connections = &m_connections;
    request.range = range;
    request.onBodyStart = [this](const HttpResponse& head) {
        m_response.status = head.status;
        m_response.headers = head.headers;
        m_response.headerText = head.headerText;
    };
    bool refused = false;
    // The body goes to the sink as it arrives (the caller judges the status afterwards), or
    // is kept for getChunk.
    request.onBody = [&](std::string_view data) {
        m_received += static_cast<long long>(data.size());
        if (!sink) {
            if (m_response.body.size() + data.size() > m_keptBodyLimit)
                return false;
            m_response.body.append(data);
            return true;
        }
        while (!data.empty()) {
            const std::size_t n = std::min(data.size(), chunkSize);
            if (!sink(data.substr(0, n))) {
                refused = true;
                return false;
            }
            data.remove_prefix(n);
        }
        return true;
    };

    m_executing = true;
    HttpResponse response = performHttp(request);
    m_executing = false;
    if (!sink)
        response.body = std::move(m_response.body);
    m_response = std::move(response);
    // A transfer the receiver refused (a full disk, more bytes than announced) or the user
    // cancelled did not break: its own reason is the one to tell.
    if (m_response.error != hresult::ok && !refused && !m_cancelRequested && m_onState)
        m_onState(stateError);
}

std::string InetTransfer::getHeader(std::string_view name) const
{
    return m_response.header(name).value_or(std::string());
}

std::string InetTransfer::openUrl(const std::string& url)
{
    execute(url, "GET");
    m_readOffset = m_response.body.size();
    return m_response.body;
}

std::string InetTransfer::getChunk(std::size_t size)
{
    const std::size_t n = std::min(size, m_response.body.size() - m_readOffset);
    std::string chunk = m_response.body.substr(m_readOffset, n);
    m_readOffset += n;
    return chunk;
}

// Written out: curl_easy_escape() escapes every byte but the unreserved ones, which would
// turn the path separators and a name's other printable characters into escapes.
std::string fileUrl(std::string_view baseUrl, std::string_view name)
{
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string url(baseUrl);
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\')
            url.push_back('/');
        else if (byte <= 0x20 || byte >= 0x7F || c == '%' || c == '#' || c == '?') {
            url.push_back('%');
            url.push_back(hex[byte >> 4]);
            url.push_back(hex[byte & 0x0F]);
        } else {
            url.push_back(c);
        }
    }
    return url;
}

} // namespace platform
