#include "common/logic/page_servers.h"

#include "common/logic/server_roles.h"

#include <cctype>
#include <utility>

namespace page_servers {

namespace {

// A JavaScript string literal; a build-time default is not checked like the environment's
// values, so nothing in it may end the literal.
std::string quoted(const std::string& value)
{
    static constexpr char hex[] = "0123456789abcdef";
    std::string out = "'";
    for (const char c : value) {
        const auto byte = static_cast<unsigned char>(c);
        if (std::isalnum(byte) || c == '.' || c == '-' || c == ':' || c == '[' || c == ']') {
            out += c;
        } else {
            out += "\\x";
            out += hex[byte >> 4];
            out += hex[byte & 15];
        }
    }
    return out + "'";
}

} // namespace

std::string script()
{
    static constexpr std::pair<const char*, ServerRole> roles[] = {
        {"primary", ServerRole::PortalPrimary},
        {"filmMirror", ServerRole::FilmMirror},
        {"portalBackup", ServerRole::PortalBackup},
        {"filmBackup", ServerRole::FilmBackup},
        {"tvSite", ServerRole::TvSite},
    };
    // A document may be handed the script twice; the first definition stands.
    std::string text = "if (!Object.getOwnPropertyDescriptor(window, 'portalServers')) "
                       "Object.defineProperty(window, 'portalServers', {value: Object.freeze({";
    const char* separator = "";
    for (const auto& [name, role] : roles) {
        text += separator;
        text += name;
        text += ": " + quoted(serverHost(role));
        separator = ", ";
    }
    text += "})});";
    return text;
}

} // namespace page_servers
