// Start-up benchmark of the portal shell: time from process start to the first library
// page complete, and resident memory of the whole process tree at that moment, against a
// bare Qt WebEngine view loading the same page. Figures to read, never asserted.
// Usage: portal_startup_bench [--runs N]

#include "tests/support/child_process.h"
#include "tests/support/temp_folder.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Sample
{
    double ms = 0;
    double rssMb = 0;
};

// Parent of every process, from /proc.
std::map<int, int> parents()
{
    std::map<int, int> result;
    DIR* proc = opendir("/proc");
    if (!proc)
        return result;
    while (dirent* entry = readdir(proc)) {
        const int pid = std::atoi(entry->d_name);
        if (pid <= 0)
            continue;
        std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
        std::string line;
        std::getline(stat, line);
        const auto close = line.rfind(')');
        if (close == std::string::npos)
            continue;
        std::istringstream rest(line.substr(close + 2));
        char state = 0;
        int ppid = 0;
        rest >> state >> ppid;
        result[pid] = ppid;
    }
    closedir(proc);
    return result;
}

double rssKb(int pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string key;
    while (status >> key) {
        if (key == "VmRSS:") {
            double kb = 0;
            status >> kb;
            return kb;
        }
        status.ignore(4096, '\n');
    }
    return 0;
}

// Resident memory of a process and all its descendants (the engine's helper processes).
double treeRssMb(int root)
{
    const auto parent = parents();
    std::vector<int> tree {root};
    for (std::size_t i = 0; i < tree.size(); ++i)
        for (const auto& [pid, ppid] : parent)
            if (ppid == tree[i])
                tree.push_back(pid);
    double kb = 0;
    for (int pid : tree)
        kb += rssKb(pid);
    return kb / 1024.0;
}

Sample run(const std::string& program,
    const std::vector<std::string>& args,
    const std::vector<std::string>& env,
    const std::string& readyLine)
{
    const auto start = Clock::now();
    ChildProcess child(program, args, env);
    Sample sample;
    for (std::string line = child.readLine(60000);; line = child.readLine(60000)) {
        if (line == readyLine) {
            sample.ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
            sample.rssMb = treeRssMb(child.pid());
            break;
        }
        if (line.empty()) {
            std::fprintf(stderr, "%s never reported its page\n", program.c_str());
            std::exit(1);
        }
    }
    child.wait(30000);
    return sample;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char* argv[])
{
    int runs = 5;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::string(argv[i]) == "--runs")
            runs = std::max(1, std::atoi(argv[i + 1]));

    PortalSimProcess sim;
    const std::string host = sim.host();
    TempFolder scratch;
    const std::vector<std::string> env {"QT_QPA_PLATFORM=offscreen", "PORTAL_PRIMARY_SERVER=" + host,
        "FILM_MIRROR_SERVER=" + host, "PORTAL_BACKUP_SERVER=" + host, "FILM_BACKUP_SERVER=" + host,
        "TV_SITE_SERVER=" + host, "PALLOMAR_SCREENSHOT=" + (scratch / "shot.png").string()};

    std::vector<double> shellMs, shellMb, floorMs, floorMb;
    for (int i = 0; i < runs; ++i) {
        const Sample shell = run(PALLOMAR_PROGRAM, {}, env, "library page complete");
        const Sample floor = run(FLOOR_PROGRAM, {sim.url("/box")}, env, "page complete");
        shellMs.push_back(shell.ms);
        shellMb.push_back(shell.rssMb);
        floorMs.push_back(floor.ms);
        floorMb.push_back(floor.rssMb);
        std::printf("run %d: shell %.0f ms %.0f MB, floor %.0f ms %.0f MB\n", i + 1, shell.ms, shell.rssMb, floor.ms,
            floor.rssMb);
    }
    const double ms = median(shellMs), mb = median(shellMb), fms = median(floorMs), fmb = median(floorMb);
    std::printf("median start-up to library page complete: shell %.0f ms, floor %.0f ms, ratio %.2f (target <= 1.3)\n",
        ms, fms, ms / fms);
    std::printf(
        "median resident memory of the process tree: shell %.0f MB, floor %.0f MB, ratio %.2f (target <= 1.5)\n", mb,
        fmb, mb / fmb);
    return 0;
}
