#pragma once

#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace httplib {
class Server;
}

// A small HTTP server on 127.0.0.1 that serves a site folder the way the portal servers do,
// and misbehaves on request so that failure handling can be tested against a real socket.
class PortalSim
{
public:
    // How the server answers one path.
    struct Rule
    {
        enum class Kind { Normal, Delay, Hang, Truncate, Status, NoLength, Endless, Stall };
        Kind kind = Kind::Normal;
        int value = 0; // delay in ms, bytes sent before cutting or stalling, or the status code
    };

    explicit PortalSim(std::string root);
    ~PortalSim();
    PortalSim(const PortalSim&) = delete;
    PortalSim& operator=(const PortalSim&) = delete;

    // Binds 127.0.0.1:port (0 picks a free port) and serves on a thread of its own.
    // Returns false when the port cannot be bound.
    bool start(int port);
    // Stops serving; connections left hanging are released.
    void stop();
    // Serves until stop() is called from another thread (the command-line tool).
    bool listenBlocking(int port, const std::function<void(int port)>& onListening);
    int port() const { return m_port; }
    std::string address() const { return "127.0.0.1:" + std::to_string(m_port); }

    // "delay=MS", "hang", "truncate=BYTES", "status=CODE", "nolength", "endless" (HEAD
    // announces the file's length, GET sends chunks that never end), "stall=BYTES" (sends
    // the first bytes, then nothing until the rule changes, then drops the connection) or
    // "normal".
    static bool parseRule(const std::string& text, Rule& rule);
    void setRule(const std::string& path, Rule rule);
    void clearRules();

    // Paths of the requests received so far, as "GET /box", with the range asked for when
    // there is one ("GET /a.dat Range: bytes=100-").
    std::vector<std::string> requests() const;
    void clearRequests();

    // What the connection threads share; internal.
    struct State;

private:
    // Connections are served on detached threads that keep the state alive, so stop() never
    // waits for a client that holds an idle connection open.
    std::shared_ptr<State> m_state;
    std::thread m_thread;
    int m_port = 0;
};
