#include "platform/program_start.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace platform {
namespace {

// Starts argv[0] detached: a short-lived intermediate child starts the program and exits,
// so the program is adopted by init and never left as a zombie. A close-on-exec pipe
// carries the errno of a failed exec back, so a missing program is reported as such.
bool spawnDetached(const std::vector<std::string>& args, bool searchPath)
{
    std::vector<char*> argv;
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);

    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0)
        return false;

    const pid_t child = ::fork();
    if (child < 0) {
        ::close(pipeFds[0]);
        ::close(pipeFds[1]);
        return false;
    }
    if (child == 0) {
        // Only async-signal-safe calls from here on.
        ::setsid();
        sigset_t none;
        sigemptyset(&none);
        sigprocmask(SIG_SETMASK, &none, nullptr);
        const pid_t grandchild = ::fork();
        if (grandchild == 0) {
            if (searchPath)
                ::execvp(argv[0], argv.data());
            else
                ::execve(argv[0], argv.data(), environ);
            const int error = errno;
            [[maybe_unused]] const ssize_t n = ::write(pipeFds[1], &error, sizeof error);
            ::_exit(127);
        }
        ::_exit(grandchild < 0 ? 1 : 0);
    }

    ::close(pipeFds[1]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) { }
    int execError = 0;
    ssize_t n;
    do {
        n = ::read(pipeFds[0], &execError, sizeof execError);
    } while (n < 0 && errno == EINTR);
    ::close(pipeFds[0]);
    const bool intermediateOk = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return intermediateOk && n == 0;
}

} // namespace

bool startProgram(const std::string& path)
{
    if (path.empty() || ::access(path.c_str(), X_OK) != 0)
        return false;
    return spawnDetached({path}, false);
}

bool openInSystemBrowser(const std::string& url)
{
    if (const char* browser = std::getenv("BROWSER"); browser && *browser)
        return spawnDetached({browser, url}, true);
    return spawnDetached({"xdg-open", url}, true);
}

} // namespace platform
