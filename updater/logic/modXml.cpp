#include "updater/logic/modXml.h"

#include "updater/logic/file_errors.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace modXml {
namespace {

// Reads a plain file of at most `maxBytes`, never waiting for a writer: a pipe, a device or
// a folder at that path is EINVAL, a longer file EFBIG. A link to a file is read.
int readPlainFile(const std::string& path, std::size_t maxBytes, std::string& content)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return errno;
    struct stat st
    { };
    int error = ::fstat(fd, &st) != 0 ? errno : !S_ISREG(st.st_mode) ? EINVAL : 0;
    if (error == 0 && static_cast<unsigned long long>(st.st_size) > maxBytes)
        error = EFBIG;
    content.clear();
    if (error == 0)
        content.reserve(static_cast<std::size_t>(st.st_size));
    char block[65536];
    while (error == 0) {
        const ssize_t n = ::read(fd, block, sizeof block);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            error = n < 0 ? errno : 0;
            break;
        }
        if (content.size() + static_cast<std::size_t>(n) > maxBytes)
            error = EFBIG;
        else
            content.append(block, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return error;
}

bool loaded(int error, const std::string& name, std::string&& bytes, XmlDocument& document)
{
    if (error == ENOENT || error == ENOTDIR)
        return false;
    document.readFailure = error ? file_errors::readError(name, error) : std::string();
    if (error == 0)
        ParseXml(std::move(bytes), document);
    return true;
}

} // namespace

bool LoadXml(const platform::ContainedFolder& folder, const std::string& name, XmlDocument& document)
{
    std::string bytes;
    const int error = folder.readFile(name, platform::ContainedFolder::defaultMaxBytes, bytes);
    return loaded(error, name, std::move(bytes), document);
}

bool LoadXml(const std::string& path, XmlDocument& document)
{
    std::string bytes;
    const int error = readPlainFile(path, platform::ContainedFolder::defaultMaxBytes, bytes);
    const std::size_t slash = path.find_last_of("/\\");
    return loaded(error, slash == std::string::npos ? path : path.substr(slash + 1), std::move(bytes), document);
}

} // namespace modXml
