#include "update_engine.h"

#include "file_util.h"
#include "modPublic.h"
#include "program_folder.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>
#include <memory>
#include <vector>

namespace {

struct FileCloser
{
    void operator()(std::FILE* file) const { std::fclose(file); }
};

} // namespace

UpdateEngine::UpdateEngine(platform::InetTransfer& client, std::string programFolder)
    : m_client(client)
    , m_folder(std::move(programFolder))
{ }

std::string UpdateEngine::targetPath(const std::string& name) const
{
    return platform::joinPath(m_folder, name);
}

std::string UpdateEngine::temporaryPath(const std::string& name) const
{
    return platform::joinPath(m_folder, name + ".tmp");
}

UpdateEngine::Outcome UpdateEngine::download(const std::string& url,
    const std::string& name,
    long long announcedBytes,
    const std::function<void(long long)>& onProgress)
{
    Outcome outcome;
    modPublic::MakeDirectory(m_folder + "/" + modPublic::GetFolderPart(name, "\\"));
    const std::string temporary = temporaryPath(name);
    // Declared before the file, so it outlives it.
    std::vector<char> buffer(std::size_t {1} << 16);
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(temporary.c_str(), "wb"));
    if (!file) {
        outcome.writeFailed = true;
        outcome.writeError = std::strerror(errno);
        return outcome;
    }
    // A larger buffer than stdio's own keeps the writes few without holding the body (the
    // C library ignores the size unless it is given the buffer itself).
    std::setvbuf(file.get(), buffer.data(), _IOFBF, buffer.size());

    long long received = 0;
    // The whole exchange has no time limit here, as a large file on a slow line needs; a
    // silent line ends it. The client's own time-outs stay for the short requests.
    const int requestTimeoutMs = m_client.requestTimeoutMs();
    const int stallTimeoutMs = m_client.stallTimeoutMs();
    m_client.setTimeouts(std::numeric_limits<int>::max(), m_stallTimeoutMs);
    m_client.setUrl(url);
    m_client.execute(url, "GET", [&](std::string_view chunk) {
        if (std::fwrite(chunk.data(), 1, chunk.size(), file.get()) != chunk.size()) {
            outcome.writeFailed = true;
            outcome.writeError = std::strerror(errno);
            return false;
        }
        received += static_cast<long long>(chunk.size());
        if (onProgress)
            onProgress(received);
        return true;
    });
    m_client.setTimeouts(requestTimeoutMs, stallTimeoutMs);
    if (std::fclose(file.release()) != 0 && !outcome.writeFailed) {
        outcome.writeFailed = true;
        outcome.writeError = std::strerror(errno);
    }

    // Whole means: a complete 200 answer whose body is as long as both announcements say.
    const std::string length = m_client.getHeader("Content-Length");
    const bool lengthMatches = length.empty() || length == std::to_string(received);
    outcome.complete = !outcome.writeFailed && m_client.error() == platform::hresult::ok && m_client.status() == 200
        && lengthMatches && (announcedBytes <= 0 || received == announcedBytes);
    if (!outcome.complete)
        platform::removeFile(temporary);
    return outcome;
}

namespace {

// A file the system can run: a program or a script.
bool isProgramFile(const std::string& path)
{
    char head[4] = {};
    const std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file)
        return false;
    const std::size_t n = std::fread(head, 1, sizeof head, file.get());
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
    const std::string temporary = temporaryPath(name);
    const std::string target = targetPath(name);
    // The new file keeps the permissions of the one it replaces, so that an updated program
    // can still be started; a program new to the installation is made executable.
    std::error_code ec;
    const std::filesystem::file_status old = std::filesystem::status(target, ec);
    if (!ec && std::filesystem::exists(old))
        std::filesystem::permissions(temporary, old.permissions(), ec);
    else if (isProgramFile(temporary))
        std::filesystem::permissions(temporary,
            std::filesystem::perms::owner_exec | std::filesystem::perms::group_exec
                | std::filesystem::perms::others_exec,
            std::filesystem::perm_options::add, ec);
    const bool replaced = std::rename(temporary.c_str(), target.c_str()) == 0;
    if (!replaced)
        platform::removeFile(temporary);
    return replaced;
}

void UpdateEngine::discard(const std::string& name)
{
    platform::removeFile(temporaryPath(name));
}
