#include "updater/logic/modPublic.h"

#include "platform/ascii_text.h"

#include <climits>
#include <cstdlib>
#include <unistd.h>

namespace modPublic {
namespace {

std::string trimmedSpaces(const std::string& text)
{
    return std::string(ascii::trimmed(text, " "));
}

} // namespace

std::string stripDrivePrefix(const std::string& path)
{
    // Only paths with a drive letter can carry such a prefix; a POSIX path may hold ":"
    // anywhere and is left alone.
    if (path.starts_with('/'))
        return path;
    const std::size_t colon = path.find(':');
    if (colon == std::string::npos || colon < 2)
        return path;
    return path.substr(colon - 1);
}

platform::ProcessHandle FindProcess(const std::string& programFileName, std::string& executablePath)
{
    const std::string wanted = ascii::uppered(programFileName);
    for (const platform::ProcessEntry& entry : platform::listProcesses()) {
        const std::string name = trimmedSpaces(entry.exeFileName);
        // A process whose executable cannot be read is skipped, as an unreadable module list.
        const auto rawPath = platform::processExecutablePath(entry.pid);
        if (!rawPath || ascii::uppered(name) == "[SYSTEM PROCESS]")
            continue;
        if (ascii::uppered(*rawPath).find(wanted) == std::string::npos)
            continue;
        executablePath = stripDrivePrefix(trimmedSpaces(*rawPath));
        // The first match ends the walk, whether or not it can be opened.
        return platform::openProcess(entry.pid, *rawPath);
    }
    return {};
}

std::vector<platform::ProcessHandle> FindProcessesAt(const std::string& programPath, std::string& executablePath)
{
    // The process list reports paths with every link resolved.
    std::string canonical = programPath;
    const std::size_t slash = programPath.rfind('/');
    if (slash != std::string::npos) {
        char buffer[PATH_MAX];
        if (::realpath(programPath.substr(0, slash).c_str(), buffer))
            canonical = std::string(buffer) + programPath.substr(slash);
    }
    static constexpr std::string_view replaced = " (deleted)";
    std::vector<platform::ProcessHandle> found;
    for (const platform::ProcessEntry& entry : platform::listProcesses()) {
        if (entry.pid == ::getpid())
            continue;
        const auto rawPath = platform::processExecutablePath(entry.pid);
        if (!rawPath)
            continue;
        std::string path = *rawPath;
        if (path.ends_with(replaced))
            path.resize(path.size() - replaced.size());
        if (path != programPath && path != canonical)
            continue;
        if (platform::ProcessHandle handle = platform::openProcess(entry.pid, *rawPath); handle.valid()) {
            if (found.empty())
                executablePath = path;
            found.push_back(std::move(handle));
        }
    }
    return found;
}

bool KillProcess(const platform::ProcessHandle& handle)
{
    EnableDebugPrivilege();
    return platform::terminateProcess(handle);
}

void EnableDebugPrivilege()
{
    platform::enableTerminatePrivilege();
}

} // namespace modPublic
