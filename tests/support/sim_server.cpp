#include "tests/support/sim_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

SimServer::SimServer()
    : m_server(std::make_unique<PortalSim>(m_site.str()))
{
    if (!m_server->start(0))
        throw std::runtime_error("cannot start the local portal server");
}

SimServer::~SimServer()
{
    m_server->stop();
}

void SimServer::rule(const std::string& path, const std::string& text)
{
    PortalSim::Rule parsed;
    if (!PortalSim::parseRule(text, parsed))
        throw std::invalid_argument("bad rule " + text);
    m_server->setRule(path, parsed);
}

int closedPort()
{
    // Bind a port, then close it: nothing listens there any more.
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(fd);
    return ntohs(address.sin_port);
}
