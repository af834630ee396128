#include "tests/e2e/program_processes.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <fstream>
#include <iterator>
#include <thread>

namespace fs = std::filesystem;

namespace program_processes {
namespace {

std::vector<int> allPids()
{
    std::vector<int> pids;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator("/proc", ec)) {
        const std::string name = entry.path().filename().string();
        if (!name.empty() && name.find_first_not_of("0123456789") == std::string::npos)
            pids.push_back(std::stoi(name));
    }
    return pids;
}

std::string stat(int pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// State letter and parent of a process from its stat line; the name in parentheses may
// hold blanks, so the fields are read after its closing parenthesis.
bool readStat(int pid, char& state, int& parent)
{
    const std::string line = stat(pid);
    const auto close = line.rfind(')');
    if (close == std::string::npos || close + 4 > line.size())
        return false;
    state = line[close + 2];
    parent = std::atoi(line.c_str() + close + 4);
    return true;
}

// The executable of a live process; "" for zombies and processes we may not look at.
std::string executable(int pid)
{
    std::error_code ec;
    std::string target = fs::read_symlink("/proc/" + std::to_string(pid) + "/exe", ec).string();
    const std::string deleted = " (deleted)";
    if (target.size() > deleted.size() && target.ends_with(deleted))
        target.erase(target.size() - deleted.size());
    return target;
}

std::string resolved(const fs::path& path)
{
    std::error_code ec;
    const fs::path real = fs::weakly_canonical(path, ec);
    return (ec ? path : real).string();
}

} // namespace

std::vector<int> runningFrom(const fs::path& folder)
{
    const std::string prefix = resolved(folder) + "/";
    std::vector<int> pids;
    for (int pid : allPids())
        if (executable(pid).starts_with(prefix) && alive(pid))
            pids.push_back(pid);
    return pids;
}

std::vector<int> running(const fs::path& executablePath)
{
    const std::string wanted = resolved(executablePath);
    std::vector<int> pids;
    for (int pid : allPids())
        if (executable(pid) == wanted && alive(pid))
            pids.push_back(pid);
    return pids;
}

bool alive(int pid)
{
    char state = 0;
    int parent = 0;
    return readStat(pid, state, parent) && state != 'Z' && state != 'X';
}

std::vector<std::string> arguments(int pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/cmdline");
    const std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<std::string> args;
    std::string::size_type start = 0;
    while (start < all.size()) {
        const auto end = all.find('\0', start);
        args.push_back(all.substr(start, end - start));
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return args;
}

} // namespace program_processes

FolderProcesses::FolderProcesses(fs::path folder)
    : m_folder(std::move(folder))
{ }

FolderProcesses::~FolderProcesses()
{
    endAll();
}

bool FolderProcesses::endAll()
{
    using namespace program_processes;
    // The roots and, generation by generation, every process they started.
    std::vector<int> tree = runningFrom(m_folder);
    for (std::size_t known = 0; known < tree.size();) {
        const std::size_t end = tree.size();
        for (int pid : allPids()) {
            char state = 0;
            int parent = 0;
            if (!readStat(pid, state, parent))
                continue;
            for (std::size_t i = known; i < end; ++i)
                if (parent == tree[i] && std::find(tree.begin(), tree.end(), pid) == tree.end())
                    tree.push_back(pid);
        }
        known = end;
    }
    for (int pid : tree)
        ::kill(pid, SIGTERM);
    const auto anyAlive = [&] { return std::any_of(tree.begin(), tree.end(), alive); };
    for (int waited = 0; waited < 5000 && anyAlive(); waited += 20)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    for (int pid : tree)
        if (alive(pid))
            ::kill(pid, SIGKILL);
    for (int waited = 0; waited < 2000 && anyAlive(); waited += 20)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    return !anyAlive();
}
