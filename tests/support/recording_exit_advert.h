#pragma once

#include "common/windows/exit_advert.h"

// An exit advertisement that only counts what the main window's unload asked of it.
class RecordingExitAdvert final : public ExitAdvert
{
public:
    void showModeless() override { ++shown; }
    void unloadIfLoaded() override { ++unloaded; }
    int shown = 0;
    int unloaded = 0;
};
