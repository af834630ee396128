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

// Does `action` (a click, say) and then waits up to `everyMs` for `condition`, again and
// again until it holds or `timeoutMs` passes: for a control whose readiness nothing outside
// the program shows, where an early try is simply lost; returns whether it held.
inline bool repeatUntil(
    const std::function<void()>& action, const std::function<bool()>& condition, int timeoutMs, int everyMs = 300)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    do {
        action();
        if (waitFor(condition, everyMs))
            return true;
    } while (std::chrono::steady_clock::now() < end);
    return false;
}
