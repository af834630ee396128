#include "tv/logic/tv_skin.h"

#include "common/logic/ReadAndWriteINI.h"
#include "common/logic/settings_file.h"
#include "platform/file_util.h"
#include "platform/program_folder.h"
#include "tv/logic/skin_name.h"

#include <filesystem>

namespace tv_skin {
std::string skinPath(const std::string& name)
{
    return platform::joinPath(platform::programFolder(), "/skin/" + name);
}

std::string startSkinName()
{
    if (!platform::fileExists(settings_file::path())) {
        ReadAndWriteINI::WriteSetting(section, key, defaultSkin);
        return defaultSkin;
    }
    const std::string stored = ReadAndWriteINI::ReadSettingPlain(section, key);
    // Only a file of the skin folder itself: "../Setting.ini" names no skin.
    if (!skin_name::plainFileName(stored) || !platform::fileExists(skinPath(stored)))
        return defaultSkin;
    return stored;
}

Choice choose(const std::string& chosenPath)
{
    Choice choice;
    if (chosenPath.empty())
        return choice;
    choice.changes = true;
    const std::string name = std::filesystem::path(chosenPath).filename().string();
    // A name the settings file would not give back is refused like a missing file: the skin
    // in force is always the one the next start finds.
    if (!platform::fileExists(chosenPath) || !skin_name::storable(name)) {
        choice.invalid = true;
        choice.applyPath = skinPath(defaultSkin);
        choice.skinName = defaultSkin;
        return choice;
    }
    choice.applyPath = chosenPath;
    choice.skinName = name;
    return choice;
}

} // namespace tv_skin
