#pragma once

#include <exception>

// Start-up and shutdown steps of the shells' main windows are independent: one that fails
// is left out and the next one runs.
template <typename Step> void guarded(Step&& step)
{
    try {
        step();
    } catch (const std::exception&) { }
}
