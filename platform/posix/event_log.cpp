#include "platform/event_log.h"

#include <syslog.h>

#include <filesystem>
#include <system_error>

namespace platform::event_log {

namespace {

Sink& sink()
{
    static Sink current;
    return current;
}

// syslog keeps the identity pointer, so the name lives as long as the process.
const std::string& programName()
{
    static const std::string name = [] {
        std::error_code ec;
        const auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
        return ec ? std::string("Pallomar") : self.filename().string();
    }();
    return name;
}

} // namespace

void error(const std::string& text)
{
    if (sink()) {
        sink()(text);
        return;
    }
    static const bool opened = [] {
        ::openlog(programName().c_str(), LOG_PID, LOG_USER);
        return true;
    }();
    (void)opened;
    ::syslog(LOG_ERR, "%s", text.c_str());
}

Sink setSink(Sink next)
{
    Sink previous = std::move(sink());
    sink() = std::move(next);
    return previous;
}

} // namespace platform::event_log
