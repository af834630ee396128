#include "server_roles.h"

#include "server_defaults.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <netinet/in.h>
#include <string>

namespace {

struct RoleInfo
{
    const char* variable;
    const char* buildDefault;
};

RoleInfo info(ServerRole role)
{
    switch (role) {
    case ServerRole::PortalPrimary:
        return {"PORTAL_PRIMARY_SERVER", server_defaults::portalPrimary};
    case ServerRole::FilmMirror:
        return {"FILM_MIRROR_SERVER", server_defaults::filmMirror};
    case ServerRole::PortalBackup:
        return {"PORTAL_BACKUP_SERVER", server_defaults::portalBackup};
    case ServerRole::FilmBackup:
        return {"FILM_BACKUP_SERVER", server_defaults::filmBackup};
    case ServerRole::TvSite:
        return {"TV_SITE_SERVER", server_defaults::tvSite};
    }
    return {"", ""};
}

} // namespace

const char* serverRoleVariable(ServerRole role)
{
    return info(role).variable;
}

namespace {

bool isPort(std::string_view port)
{
    if (port.empty() || port.size() > 5)
        return false;
    long number = 0;
    for (char c : port) {
        if (c < '0' || c > '9')
            return false;
        number = number * 10 + (c - '0');
    }
    return number >= 1 && number <= 65535;
}

// A host name: labels of letters, digits and dashes, none empty and none beginning or
// ending with a dash, joined by dots; one dot may end the name.
bool isHostName(std::string_view host)
{
    if (host.ends_with('.'))
        host.remove_suffix(1);
    if (host.empty() || host.size() > 253)
        return false;
    std::size_t start = 0;
    while (start <= host.size()) {
        const std::size_t dot = std::min(host.find('.', start), host.size());
        const std::string_view label = host.substr(start, dot - start);
        if (label.empty() || label.size() > 63 || label.front() == '-' || label.back() == '-')
            return false;
        for (char c : label)
            if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-')
                return false;
        start = dot + 1;
    }
    return true;
}

bool isIpv6Address(std::string_view text)
{
    if (text.empty() || text.size() > 45)
        return false;
    for (char c : text)
        if (!std::isxdigit(static_cast<unsigned char>(c)) && c != ':' && c != '.')
            return false;
    in6_addr address {};
    return ::inet_pton(AF_INET6, std::string(text).c_str(), &address) == 1;
}

} // namespace

bool isValidServerHost(std::string_view value)
{
    std::string_view port;
    bool hostOk = false;
    if (value.starts_with('[')) {
        const std::size_t close = value.find(']');
        if (close == std::string_view::npos)
            return false;
        hostOk = isIpv6Address(value.substr(1, close - 1));
        const std::string_view rest = value.substr(close + 1);
        if (!rest.empty() && (rest.front() != ':' || !isPort(port = rest.substr(1))))
            return false;
    } else {
        const std::size_t colon = value.find(':');
        hostOk = isHostName(value.substr(0, colon));
        if (colon != std::string_view::npos && !isPort(port = value.substr(colon + 1)))
            return false;
    }
    return hostOk;
}

std::string serverHost(ServerRole role)
{
    const RoleInfo role_info = info(role);
    if (const char* value = std::getenv(role_info.variable); value && *value) {
        if (isValidServerHost(value))
            return value;
        std::fprintf(stderr, "%s=\"%s\" is not \"host\" or \"host:port\"; using %s\n", role_info.variable, value,
            role_info.buildDefault);
    }
    return role_info.buildDefault;
}

std::string serverUrl(ServerRole role, std::string_view path)
{
    return "http://" + serverHost(role) + std::string(path);
}
