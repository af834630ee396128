#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <sys/types.h>
#include <vector>

namespace platform {

// A folder whose files are read, written, renamed and removed without ever leaving it:
// every path below it is walked one part at a time from an open descriptor of the folder,
// and no link is followed on the way or at the end. A link where a folder or file is
// expected is an error, not a detour. Names are relative, with "\" or "/" between parts.
// Operations return 0 or the system's error number.
class ContainedFolder
{
public:
    explicit ContainedFolder(const std::string& path);
    ~ContainedFolder();
    ContainedFolder(const ContainedFolder&) = delete;
    ContainedFolder& operator=(const ContainedFolder&) = delete;

    bool valid() const { return m_fd >= 0; }
    const std::string& path() const { return m_path; }

    enum class Kind { Missing, File, Folder, Link, Other };
    Kind kind(std::string_view name) const;
    // Permission bits of a file (not a link), or nothing.
    std::optional<mode_t> fileMode(std::string_view name) const;
    // Size in bytes of a file (not a link), or nothing.
    std::optional<long long> fileSize(std::string_view name) const;
    // True when `name` is a plain file with no other name (no hard link elsewhere) that
    // belongs to this user: only such a file may be written on where it stands.
    bool isSoleOwnFile(std::string_view name) const;

    // Creates every missing folder of `folder`; `created` receives the ones made, outermost first.
    int createFolders(std::string_view folder, std::vector<std::string>& created) const;
    // Creates a new file for writing; fails with EEXIST when anything stands at that name.
    // `fd` receives the open descriptor, owned by the caller.
    int createExclusive(std::string_view name, mode_t mode, int& fd) const;
    // Opens an existing file (not a link) for reading, never waiting for a writer (a pipe
    // at that name does not block); `fd` owned by the caller.
    int openForReading(std::string_view name, int& fd) const;
    // Opens an existing plain file (not a link) of ours with no other name for reading and
    // for writing at its end.
    int openForAppending(std::string_view name, int& fd) const;
    // Renames `from` over `to`; whatever stood at `to` (a link included) is replaced, not followed.
    int rename(std::string_view from, std::string_view to) const;
    // Removes a file; links, folders and other things are left alone (EPERM).
    int removeFile(std::string_view name) const;
    // Removes a folder when it is empty.
    int removeEmptyFolder(std::string_view name) const;

    // Reads a plain file of at most `maxBytes` into `content`: anything else at that name
    // (a pipe, a device, a folder, a link) is EINVAL and a longer file EFBIG, unread.
    int readFile(std::string_view name, std::size_t maxBytes, std::string& content) const;
    static constexpr std::size_t defaultMaxBytes = std::size_t {64} << 20;
    std::optional<std::string> read(std::string_view name, std::size_t maxBytes = defaultMaxBytes) const;
    // Writes `content` into name + ".writing", flushes it to the disk and renames it over
    // `name`, so the file holds its old or its new content, never a part. Without `flush`
    // the disk is not waited for (a busy disk can hold a flush for seconds): after a crash
    // the file may hold its old content or nothing at all, but still never a part.
    int writeReplacing(std::string_view name, std::string_view content, bool flush = true) const;
    // Waits until everything written on the folder's file system is on the disk: one call
    // for many new files, where flushing each on its own would wait for the disk each time.
    int flushFileSystem() const;

private:
    std::optional<struct stat> fileStatus(std::string_view name) const;
    // Opens the folder that holds `name` and hands back the last part.
    int openParent(
        std::string_view name, bool create, std::vector<std::string>* created, int& fd, std::string& leaf) const;

    int m_fd = -1;
    std::string m_path;
};

// Disk errors stop a whole update: every later file would meet them too.
bool isDiskError(int error);

} // namespace platform
