#pragma once

#include "tests/support/temp_folder.h"
#include "tools/portal-sim/portal_sim.h"

#include <memory>
#include <string>

// A local portal server on a free port of 127.0.0.1, serving a site folder of its own that
// a test fills file by file.
class SimServer
{
public:
    SimServer();
    ~SimServer();

    TempFolder& site() { return m_site; }
    PortalSim& server() { return *m_server; }
    // "127.0.0.1:PORT", the value for a server-role variable.
    std::string host() const { return m_server->address(); }
    std::string url(const std::string& path) const { return "http://" + host() + path; }
    void rule(const std::string& path, const std::string& rule);

private:
    TempFolder m_site;
    std::unique_ptr<PortalSim> m_server;
};

// A port on 127.0.0.1 where nothing listens: connections to it are refused at once.
int closedPort();
