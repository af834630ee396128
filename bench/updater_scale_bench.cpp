// Benchmark of the updater window with very long lists, on the offscreen platform against
// the local portal server (a separate process):
//   1. comparison: both lists hold the same N entries, so nothing is listed; the figure is
//      the list timer's tick (list fetch, both lists read and compared);
//   2. listing: the local list is empty and the server's names N new files, so the tick
//      asks the size of every one with a HEAD request and fills the list view;
//   3. keeping: the local list kept after an update of those two lists, a tenth of whose
//      files failed (no window, no server).
// Each prints its wall time, the peak memory of the process and, for the listing, the rate
// of rows per second along the way (a rate that falls shows work growing with the rows).
// With --digests every entry carries a Size and a Sha256, as a signed list does.
// Usage: updater_scale_bench [--entries N] [--max-seconds S] [--only compare|list|keep] [--digests 1]
//        updater_scale_bench --run compare|list|keep --entries N --host H --max-seconds S
//          (one measurement in a fresh process; prints its figures)

#include "common/logic/message_box.h"
#include "platform/program_folder.h"
#include "tests/support/child_process.h"
#include "tests/support/temp_folder.h"
#include "updater/logic/list_adoption.h"
#include "updater/windows/frmUpdate.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QLabel>
#include <QTimer>
#include <QTreeView>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

long statusKb(const std::string& field)
{
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.starts_with(field + ":"))
            return std::atol(line.c_str() + field.size() + 1);
    return -1;
}

bool withDigests = false;

std::string listXml(const std::string& url, int entries, const std::string& ver = "2")
{
    std::string xml = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<UpdateList>\n  <Url>" + url + "</Url>\n  <Files>\n";
    for (int i = 0; i < entries; ++i) {
        const std::string number = std::to_string(i);
        xml += "    <File Name=\"d" + std::to_string(i % 100) + "\\f" + number + ".dat\" Ver=\"" + ver + "\"";
        if (withDigests) // the file's own figures: "file N\n"
            xml += " Size=\"" + std::to_string(number.size() + 6) + "\" Sha256=\""
                + std::string(64 - number.size(), 'a') + number + "\"";
        xml += "/>\n";
    }
    return xml + "  </Files>\n  <RunApp>NotRunning.exe</RunApp>\n</UpdateList>\n";
}

// The kept list after an update from a list of `entries` files to the next release, a
// tenth of whose files failed.
int measureKeeping(int entries)
{
    std::string local = listXml("http://127.0.0.1/update/", entries, "1");
    std::string server = listXml("http://127.0.0.1/update/", entries, "2");
    std::vector<std::string> failed;
    for (int i = 0; i < entries; i += 10)
        failed.push_back("d" + std::to_string(i % 100) + "\\f" + std::to_string(i) + ".dat");
    const std::size_t bytes = server.size();
    const long startKb = statusKb("VmRSS");
    const auto start = Clock::now();
    const list_adoption::Adoption kept = list_adoption::adoptedList(std::move(server), std::move(local), failed);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    std::printf("%.3f %zu %ld %ld %s\n", seconds, bytes / 1024, startKb, statusKb("VmHWM"),
        kept.problem.empty() ? "kept" : "refused");
    return 0;
}

// One measurement in this process: the window's load and the list timer's tick.
int measure(const std::string& what, int entries, const std::string& host, int maxSeconds)
{
    TempFolder folder;
    platform::overrideProgramFolder(folder.str());
    const std::string base = "http://" + host + "/update/";
    folder.write("UpdList.xml", what == "compare" ? listXml(base, entries) : listXml(base, 0));
    frmUpdate window({});
    if (!window.Form_Load())
        return 1;
    window.show();
    const long startKb = statusKb("VmRSS");
    const auto start = Clock::now();
    // Samples of the rows listed, and a time limit that closes the window as a user would.
    int lastRows = 0;
    auto lastSample = start;
    QTimer sampler;
    QObject::connect(&sampler, &QTimer::timeout, [&] {
        const auto now = Clock::now();
        const int rows = window.lvUpdateList->model()->rowCount();
        const double seconds = std::chrono::duration<double>(now - start).count();
        std::fprintf(stderr, "  %6.1f s: %6d rows, %7.1f rows/s\n", seconds, rows,
            (rows - lastRows) / std::chrono::duration<double>(now - lastSample).count());
        lastRows = rows;
        lastSample = now;
        if (seconds > maxSeconds)
            window.close();
    });
    sampler.start(5000);
    window.tmrGetUpdateList_Timer();
    sampler.stop();
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    const int rows = window.lvUpdateList->model()->rowCount();
    std::printf("%.3f %d %ld %ld %s\n", seconds, rows, startKb, statusKb("VmHWM"),
        window.statusPanel->text().toUtf8().replace(' ', '_').constData());
    platform::overrideProgramFolder("");
    return 0;
}

void fillSite(const TempFolder& site, int entries, const std::string& base)
{
    for (int d = 0; d < 100; ++d)
        std::filesystem::create_directories(site / ("update/d" + std::to_string(d)));
    for (int i = 0; i < entries; ++i)
        std::ofstream(site / ("update/d" + std::to_string(i % 100) + "/f" + std::to_string(i) + ".dat"))
            << "file " << i << "\n";
    site.write("update/UpdList.xml", listXml(base, entries));
}

void run(const std::string& self, const std::string& what, int entries, const std::string& host, int maxSeconds)
{
    const std::string command = self + " --run " + what + " --entries " + std::to_string(entries) + " --host " + host
        + " --max-seconds " + std::to_string(maxSeconds) + (withDigests ? " --digests 1" : "");
    double seconds = 0;
    int rows = 0;
    long startKb = 0;
    long peakKb = 0;
    char status[512] = {};
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe || std::fscanf(pipe, "%lf %d %ld %ld %511s", &seconds, &rows, &startKb, &peakKb, status) != 5) {
        std::fprintf(stderr, "the %s run failed\n", what.c_str());
        std::exit(1);
    }
    ::pclose(pipe);
    if (what == "keep")
        std::printf("keep of %d entries (a list of %d KB): %.2f s, memory %ld KB before, peak %ld KB (+%.1f times the "
                    "list); %s\n",
            entries, rows, seconds, startKb, peakKb, double(peakKb - startKb) / rows, status);
    else
        std::printf("%s of %d entries: %.2f s, %d rows listed, memory %ld KB before, peak %ld KB; status %s\n",
            what.c_str(), entries, seconds, rows, startKb, peakKb, status);
}

} // namespace

int main(int argc, char** argv)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    int entries = 100000;
    int maxSeconds = 600;
    std::string only;
    std::string single;
    std::string host;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string arg = argv[i];
        const std::string value = argv[i + 1];
        if (arg == "--entries")
            entries = std::stoi(value);
        else if (arg == "--max-seconds")
            maxSeconds = std::stoi(value);
        else if (arg == "--only")
            only = value;
        else if (arg == "--run")
            single = value;
        else if (arg == "--host")
            host = value;
        else if (arg == "--digests")
            withDigests = value == "1";
    }
    if (single == "keep")
        return measureKeeping(entries);
    if (!single.empty()) {
        QApplication app(argc, argv);
        message_box::setHandler(
            [](const std::string&, const std::string& text) { std::fprintf(stderr, "message: %s\n", text.c_str()); });
        return measure(single, entries, host, maxSeconds);
    }

    const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    // Keeping needs neither the server nor its files.
    if (only == "keep") {
        run(self, "keep", entries, "-", maxSeconds);
        return 0;
    }
    TempFolder site;
    PortalSimProcess server({"--root", site.str()});
    fillSite(site, entries, server.url("/update/"));
    for (const char* what : {"compare", "list", "keep"})
        if (only.empty() || only == what)
            run(self, what, entries, server.host(), maxSeconds);
    return 0;
}
