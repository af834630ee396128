#include "updater/logic/background_sha256.h"

namespace {

// Blocks of 64 KB: a megabyte at most waits to be hashed.
constexpr std::size_t maxPending = 16;

} // namespace

BackgroundSha256::BackgroundSha256()
    : m_thread([this] { run(); })
{ }

BackgroundSha256::~BackgroundSha256()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

void BackgroundSha256::push(Item item)
{
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [&] { return m_pending.size() < maxPending; });
        m_pending.push_back(std::move(item));
    }
    m_changed.notify_all();
}

void BackgroundSha256::add(std::string& block)
{
    if (block.empty())
        return;
    std::string spare;
    {
        std::lock_guard lock(m_mutex);
        if (!m_spare.empty()) {
            spare = std::move(m_spare.back());
            m_spare.pop_back();
        }
    }
    Item item;
    item.bytes = std::move(block);
    push(std::move(item));
    block = std::move(spare);
    block.clear();
}

void BackgroundSha256::reset()
{
    Item item;
    item.kind = Item::Kind::Reset;
    push(std::move(item));
}

std::future<file_digest::Sha256> BackgroundSha256::digest()
{
    Item item;
    item.kind = Item::Kind::Digest;
    std::future<file_digest::Sha256> result = item.digest.get_future();
    push(std::move(item));
    return result;
}

void BackgroundSha256::run()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [&] { return m_stopping || !m_pending.empty(); });
        if (m_stopping)
            return; // what is still pending goes with the queue; its promises break
        Item item = std::move(m_pending.front());
        m_pending.pop_front();
        lock.unlock();
        m_changed.notify_all(); // room for another block
        switch (item.kind) {
        case Item::Kind::Bytes:
            m_hasher.add(item.bytes);
            item.bytes.clear();
            break;
        case Item::Kind::Reset:
            m_hasher.reset();
            break;
        case Item::Kind::Digest:
            item.digest.set_value(m_hasher.finish());
            break;
        }
        lock.lock();
        if (item.bytes.capacity() > 0 && m_spare.size() < 2)
            m_spare.push_back(std::move(item.bytes));
    }
}
