#include "common/logic/server_roles.h"

#include "common/logic/server_defaults.h"

#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
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

// A host name: labels of letters, digits and dashes, none empty and none beginning or
// ending with a dash, joined by dots; one dot may end the name. Written out because curl
// takes any bytes but a few for a name (".a", "a..b", "a_b").
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

struct UrlParts
{
    std::string host; // "[::1]" for an IPv6 address
    long port = -1; // -1 when none is given
};

// curl's own reading of "http://" + value + "/", as the address will be read.
std::optional<UrlParts> curlParts(std::string_view value)
{
    const std::unique_ptr<CURLU, void (*)(CURLU*)> url(curl_url(), curl_url_cleanup);
    const std::string address = "http://" + std::string(value) + "/";
    if (!url || curl_url_set(url.get(), CURLUPART_URL, address.c_str(), 0) != CURLUE_OK)
        return std::nullopt;
    UrlParts parts;
    char* text = nullptr;
    if (curl_url_get(url.get(), CURLUPART_HOST, &text, 0) != CURLUE_OK)
        return std::nullopt;
    parts.host = text;
    curl_free(text);
    if (curl_url_get(url.get(), CURLUPART_PORT, &text, 0) == CURLUE_OK) {
        parts.port = std::strtol(text, nullptr, 10);
        curl_free(text);
    }
    return parts;
}

} // namespace

bool isValidServerHost(std::string_view value)
{
    // curl takes what a host and port cannot hold ("user@", a path, "?", "#") for other
    // parts of the address, and decodes "%41" in a host: only these characters go to it.
    for (const char c : value)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '.' && c != '-' && c != ':' && c != '[' && c != ']')
            return false;
    // curl takes "host:" for no port and leading zeros of any number; the port written
    // here has one to five digits.
    const std::size_t colon = value.rfind(':');
    if (colon != std::string_view::npos && value.find(']', colon) == std::string_view::npos
        && (colon + 1 == value.size() || value.size() - colon - 1 > 5))
        return false;
    // curl splits host and port, checks the port's range and an IPv6 address.
    const auto parts = curlParts(value);
    if (!parts || parts->port == 0)
        return false;
    // The name as written: curl reads "0070" as the address 0.0.0.70.
    return value.starts_with('[') ? parts->host.starts_with('[') : isHostName(value.substr(0, value.find(':')));
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
