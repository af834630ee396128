#pragma once

#include <string>
#include <vector>

// A real child process whose standard output a test reads line by line. Ended (SIGTERM,
// then SIGKILL) and reaped when the object goes.
class ChildProcess
{
public:
    ChildProcess(const std::string& program,
        const std::vector<std::string>& args,
        const std::vector<std::string>& extraEnvironment = {});
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool started() const { return m_pid > 0; }
    int pid() const { return m_pid; }
    // The next line of output without its line feed; empty at the end or after `timeoutMs`.
    std::string readLine(int timeoutMs = 10000);
    // Everything the process writes until it closes its output (or `timeoutMs` passes),
    // after what readLine() has taken.
    std::string readAll(int timeoutMs = 10000);
    // Waits for the process to end; returns its exit status, or -1 on time-out.
    int wait(int timeoutMs = 10000);

private:
    int m_pid = -1;
    int m_out = -1;
    std::string m_pending;
    bool m_reaped = false;
};

// The local portal server program on a free port.
class PortalSimProcess
{
public:
    explicit PortalSimProcess(std::vector<std::string> args = {});
    const std::string& firstLine() const { return m_firstLine; }
    // "127.0.0.1:PORT"
    std::string host() const;
    std::string url(const std::string& path) const { return "http://" + host() + path; }

private:
    ChildProcess m_process;
    std::string m_firstLine;
};
