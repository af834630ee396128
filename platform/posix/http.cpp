#include "platform/http.h"

#include "platform/ascii_text.h"
#include "platform/codepage.h"
#include "platform/text_encodings.h"

#include <curl/curl.h>

#include <algorithm>
#include <mutex>

namespace platform {
namespace {

struct Exchange
{
    const HttpRequest* request;
    HttpResponse* response;
    CURL* easy = nullptr;
    bool sinkRefused = false;
    bool bodyTooLong = false;
    bool bodyStarted = false;
    bool badStatusLine = false;
    bool atBlockStart = true; // the next header line is the first of a response's block
    std::string statusLine; // the first line of the latest response, without its line end
};

// libcurl keeps the headers (curl_easy_header) and the status code, but not the status
// line itself, whose reason text the callers read ("404 Not Found"). So only that line is
// taken from here: the first line of each header block as libcurl reads it (a header that
// merely begins with "HTTP/" is no status line); lines after the body are trailers.
size_t onHeader(char* data, size_t size, size_t count, void* user)
{
    auto* exchange = static_cast<Exchange*>(user);
    std::string_view line(data, size * count);
    if (line.ends_with('\n'))
        line.remove_suffix(1);
    if (line.ends_with('\r'))
        line.remove_suffix(1);
    if (exchange->bodyStarted)
        return size * count;
    if (line.empty()) {
        exchange->atBlockStart = true;
    } else if (exchange->atBlockStart) {
        exchange->statusLine = line;
        exchange->atBlockStart = false;
    }
    return size * count;
}

// Whether `line` states `status` the way HTTP does: "HTTP/1.1 404 Not Found". libcurl
// takes a first line "HTTP/" followed by anything else for a 200 of HTTP/1.0.
bool isStatusLine(std::string_view line, long status)
{
    std::string_view version; // the longest that fits
    for (const std::string_view known : {"HTTP/1.0", "HTTP/1.1", "HTTP/2", "HTTP/2.0", "HTTP/3"})
        if (line.starts_with(known))
            version = known;
    if (version.empty() || line.size() == version.size() || line[version.size()] != ' ')
        return false;
    line.remove_prefix(version.size());
    while (line.starts_with(' '))
        line.remove_prefix(1);
    const std::string code = std::to_string(status);
    return status >= 100 && status <= 999 && line.starts_with(code)
        && (line.size() == code.size() || line[code.size()] < '0' || line[code.size()] > '9');
}

// Status and headers of the latest response, from libcurl; false when its status line is
// none, which leaves the response without status and headers.
bool takeHead(Exchange& exchange)
{
    HttpResponse& response = *exchange.response;
    response.status = 0;
    response.headers.clear();
    response.headerText.clear();
    long status = 0;
    curl_easy_getinfo(exchange.easy, CURLINFO_RESPONSE_CODE, &status);
    if (status == 0)
        return true; // nothing arrived
    if (!isStatusLine(exchange.statusLine, status))
        return false;
    response.status = status;
    response.headerText = exchange.statusLine + "\r\n";
    // Headers of the final response only: not those of a 1xx answer, a proxy or the trailers.
    for (curl_header* header = nullptr;
         (header = curl_easy_nextheader(exchange.easy, CURLH_HEADER, -1, header)) != nullptr;) {
        response.headers.emplace_back(header->name, header->value);
        response.headerText += std::string(header->name) + ": " + header->value + "\r\n";
    }
    response.headerText += "\r\n";
    return true;
}

size_t onBody(char* data, size_t size, size_t count, void* user)
{
    auto* exchange = static_cast<Exchange*>(user);
    const std::string_view chunk(data, size * count);
    if (!exchange->bodyStarted) {
        // The headers of the response that carries this body are complete now.
        exchange->bodyStarted = true;
        if (!takeHead(*exchange)) {
            exchange->badStatusLine = true;
            return 0;
        }
        if (exchange->request->onBodyStart)
            exchange->request->onBodyStart(*exchange->response);
    }
    if (exchange->request->onBody) {
        if (!exchange->request->onBody(chunk)) {
            exchange->sinkRefused = true;
            return 0; // makes curl stop with a write error
        }
    } else {
        if (exchange->response->body.size() + chunk.size() > exchange->request->maxKeptBodyBytes) {
            exchange->bodyTooLong = true;
            return 0;
        }
        exchange->response->body.append(chunk);
    }
    return size * count;
}

std::int32_t errorFor(CURLcode code)
{
    switch (code) {
    case CURLE_OK:
        return hresult::ok;
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
    case CURLE_COULDNT_CONNECT:
        return hresult::resourceNotFound;
    case CURLE_URL_MALFORMAT:
    case CURLE_UNSUPPORTED_PROTOCOL:
        return hresult::invalidUrl;
    case CURLE_OPERATION_TIMEDOUT:
        return hresult::connectionTimeout;
    default:
        return hresult::downloadFailure;
    }
}

void initialiseCurlOnce()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

} // namespace

std::optional<std::string> HttpResponse::header(std::string_view name) const
{
    for (const auto& [key, value] : headers)
        if (ascii::equalIgnoringCase(key, name))
            return value;
    return std::nullopt;
}

std::optional<long long> HttpResponse::contentLength() const
{
    const auto value = header("Content-Length");
    if (!value || value->empty())
        return std::nullopt;
    long long length = 0;
    for (char c : *value) {
        if (c < '0' || c > '9' || length > (1LL << 52))
            return std::nullopt;
        length = length * 10 + (c - '0');
    }
    return length;
}

HttpConnectionCache::HttpConnectionCache()
{
    initialiseCurlOnce();
    m_handle = curl_multi_init();
}

HttpConnectionCache::~HttpConnectionCache()
{
    if (m_handle)
        curl_multi_cleanup(static_cast<CURLM*>(m_handle));
}

HttpResponse performHttp(const HttpRequest& request)
{
    initialiseCurlOnce();
    HttpResponse response;
    Exchange exchange {&request, &response};

    CURL* easy = curl_easy_init();
    exchange.easy = easy;
    // The multi handle holds the open connections: a cache's lives on, our own goes at the end.
    const bool ownMulti = !request.connections || !request.connections->handle();
    CURLM* multi = ownMulti ? curl_multi_init() : static_cast<CURLM*>(request.connections->handle());
    if (!easy || !multi) {
        if (easy)
            curl_easy_cleanup(easy);
        if (multi && ownMulti)
            curl_multi_cleanup(multi);
        response.error = hresult::unexpected;
        response.errorText = "cannot create a transfer";
        return response;
    }

    char errorBuffer[CURL_ERROR_SIZE] = {};
    curl_easy_setopt(easy, CURLOPT_URL, request.url.c_str());
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_NOPROXY, "localhost,127.0.0.1,::1");
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(easy, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS, static_cast<long>(std::max(1, request.timeoutMs)));
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(std::max(1, request.connectTimeoutMs)));
    if (request.stallTimeoutMs > 0) {
        curl_easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT, 1L);
        curl_easy_setopt(easy, CURLOPT_LOW_SPEED_TIME, static_cast<long>(std::max(1, request.stallTimeoutMs / 1000)));
    }
    curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, errorBuffer);
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, onHeader);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, &exchange);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, onBody);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &exchange);
    curl_easy_setopt(easy, CURLOPT_USERAGENT, "Mozilla/4.0 (compatible; MSIE 7.0; Windows NT 5.1)");
    if (!request.range.empty())
        curl_easy_setopt(easy, CURLOPT_RANGE, request.range.c_str());
    if (request.method == "HEAD")
        curl_easy_setopt(easy, CURLOPT_NOBODY, 1L);
    else if (request.method != "GET")
        curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, request.method.c_str());

    curl_multi_add_handle(multi, easy);
    CURLcode result = CURLE_OK;
    bool done = false;
    bool cancelled = false;
    while (!done) {
        int running = 0;
        if (curl_multi_perform(multi, &running) != CURLM_OK) {
            result = CURLE_FAILED_INIT;
            break;
        }
        int queued = 0;
        while (CURLMsg* message = curl_multi_info_read(multi, &queued)) {
            if (message->msg == CURLMSG_DONE) {
                result = message->data.result;
                done = true;
            }
        }
        if (done)
            break;
        if (request.pump)
            request.pump();
        if (request.cancelled && request.cancelled()) {
            cancelled = true;
            break;
        }
        curl_multi_poll(multi, nullptr, 0, 10, nullptr);
    }

    if (!exchange.badStatusLine && !takeHead(exchange))
        exchange.badStatusLine = true;
    if (cancelled) {
        response.error = hresult::aborted;
        response.errorText = "aborted";
    } else if (exchange.bodyTooLong) {
        response.error = hresult::downloadFailure;
        response.errorText = "the body is longer than any this client keeps";
        response.body.clear();
        response.body.shrink_to_fit();
    } else if (exchange.badStatusLine) {
        // Whatever followed, it was no HTTP response.
        response.error = hresult::downloadFailure;
        response.errorText = "the answer's first line is no HTTP status line";
        response.body.clear();
    } else if (exchange.sinkRefused) {
        response.error = hresult::aborted;
        response.errorText = "the receiver refused the body";
    } else {
        response.error = errorFor(result);
        if (result != CURLE_OK)
            response.errorText = errorBuffer[0] ? errorBuffer : curl_easy_strerror(result);
        // A connection that was never made is "unreachable", whatever timer ended it.
        if (result == CURLE_OPERATION_TIMEDOUT) {
            double connectTime = 0;
            curl_easy_getinfo(easy, CURLINFO_CONNECT_TIME, &connectTime);
            if (connectTime <= 0)
                response.error = hresult::resourceNotFound;
        }
    }
    curl_multi_remove_handle(multi, easy);
    curl_easy_cleanup(easy);
    if (ownMulti)
        curl_multi_cleanup(multi);
    return response;
}

std::string decodeHttpText(std::string_view body, std::string_view contentType)
{
    const std::string type = ascii::lowered(contentType);
    std::string charset;
    if (const size_t at = type.find("charset="); at != std::string::npos) {
        charset = std::string(ascii::trimmed(type.substr(at + 8)));
        charset = charset.substr(0, charset.find_first_of("; "));
        if (charset.size() >= 2 && charset.front() == '"')
            charset = charset.substr(1, charset.size() - 2);
    }
    // A declared charset the table knows is decoded by it; UTF-8 and unknown names fall
    // through to the byte-order mark and UTF-8.
    if (const std::optional<KnownEncoding> known = encodingForName(charset);
        known && known->kind != TextEncodingKind::Utf8) {
        if (std::optional<std::string> text = decodeToUtf8(body, charset))
            return *std::move(text);
    }
    if (body.starts_with("\xEF\xBB\xBF"))
        body.remove_prefix(3);
    return sanitizeUtf8(body);
}

XmlHttpRequest::XmlHttpRequest(EventPump pump, int timeoutMs)
    : m_pump(std::move(pump))
    , m_timeoutMs(timeoutMs)
{ }

std::int32_t XmlHttpRequest::open(const std::string& method, const std::string& url, bool async)
{
    m_response = HttpResponse {};
    m_abortRequested = false;
    if (async) {
        m_readyState = 0;
        return hresult::unexpected;
    }
    m_method = method;
    m_url = url;
    m_readyState = 1;
    return hresult::ok;
}

std::int32_t XmlHttpRequest::send()
{
    if (m_readyState != 1)
        return hresult::unexpected;
    HttpRequest request;
    request.method = m_method;
    request.url = m_url;
    request.timeoutMs = m_timeoutMs;
    request.connectTimeoutMs = std::min(m_timeoutMs, 5000);
    request.pump = m_pump;
    request.cancelled = [this] { return m_abortRequested; };
    m_response = performHttp(request);
    if (m_abortRequested) {
        m_readyState = 0;
        return hresult::aborted;
    }
    // Only a complete response reaches the completed state; a failed request stays opened.
    if (m_response.error == hresult::ok)
        m_readyState = 4;
    return m_response.error;
}

std::string XmlHttpRequest::responseText() const
{
    return decodeHttpText(m_response.body, m_response.header("Content-Type").value_or(std::string()));
}

void XmlHttpRequest::abort()
{
    m_abortRequested = true;
    m_readyState = 0;
}

} // namespace platform
