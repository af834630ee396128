#pragma once

#include "updater/logic/background_sha256.h"

#include <string>
#include <string_view>

// Writes a download through a buffer of its own: few system calls without holding the
// body. What reaches the file also reaches the hasher, when there is one.
class BufferedFile
{
public:
    BufferedFile(int fd, BackgroundSha256* hasher);
    ~BufferedFile();
    BufferedFile(const BufferedFile&) = delete;
    BufferedFile& operator=(const BufferedFile&) = delete;

    // 0 or the system's error number.
    int append(std::string_view data);
    // Empties the file (opened for appending) and starts its digest over.
    int truncate();
    int close();

private:
    int flush();
    int writeAll(std::string_view data);
    // Hands the written bytes to the hasher and makes the buffer ready for more.
    void handOver(std::string& written);

    int m_fd;
    BackgroundSha256* m_hasher;
    std::string m_buffer;
};
