#include "common/logic/update_check.h"

#include "common/logic/ini.h"
#include "common/logic/update_host.h"
#include "common/logic/update_shell_names.h"
#include "common/logic/version_number.h"
#include "platform/codepage.h"
#include "platform/file_util.h"

#include <optional>

namespace {

// The first line of a file: everything up to the first carriage return. A lone line feed
// does not end the line.
std::optional<std::string> firstLine(const std::string& path)
{
    const std::optional<std::string> bytes = platform::readWholeFile(path);
    if (!bytes)
        return std::nullopt;
    return platform::ansiToUtf8(bytes->substr(0, bytes->find('\r')));
}

} // namespace

namespace {

void finishUpdateCheck(UpdateHost& host)
{
    const UpdateShellNames& names = updateShellNames(host.shell());
    UpdateFields& fields = host.updateFields();

    const std::string versionFile = localUpdateFile(names.checkVersionFile);
    platform::writeFileReplacing(versionFile, platform::utf8ToAnsi(host.Label1().text()) + "\r\n");
    // The news file is replaced whole, so a shorter news text leaves nothing of a longer
    // one an earlier run left behind.
    platform::writeFileReplacing(localUpdateFile(names.checkNewsFile), platform::utf8ToAnsi(host.Label2().text()));

    // An unreadable file leaves the server version as it was.
    if (std::optional<std::string> line = firstLine(versionFile))
        fields.serverVersion = std::move(*line);
    fields.installedVersion = ini::ReadSetting(names.settingsSection, names.settingsKey, std::nullopt);

    if (version_number::serverIsNewer(fields.installedVersion, fields.serverVersion))
        fields.updateFlag = true;
    fields.TransferVersion = fields.serverVersion;
    host.disableUpdateCheckTimer();
}

} // namespace

void runUpdateCheck(UpdateHost& host)
{
    if (host.updateFields().checkRunning)
        return;
    host.updateFields().checkRunning = true;
    // The fetches keep their order; each next step runs when the one before has ended. The
    // host owns the fetcher, which drops what is left when the host goes.
    host.remoteFetch().FetchUpdateVersion(host.Label1(), [&host] {
        host.remoteFetch().FetchUpdateNews(host.Label2(), [&host] {
            host.updateFields().checkRunning = false;
            finishUpdateCheck(host);
        });
    });
}

bool takeUpdateNoticeRequest(UpdateHost& host)
{
    UpdateFields& fields = host.updateFields();
    if (!fields.updateFlag)
        return false;
    fields.updateFlag = false;
    return true;
}
