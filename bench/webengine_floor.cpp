// The floor of the portal shell's start-up benchmark: a bare Qt WebEngine view that loads
// one page, says so, and ends after the same settling time the shell's screenshot mode uses.
#include <QApplication>
#include <QTimer>
#include <QUrl>
#include <QWebEngineSettings>
#include <QWebEngineView>

#include <cstdio>

#include <unistd.h>

int main(int argc, char* argv[])
{
    if (geteuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: webengine_floor URL [--play]\n");
        return 2;
    }
    // --play: the floor of the video benchmark; the page plays as the shells let it, and the
    // view stays until it is ended.
    const bool play = argc > 2 && QByteArray(argv[2]) == "--play";
    QWebEngineView view;
    view.settings()->setAttribute(QWebEngineSettings::PlaybackRequiresUserGesture, !play);
    view.resize(804, 481);
    view.show();
    QObject::connect(&view, &QWebEngineView::loadFinished, &view, [&view, play](bool) {
        std::printf("page complete\n");
        std::fflush(stdout);
        if (!play)
            QTimer::singleShot(1500, &view, [] { QCoreApplication::exit(0); });
    });
    view.load(QUrl(QString::fromLocal8Bit(argv[1])));
    return QApplication::exec();
}
