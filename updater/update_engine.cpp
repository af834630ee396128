#include "update_engine.h"

#include "modPublic.h"
#include "name_rules.h"
#include "update_figures.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Writes through a buffer of its own: few system calls without holding the body.
class BufferedFile
{
public:
    explicit BufferedFile(int fd)
        : m_fd(fd)
    {
        m_buffer.reserve(std::size_t {1} << 16);
    }
    ~BufferedFile()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    BufferedFile(const BufferedFile&) = delete;
    BufferedFile& operator=(const BufferedFile&) = delete;

    // 0 or the system's error number.
    int append(std::string_view data)
    {
        if (m_buffer.size() + data.size() > m_buffer.capacity())
            if (const int error = flush())
                return error;
        if (data.size() >= m_buffer.capacity())
            return writeAll(data);
        m_buffer.append(data);
        return 0;
    }
    int close()
    {
        int error = flush();
        if (::close(m_fd) != 0 && error == 0)
            error = errno;
        m_fd = -1;
        return error;
    }

private:
    int flush()
    {
        const int error = writeAll(m_buffer);
        m_buffer.clear();
        return error;
    }
    int writeAll(std::string_view data)
    {
        while (!data.empty()) {
            const ssize_t n = ::write(m_fd, data.data(), data.size());
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return n < 0 ? errno : EIO;
            data.remove_prefix(static_cast<std::size_t>(n));
        }
        return 0;
    }

    int m_fd;
    std::string m_buffer;
};

bool isChunked(const std::string& transferEncoding)
{
    std::string lowered = transferEncoding;
    std::transform(lowered.begin(), lowered.end(), lowered.begin(),
        [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c); });
    return lowered.find("chunked") != std::string::npos;
}

} // namespace

UpdateEngine::UpdateEngine(platform::InetTransfer& client, std::string programFolder)
    : m_client(client)
    , m_folder(programFolder)
{ }

UpdateEngine::Outcome UpdateEngine::download(const std::string& url,
    const std::string& name,
    std::int64_t announcedBytes,
    const std::function<void(std::int64_t)>& onProgress)
{
    Outcome outcome;
    const std::string temporary = name_rules::temporaryName(name);
    const std::string folder = modPublic::GetFolderPart(name, "\\");
    int fd = -1;
    int error = folder.empty() ? 0 : m_folder.createFolders(folder, m_createdFolders);
    if (error == 0) {
        // A file left there by an interrupted download is replaced; a link or a folder at
        // that name is not ours, and stays.
        m_folder.removeFile(temporary);
        error = m_folder.createExclusive(temporary, 0644, fd);
    }
    if (error != 0) {
        // Only what would stop every other file too stops the update; the rest is this file's.
        outcome.writeFailed = platform::isDiskError(error);
        outcome.writeError = std::strerror(error);
        return outcome;
    }
    BufferedFile file(fd);

    std::int64_t received = 0;
    bool tooLong = false;
    // The whole exchange has no time limit here, as a large file on a slow line needs; a
    // silent line ends it. The client's own time-outs stay for the short requests.
    const int requestTimeoutMs = m_client.requestTimeoutMs();
    const int stallTimeoutMs = m_client.stallTimeoutMs();
    m_client.setTimeouts(std::numeric_limits<int>::max(), m_stallTimeoutMs);
    m_client.setUrl(url);
    m_client.execute(url, "GET", [&](std::string_view chunk) {
        // Never more than was announced: a body that goes on is no longer this file.
        if (announcedBytes > 0 && received + static_cast<std::int64_t>(chunk.size()) > announcedBytes) {
            tooLong = true;
            return false;
        }
        if (const int writeError = file.append(chunk)) {
            outcome.writeFailed = platform::isDiskError(writeError);
            outcome.writeError = std::strerror(writeError);
            return false;
        }
        received += static_cast<std::int64_t>(chunk.size());
        if (onProgress)
            onProgress(received);
        return true;
    });
    m_client.setTimeouts(requestTimeoutMs, stallTimeoutMs);
    if (const int closeError = file.close(); closeError != 0 && outcome.writeError.empty()) {
        outcome.writeFailed = platform::isDiskError(closeError);
        outcome.writeError = std::strerror(closeError);
    }

    // Whole means: a complete 200 answer whose body is as long as every announcement says,
    // or, with no length anywhere, one whose chunked encoding marked its end.
    const auto length = update_figures::contentLength(m_client.getHeader("Content-Length"));
    const std::int64_t expected = announcedBytes > 0 ? announcedBytes : length.value_or(-1);
    const bool agrees = !length || *length == expected;
    const bool ended = expected >= 0 ? received == expected : isChunked(m_client.getHeader("Transfer-Encoding"));
    outcome.complete = outcome.writeError.empty() && !tooLong && m_client.error() == platform::hresult::ok
        && m_client.status() == 200 && agrees && ended;
    if (!outcome.complete)
        m_folder.removeFile(temporary);
    return outcome;
}

namespace {

// A file the system can run: a program or a script.
bool isProgramFile(const platform::ContainedFolder& folder, const std::string& name)
{
    int fd = -1;
    if (folder.openForReading(name, fd) != 0)
        return false;
    char head[4] = {};
    const ssize_t n = ::pread(fd, head, sizeof head, 0);
    ::close(fd);
    return (n == 4
               && std::memcmp(head,
                      "\x7f"
                      "ELF",
                      4)
                   == 0)
        || (n >= 2 && head[0] == '#' && head[1] == '!');
}

} // namespace

bool UpdateEngine::replace(const std::string& name)
{
    const std::string temporary = name_rules::temporaryName(name);
    // The new file keeps the permissions of the one it replaces, so that an updated program
    // can still be started; a program new to the installation is made executable.
    mode_t mode = 0644;
    if (const auto old = m_folder.fileMode(name))
        mode = *old;
    else if (isProgramFile(m_folder, temporary))
        mode = 0755;
    int fd = -1;
    if (m_folder.openForReading(temporary, fd) == 0) {
        ::fchmod(fd, mode);
        ::close(fd);
    }
    // A folder at the target's name is not replaced: the rename refuses it.
    const bool replaced = m_folder.rename(temporary, name) == 0;
    if (!replaced)
        m_folder.removeFile(temporary);
    return replaced;
}

void UpdateEngine::discard(const std::string& name)
{
    m_folder.removeFile(name_rules::temporaryName(name));
}

void UpdateEngine::removeEmptyCreatedFolders()
{
    for (auto folder = m_createdFolders.rbegin(); folder != m_createdFolders.rend(); ++folder)
        m_folder.removeEmptyFolder(*folder);
    m_createdFolders.clear();
}
