#include "platform/process.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <poll.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <utility>

namespace platform {
namespace {

bool isProcessId(const char* name)
{
    if (!*name)
        return false;
    for (const char* c = name; *c; ++c)
        if (*c < '0' || *c > '9')
            return false;
    return true;
}

std::string commandName(int pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/comm");
    std::string name;
    std::getline(in, name);
    return name;
}

} // namespace

std::vector<ProcessEntry> listProcesses()
{
    std::vector<ProcessEntry> entries;
    DIR* proc = ::opendir("/proc");
    if (!proc)
        return entries;
    while (const dirent* entry = ::readdir(proc)) {
        if (!isProcessId(entry->d_name))
            continue;
        ProcessEntry process;
        process.pid = std::atoi(entry->d_name);
        // The kernel's command name is cut at 15 characters; the executable's own name is
        // better whenever it can be read.
        if (const auto path = processExecutablePath(process.pid))
            process.exeFileName = path->substr(path->rfind('/') + 1);
        else
            process.exeFileName = commandName(process.pid);
        entries.push_back(std::move(process));
    }
    ::closedir(proc);
    std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) { return a.pid < b.pid; });
    return entries;
}

std::optional<std::string> processExecutablePath(int pid)
{
    char buffer[PATH_MAX + 1];
    const std::string link = "/proc/" + std::to_string(pid) + "/exe";
    const ssize_t n = ::readlink(link.c_str(), buffer, PATH_MAX);
    if (n <= 0)
        return std::nullopt;
    return std::string(buffer, static_cast<size_t>(n));
}

ProcessHandle::~ProcessHandle()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

ProcessHandle::ProcessHandle(ProcessHandle&& other) noexcept
    : m_fd(std::exchange(other.m_fd, -1))
    , m_pid(std::exchange(other.m_pid, 0))
{ }

ProcessHandle& ProcessHandle::operator=(ProcessHandle&& other) noexcept
{
    if (this != &other) {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = std::exchange(other.m_fd, -1);
        m_pid = std::exchange(other.m_pid, 0);
    }
    return *this;
}

ProcessHandle openProcess(int pid, const std::string& expectedPath)
{
    const int fd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
    if (fd < 0)
        return {};
    // The id was read from the list a moment ago; make sure it still names the same program,
    // so the handle cannot have caught a newcomer that was given the id in between.
    if (processExecutablePath(pid) != expectedPath) {
        ::close(fd);
        return {};
    }
    return ProcessHandle(fd, pid);
}

bool terminateProcess(const ProcessHandle& handle)
{
    if (!handle.valid())
        return false;
    if (::syscall(SYS_pidfd_send_signal, handle.fd(), SIGKILL, nullptr, 0) != 0)
        return false;
    // The handle becomes readable when the process has ended.
    pollfd wait {handle.fd(), POLLIN, 0};
    int ready;
    do {
        ready = ::poll(&wait, 1, 3000);
    } while (ready < 0 && errno == EINTR);
    return true;
}

void enableTerminatePrivilege() { }

} // namespace platform
