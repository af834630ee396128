#include "platform/posix/profile_file.h"

#include <cerrno>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace platform::profile_file {
namespace {

// As many links as the system follows when it opens a file.
constexpr int maxLinks = 40;

bool writeAll(int fd, std::string_view content)
{
    std::size_t written = 0;
    while (written < content.size()) {
        const ssize_t n = ::pwrite(fd, content.data() + written, content.size() - written, static_cast<off_t>(written));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        written += static_cast<std::size_t>(n);
    }
    return true;
}

class Fd
{
public:
    explicit Fd(int fd)
        : m_fd(fd)
    { }
    ~Fd()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return m_fd; }
    int release() { return std::exchange(m_fd, -1); }

private:
    int m_fd;
};

// The name part mkostemp puts after "<name>.".
bool temporarySuffix(std::string_view suffix)
{
    if (suffix.size() != 6)
        return false;
    for (const char c : suffix)
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')))
            return false;
    return true;
}

mode_t newFileMode()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

} // namespace

std::string followLinks(const std::string& path)
{
    std::filesystem::path current = path;
    for (int hop = 0; hop < maxLinks; ++hop) {
        struct stat st
        { };
        if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            break;
        std::error_code ec;
        const std::filesystem::path target = std::filesystem::read_symlink(current, ec);
        if (ec)
            break;
        current = target.is_absolute() ? target : current.parent_path() / target;
    }
    return current.string();
}

void removeStaleTemporaries(const std::string& file)
{
    const std::filesystem::path path(file);
    const std::string prefix = path.filename().string() + ".";
    const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : ".";
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr)
        return;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (!name.starts_with(prefix) || !temporarySuffix(name.substr(prefix.size())))
            continue;
        struct stat st
        { };
        if (::fstatat(::dirfd(dir), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode))
            ::unlinkat(::dirfd(dir), entry->d_name, 0);
    }
    ::closedir(dir);
}

bool replace(const std::string& file, std::string_view content)
{
    struct stat old
    { };
    const bool exists = ::lstat(file.c_str(), &old) == 0;
    if (exists && !S_ISREG(old.st_mode))
        return false;
    // Whether the file itself may be written decides, not the folder: a read-only file is
    // never replaced behind its owner's back.
    Fd existing(exists ? ::open(file.c_str(), O_WRONLY | O_CLOEXEC | O_NOFOLLOW) : -1);
    if (exists && existing.get() < 0)
        return false;

    std::string temporary = file + ".XXXXXX";
    Fd fd(::mkostemp(temporary.data(), O_CLOEXEC));
    if (fd.get() < 0) {
        // A folder that takes no new file still lets its writable files be written; a reader
        // holding the folder's lock never sees the file half written.
        if (!exists || (errno != EACCES && errno != EPERM))
            return false;
        return writeAll(existing.get(), content) && ::ftruncate(existing.get(), static_cast<off_t>(content.size())) == 0
            && ::fsync(existing.get()) == 0;
    }
    const bool written = ::fchmod(fd.get(), exists ? (old.st_mode & 07777) : newFileMode()) == 0
        && writeAll(fd.get(), content) && ::fsync(fd.get()) == 0 && ::close(fd.release()) == 0
        && ::rename(temporary.c_str(), file.c_str()) == 0;
    if (!written)
        ::unlink(temporary.c_str());
    return written;
}

} // namespace platform::profile_file
