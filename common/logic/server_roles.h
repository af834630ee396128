#pragma once

#include <string>
#include <string_view>

// The servers the programs talk to, by role. Each role has a build-time default and can be
// overridden by the environment variable named after it, holding "host" or "host:port".
enum class ServerRole {
    PortalPrimary, // portal pages, update and advertisement control files, web links
    FilmMirror, // Qvod film library, live-TV fallback, film probe
    PortalBackup, // fallback of the HD film library
    FilmBackup, // fallback of the Qvod film library
    TvSite, // advertisement pages, skin download and official-site links
};

// "PORTAL_PRIMARY_SERVER" and so on.
const char* serverRoleVariable(ServerRole role);

// "host" or "host:port" for the role: the environment's value when it is a valid one,
// otherwise the build-time default.
std::string serverHost(ServerRole role);

// "http://" + host + path; `path` begins with "/".
std::string serverUrl(ServerRole role, std::string_view path);

// True for "host" and "host:port" (a port of 1 to 65535), with a host of letters, digits,
// dots and dashes, or an IPv6 address in brackets.
bool isValidServerHost(std::string_view value);
