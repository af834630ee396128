#include "server_roles.h"

#include "server_defaults.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>

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

bool isValidServerHost(std::string_view value)
{
    std::string_view host = value;
    std::string_view port;
    if (value.starts_with('[')) {
        const size_t close = value.find(']');
        if (close == std::string_view::npos || close < 2)
            return false;
        for (char c : value.substr(1, close - 1))
            if (!(std::isxdigit(static_cast<unsigned char>(c)) || c == ':' || c == '.'))
                return false;
        if (close + 1 == value.size())
            return true;
        if (value[close + 1] != ':')
            return false;
        host = {};
        port = value.substr(close + 2);
    } else if (const size_t colon = value.find(':'); colon != std::string_view::npos) {
        host = value.substr(0, colon);
        port = value.substr(colon + 1);
        if (port.empty())
            return false;
    }
    if (!value.starts_with('[')) {
        if (host.empty() || host.front() == '-' || host.front() == '.')
            return false;
        for (char c : host)
            if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-'))
                return false;
    }
    if (!port.empty() || value.ends_with(':')) {
        if (port.empty() || port.size() > 5)
            return false;
        long number = 0;
        for (char c : port) {
            if (c < '0' || c > '9')
                return false;
            number = number * 10 + (c - '0');
        }
        if (number < 1 || number > 65535)
            return false;
    }
    return true;
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
