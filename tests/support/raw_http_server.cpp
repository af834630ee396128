#include "tests/support/raw_http_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

RawHttpServer::RawHttpServer(Responder responder)
    : m_responder(std::move(responder))
{
    m_listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(m_listener, reinterpret_cast<sockaddr*>(&address), length);
    ::listen(m_listener, 16);
    ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length);
    m_port = ntohs(address.sin_port);
    m_acceptor = std::thread([this] {
        for (;;) {
            const int client = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
            if (client < 0)
                return;
            std::lock_guard lock(m_mutex);
            m_clients.push_back(client);
            m_threads.emplace_back([this, client] { serve(client); });
        }
    });
}

RawHttpServer::~RawHttpServer()
{
    ::shutdown(m_listener, SHUT_RDWR);
    ::close(m_listener);
    m_acceptor.join();
    std::lock_guard lock(m_mutex);
    for (const int client : m_clients)
        ::shutdown(client, SHUT_RDWR);
    for (std::thread& thread : m_threads)
        thread.join();
    for (const int client : m_clients)
        ::close(client);
}

void RawHttpServer::serve(int client)
{
    std::string pending;
    char buffer[4096];
    for (;;) {
        const std::size_t end = pending.find("\r\n\r\n");
        if (end == std::string::npos) {
            const ssize_t n = ::read(client, buffer, sizeof buffer);
            if (n <= 0)
                return;
            pending.append(buffer, static_cast<std::size_t>(n));
            continue;
        }
        const std::string line = pending.substr(0, pending.find("\r\n"));
        pending.erase(0, end + 4);
        const std::size_t space = line.find(' ');
        const std::string method = line.substr(0, space);
        const std::string path = line.substr(space + 1, line.find(' ', space + 1) - space - 1);
        const Answer answer = m_responder(method, path);
        if (answer.hang) {
            // Wait for the client to give up or the server to go.
            while (::read(client, buffer, sizeof buffer) > 0) { }
            return;
        }
        for (std::size_t sent = 0; sent < answer.bytes.size();) {
            const ssize_t n = ::send(client, answer.bytes.data() + sent, answer.bytes.size() - sent, MSG_NOSIGNAL);
            if (n <= 0)
                return;
            sent += static_cast<std::size_t>(n);
        }
        if (answer.close) {
            ::shutdown(client, SHUT_RDWR);
            return;
        }
    }
}
