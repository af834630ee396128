#include "portal/logic/channels.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

using portal::Channel;
using portal::channelAddress;
using portal::channelInfo;

TEST(PortalChannels, ProbeResultChoosesPrimaryOrFallbackServer)
{
    ScopedEnv primary("PORTAL_PRIMARY_SERVER", "primary.test");
    ScopedEnv mirror("FILM_MIRROR_SERVER", "mirror.test:8080");
    ScopedEnv backup("PORTAL_BACKUP_SERVER", "backup.test");
    ScopedEnv filmBackup("FILM_BACKUP_SERVER", "filmbackup.test");

    // A holder that still reads its initial "OK" means the probe failed.
    EXPECT_EQ(channelAddress(channelInfo(Channel::HdLibrary), "OK"), "http://backup.test/box");
    EXPECT_EQ(channelAddress(channelInfo(Channel::HdLibrary), "1"), "http://primary.test/box");
    EXPECT_EQ(channelAddress(channelInfo(Channel::LiveTv), "OK"), "http://mirror.test:8080/webtv");
    EXPECT_EQ(channelAddress(channelInfo(Channel::LiveTv), ""), "http://primary.test/webtv");
    EXPECT_EQ(channelAddress(channelInfo(Channel::QvodLibrary), "OK"), "http://filmbackup.test/box");
    EXPECT_EQ(channelAddress(channelInfo(Channel::QvodLibrary), "ok"), "http://mirror.test:8080/box");
}

TEST(PortalChannels, OnlyTheCurrentChannelIsDisabled)
{
    const auto live = portal::enabledStatesAfterSwitch(Channel::LiveTv);
    EXPECT_FALSE(live.liveTv);
    EXPECT_TRUE(live.hdLibrary);
    EXPECT_TRUE(live.qvodLibrary);
    const auto qvod = portal::enabledStatesAfterSwitch(Channel::QvodLibrary);
    EXPECT_TRUE(qvod.liveTv);
    EXPECT_TRUE(qvod.hdLibrary);
    EXPECT_FALSE(qvod.qvodLibrary);
    EXPECT_STREQ(channelInfo(Channel::QvodLibrary).title, "Orvel影视盒-快播影库");
    EXPECT_TRUE(channelInfo(Channel::QvodLibrary).probesOnSwitch);
    EXPECT_FALSE(channelInfo(Channel::HdLibrary).probesOnSwitch);
}

TEST(PortalChannels, FilmLinksAreKnownByTheirSiteTokensInAnyCase)
{
    EXPECT_TRUE(portal::isFilmLink("http://portal.test/play/TOVAN/film3.html"));
    EXPECT_TRUE(portal::isFilmLink("http://partner.test/Qu74/x"));
    EXPECT_TRUE(portal::isFilmLink("http://www.tovan.example/"));
    EXPECT_FALSE(portal::isFilmLink("http://news.test/today.html"));
    EXPECT_FALSE(portal::isFilmLink("http://qu7.test/4"));
    EXPECT_FALSE(portal::isFilmLink(""));
}
