#pragma once

#include "updater/logic/file_digest.h"

#include <condition_variable>
#include <deque>
#include <future>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// Computes a download's SHA-256 on a thread of its own from the blocks written to its file,
// so that the digest is ready about when the last byte arrives instead of adding its time
// to the transfer's. Only bytes cross to that thread: the program's logic and windows stay
// on the one user-interface thread.
class BackgroundSha256
{
public:
    BackgroundSha256();
    ~BackgroundSha256();
    BackgroundSha256(const BackgroundSha256&) = delete;
    BackgroundSha256& operator=(const BackgroundSha256&) = delete;

    // Takes the bytes of `block` for hashing and leaves an empty buffer (with room) in its
    // place, to fill next. Waits while many blocks are still pending, so that a slow
    // processor never has a whole file waiting in memory.
    void add(std::string& block);
    // Starts the digest over (a file that is fetched anew).
    void reset();
    // The digest of everything added since the last reset or digest, once the thread has
    // hashed it; what is added afterwards starts a new digest. So the next file can arrive
    // while the last one is still being hashed.
    std::future<file_digest::Sha256> digest();

private:
    struct Item
    {
        enum class Kind { Bytes, Reset, Digest };
        Kind kind = Kind::Bytes;
        std::string bytes;
        std::promise<file_digest::Sha256> digest;
    };

    void push(Item item);
    void run();

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Item> m_pending;
    std::vector<std::string> m_spare; // hashed blocks, for their memory to be filled again
    bool m_stopping = false;
    file_digest::Sha256Hasher m_hasher;
    std::thread m_thread;
};
