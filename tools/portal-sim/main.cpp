// portal-sim: the local portal server.
//   portal-sim [--port N] [--root DIR] [--rule PATH=RULE]...
// Serves DIR (default: the "site" folder beside the program) on 127.0.0.1:N; --port 0
// picks a free port. The first line printed is "listening on 127.0.0.1:PORT".

#include "common/logic/server_defaults.h"
#include "tools/portal-sim/portal_sim.h"

#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

void onSignal(int)
{
    // stop() is not async-signal-safe; a self-pipe would be overkill for a test tool, so
    // just end the process.
    std::_Exit(0);
}

std::string defaultRoot()
{
    char buffer[4096];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0)
        return "site";
    return (std::filesystem::path(std::string(buffer, static_cast<size_t>(n))).parent_path() / "site").string();
}

int usage()
{
    std::fprintf(stderr,
        "usage: portal-sim [--port N] [--root DIR] [--rule PATH=RULE]...\n"
        "  RULE: delay=MS | hang | truncate=BYTES | status=CODE | nolength | endless | stall=BYTES\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    int port = server_defaults::portalSimPort;
    std::string root = defaultRoot();
    std::vector<std::pair<std::string, PortalSim::Rule>> rules;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--port" && i + 1 < argc) {
            port = std::atoi(argv[++i]);
        } else if (arg == "--root" && i + 1 < argc) {
            root = argv[++i];
        } else if (arg == "--rule" && i + 1 < argc) {
            const std::string text = argv[++i];
            const size_t eq = text.find('=');
            PortalSim::Rule rule;
            if (eq == std::string::npos || !PortalSim::parseRule(text.substr(eq + 1), rule))
                return usage();
            rules.emplace_back(text.substr(0, eq), rule);
        } else {
            return usage();
        }
    }
    if (!std::filesystem::is_directory(root)) {
        std::fprintf(stderr, "portal-sim: no site folder at %s\n", root.c_str());
        return 1;
    }

    PortalSim server(root);
    for (const auto& [path, rule] : rules)
        server.setRule(path, rule);
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    const bool ok = server.listenBlocking(port, [](int bound) {
        std::printf("listening on 127.0.0.1:%d\n", bound);
        std::fflush(stdout);
    });
    if (!ok) {
        std::fprintf(stderr, "portal-sim: cannot listen on 127.0.0.1:%d\n", port);
        return 1;
    }
    return 0;
}
