#include "common/logic/update_notice.h"

#include "common/logic/ini.h"
#include "common/logic/self_update.h"
#include "common/logic/update_shell_names.h"
#include "common/logic/version_number.h"
#include "platform/codepage.h"
#include "platform/file_util.h"
#include "platform/program_folder.h"
#include "platform/program_start.h"

namespace update_notice {
namespace {

std::string readText(const char* relative)
{
    return platform::ansiToUtf8(platform::readWholeFile(localUpdateFile(relative)).value_or(std::string()));
}

} // namespace

std::string headline(Shell shell)
{
    const std::string version = readText(updateShellNames(shell).noticeVersionFile);
    std::string joined;
    for (std::size_t i = 0; i < version.size(); ++i) {
        if (version[i] == '\r' && i + 1 < version.size() && version[i + 1] == '\n')
            ++i;
        else
            joined.push_back(version[i]);
    }
    return "Tovanis网络电视 " + joined + " 版发布了，是否进行升级？";
}

std::string news(Shell shell)
{
    return readText(updateShellNames(shell).noticeNewsFile);
}

bool startUpdater()
{
    // A system installation is updated by the package manager, never by the updater.
    if (!self_update::enabled())
        return false;
    return platform::startProgram(
        platform::joinPath(platform::programFolder(), "/" + platform::executableFileName("Renovo.exe")));
}

void accept(Shell shell, const std::string& transferVersion)
{
    const UpdateShellNames& names = updateShellNames(shell);
    startUpdater();
    const std::string versionFile = localUpdateFile(names.noticeVersionFile);
    if (platform::fileExists(versionFile)) {
        // An empty version would count as 0 and offer the same update on every run: only a
        // real version replaces the installed one.
        const std::string recorded = version_number::recordable(transferVersion, ini::kReadSettingMaxChars);
        if (!recorded.empty())
            ini::WriteSetting(names.settingsSection, names.settingsKey, recorded);
        platform::removeFile(versionFile);
        platform::removeFile(localUpdateFile(names.noticeNewsFileGone));
    }
}

namespace {

void removePair(const char* versionName, const char* newsName)
{
    const std::string versionFile = localUpdateFile(versionName);
    if (platform::fileExists(versionFile)) {
        platform::removeFile(versionFile);
        platform::removeFile(localUpdateFile(newsName));
    }
}

} // namespace

void decline(Shell shell)
{
    const UpdateShellNames& names = updateShellNames(shell);
    removePair(names.noticeVersionFile, names.noticeNewsFileGone);
}

void removeLocalFiles(Shell shell)
{
    const UpdateShellNames& names = updateShellNames(shell);
    removePair(names.checkVersionFile, names.checkNewsFile);
}

} // namespace update_notice
