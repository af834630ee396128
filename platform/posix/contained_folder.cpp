#include "platform/contained_folder.h"

#include "platform/file_util.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

constexpr int folderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

std::vector<std::string> partsOf(std::string_view name)
{
    std::vector<std::string> parts;
    std::string part;
    for (const char c : name) {
        if (c == '\\' || c == '/') {
            if (!part.empty())
                parts.push_back(std::move(part));
            part.clear();
        } else {
            part.push_back(c);
        }
    }
    if (!part.empty())
        parts.push_back(std::move(part));
    return parts;
}

class Descriptor
{
public:
    explicit Descriptor(int fd = -1)
        : m_fd(fd)
    { }
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return m_fd; }
    void reset(int fd)
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = fd;
    }
    int release()
    {
        const int fd = m_fd;
        m_fd = -1;
        return fd;
    }

private:
    int m_fd;
};

} // namespace

ContainedFolder::ContainedFolder(const std::string& path)
    : m_fd(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC))
    , m_path(path)
{ }

ContainedFolder::~ContainedFolder()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

int ContainedFolder::openParent(
    std::string_view name, bool create, std::vector<std::string>* created, int& fd, std::string& leaf) const
{
    if (m_fd < 0)
        return EBADF;
    std::vector<std::string> parts = partsOf(name);
    if (parts.empty())
        return EINVAL;
    leaf = parts.back();
    parts.pop_back();
    Descriptor current(::dup(m_fd));
    std::string walked;
    for (const std::string& part : parts) {
        walked += (walked.empty() ? "" : "/") + part;
        int next = ::openat(current.get(), part.c_str(), folderFlags);
        if (next < 0 && errno == ENOENT && create) {
            if (::mkdirat(current.get(), part.c_str(), 0755) == 0) {
                if (created)
                    created->push_back(walked);
            } else if (errno != EEXIST) {
                return errno;
            }
            next = ::openat(current.get(), part.c_str(), folderFlags);
        }
        if (next < 0)
            return errno == ELOOP ? ENOTDIR : errno; // a link where a folder should be
        current.reset(next);
    }
    fd = current.release();
    return 0;
}

ContainedFolder::Kind ContainedFolder::kind(std::string_view name) const
{
    int parent = -1;
    std::string leaf;
    if (openParent(name, false, nullptr, parent, leaf) != 0)
        return Kind::Missing;
    const Descriptor owner(parent);
    struct stat st
    { };
    if (::fstatat(parent, leaf.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return Kind::Missing;
    if (S_ISREG(st.st_mode))
        return Kind::File;
    if (S_ISDIR(st.st_mode))
        return Kind::Folder;
    return S_ISLNK(st.st_mode) ? Kind::Link : Kind::Other;
}

std::optional<struct stat> ContainedFolder::fileStatus(std::string_view name) const
{
    int parent = -1;
    std::string leaf;
    if (openParent(name, false, nullptr, parent, leaf) != 0)
        return std::nullopt;
    const Descriptor owner(parent);
    struct stat st
    { };
    if (::fstatat(parent, leaf.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    return st;
}

std::optional<mode_t> ContainedFolder::fileMode(std::string_view name) const
{
    const auto st = fileStatus(name);
    return st ? std::optional<mode_t>(st->st_mode & 07777) : std::nullopt;
}

std::optional<long long> ContainedFolder::fileSize(std::string_view name) const
{
    const auto st = fileStatus(name);
    return st ? std::optional<long long>(st->st_size) : std::nullopt;
}

bool ContainedFolder::isSoleOwnFile(std::string_view name) const
{
    const auto st = fileStatus(name);
    return st && st->st_nlink == 1 && st->st_uid == ::geteuid();
}

int ContainedFolder::createFolders(std::string_view folder, std::vector<std::string>& created) const
{
    int parent = -1;
    std::string leaf;
    // The folder itself is the last part: walk to "folder/x".
    const int error = openParent(std::string(folder) + "/x", true, &created, parent, leaf);
    if (error == 0)
        ::close(parent);
    return error;
}

int ContainedFolder::createExclusive(std::string_view name, mode_t mode, int& fd) const
{
    int parent = -1;
    std::string leaf;
    if (const int error = openParent(name, false, nullptr, parent, leaf))
        return error;
    const Descriptor owner(parent);
    fd = ::openat(parent, leaf.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
    return fd < 0 ? errno : 0;
}

int ContainedFolder::openForReading(std::string_view name, int& fd) const
{
    int parent = -1;
    std::string leaf;
    if (const int error = openParent(name, false, nullptr, parent, leaf))
        return error;
    const Descriptor owner(parent);
    fd = ::openat(parent, leaf.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    return fd < 0 ? errno : 0;
}

int ContainedFolder::openForAppending(std::string_view name, int& fd) const
{
    int parent = -1;
    std::string leaf;
    if (const int error = openParent(name, false, nullptr, parent, leaf))
        return error;
    const Descriptor owner(parent);
    fd = ::openat(parent, leaf.c_str(), O_RDWR | O_APPEND | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return errno;
    // Only a plain file of ours with no other name is continued: a device or a pipe at that
    // name is not ours, and a hard link would carry the writes to a file elsewhere.
    struct stat st
    { };
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_nlink != 1 || st.st_uid != ::geteuid()) {
        ::close(fd);
        fd = -1;
        return EPERM;
    }
    return 0;
}

int ContainedFolder::rename(std::string_view from, std::string_view to) const
{
    int fromParent = -1;
    int toParent = -1;
    std::string fromLeaf;
    std::string toLeaf;
    if (const int error = openParent(from, false, nullptr, fromParent, fromLeaf))
        return error;
    const Descriptor fromOwner(fromParent);
    if (const int error = openParent(to, false, nullptr, toParent, toLeaf))
        return error;
    const Descriptor toOwner(toParent);
    return ::renameat(fromParent, fromLeaf.c_str(), toParent, toLeaf.c_str()) == 0 ? 0 : errno;
}

int ContainedFolder::removeFile(std::string_view name) const
{
    int parent = -1;
    std::string leaf;
    if (const int error = openParent(name, false, nullptr, parent, leaf))
        return error;
    const Descriptor owner(parent);
    struct stat st
    { };
    if (::fstatat(parent, leaf.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return errno;
    if (!S_ISREG(st.st_mode))
        return EPERM;
    return ::unlinkat(parent, leaf.c_str(), 0) == 0 ? 0 : errno;
}

int ContainedFolder::removeEmptyFolder(std::string_view name) const
{
    int parent = -1;
    std::string leaf;
    if (const int error = openParent(name, false, nullptr, parent, leaf))
        return error;
    const Descriptor owner(parent);
    return ::unlinkat(parent, leaf.c_str(), AT_REMOVEDIR) == 0 ? 0 : errno;
}

int ContainedFolder::readFile(std::string_view name, std::size_t maxBytes, std::string& content) const
{
    int fd = -1;
    if (const int error = openForReading(name, fd))
        return error == ELOOP ? EINVAL : error;
    const Descriptor owner(fd);
    struct stat st
    { };
    if (::fstat(fd, &st) != 0)
        return errno;
    if (!S_ISREG(st.st_mode))
        return EINVAL;
    if (static_cast<unsigned long long>(st.st_size) > maxBytes)
        return EFBIG;
    content.clear();
    content.reserve(static_cast<std::size_t>(st.st_size));
    // The file may grow while it is read: what goes past the limit is not taken.
    char block[65536];
    for (;;) {
        const ssize_t n = ::read(fd, block, sizeof block);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return errno;
        if (n == 0)
            return 0;
        if (content.size() + static_cast<std::size_t>(n) > maxBytes)
            return EFBIG;
        content.append(block, static_cast<std::size_t>(n));
    }
}

std::optional<std::string> ContainedFolder::read(std::string_view name, std::size_t maxBytes) const
{
    std::string content;
    if (readFile(name, maxBytes, content) != 0)
        return std::nullopt;
    return content;
}

int ContainedFolder::writeReplacing(std::string_view name, std::string_view content, bool flush) const
{
    const std::string temporary = std::string(name) + ".writing";
    // That name is ours alone: a leftover file or a link there goes (the link itself, never
    // what it points to).
    int parent = -1;
    std::string leaf;
    if (openParent(temporary, false, nullptr, parent, leaf) == 0) {
        ::unlinkat(parent, leaf.c_str(), 0);
        ::close(parent);
    }
    int fd = -1;
    if (const int error = createExclusive(temporary, 0644, fd))
        return error;
    Descriptor owner(fd);
    std::size_t written = 0;
    while (written < content.size()) {
        const ssize_t n = ::write(fd, content.data() + written, content.size() - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            const int error = n < 0 ? errno : EIO;
            removeFile(temporary);
            return error;
        }
        written += static_cast<std::size_t>(n);
    }
    if ((flush && ::fsync(fd) != 0) || ::close(owner.release()) != 0) {
        const int error = errno;
        removeFile(temporary);
        return error;
    }
    if (const int error = rename(temporary, name)) {
        removeFile(temporary);
        return error;
    }
    // The rename itself reaches the disk with the folder.
    if (flush)
        ::fsync(m_fd);
    return 0;
}

int ContainedFolder::flushFileSystem() const
{
    return ::syncfs(m_fd) == 0 ? 0 : errno;
}

bool isDiskError(int error)
{
    return error == ENOSPC || error == EDQUOT || error == EIO || error == EROFS;
}

} // namespace platform
