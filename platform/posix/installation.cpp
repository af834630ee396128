#include "platform/installation.h"

#include "platform/program_folder.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <pwd.h>
#include <unistd.h>

namespace platform::installation {
namespace {

std::string homeFolder()
{
    if (const char* home = std::getenv("HOME"); home && *home == '/')
        return home;
    if (const passwd* entry = ::getpwuid(::getuid()); entry && entry->pw_dir)
        return entry->pw_dir;
    return "/";
}

std::string userFolder(const char* variable, const char* homeDefault)
{
    const std::string folder = joinPath(xdgFolder(variable, homeDefault), std::string("/") + userFolderName);
    // Private to the user, as the XDG rules ask of these folders.
    std::error_code ec;
    if (std::filesystem::create_directories(folder, ec))
        std::filesystem::permissions(folder, std::filesystem::perms::owner_all, ec);
    return folder;
}

} // namespace

Mode mode()
{
    static std::string readFor;
    static Mode known = Mode::Portable;
    const std::string folder = programFolder();
    if (readFor != folder) {
        std::error_code ec;
        known = std::filesystem::is_regular_file(joinPath(folder, std::string("/") + systemMarkerFile), ec)
            ? Mode::System
            : Mode::Portable;
        readFor = folder;
    }
    return known;
}

std::string xdgFolder(const char* variable, const char* homeDefault)
{
    if (const char* value = std::getenv(variable); value && *value == '/')
        return nativePath(value);
    return joinPath(homeFolder(), std::string("/") + homeDefault);
}

std::string settingsFolder()
{
    return mode() == Mode::System ? userFolder("XDG_CONFIG_HOME", ".config") : programFolder();
}

std::string cacheFolder()
{
    return mode() == Mode::System ? userFolder("XDG_CACHE_HOME", ".cache") : programFolder();
}

int writeProbe(const std::string& folder)
{
    const std::string probe = joinPath(folder, "/.write-probe-" + std::to_string(::getpid()));
    const int fd = ::open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        return errno;
    ::close(fd);
    ::unlink(probe.c_str());
    return 0;
}

} // namespace platform::installation
