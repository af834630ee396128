#include "updater/logic/update_engine.h"

#include "updater/logic/buffered_file.h"
#include "updater/logic/file_errors.h"
#include "updater/logic/modPublic.h"
#include "updater/logic/name_rules.h"
#include "updater/logic/update_figures.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The first byte a partial answer carries ("bytes 100-199/200"), or nothing.
std::optional<std::int64_t> rangeStart(const std::string& contentRange)
{
    if (!contentRange.starts_with("bytes "))
        return std::nullopt;
    return update_figures::contentLength(contentRange.substr(6, contentRange.find('-') - 6));
}

// Feeds the first `bytes` of the open file to `hasher`; false when they cannot be read.
bool hashPrefix(int fd, std::int64_t bytes, BackgroundSha256& hasher)
{
    constexpr std::int64_t blockBytes = 1 << 16;
    std::string block;
    for (std::int64_t at = 0; at < bytes;) {
        block.resize(static_cast<std::size_t>(std::min(bytes - at, blockBytes)));
        const ssize_t n = ::pread(fd, block.data(), block.size(), at);
        if (n <= 0)
            return false;
        block.resize(static_cast<std::size_t>(n));
        hasher.add(block);
        at += n;
    }
    return true;
}

} // namespace

UpdateEngine::UpdateEngine(platform::InetTransfer& client, std::string programFolder)
    : m_client(client)
    , m_folder(programFolder)
{ }

std::string UpdateEngine::temporaryFor(const std::string& name)
{
    if (const auto known = m_temporaries.find(name); known != m_temporaries.end())
        return known->second;
    std::string temporary = name_rules::temporaryName(name);
    // A stale folder or a link at that name would fail the file on every run: it is not
    // ours to remove, so the download goes beside it.
    // A name beside it must be free: a file there may be one the installation holds.
    using Kind = platform::ContainedFolder::Kind;
    for (int n = 1; n < 100; ++n) {
        const Kind kind = m_folder.kind(temporary);
        if (kind == Kind::Missing || (n == 1 && kind == Kind::File))
            break;
        temporary = name_rules::temporaryName(name + "." + std::to_string(n));
    }
    m_temporaries.emplace(name, temporary);
    return temporary;
}

UpdateEngine::Outcome UpdateEngine::download(const std::string& url,
    const std::string& name,
    const Expected& expected,
    const std::function<void(std::int64_t)>& onProgress)
{
    Outcome outcome;
    // The list's size, else the announced one: a body without a known end is no file.
    const std::optional<std::int64_t> limit = expected.size ? expected.size : expected.announcedBytes;
    if (!limit || *limit < 0) {
        outcome.noLength = true;
        return outcome;
    }
    const std::string folder = modPublic::GetFolderPart(name, "\\");
    if (const int error = folder.empty() ? 0 : m_folder.createFolders(folder, m_createdFolders)) {
        // Only what would stop every other file too stops the update; the rest is this file's.
        outcome.writeFailed = platform::isDiskError(error);
        outcome.writeError = file_errors::writeError(name, error);
        return outcome;
    }
    const std::string temporary = temporaryFor(name);
    // Only a part this updater recorded, of a file whose digest is checked at the end, is
    // continued: the digest proves the bytes a broken transfer left as well as the new ones.
    // A part with another name elsewhere (a hard link) or another owner is not written on.
    std::int64_t offset = 0;
    if (expected.sha256 && expected.recordedPartial && m_folder.isSoleOwnFile(temporary)) {
        const auto left = m_folder.fileSize(temporary).value_or(0);
        if (left == *limit && partIsWhole(temporary, *limit, *expected.sha256)) {
            outcome.complete = true; // a verified whole part is the file
            return outcome;
        }
        if (left > 0 && left < *limit)
            offset = left;
    }
    bool retryWhole = false;
    outcome = fetch(url, name, offset, expected, onProgress, retryWhole);
    if (retryWhole)
        outcome = fetch(url, name, 0, expected, onProgress, retryWhole);
    return outcome;
}

bool UpdateEngine::partIsWhole(const std::string& temporary, std::int64_t bytes, const file_digest::Sha256& expected)
{
    int fd = -1;
    if (m_folder.openForReading(temporary, fd) != 0)
        return false;
    if (!m_hasher)
        m_hasher = std::make_unique<BackgroundSha256>();
    m_hasher->reset();
    const bool read = hashPrefix(fd, bytes, *m_hasher);
    ::close(fd);
    const bool whole = read && m_hasher->digest().get() == expected;
    m_hasher->reset();
    return whole;
}

std::vector<std::string> UpdateEngine::settleDigests()
{
    std::vector<std::string> unverified;
    for (PendingDigest& pending : m_pendingDigests) {
        if (pending.actual.get() != pending.expected) {
            m_folder.removeFile(temporaryFor(pending.name));
            unverified.push_back(pending.name);
        }
    }
    m_pendingDigests.clear();
    return unverified;
}

UpdateEngine::Outcome UpdateEngine::fetch(const std::string& url,
    const std::string& name,
    std::int64_t offset,
    const Expected& expected,
    const std::function<void(std::int64_t)>& onProgress,
    bool& retryWhole)
{
    Outcome outcome;
    retryWhole = false;
    const std::string temporary = temporaryFor(name);
    int fd = -1;
    int error = offset > 0 ? m_folder.openForAppending(temporary, fd) : EEXIST;
    // One hashing thread serves every file of the update.
    BackgroundSha256* hasher = nullptr;
    if (expected.sha256) {
        if (!m_hasher)
            m_hasher = std::make_unique<BackgroundSha256>();
        hasher = m_hasher.get();
        hasher->reset();
    }
    if (error == 0 && (!hasher || !hashPrefix(fd, offset, *hasher))) {
        ::close(fd);
        if (hasher)
            hasher->reset();
        error = EIO;
    }
    if (error != 0) {
        offset = 0;
        // A file left there by an interrupted download is replaced; a link or a folder at
        // that name is not ours, and stays.
        m_folder.removeFile(temporary);
        error = m_folder.createExclusive(temporary, 0644, fd);
    }
    if (error != 0) {
        outcome.writeFailed = platform::isDiskError(error);
        outcome.writeError = file_errors::writeError(name, error);
        return outcome;
    }
    BufferedFile file(fd, hasher);

    // download() made sure one of them is there.
    const std::int64_t limit = expected.size.value_or(expected.announcedBytes.value_or(0));
    std::int64_t received = offset; // bytes in the file
    std::int64_t start = offset; // where the answer's body begins in the file
    bool started = false;
    bool tooLong = false;
    bool oddAnswer = false;
    // The whole exchange has no time limit here, as a large file on a slow line needs; a
    // silent line ends it. The client's own time-outs stay for the short requests.
    const int requestTimeoutMs = m_client.requestTimeoutMs();
    const int stallTimeoutMs = m_client.stallTimeoutMs();
    m_client.setTimeouts(std::numeric_limits<int>::max(), m_stallTimeoutMs);
    m_client.setUrl(url);
    m_client.execute(
        url, "GET",
        [&](std::string_view chunk) {
            if (!started && offset > 0) {
                started = true;
                // A server that ignores the range sends the whole file: it starts over.
                if (m_client.status() == 200) {
                    file.truncate();
                    received = start = 0;
                } else if (m_client.status() != 206 || rangeStart(m_client.getHeader("Content-Range")) != offset) {
                    oddAnswer = true;
                    return false;
                }
            }
            // Never more than was announced: a body that goes on is no longer this file.
            if (received + std::ssize(chunk) > limit) {
                tooLong = true;
                return false;
            }
            if (const int writeError = file.append(chunk)) {
                outcome.writeFailed = platform::isDiskError(writeError);
                outcome.writeError = file_errors::writeError(name, writeError);
                return false;
            }
            received += std::ssize(chunk);
            if (onProgress)
                onProgress(received);
            return true;
        },
        offset > 0 ? std::to_string(offset) + "-" : std::string());
    m_client.setTimeouts(requestTimeoutMs, stallTimeoutMs);
    if (const int closeError = file.close(); closeError != 0 && outcome.writeError.empty()) {
        outcome.writeFailed = platform::isDiskError(closeError);
        outcome.writeError = file_errors::writeError(name, closeError);
    }

    // Whole means: a complete answer (200, or 206 to our range) whose body is as long as
    // every announcement says.
    const long status = m_client.status();
    const bool rightAnswer = !oddAnswer && (status == 200 || (status == 206 && start > 0 && start == offset));
    const auto length = update_figures::contentLength(m_client.getHeader("Content-Length"));
    const std::int64_t total = limit;
    const bool agrees = !length || start + *length == total;
    const bool ended = received == total;
    const bool answered
        = outcome.writeError.empty() && rightAnswer && (m_client.error() == platform::hresult::ok || tooLong);
    if (answered && expected.size && (tooLong || !agrees || (m_client.error() == platform::hresult::ok && !ended))) {
        outcome.unverified = true; // the server's file is not as long as the list says
    } else if (answered && !tooLong && agrees && ended) {
        outcome.complete = true;
        if (hasher && offset > 0) {
            // A continued file is judged at once: if it fails, it is fetched whole.
            outcome.complete = hasher->digest().get() == *expected.sha256;
            outcome.unverified = !outcome.complete;
        } else if (hasher) {
            m_pendingDigests.push_back({name, *expected.sha256, hasher->digest()});
        }
    }
    // A transfer that broke off (not one we refused or cancelled) leaves a part worth
    // continuing: what it added to the file, or what was there when no answer came.
    const bool broke = m_client.error() != platform::hresult::ok && m_client.error() != platform::hresult::aborted;
    outcome.partialKept = !outcome.complete && expected.sha256 && limit > 0 && broke && !oddAnswer
        && (rightAnswer || received == offset) && outcome.writeError.empty() && received > 0 && received < limit;
    // What a continued transfer made of the file is not to be trusted: fetch it whole.
    retryWhole = offset > 0 && (oddAnswer || outcome.unverified);
    if (!outcome.complete && !outcome.partialKept)
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
    const std::string temporary = temporaryFor(name);
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
    m_temporaries.erase(name);
    return replaced;
}

void UpdateEngine::discard(const std::string& name)
{
    m_folder.removeFile(temporaryFor(name));
    m_temporaries.erase(name);
}

void UpdateEngine::discardLeftovers(const std::string& name, const std::function<bool(const std::string&)>& installed)
{
    using Kind = platform::ContainedFolder::Kind;
    const Kind first = m_folder.kind(name_rules::temporaryName(name));
    if (first == Kind::Missing || first == Kind::File) {
        discard(name); // no part was ever put beside it
        return;
    }
    // The names beside the stale one were taken in turn, so the first missing one ends them.
    for (int n = 1; n < 100; ++n) {
        const std::string beside = name_rules::temporaryName(name + "." + std::to_string(n));
        const Kind kind = m_folder.kind(beside);
        if (kind == Kind::Missing)
            break;
        if (kind == Kind::File && !installed(beside))
            m_folder.removeFile(beside);
    }
    m_temporaries.erase(name);
}

void UpdateEngine::removeEmptyCreatedFolders()
{
    for (auto folder = m_createdFolders.rbegin(); folder != m_createdFolders.rend(); ++folder)
        m_folder.removeEmptyFolder(*folder);
    m_createdFolders.clear();
}
