#pragma once

#include <optional>
#include <string>
#include <vector>

// Reads and drives the pages of a running program through the browser engine's remote
// debugging port (QTWEBENGINE_REMOTE_DEBUGGING=127.0.0.1:PORT in the program's environment):
// the page list over HTTP, script evaluation and input over the DevTools web socket.
class PageProbe
{
public:
    explicit PageProbe(int port)
        : m_port(port)
    { }

    // A free port on 127.0.0.1 for the program to debug on.
    static int freePort();

    struct Page
    {
        std::string id;
        std::string url;
    };
    // The pages the engine shows now; empty while the port does not answer.
    std::vector<Page> pages() const;
    // The first page whose address contains `part`.
    std::optional<Page> find(const std::string& part) const;

    // The value of a script expression in the page, as JSON text ("12.5", "true", "\"x\""),
    // or nothing when it threw or the page did not answer. The expression runs as though
    // the user had just acted (requestFullscreen and play are allowed).
    std::optional<std::string> evaluate(const Page& page, const std::string& expression) const;
    // A DevTools command with its parameters as JSON; true when the page answered it without
    // an error.
    bool command(const Page& page, const std::string& method, const std::string& params) const;

private:
    // The "result" object of the answer, as JSON text.
    std::optional<std::string> call(const Page& page, const std::string& method, const std::string& params) const;

    int m_port;
};
