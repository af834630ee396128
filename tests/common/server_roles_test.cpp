#include "common/logic/server_roles.h"
#include "tests/support/temp_folder.h"

#include <curl/curl.h>
#include <gtest/gtest.h>

TEST(ServerRoles, EnvironmentOverridesEachRoleOnItsOwn)
{
    ScopedEnv primary("PORTAL_PRIMARY_SERVER", "portal.example:8080");
    ScopedEnv mirror("FILM_MIRROR_SERVER", "");
    EXPECT_EQ(serverUrl(ServerRole::PortalPrimary, "/box"), "http://portal.example:8080/box");
    // An empty variable means "not set": the build default stands.
    EXPECT_EQ(serverHost(ServerRole::FilmMirror).find("127.0.0.1"), 0u);
    EXPECT_STREQ(serverRoleVariable(ServerRole::FilmBackup), "FILM_BACKUP_SERVER");
    EXPECT_STREQ(serverRoleVariable(ServerRole::TvSite), "TV_SITE_SERVER");
    EXPECT_STREQ(serverRoleVariable(ServerRole::PortalBackup), "PORTAL_BACKUP_SERVER");
}

TEST(ServerRoles, MalformedValuesFallBackToTheDefault)
{
    ScopedEnv bad("PORTAL_BACKUP_SERVER", "http://evil/x");
    EXPECT_EQ(serverHost(ServerRole::PortalBackup).find("127.0.0.1"), 0u);

    const std::string longNumber(94, '0');
    // Judged as curl judges the address it goes into: whatever is accepted here, curl takes.
    const struct
    {
        const char* value;
        bool valid;
    } cases[] = {
        {"localhost", true}, {"127.0.0.1:65535", true}, {"[::1]:8080", true}, {"[2001:db8::7]", true},
        {"portal-2.example.com", true}, {"example.com.", true}, {"", false}, {"host:", false}, {"host:0", false},
        {"host:65536", false}, {"host:80x", false}, {"host/path", false}, {"user@host", false}, {"[::1", false},
        {"[:21]", false}, {"[.]", false}, {"[]", false}, {"[::1]x", false}, {"a..b", false}, {".a", false},
        {"-a.b", false}, {"a-.b", false}, {"a b", false}, {":80", false},
        // What curl's parser takes, but no host and port as written here.
        {"host:000080", false}, {"[::1]:", false}, {"a%41b", false}, {"a_b", false}, {"host?x", false},
        {"[::1%25eth0]", false}, {longNumber.c_str(), false}, // an address to curl (0.0.0.0), a label too long here
    };
    CURLU* url = curl_url();
    for (const auto& c : cases) {
        EXPECT_EQ(isValidServerHost(c.value), c.valid) << c.value;
        if (c.valid) {
            const std::string address = "http://" + std::string(c.value) + "/box";
            EXPECT_EQ(curl_url_set(url, CURLUPART_URL, address.c_str(), 0), CURLUE_OK) << c.value;
        }
    }
    curl_url_cleanup(url);
}
