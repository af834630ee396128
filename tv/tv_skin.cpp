#include "tv_skin.h"

#include "ReadAndWriteINI.h"
#include "file_util.h"
#include "program_folder.h"
#include "settings_file.h"

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
    if (stored.empty() || !platform::fileExists(skinPath(stored)))
        return defaultSkin;
    return stored;
}

Choice choose(const std::string& chosenPath)
{
    Choice choice;
    if (chosenPath.empty())
        return choice;
    choice.changes = true;
    if (!platform::fileExists(chosenPath)) {
        choice.invalid = true;
        choice.applyPath = skinPath(defaultSkin);
        choice.skinName = defaultSkin;
        return choice;
    }
    choice.applyPath = chosenPath;
    choice.skinName = std::filesystem::path(chosenPath).filename().string();
    return choice;
}

} // namespace tv_skin
