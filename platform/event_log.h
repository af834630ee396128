#pragma once

#include <functional>
#include <string>

// The application's event log. On Linux it is the system log: error entries at error
// priority, under the program's own name.
namespace platform::event_log {

// Writes `text` as an error entry.
void error(const std::string& text);

// Where entries go instead of the system log; tests read the log through a sink of their
// own. An empty sink restores the system log. Returns the previous sink.
using Sink = std::function<void(const std::string& text)>;
Sink setSink(Sink sink);

} // namespace platform::event_log
