#pragma once

// The exit advertisement window as the main window's unload sees it: shown modeless when
// the advertisement control says "on", unloaded when it says "off".
class ExitAdvert
{
public:
    virtual ~ExitAdvert() = default;
    virtual void showModeless() = 0;
    virtual void unloadIfLoaded() = 0;
};
