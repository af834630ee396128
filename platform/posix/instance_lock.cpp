#include "platform/instance_lock.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

// FNV-1a: a short, stable name for a folder path of any length and characters.
std::string hashHex(const std::string& text)
{
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    for (const unsigned char c : text) {
        hash ^= c;
        hash *= 0x100000001b3ULL;
    }
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(hash));
    return hex;
}

bool isDirectory(const char* path)
{
    struct stat info
    { };
    return path && *path && ::stat(path, &info) == 0 && S_ISDIR(info.st_mode);
}

} // namespace

InstanceLock::InstanceLock(const std::string& program, const std::string& programFolder)
{
    const std::string name = program + "-" + hashHex(programFolder) + ".lock";
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    // The temporary folder is shared by every user: the user's id keeps the names apart.
    m_path = isDirectory(runtime)
        ? std::string(runtime) + "/" + name
        : "/tmp/" + program + "-" + std::to_string(::getuid()) + "-" + name.substr(program.size() + 1);
}

InstanceLock::~InstanceLock()
{
    release();
}

void InstanceLock::release()
{
    // Closing gives the lock up. The file stays: removing it would let a starting copy lock
    // a new file while another still holds the old one.
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

InstanceLock::Result InstanceLock::acquire()
{
    if (m_fd >= 0)
        return Result::Acquired;
    // Close-on-exec: a program started from this one must not keep the lock after it ends.
    const int fd = ::open(m_path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return Result::Unavailable;
    int locked;
    do {
        locked = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (locked != 0 && errno == EINTR);
    if (locked != 0) {
        const int error = errno;
        ::close(fd);
        return error == EWOULDBLOCK ? Result::HeldElsewhere : Result::Unavailable;
    }
    m_fd = fd;
    return Result::Acquired;
}

} // namespace platform
