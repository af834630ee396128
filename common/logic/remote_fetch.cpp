#include "common/logic/remote_fetch.h"

#include "common/logic/message_box.h"
#include "platform/codepage.h"

#include <chrono>
#include <system_error>

namespace {

constexpr const char* unreachableMessage = "连接网络失败！";

} // namespace

RemoteFetch::RemoteFetch(Shell shell, std::string caption, platform::EventPump pump, int timeoutMs, Poster post)
    : m_shell(shell)
    , m_caption(std::move(caption))
    , m_pump(std::move(pump))
    , m_timeoutMs(timeoutMs)
    , m_post(std::move(post))
{ }

RemoteFetch::~RemoteFetch()
{
    // A request still waiting ends at its next pump; what it would have posted is dropped.
    *m_closing = true;
    for (Worker& worker : m_workers)
        worker.thread.join();
}

std::unique_ptr<platform::XmlHttpRequest> RemoteFetch::createRequest()
{
    if (m_factory)
        return m_factory();
    auto request = std::make_unique<platform::XmlHttpRequest>();
    platform::XmlHttpRequest* self = request.get();
    // The window's pump belongs to the window's thread; a request waiting on a worker only
    // looks whether the window is going.
    *request = platform::XmlHttpRequest(
        [this, self, closing = m_closing] {
            if (std::this_thread::get_id() == m_windowThread) {
                if (m_pump)
                    m_pump();
            } else if (*closing) {
                self->abort();
            }
        },
        m_timeoutMs);
    return request;
}

void RemoteFetch::joinFinishedWorkers()
{
    std::erase_if(m_workers, [](Worker& worker) {
        if (!*worker.done)
            return false;
        worker.thread.join();
        return true;
    });
}

void RemoteFetch::perform(std::function<std::int32_t()> wait, std::function<void(std::int32_t)> finish, Then then)
{
    if (!then || !m_post) {
        finish(wait());
        if (then)
            then();
        return;
    }
    joinFinishedWorkers();
    ++m_pending;
    auto done = std::make_shared<std::atomic<bool>>(false);
    std::thread thread([wait = std::move(wait), finish = std::move(finish), then = std::move(then), closing = m_closing,
                           post = m_post, done, self = this]() mutable {
        const std::int32_t error = wait();
        *done = true;
        post([finish = std::move(finish), then = std::move(then), closing, error, self] {
            if (*closing)
                return;
            --self->m_pending;
            finish(error);
            then();
        });
    });
    m_workers.push_back(Worker {std::move(thread), std::move(done)});
}

void RemoteFetch::reportUnreachable(std::int32_t error) const
{
    if (error == platform::hresult::resourceNotFound)
        message_box::show(m_caption, unreachableMessage);
}

namespace {

std::int32_t openAndSend(platform::XmlHttpRequest& request, const std::string& url)
{
    std::int32_t lastError = request.open("GET", url, false);
    if (const std::int32_t error = request.send(); error != platform::hresult::ok)
        lastError = error;
    return lastError;
}

} // namespace

void RemoteFetch::StatusFetch(const std::string& url, TextHolder& holder, Then then)
{
    // While a fetch waits, timers keep running and may start another fetch; that one gets
    // an object of its own instead of tearing down the one in use.
    std::shared_ptr<platform::XmlHttpRequest> nested;
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
        if (then)
            then();
        return;
    }
    perform([request, url, nested] { return openAndSend(*request, url); },
        [this, request, nested, &holder](std::int32_t lastError) {
            if (request->readyState() == 4 && request->status() == 200)
                holder.setText(request->responseText());
            request->abort();
            if (!nested)
                m_statusRequestBusy = false;
            reportUnreachable(lastError);
        },
        std::move(then));
}

void RemoteFetch::RawFetch(const std::string& url, TextHolder& holder, Then then)
{
    std::shared_ptr<platform::XmlHttpRequest> request = createRequest();
    if (!request) {
        if (then)
            then();
        return;
    }
    perform([request, url] { return openAndSend(*request, url); },
        [this, request, &holder](std::int32_t lastError) {
            // send() returns at completion, failure or time-out, so there is nothing to wait
            // for: a request that never completed leaves no body and the holder ends empty.
            holder.setText(request->readyState() == 4 ? platform::ansiToUtf8(request->responseBody()) : std::string());
            reportUnreachable(lastError);
        },
        std::move(then));
}

void RemoteFetch::FetchPortalProbe(TextHolder& holder)
{
    if (m_shell == Shell::Portal)
        StatusFetch(serverUrl(ServerRole::PortalPrimary, "/update/PallomarAdControl.txt"), holder);
}

void RemoteFetch::StartPortalProbe()
{
    if (m_shell != Shell::Portal || m_earlyProbe)
        return;
    std::shared_ptr<platform::XmlHttpRequest> request = createRequest();
    if (!request)
        return;
    EarlyProbe probe {request, std::make_shared<std::atomic<bool>>(false), std::make_shared<std::int32_t>(0)};
    const std::string url = serverUrl(ServerRole::PortalPrimary, "/update/PallomarAdControl.txt");
    std::thread thread;
    try {
        thread = std::thread([request, url, done = probe.done, error = probe.error] {
            *error = openAndSend(*request, url);
            *done = true;
        });
    } catch (const std::system_error&) {
        return; // no thread: the finish fetches as before
    }
    m_workers.push_back(Worker {std::move(thread), probe.done});
    m_earlyProbe = std::move(probe);
}

void RemoteFetch::FinishPortalProbe(TextHolder& holder)
{
    if (!m_earlyProbe) {
        FetchPortalProbe(holder);
        return;
    }
    const EarlyProbe probe = std::move(*m_earlyProbe);
    m_earlyProbe.reset();
    while (!*probe.done) {
        if (m_pump)
            m_pump();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    joinFinishedWorkers();
    if (probe.request->readyState() == 4 && probe.request->status() == 200)
        holder.setText(probe.request->responseText());
    probe.request->abort();
    reportUnreachable(*probe.error);
}

void RemoteFetch::FetchFilmProbe(TextHolder& holder)
{
    if (m_shell == Shell::Portal)
        StatusFetch(serverUrl(ServerRole::FilmMirror, "/update/PallomarAdControl.txt"), holder);
}

void RemoteFetch::FetchUpdateVersion(TextHolder& holder, Then then)
{
    StatusFetch(serverUrl(ServerRole::PortalPrimary,
                    m_shell == Shell::Portal ? "/update/updatePallo.txt" : "/update/update.txt"),
        holder, std::move(then));
}

void RemoteFetch::FetchUpdateNews(TextHolder& holder, Then then)
{
    RawFetch(serverUrl(ServerRole::PortalPrimary,
                 m_shell == Shell::Portal ? "/update/updatePalloNews.txt" : "/update/updatenews.txt"),
        holder, std::move(then));
}

void RemoteFetch::FetchAdControl(TextHolder& holder, Then then)
{
    RawFetch(serverUrl(ServerRole::PortalPrimary,
                 m_shell == Shell::Portal ? "/update/PallomarAdControl.txt" : "/update/TovanTVAdControl.txt"),
        holder, std::move(then));
}
