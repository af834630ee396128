#include "remote_fetch.h"

#include "codepage.h"
#include "message_box.h"

namespace {

constexpr const char* unreachableMessage = "连接网络失败！";

} // namespace

RemoteFetch::RemoteFetch(Shell shell, std::string caption, platform::EventPump pump, int timeoutMs)
    : m_shell(shell)
    , m_caption(std::move(caption))
    , m_pump(std::move(pump))
    , m_timeoutMs(timeoutMs)
{ }

RemoteFetch::~RemoteFetch() = default;

std::unique_ptr<platform::XmlHttpRequest> RemoteFetch::createRequest() const
{
    if (m_factory)
        return m_factory();
    return std::make_unique<platform::XmlHttpRequest>(m_pump, m_timeoutMs);
}

void RemoteFetch::reportUnreachable(std::int32_t error) const
{
    if (error == platform::hresult::resourceNotFound)
        message_box::show(m_caption, unreachableMessage);
}

void RemoteFetch::StatusFetch(const std::string& url, TextHolder& holder)
{
    // While a fetch waits, timers keep running and may start another fetch; that one gets
    // an object of its own instead of tearing down the one in use.
    std::unique_ptr<platform::XmlHttpRequest> nested;
    platform::XmlHttpRequest* request = nullptr;
    if (m_statusRequestBusy) {
        nested = createRequest();
        request = nested.get();
    } else {
        if (!m_statusRequest)
            m_statusRequest = createRequest();
        request = m_statusRequest.get();
        m_statusRequestBusy = true;
    }
    if (!request) {
        m_statusRequestBusy = false;
        return;
    }

    std::int32_t lastError = request->open("GET", url, false);
    if (const std::int32_t error = request->send(); error != platform::hresult::ok)
        lastError = error;
    if (request->readyState() == 4 && request->status() == 200)
        holder.setText(request->responseText());
    request->abort();
    if (!nested)
        m_statusRequestBusy = false;
    reportUnreachable(lastError);
}

void RemoteFetch::RawFetch(const std::string& url, TextHolder& holder)
{
    std::unique_ptr<platform::XmlHttpRequest> request = createRequest();
    if (!request)
        return;
    std::int32_t lastError = request->open("GET", url, false);
    if (const std::int32_t error = request->send(); error != platform::hresult::ok)
        lastError = error;
    // send() returns at completion, failure or time-out, so there is nothing to wait for:
    // a request that never completed leaves no body and the holder ends empty.
    holder.setText(request->readyState() == 4 ? platform::ansiToUtf8(request->responseBody()) : std::string());
    reportUnreachable(lastError);
}

void RemoteFetch::FetchPortalProbe(TextHolder& holder)
{
    if (m_shell == Shell::Portal)
        StatusFetch(serverUrl(ServerRole::PortalPrimary, "/update/PallomarAdControl.txt"), holder);
}

void RemoteFetch::FetchFilmProbe(TextHolder& holder)
{
    if (m_shell == Shell::Portal)
        StatusFetch(serverUrl(ServerRole::FilmMirror, "/update/PallomarAdControl.txt"), holder);
}

void RemoteFetch::FetchUpdateVersion(TextHolder& holder)
{
    StatusFetch(serverUrl(ServerRole::PortalPrimary,
                    m_shell == Shell::Portal ? "/update/updatePallo.txt" : "/update/update.txt"),
        holder);
}

void RemoteFetch::FetchUpdateNews(TextHolder& holder)
{
    RawFetch(serverUrl(ServerRole::PortalPrimary,
                 m_shell == Shell::Portal ? "/update/updatePalloNews.txt" : "/update/updatenews.txt"),
        holder);
}

void RemoteFetch::FetchAdControl(TextHolder& holder)
{
    RawFetch(serverUrl(ServerRole::PortalPrimary,
                 m_shell == Shell::Portal ? "/update/PallomarAdControl.txt" : "/update/TovanTVAdControl.txt"),
        holder);
}
