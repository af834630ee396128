// Benchmark of the updater's download road against the local portal server (a separate
// process, as a real server would be):
//   1. updating 100 files of 1 MB (list fetch, HEAD per file, GET per file, replacement)
//      against the curl tool fetching the same files one after another, and with a list
//      that gives every file's Size and Sha256, so that each download is verified;
//   2. the peak memory of updating one large file, above the idle updater that has just
//      compared the lists, for a small and a large file.
// Usage: updater_bench [--files N] [--size-mb M] [--big-mb B] [--runs R] [--curl 0]
//        updater_bench --memory MB   (one measurement in this process; prints its figures)

#include "common/logic/message_box.h"
#include "platform/program_folder.h"
#include "tests/support/child_process.h"
#include "tests/support/temp_folder.h"
#include "updater/logic/UpdaterSession.h"
#include "updater/logic/file_digest.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

// Processor seconds (user and system) of this process or of its ended children.
double cpuSeconds(int who)
{
    rusage usage {};
    ::getrusage(who, &usage);
    const auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// The updater window reduced to what the road needs, without a display.
class BenchView : public UpdateView
{
public:
    std::string status;
    std::vector<std::vector<std::string>> rows;

    void setStatusText(const std::string& text) override { status = text; }
    void setButtonCaption(UpdaterButton, const std::string&) override { }
    void setButtonEnabled(UpdaterButton, bool) override { }
    void setButtonVisible(UpdaterButton, bool) override { }
    void stopListTimer() override { }
    void clearRows() override { rows.clear(); }
    int addRow(const std::string& name, const std::string& ver) override
    {
        rows.push_back({name, ver, "", "", ""});
        return static_cast<int>(rows.size()) - 1;
    }
    int rowCount() const override { return static_cast<int>(rows.size()); }
    std::string cellText(int row, int column) const override { return rows.at(row).at(column); }
    void setCellText(int row, int column, const std::string& text) override { rows.at(row).at(column) = text; }
    void setProgressVisible(bool) override { }
    void setProgressValue(int) override { }
    void processEvents() override { }
    void closeWindow() override { }
};

// `digest` (Size and Sha256 attributes) is added to every file's entry when not empty.
std::string listXml(const std::string& url, int files, const std::string& ver, const std::string& digest = "")
{
    std::string xml = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<UpdateList>\n  <Url>" + url + "</Url>\n  <Files>\n";
    for (int i = 0; i < files; ++i)
        xml += "    <File Name=\"f" + std::to_string(i) + ".dat\" Ver=\"" + ver + "\"" + digest + "/>\n";
    return xml + "  </Files>\n  <RunApp>NotRunning.exe</RunApp>\n</UpdateList>\n";
}

// A site with `files` files of `bytes` each under /update/, and its list; under /digests/
// the same files with a list that gives their sizes and digests.
void fillSite(const TempFolder& site, int files, long long bytes, const std::string& base)
{
    std::string content(static_cast<std::size_t>(std::min<long long>(bytes, 1 << 20)), '\0');
    for (std::size_t i = 0; i < content.size(); ++i)
        content[i] = static_cast<char>(i * 131 % 251);
    std::filesystem::create_directories(site / "update");
    for (int i = 0; i < files; ++i) {
        std::ofstream out(site / ("update/f" + std::to_string(i) + ".dat"), std::ios::binary);
        for (long long written = 0; written < bytes; written += static_cast<long long>(content.size()))
            out.write(
                content.data(), static_cast<std::streamsize>(std::min<long long>(content.size(), bytes - written)));
    }
    site.write("update/UpdList.xml", listXml(base, files, "2"));
    // Every file holds the same bytes.
    const std::string first = site.read("update/f0.dat");
    const std::string digest = " Size=\"" + std::to_string(first.size()) + "\" Sha256=\""
        + file_digest::toHex(file_digest::sha256(first)) + "\"";
    std::filesystem::create_directories(site / "digests");
    for (int i = 0; i < files; ++i) {
        const std::string name = "f" + std::to_string(i) + ".dat";
        std::filesystem::create_hard_link(site / ("update/" + name), site / ("digests/" + name));
    }
    const std::string digestsBase = base.substr(0, base.rfind("/update/")) + "/digests/";
    site.write("digests/UpdList.xml", listXml(digestsBase, files, "2", digest));
}

struct UpdaterTimes
{
    double listSeconds = 0; // load and list timer: the list fetch and a HEAD per file
    double updateSeconds = 0; // update button: a GET per file and the replacement
    double total() const { return listSeconds + updateSeconds; }
};

// One updater run in a fresh program folder: load, list timer, update button.
UpdaterTimes updaterSeconds(const std::string& base, int files)
{
    TempFolder folder;
    platform::overrideProgramFolder(folder.str());
    folder.write("UpdList.xml", listXml(base, 0, "1"));
    BenchView view;
    UpdaterSession session(view, [] {});
    const auto start = Clock::now();
    session.Form_Load();
    session.tmrGetUpdateList_Timer();
    const auto listed = Clock::now();
    session.cmdUpdate_Click();
    const UpdaterTimes times {std::chrono::duration<double>(listed - start).count(),
        std::chrono::duration<double>(Clock::now() - listed).count()};
    platform::overrideProgramFolder("");
    if (view.status != "更新完成！" || view.rowCount() != files) {
        std::fprintf(stderr, "updater run failed: %s\n", view.status.c_str());
        std::exit(1);
    }
    return times;
}

int runCommand(const std::vector<std::string>& args)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        std::vector<char*> argv;
        for (const std::string& arg : args)
            argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        ::execvp(argv[0], argv.data());
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

enum class CurlRoad { ProcessPerFile, OneProcess, OneProcessWithHeads };

// curl fetching the files one after another: one curl process per file; one curl process
// fetching all of them over one connection; and one process making the updater's requests
// (a HEAD of every file, then a GET of every file).
double curlSeconds(const std::string& base, int files, CurlRoad road)
{
    TempFolder folder;
    const auto start = Clock::now();
    if (road != CurlRoad::ProcessPerFile) {
        std::vector<std::string> args {"curl", "-sSf"};
        if (road == CurlRoad::OneProcessWithHeads) {
            args.push_back("-I");
            for (int i = 0; i < files; ++i)
                args.insert(args.end(), {"-o", "/dev/null", base + "f" + std::to_string(i) + ".dat"});
            args.insert(args.end(), {"--next", "-sSf"});
        }
        for (int i = 0; i < files; ++i) {
            const std::string name = "f" + std::to_string(i) + ".dat";
            args.insert(args.end(), {"-o", (folder / name).string(), base + name});
        }
        if (runCommand(args) != 0)
            std::exit(1);
    } else {
        for (int i = 0; i < files; ++i) {
            const std::string name = "f" + std::to_string(i) + ".dat";
            if (runCommand({"curl", "-sSf", "-o", (folder / name).string(), base + name}) != 0)
                std::exit(1);
        }
    }
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

long statusKb(const std::string& field)
{
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.starts_with(field + ":"))
            return std::atol(line.c_str() + field.size() + 1);
    return -1;
}

// In a fresh process: the list compared (the idle updater), then the update of one file.
int measureMemory(const std::string& base, long long megabytes)
{
    TempFolder folder;
    platform::overrideProgramFolder(folder.str());
    folder.write("UpdList.xml", listXml(base, 0, "1"));
    BenchView view;
    UpdaterSession session(view, [] {});
    session.Form_Load();
    session.tmrGetUpdateList_Timer();
    const long idleKb = statusKb("VmRSS");
    // Start the peak over from here ("5" resets the high-water mark).
    std::ofstream("/proc/self/clear_refs") << "5";
    session.cmdUpdate_Click();
    const long peakKb = statusKb("VmHWM");
    const bool whole = view.status == "更新完成！"
        && std::filesystem::file_size(folder / "f0.dat") == static_cast<std::uintmax_t>(megabytes) << 20;
    std::printf("%ld %ld %d\n", idleKb, peakKb, whole ? 1 : 0);
    platform::overrideProgramFolder("");
    return whole ? 0 : 1;
}

struct MemoryFigures
{
    long idleKb = 0;
    long peakKb = 0;
};

MemoryFigures memoryOf(const std::string& self, const std::string& host, long long megabytes)
{
    const std::string command = self + " --memory " + std::to_string(megabytes) + " --host " + host;
    MemoryFigures figures;
    int whole = 0;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        if (std::fscanf(pipe, "%ld %ld %d", &figures.idleKb, &figures.peakKb, &whole) != 3)
            whole = 0;
        ::pclose(pipe);
    }
    if (!whole) {
        std::fprintf(stderr, "the memory run of %lld MB failed\n", megabytes);
        std::exit(1);
    }
    return figures;
}

} // namespace

int main(int argc, char** argv)
{
    int files = 100;
    long long sizeMb = 1;
    long long bigMb = 500;
    int runs = 3;
    long long memoryMb = 0;
    bool withCurl = true;
    std::string host;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string arg = argv[i];
        const std::string value = argv[i + 1];
        if (arg == "--files")
            files = std::stoi(value);
        else if (arg == "--size-mb")
            sizeMb = std::stoll(value);
        else if (arg == "--big-mb")
            bigMb = std::stoll(value);
        else if (arg == "--runs")
            runs = std::stoi(value);
        else if (arg == "--memory")
            memoryMb = std::stoll(value);
        else if (arg == "--host")
            host = value;
        else if (arg == "--curl")
            withCurl = value != "0";
    }
    message_box::setHandler(
        [](const std::string&, const std::string& text) { std::fprintf(stderr, "message: %s\n", text.c_str()); });
    if (memoryMb > 0)
        return measureMemory("http://" + host + "/update/", memoryMb);

    {
        TempFolder site;
        PortalSimProcess server({"--root", site.str()});
        const std::string base = server.url("/update/");
        fillSite(site, files, sizeMb << 20, base);
        std::vector<double> updater;
        std::vector<double> listing;
        std::vector<double> updating;
        std::vector<double> curlEach;
        std::vector<double> curlOne;
        std::vector<double> curlHeads;
        std::vector<double> updaterCpu;
        std::vector<double> curlOneCpu;
        std::vector<double> verified;
        for (int run = 0; run < runs; ++run) {
            // The verified road goes first in every other run: what one run leaves the disk to
            // write must not always slow the same road.
            if (run % 2 == 0)
                verified.push_back(updaterSeconds(server.url("/digests/"), files).total());
            const double selfBefore = cpuSeconds(RUSAGE_SELF);
            const UpdaterTimes times = updaterSeconds(base, files);
            updaterCpu.push_back(cpuSeconds(RUSAGE_SELF) - selfBefore);
            if (run % 2 == 1)
                verified.push_back(updaterSeconds(server.url("/digests/"), files).total());
            updater.push_back(times.total());
            listing.push_back(times.listSeconds);
            updating.push_back(times.updateSeconds);
            if (!withCurl)
                continue;
            const double childrenBefore = cpuSeconds(RUSAGE_CHILDREN);
            curlOne.push_back(curlSeconds(base, files, CurlRoad::OneProcess));
            curlOneCpu.push_back(cpuSeconds(RUSAGE_CHILDREN) - childrenBefore);
            curlEach.push_back(curlSeconds(base, files, CurlRoad::ProcessPerFile));
            curlHeads.push_back(curlSeconds(base, files, CurlRoad::OneProcessWithHeads));
        }
        std::printf("%d files of %lld MB, median of %d runs:\n", files, sizeMb, runs);
        std::printf("  updater (list, HEADs, GETs, replacement) %8.3f s\n", median(updater));
        std::printf("    of which list fetch and HEADs          %8.3f s\n", median(listing));
        std::printf("    of which GETs and replacement          %8.3f s\n", median(updating));
        std::printf("  updater, list with Size and Sha256       %8.3f s  (verifying adds %.1f %%)\n", median(verified),
            (median(verified) / median(updater) - 1) * 100);
        if (!withCurl)
            return 0;
        std::printf("  curl, one process for all files          %8.3f s  (updater / curl = %.2f)\n", median(curlOne),
            median(updater) / median(curlOne));
        std::printf("  curl, one process, HEADs then GETs       %8.3f s  (updater / curl = %.2f)\n", median(curlHeads),
            median(updater) / median(curlHeads));
        std::printf(
            "  processor time: updater %.3f s, curl one process %.3f s\n", median(updaterCpu), median(curlOneCpu));
        std::printf("  curl, one process per file               %8.3f s  (updater / curl = %.2f)\n", median(curlEach),
            median(updater) / median(curlEach));
    }

    const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    for (const long long megabytes : {10LL, bigMb}) {
        TempFolder site;
        PortalSimProcess server({"--root", site.str()});
        fillSite(site, 1, megabytes << 20, server.url("/update/"));
        const MemoryFigures figures = memoryOf(self, server.host(), megabytes);
        std::printf("one file of %lld MB: idle updater %ld KB, peak while updating %ld KB (+%ld KB)\n", megabytes,
            figures.idleKb, figures.peakKb, figures.peakKb - figures.idleKb);
    }
    return 0;
}
