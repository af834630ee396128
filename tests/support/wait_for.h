#pragma once

#include <chrono>
#include <functional>
#include <thread>

// Polls `condition` until it holds or `timeoutMs` passes, for tests that watch other
// processes and have no event loop of their own to run; returns whether it held.
inline bool waitFor(const std::function<bool()>& condition, int timeoutMs)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}
