#include "portal/logic/channels.h"

#include "platform/ascii_text.h"

namespace portal {

namespace {

// The probe holders' initial text: still there means the probe failed.
constexpr const char* kProbeFailed = "OK";

const ChannelInfo kChannels[] = {
    {Channel::LiveTv, "Orvel影视盒-电视直播", ServerRole::PortalPrimary, ServerRole::FilmMirror, "/webtv", false, true},
    {Channel::HdLibrary, "Orvel影视盒-高清影库", ServerRole::PortalPrimary, ServerRole::PortalBackup, "/box", false,
        false},
    {Channel::QvodLibrary, "Orvel影视盒-快播影库", ServerRole::FilmMirror, ServerRole::FilmBackup, "/box", true, false},
};

} // namespace

const ChannelInfo& channelInfo(Channel channel)
{
    return kChannels[static_cast<int>(channel)];
}

std::string channelAddress(const ChannelInfo& info, const std::string& probeHolderText)
{
    const ServerRole role = probeHolderText != kProbeFailed ? info.primaryRole : info.fallbackRole;
    return serverUrl(role, info.path);
}

ChannelEnabledStates enabledStatesAfterSwitch(Channel current)
{
    return {current != Channel::LiveTv, current != Channel::HdLibrary, current != Channel::QvodLibrary};
}

bool isFilmLink(const std::string& href)
{
    const std::string lower = ascii::lowered(href);
    return lower.find("tovan") != std::string::npos || lower.find("qu74") != std::string::npos;
}

} // namespace portal
