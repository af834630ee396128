#include "common/windows/screenshot_on_load.h"

#include "common/windows/BrowserPane.h"

#include <QApplication>
#include <QPainter>
#include <QTimer>
#include <QWebEnginePage>
#include <QWidget>

#include <cstdio>
#include <memory>

namespace {

constexpr int kSettleMs = 1500; // let the page paint after it completed
constexpr int kGiveUpMs = 60000;

void saveAndQuit(QWidget& window, const QString& path)
{
    // The picture shows what the desktop shows: nothing outside the window's shape.
    QImage shot = window.grab().toImage().convertToFormat(QImage::Format_ARGB32);
    if (!window.mask().isEmpty()) {
        QPainter painter(&shot);
        painter.setCompositionMode(QPainter::CompositionMode_Clear);
        painter.setClipRegion(QRegion(window.rect()).subtracted(window.mask()));
        painter.fillRect(window.rect(), Qt::transparent);
    }
    const bool saved = shot.save(path, "PNG");
    std::printf(saved ? "screenshot saved to %s\n" : "could not save the screenshot to %s\n", qPrintable(path));
    std::fflush(stdout);
    window.close();
    QCoreApplication::exit(saved ? 0 : 1);
}

} // namespace

void saveScreenshotWhenLoaded(QWidget& window, BrowserPane& pane, const char* variable, const char* completeLine)
{
    const QString path = qEnvironmentVariable(variable);
    if (path.isEmpty())
        return;
    // VARIABLE_DELAY_MS waits longer, for a picture of what a page does after it loaded
    // (the demo's playing video).
    bool delayGiven = false;
    const int delay = qEnvironmentVariableIntValue((QByteArray(variable) + "_DELAY_MS").constData(), &delayGiven);
    const int settleMs = delayGiven && delay > 0 ? delay : kSettleMs;
    auto taken = std::make_shared<bool>(false);
    auto take = [&window, path, taken] {
        if (*taken)
            return;
        *taken = true;
        saveAndQuit(window, path);
    };
    const QByteArray line(completeLine);
    QObject::connect(&pane, &BrowserPane::DocumentComplete, &window,
        [&window, &pane, take, line, settleMs](BrowserPane::BrowserObject browser, const QString&) {
            if (browser != pane.Application())
                return;
            // Told at once, so that a caller can time the start-up.
            std::printf("%s\n", line.constData());
            std::fflush(stdout);
            QTimer::singleShot(settleMs, &window, take);
        });
    // A page that never completes still gives a picture of what the user would see.
    QTimer::singleShot(kGiveUpMs + settleMs, &window, take);
}
