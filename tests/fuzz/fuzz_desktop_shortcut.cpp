// The desktop shortcut writer: for any program folder the entry written is one the desktop's
// own validator accepts and whose "Path" gives the folder back, or nothing is written and a
// reason is given.
// Input: the program folder's path, as bytes.

#include "tv/logic/desktop_shortcut.h"

#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <spawn.h>
#include <string>
#include <sys/wait.h>

namespace fs = std::filesystem;

extern char** environ;

namespace {

const fs::path& scratch()
{
    static const fs::path folder = [] {
        std::string pattern = (fs::temp_directory_path() / "fuzz-desktop-shortcut-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            std::abort();
        return fs::path(pattern);
    }();
    return folder;
}

bool validates(const fs::path& entry)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    std::string program = "/usr/bin/desktop-file-validate";
    std::string file = entry.string();
    char* argv[] = {program.data(), file.data(), nullptr};
    pid_t pid = -1;
    const int rc = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0)
        std::abort(); // tools/setup.sh installs desktop-file-utils
    int status = -1;
    return ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// The value of `key`, its string escapes undone.
std::string valueOf(const std::string& entry, const std::string& key)
{
    const std::size_t start = entry.find("\n" + key + "=");
    if (start == std::string::npos)
        std::abort();
    const std::size_t from = start + key.size() + 2;
    const std::string raw = entry.substr(from, entry.find('\n', from) - from);
    std::string value;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] != '\\' || i + 1 == raw.size()) {
            value += raw[i];
            continue;
        }
        const char next = raw[++i];
        value += next == 'n' ? '\n' : next == 't' ? '\t' : next == 'r' ? '\r' : next == 's' ? ' ' : next;
    }
    return value;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > 1024)
        return 0;
    const std::string programFolder(reinterpret_cast<const char*>(data), size);
    const fs::path desktop = scratch() / "Desktop";
    const fs::path entry = desktop / desktop_shortcut::fileName;
    std::error_code ec;
    fs::remove(entry, ec);

    const desktop_shortcut::Outcome outcome = desktop_shortcut::create(desktop.string(), programFolder);
    if (!outcome.made) {
        if (fs::exists(entry) || outcome.reason.empty())
            std::abort();
        return 0;
    }
    std::ifstream in(entry, std::ios::binary);
    const std::string text {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (valueOf(text, "Path") != programFolder || !validates(entry))
        std::abort();
    return 0;
}
