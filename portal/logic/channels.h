#pragma once

#include "common/logic/server_roles.h"

#include <string>

// The three channels of the library pane and what a switch to each one sets.
namespace portal {

enum class Channel { LiveTv, HdLibrary, QvodLibrary };

struct ChannelInfo
{
    Channel channel;
    const char* title; // shown in BoxTitle
    ServerRole primaryRole;
    ServerRole fallbackRole;
    const char* path;
    // The Qvod library probes its server on every switch; the others reuse the start-up probe.
    bool probesOnSwitch;
    // The live-TV channel also empties the player pane.
    bool emptiesPlayer;
};

const ChannelInfo& channelInfo(Channel channel);

// The primary address when the probe holder no longer reads its initial "OK", else the
// fallback address.
std::string channelAddress(const ChannelInfo& info, const std::string& probeHolderText);

// After a switch the new channel's button and menu item are disabled, the others enabled.
struct ChannelEnabledStates
{
    bool liveTv; // Picture2, WebTV
    bool hdLibrary; // Picture6, boxmovie
    bool qvodLibrary; // Picture7, qvodmovie
};
ChannelEnabledStates enabledStatesAfterSwitch(Channel current);

// Film links: the clicked link's address, lower-cased, names the portal or the partner site.
bool isFilmLink(const std::string& href);

} // namespace portal
