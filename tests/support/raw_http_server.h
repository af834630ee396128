#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// An HTTP server on 127.0.0.1 that answers every request with the bytes a test gives, for
// misbehaviour a well-made server library never shows: a body with no length that ends
// when the connection closes, a length written with leading zeros, a request never answered.
class RawHttpServer
{
public:
    struct Answer
    {
        std::string bytes; // status line, headers and body, exactly as sent
        bool close = true; // close the connection after the bytes
        bool hang = false; // send nothing and hold the connection until the server goes
    };
    using Responder = std::function<Answer(const std::string& method, const std::string& path)>;

    explicit RawHttpServer(Responder responder);
    ~RawHttpServer();
    RawHttpServer(const RawHttpServer&) = delete;
    RawHttpServer& operator=(const RawHttpServer&) = delete;

    std::string url(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(m_port) + path; }
    // How many connections clients have opened so far.
    int connections()
    {
        std::lock_guard lock(m_mutex);
        return static_cast<int>(m_clients.size());
    }

private:
    void serve(int client);

    Responder m_responder;
    int m_listener = -1;
    int m_port = 0;
    std::mutex m_mutex;
    std::vector<int> m_clients;
    std::vector<std::thread> m_threads;
    std::thread m_acceptor;
};
