#pragma once

#include <optional>
#include <string>
#include <vector>

namespace platform {

// One entry of the running-process list.
struct ProcessEntry
{
    int pid = 0;
    // The executable's file name (no folder), as the process list reports it.
    std::string exeFileName;
};

// Every running process, in the platform's list order (here: ascending process id).
std::vector<ProcessEntry> listProcesses();

// The main executable's full path of a process; nothing when it cannot be read (the process
// has gone or belongs to another user).
std::optional<std::string> processExecutablePath(int pid);

// A handle to one process that stays bound to it: when the process ends and its id is
// given to another, the handle still refers to the ended one and never reaches the new.
// Move-only; closed when it goes.
class ProcessHandle
{
public:
    ProcessHandle() = default;
    ProcessHandle(int fd, int pid)
        : m_fd(fd)
        , m_pid(pid)
    { }
    ~ProcessHandle();
    ProcessHandle(ProcessHandle&& other) noexcept;
    ProcessHandle& operator=(ProcessHandle&& other) noexcept;
    ProcessHandle(const ProcessHandle&) = delete;
    ProcessHandle& operator=(const ProcessHandle&) = delete;

    bool valid() const { return m_fd >= 0; }
    // The handle as a number greater than 0, or 0 when the handle is empty.
    int value() const { return m_fd >= 0 ? m_fd + 1 : 0; }
    int pid() const { return m_pid; }
    int fd() const { return m_fd; }

private:
    int m_fd = -1;
    int m_pid = 0;
};

// Opens a handle to the process `pid` whose executable is `expectedPath`; an empty handle
// when it has gone, or when its id now belongs to a process with another executable.
ProcessHandle openProcess(int pid, const std::string& expectedPath);

// Ends the process behind the handle at once and waits a moment for it to be gone, so its
// files are free. True when the process was ended.
bool terminateProcess(const ProcessHandle& handle);

// Grants the updater the right to end processes where the platform has such a privilege.
// Processes of the same user need none here, and others cannot be reached at run time.
void enableTerminatePrivilege();

} // namespace platform
