#include "server_roles.h"
#include "temp_folder.h"

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

    EXPECT_TRUE(isValidServerHost("localhost"));
    EXPECT_TRUE(isValidServerHost("127.0.0.1:65535"));
    EXPECT_TRUE(isValidServerHost("[::1]:8080"));
    EXPECT_TRUE(isValidServerHost("portal-2.example.com"));
    EXPECT_FALSE(isValidServerHost(""));
    EXPECT_FALSE(isValidServerHost("host:"));
    EXPECT_FALSE(isValidServerHost("host:0"));
    EXPECT_FALSE(isValidServerHost("host:65536"));
    EXPECT_FALSE(isValidServerHost("host:80x"));
    EXPECT_FALSE(isValidServerHost("host/path"));
    EXPECT_FALSE(isValidServerHost("user@host"));
    EXPECT_FALSE(isValidServerHost("[::1"));
}
