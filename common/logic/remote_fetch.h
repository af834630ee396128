#pragma once

#include "common/logic/server_roles.h"
#include "common/logic/text_holder.h"
#include "platform/http.h"

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

// Which shell a piece of shared code is built into; the shared services differ only in data.
enum class Shell { Portal, TV };

// The downloads of small control files into a main window's text holders. A download is one
// GET; its result goes into the holder, never back to the caller, and a holder that keeps its
// initial text means the download failed.
//
// A download without a `then` step is synchronous, with the event pump running while it waits
// (the pump cannot take user input, which would run handlers in the middle of the caller's).
// A download with a `then` step and a poster waits on a thread of its own while the window's
// event loop, input included, goes on; the holder, the message and `then` come on the
// window's thread when it ends. Without a poster `then` runs before the call returns.
class RemoteFetch
{
public:
    using RequestFactory = std::function<std::unique_ptr<platform::XmlHttpRequest>()>;
    using Then = std::function<void()>;
    // Hands a step to the window's thread, from any thread; the step runs there later.
    using Poster = std::function<void(std::function<void()> step)>;

    // `caption` is the program's title, shown on the "连接网络失败！" message box.
    RemoteFetch(Shell shell, std::string caption, platform::EventPump pump, int timeoutMs = 10000, Poster post = {});
    ~RemoteFetch();
    RemoteFetch(const RemoteFetch&) = delete;
    RemoteFetch& operator=(const RemoteFetch&) = delete;

    // GET with the window's one request object; the holder takes the decoded body only on
    // status 200.
    void StatusFetch(const std::string& url, TextHolder& holder, Then then = {});
    // GET with a fresh request object; the holder takes the body in the ANSI code page
    // whatever the status, or empty text when no body could be read.
    void RawFetch(const std::string& url, TextHolder& holder, Then then = {});

    // The named fetches of the shells. A fetch the shell does not have does nothing (and
    // runs `then` at once).
    void FetchPortalProbe(TextHolder& holder);
    // The portal probe in two halves, so that its wait overlaps the browser engine's start:
    // the GET begins on a thread of its own, and the finish waits for it (pumping, as the
    // synchronous fetch does) and then fills the holder and shows the message exactly as
    // FetchPortalProbe would, at the caller's point. A finish without a start fetches then.
    void StartPortalProbe();
    void FinishPortalProbe(TextHolder& holder);
    void FetchFilmProbe(TextHolder& holder);
    void FetchUpdateVersion(TextHolder& holder, Then then = {});
    void FetchUpdateNews(TextHolder& holder, Then then = {});
    void FetchAdControl(TextHolder& holder, Then then = {});

    // How many downloads wait off the window's thread or have their step still to run.
    int pending() const { return m_pending; }

    // Tests count and observe the request objects through this seam.
    void setRequestFactory(RequestFactory factory) { m_factory = std::move(factory); }
    const platform::XmlHttpRequest* statusRequestObject() const { return m_statusRequest.get(); }

private:
    std::unique_ptr<platform::XmlHttpRequest> createRequest();
    void reportUnreachable(std::int32_t error) const;
    // Runs `wait` (open and send) synchronously, or on a thread when `then` and a poster are
    // there; `finish` (holder and message) and `then` follow on this thread.
    void perform(std::function<std::int32_t()> wait, std::function<void(std::int32_t)> finish, Then then);
    void joinFinishedWorkers();

    Shell m_shell;
    std::string m_caption;
    platform::EventPump m_pump;
    int m_timeoutMs;
    RequestFactory m_factory;
    Poster m_post;
    std::unique_ptr<platform::XmlHttpRequest> m_statusRequest;
    bool m_statusRequestBusy = false;
    std::thread::id m_windowThread = std::this_thread::get_id();
    // Set when the window goes: a waiting request on a worker ends at its next pump.
    std::shared_ptr<std::atomic<bool>> m_closing = std::make_shared<std::atomic<bool>>(false);
    struct Worker
    {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> done;
    };
    std::vector<Worker> m_workers;
    struct EarlyProbe
    {
        std::shared_ptr<platform::XmlHttpRequest> request;
        std::shared_ptr<std::atomic<bool>> done;
        std::shared_ptr<std::int32_t> error;
    };
    std::optional<EarlyProbe> m_earlyProbe;
    int m_pending = 0;
};
