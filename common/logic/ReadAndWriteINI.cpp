#include "common/logic/ReadAndWriteINI.h"

#include "common/logic/settings_file.h"
#include "platform/codepage.h"
#include "platform/profile.h"

#include <array>
#include <cstring>

namespace ReadAndWriteINI {

std::string ProgramFolder()
{
    return settings_file::programFolderWithSeparator();
}

std::string ReadSettingPlain(const std::string& section, const std::string& key)
{
    std::array<char, 255> buffer {};
    platform::getPrivateProfileString(platform::utf8ToAnsi(section).c_str(), platform::utf8ToAnsi(key).c_str(), "",
        buffer.data(), buffer.size(), settings_file::path());
    // Everything before the first NUL.
    return platform::ansiToUtf8(std::string(buffer.data(), strnlen(buffer.data(), buffer.size())));
}

std::string WriteSetting(const std::string& section, const std::string& key, const std::string& value)
{
    settings_file::write(section, key, value);
    return {};
}

} // namespace ReadAndWriteINI
