#include "common/logic/settings_file.h"

#include "platform/codepage.h"
#include "platform/installation.h"
#include "platform/profile.h"
#include "platform/program_folder.h"

namespace settings_file {

std::string programFolderWithSeparator()
{
    std::string folder = platform::programFolder();
    // The platform reports a drive root with its separator and any other folder without.
    if (folder.empty() || (folder.back() != '/' && folder.back() != '\\'))
        folder += '/';
    return folder;
}

std::string path()
{
    return platform::joinPath(platform::installation::settingsFolder(), "\\Setting.ini");
}

void write(const std::string& section, const std::string& key, const std::string& value)
{
    platform::writePrivateProfileString(platform::utf8ToAnsi(section).c_str(), platform::utf8ToAnsi(key).c_str(),
        platform::utf8ToAnsi(value).c_str(), path());
}

} // namespace settings_file
