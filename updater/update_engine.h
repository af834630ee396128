#pragma once

#include "contained_folder.h"
#include "inet_transfer.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Downloads one file into a temporary file beside its target, judges whether it arrived
// whole, and puts it in place by a rename, so a target is never half-written: it holds its
// old content until the complete new one replaces it. Every folder, temporary file and
// rename stays inside the program folder: nothing follows a link out of it.
class UpdateEngine
{
public:
    struct Outcome
    {
        bool complete = false; // the body arrived whole and is in the temporary file
        bool writeFailed = false; // the disk refused the file (full, read-only, failing)
        std::string writeError; // the system's reason when writeFailed
    };

    UpdateEngine(platform::InetTransfer& client, std::string programFolder);

    // GETs `url` into name + ".tmp" under the program folder, creating missing sub-folders.
    // `announcedBytes` above 0 is the size the server announced before: no more is written,
    // and the body must match it. A body whose end cannot be known (no length anywhere and
    // no chunked end) is no file. `onProgress` hears the bytes received so far. A file that
    // did not arrive whole leaves no temporary file behind; one whose folder or temporary
    // file cannot be made (a link on the way, a folder in the way, a name too long) fails
    // alone.
    Outcome download(const std::string& url,
        const std::string& name,
        std::int64_t announcedBytes,
        const std::function<void(std::int64_t received)>& onProgress);

    // Renames name + ".tmp" over the target; true when the target now holds the new content.
    // The temporary file is gone afterwards either way.
    bool replace(const std::string& name);

    // A file may take long on a slow line: only a transfer that stays silent this long ends.
    void setStallTimeoutMs(int stallTimeoutMs) { m_stallTimeoutMs = stallTimeoutMs; }

    // Removes name + ".tmp" if it is a file (a link or a folder there is not ours).
    void discard(const std::string& name);
    // Removes the folders the downloads created that are still empty, innermost first.
    void removeEmptyCreatedFolders();

    const platform::ContainedFolder& folder() const { return m_folder; }

private:
    platform::InetTransfer& m_client;
    platform::ContainedFolder m_folder;
    std::vector<std::string> m_createdFolders;
    int m_stallTimeoutMs = 30000;
};
