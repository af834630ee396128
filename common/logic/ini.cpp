#include "common/logic/ini.h"

#include "common/logic/settings_file.h"
#include "platform/codepage.h"
#include "platform/profile.h"

#include <array>

namespace ini {

std::string ProgramFolder()
{
    return settings_file::programFolderWithSeparator();
}

std::string ReadSetting(const std::string& section, const std::string& key, const std::optional<std::string>& def)
{
    const std::string ansiSection = platform::utf8ToAnsi(section);
    const std::string ansiKey = platform::utf8ToAnsi(key);
    std::array<char, kReadSettingMaxChars + 1> buffer {};
    const std::size_t count = platform::getPrivateProfileString(
        ansiSection.c_str(), ansiKey.c_str(), "", buffer.data(), buffer.size(), settings_file::path());
    if (count == 0) {
        // Missing or empty: write the default back. With no default the key is deleted.
        const std::string ansiDefault = def ? platform::utf8ToAnsi(*def) : std::string();
        platform::writePrivateProfileString(
            ansiSection.c_str(), ansiKey.c_str(), def ? ansiDefault.c_str() : nullptr, settings_file::path());
        return def.value_or(std::string());
    }
    // Keep every character that is not NUL, not only those before the terminator.
    std::string value;
    for (char c : buffer)
        if (c != '\0')
            value.push_back(c);
    return platform::ansiToUtf8(value);
}

std::string WriteSetting(const std::string& section, const std::string& key, const std::string& value)
{
    settings_file::write(section, key, value);
    return {};
}

} // namespace ini
