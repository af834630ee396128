// The TV shell's mouse bridge under load: a page fires N "mouse://" navigations as fast as
// it can; the real main window cancels and reads them. Reports the share the shell handled
// and its cost per message on the user-interface thread. Figures to read, never asserted.
// Usage: tv_bridge_bench [--count N] [--engine-defaults]   (offscreen; default N = 10000)
//   --engine-defaults: the engine as it comes, with its cap on a page's navigations

#include "common/windows/BrowserPane.h"
#include "platform/program_folder.h"
#include "tests/support/temp_folder.h"
#include "tv/windows/TOVAN_COM.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QWebEnginePage>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>

namespace {

double threadCpuMs()
{
    timespec now {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

// Runs the event loop, sleeping while nothing happens, until `done` holds or the time is up.
bool runUntil(const std::function<bool()>& done, int timeoutMs)
{
    QEventLoop loop;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    check.start(2);
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    if (!done())
        loop.exec();
    return done();
}

QVariant evaluate(BrowserPane& pane, const QString& script)
{
    QVariant result;
    bool done = false;
    pane.Application()->runJavaScript(script, [&](const QVariant& value) {
        result = value;
        done = true;
    });
    runUntil([&] { return done; }, 10000);
    return result;
}

} // namespace

int main(int argc, char* argv[])
{
    int count = 10000;
    bool engineDefaults = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--count") == 0 && i + 1 < argc)
            count = std::atoi(argv[i + 1]);
        engineDefaults = engineDefaults || std::strcmp(argv[i], "--engine-defaults") == 0;
    }
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    ::setenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu", 0);
    if (engineDefaults)
        BrowserPane::prepareEngine();
    else
        TOVAN_COM::prepareEngine(); // as the program prepares it
    QApplication app(argc, argv);

    // A program folder of its own with the channel page the shell opens at start.
    TempFolder program;
    namespace fs = std::filesystem;
    fs::copy(fs::path(BENCH_PROGRAM_FOLDER) / "bin", program / "bin", fs::copy_options::recursive);
    program.write("bin/burst.html",
        "<html><body><script>"
        "function fire(n) { for (let i = 0; i < n; ++i) location.href = 'mouse://move|' + (i % 640) + '|' + "
        "(i * 7 % 480); return n; }"
        "</script></body></html>");
    platform::overrideProgramFolder(program.str());

    TOVAN_COM window;
    window.Form_Load();
    window.show();
    // Only the bridge runs: no update check or advertisement control during the burst.
    for (QTimer* timer : {window.Timer3, window.Timer4, window.Timer5, window.TimeAdControl})
        timer->stop();
    int handled = 0;
    QObject::connect(window.WebBrowser1, &BrowserPane::BeforeNavigate2, [&](const QString& url, bool* cancel) {
        handled += url.startsWith(QLatin1String("mouse://")) && *cancel ? 1 : 0;
    });
    window.WebBrowser1->Navigate(QString::fromStdString(program.str()) + QStringLiteral("/bin/burst.html"));
    const bool ready = runUntil(
        [&] {
            return window.WebBrowser1->LocationURL().endsWith(QLatin1String("burst.html"))
                && evaluate(*window.WebBrowser1, QStringLiteral("typeof document.body.onmousemove")).toString()
                == QLatin1String("function");
        },
        20000);
    if (!ready) {
        std::fprintf(stderr, "the page with the bridge did not load\n");
        return 1;
    }

    // The whole road: page script, engine, pane, shell handler.
    handled = 0;
    const double cpuBefore = threadCpuMs();
    QElapsedTimer wall;
    wall.start();
    window.WebBrowser1->Application()->runJavaScript(QStringLiteral("fire(%1)").arg(count));
    runUntil([&] { return handled >= count; }, 60000);
    const double wallMs = static_cast<double>(wall.elapsed());
    const double cpuMs = threadCpuMs() - cpuBefore;
    // Whatever is still on its way arrives within a moment.
    runUntil([] { return false; }, 500);

    // The shell's handler alone: cancel, read, toolbar.
    const QString address = QStringLiteral("mouse://move|123|45");
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < count; ++i) {
        bool cancel = false;
        window.WebBrowser1_BeforeNavigate2(i % 2 ? address : QStringLiteral("mouse://move|300|250"), &cancel);
    }
    const double handlerUs
        = std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count() / count;

    std::printf("messages fired:            %d\n", count);
    std::printf("handled by the shell:      %d (%.1f%%)\n", handled, 100.0 * handled / count);
    std::printf("wall time of the burst:    %.0f ms\n", wallMs);
    std::printf("UI thread per message:     %.1f us (CPU %.0f ms in all, handled messages only)\n",
        handled ? cpuMs * 1000.0 / handled : 0.0, cpuMs);
    std::printf("shell handler per message: %.2f us\n", handlerUs);
    window.close();
    return 0;
}
