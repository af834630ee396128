#include "updater/logic/buffered_file.h"

#include <cerrno>
#include <unistd.h>

namespace {

constexpr std::size_t bufferBytes = std::size_t {1} << 16;

} // namespace

BufferedFile::BufferedFile(int fd, BackgroundSha256* hasher)
    : m_fd(fd)
    , m_hasher(hasher)
{
    m_buffer.reserve(bufferBytes);
}

BufferedFile::~BufferedFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

int BufferedFile::append(std::string_view data)
{
    if (m_buffer.size() + data.size() > m_buffer.capacity())
        if (const int error = flush())
            return error;
    if (data.size() >= m_buffer.capacity()) {
        std::string written(data);
        const int error = writeAll(written);
        handOver(written);
        return error;
    }
    m_buffer.append(data);
    return 0;
}

int BufferedFile::truncate()
{
    m_buffer.clear();
    if (m_hasher)
        m_hasher->reset();
    return ::ftruncate(m_fd, 0) == 0 && ::lseek(m_fd, 0, SEEK_SET) == 0 ? 0 : errno;
}

int BufferedFile::close()
{
    int error = flush();
    if (::close(m_fd) != 0 && error == 0)
        error = errno;
    m_fd = -1;
    return error;
}

int BufferedFile::flush()
{
    const int error = writeAll(m_buffer);
    handOver(m_buffer);
    return error;
}

void BufferedFile::handOver(std::string& written)
{
    if (m_hasher)
        m_hasher->add(written);
    written.clear();
    if (written.capacity() < bufferBytes)
        written.reserve(bufferBytes);
}

int BufferedFile::writeAll(std::string_view data)
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
