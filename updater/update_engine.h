#pragma once

#include "inet_transfer.h"

#include <functional>
#include <string>

// Downloads one file into a temporary file beside its target, judges whether it arrived
// whole, and puts it in place by a rename, so a target is never half-written: it holds its
// old content until the complete new one replaces it.
class UpdateEngine
{
public:
    struct Outcome
    {
        bool complete = false; // the body arrived whole and is in the temporary file
        bool writeFailed = false; // the temporary file could not be created or written
        std::string writeError; // the system's reason when writeFailed
    };

    UpdateEngine(platform::InetTransfer& client, std::string programFolder);

    // GETs `url` into name + ".tmp" under the program folder, creating missing sub-folders.
    // `announcedBytes` above 0 is the size the server announced before; the body must match
    // it. `onProgress` hears the bytes received so far. A file that did not arrive whole
    // leaves no temporary file behind.
    Outcome download(const std::string& url,
        const std::string& name,
        long long announcedBytes,
        const std::function<void(long long received)>& onProgress);

    // Renames name + ".tmp" over the target; true when the target now holds the new content.
    // The temporary file is gone afterwards either way.
    bool replace(const std::string& name);

    // A file may take long on a slow line: only a transfer that stays silent this long ends.
    void setStallTimeoutMs(int stallTimeoutMs) { m_stallTimeoutMs = stallTimeoutMs; }

    // Removes name + ".tmp" if it is there.
    void discard(const std::string& name);

    std::string targetPath(const std::string& name) const;
    std::string temporaryPath(const std::string& name) const;

private:
    platform::InetTransfer& m_client;
    std::string m_folder;
    int m_stallTimeoutMs = 30000;
};
