#pragma once

#include "platform/contained_folder.h"
#include "platform/inet_transfer.h"
#include "updater/logic/background_sha256.h"
#include "updater/logic/file_digest.h"

#include <cstdint>
#include <functional>
#include <future>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

// Downloads one file into a temporary file beside its target, judges whether it arrived
// whole, and puts it in place by a rename, so a target is never half-written: it holds its
// old content until the complete new one replaces it. Every folder, temporary file and
// rename stays inside the program folder: nothing follows a link out of it.
class UpdateEngine
{
public:
    // What is known of a file before it is fetched.
    struct Expected
    {
        std::optional<std::int64_t> announcedBytes; // what the server announced before
        std::optional<std::int64_t> size; // what the list says
        std::optional<file_digest::Sha256> sha256; // what the list says
        // The updater recorded the part left at the temporary name: only then is it continued.
        bool recordedPartial = false;
    };

    struct Outcome
    {
        bool complete = false; // the body arrived whole and is in the temporary file
        bool unverified = false; // it arrived, but its size or digest is not the list's
        bool partialKept = false; // it broke off; the bytes so far stay for the next run
        bool noLength = false; // nothing said how long the file is: it was not fetched
        bool writeFailed = false; // the disk refused the file (full, read-only, failing)
        std::string writeError; // the file and the cause, for the user, when it was written on
    };

    UpdateEngine(platform::InetTransfer& client, std::string programFolder);

    // GETs `url` into a temporary file beside `name` under the program folder, creating
    // missing sub-folders. The list's size, else a size announced before, is the most that
    // is written, and the body must match it; with neither, nothing is fetched (noLength).
    // With a digest the file must match it too; then a part the updater recorded, left by a
    // transfer that broke off, is continued with a range request (and fetched whole when the
    // server sends it whole, answers oddly, or the result does not verify), a recorded part
    // that is already whole and verifies is used as it is, and one that breaks off now stays
    // for the next run. A part is only ever written on when it is a plain file of ours with
    // no other name; anything else there is unlinked, never written through. `onProgress` hears the bytes in
    // the file so far. Any other file that did not arrive whole leaves no temporary file
    // behind; one whose folder or temporary file cannot be made (a link on the way, a
    // folder in the way, a name too long) fails alone. A whole new file's digest may still
    // be in the making when this returns: see settleDigests().
    Outcome download(const std::string& url,
        const std::string& name,
        const Expected& expected,
        const std::function<void(std::int64_t received)>& onProgress);

    // Waits for the digests still in the making; removes the temporary file of every file
    // whose digest is not its list's, and names those files. Call before replacing.
    std::vector<std::string> settleDigests();

    // Renames name + ".tmp" over the target; true when the target now holds the new content.
    // The temporary file is gone afterwards either way.
    bool replace(const std::string& name);
    // Waits until the files downloaded so far (before replacing) or the renames (after) are
    // on the disk, so that a power cut never leaves a replaced program empty.
    // Returns 0 or the system's error number.
    int flushToDisk() { return m_folder.flushFileSystem(); }

    // A file may take long on a slow line: only a transfer that stays silent this long ends.
    void setStallTimeoutMs(int stallTimeoutMs) { m_stallTimeoutMs = stallTimeoutMs; }

    // Removes the temporary file of `name` if it is a file (a link or a folder there is not ours).
    void discard(const std::string& name);
    // At the start of a run: discards the temporary file of `name` and the parts a run cut
    // short left beside a stale folder or link at name + ".tmp" (name.1.tmp, ...), unless
    // `installed` says a list holds that name as a file of its own.
    void discardLeftovers(const std::string& name, const std::function<bool(const std::string&)>& installed);
    // The temporary file of `name`: name + ".tmp", unless a folder, a link or anything but a
    // plain file stands there; then a free name beside it.
    std::string temporaryFor(const std::string& name);
    // Removes the folders the downloads created that are still empty, innermost first.
    void removeEmptyCreatedFolders();

    const platform::ContainedFolder& folder() const { return m_folder; }

private:
    // One GET into the temporary file, continuing from `offset` bytes already there.
    Outcome fetch(const std::string& url,
        const std::string& name,
        std::int64_t offset,
        const Expected& expected,
        const std::function<void(std::int64_t)>& onProgress,
        bool& retryWhole);
    // True when the first `bytes` of the temporary file are the file of that digest.
    bool partIsWhole(const std::string& temporary, std::int64_t bytes, const file_digest::Sha256& expected);

    platform::InetTransfer& m_client;
    platform::ContainedFolder m_folder;
    std::vector<std::string> m_createdFolders;
    std::unordered_map<std::string, std::string> m_temporaries; // name -> its temporary file
    std::unique_ptr<BackgroundSha256> m_hasher; // made for the first file with a digest
    struct PendingDigest
    {
        std::string name;
        file_digest::Sha256 expected;
        std::future<file_digest::Sha256> actual;
    };
    std::vector<PendingDigest> m_pendingDigests;
    int m_stallTimeoutMs = 30000;
};
