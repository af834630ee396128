#pragma once

#include <filesystem>
#include <string>
#include <vector>

// Processes that the programs under test start detached, found through /proc.
namespace program_processes {

// Live processes (not zombies) whose executable lies in `folder` (any depth).
std::vector<int> runningFrom(const std::filesystem::path& folder);
// Live processes whose executable is exactly `executable`.
std::vector<int> running(const std::filesystem::path& executable);
bool alive(int pid);
// The process's arguments, its own name first.
std::vector<std::string> arguments(int pid);

} // namespace program_processes

// Ends, when it goes, every process running a program from `folder` and everything those
// processes started (the browser engine's helpers of a shell, for one): SIGTERM, then
// SIGKILL for what is still alive after a while.
class FolderProcesses
{
public:
    explicit FolderProcesses(std::filesystem::path folder);
    ~FolderProcesses();
    FolderProcesses(const FolderProcesses&) = delete;
    FolderProcesses& operator=(const FolderProcesses&) = delete;

    // Ends them now; true when none was left alive.
    bool endAll();

private:
    std::filesystem::path m_folder;
};
