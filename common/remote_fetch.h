#pragma once

#include "http.h"
#include "server_roles.h"
#include "text_holder.h"

#include <functional>
#include <memory>
#include <string>

// Which shell a piece of shared code is built into; the shared services differ only in data.
enum class Shell { Portal, TV };

// The downloads of small control files into a main window's text holders. Each download is
// one synchronous GET with the event pump running; its result goes into the holder, never
// back to the caller, and a holder that keeps its initial text means the download failed.
class RemoteFetch
{
public:
    using RequestFactory = std::function<std::unique_ptr<platform::XmlHttpRequest>()>;

    // `caption` is the program's title, shown on the "连接网络失败！" message box.
    RemoteFetch(Shell shell, std::string caption, platform::EventPump pump, int timeoutMs = 10000);
    ~RemoteFetch();
    RemoteFetch(const RemoteFetch&) = delete;
    RemoteFetch& operator=(const RemoteFetch&) = delete;

    // GET with the window's one request object; the holder takes the decoded body only on
    // status 200.
    void StatusFetch(const std::string& url, TextHolder& holder);
    // GET with a fresh request object; the holder takes the body in the ANSI code page
    // whatever the status, or empty text when no body could be read.
    void RawFetch(const std::string& url, TextHolder& holder);

    // The named fetches of the shells. A fetch the shell does not have does nothing.
    void FetchPortalProbe(TextHolder& holder);
    void FetchFilmProbe(TextHolder& holder);
    void FetchUpdateVersion(TextHolder& holder);
    void FetchUpdateNews(TextHolder& holder);
    void FetchAdControl(TextHolder& holder);

    // Tests count and observe the request objects through this seam.
    void setRequestFactory(RequestFactory factory) { m_factory = std::move(factory); }
    const platform::XmlHttpRequest* statusRequestObject() const { return m_statusRequest.get(); }

private:
    std::unique_ptr<platform::XmlHttpRequest> createRequest() const;
    void reportUnreachable(std::int32_t error) const;

    Shell m_shell;
    std::string m_caption;
    platform::EventPump m_pump;
    int m_timeoutMs;
    RequestFactory m_factory;
    std::unique_ptr<platform::XmlHttpRequest> m_statusRequest;
    bool m_statusRequestBusy = false;
};
