// The floor of the portal shell's start-up benchmark: a bare Qt WebEngine view that loads
// one page, says so, and ends after the same settling time the shell's screenshot mode uses.
#include <QApplication>
#include <QTimer>
#include <QUrl>
#include <QWebEngineView>

#include <cstdio>

#include <unistd.h>

int main(int argc, char* argv[])
{
    if (geteuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: webengine_floor URL\n");
        return 2;
    }
    QWebEngineView view;
    view.resize(804, 481);
    view.show();
    QObject::connect(&view, &QWebEngineView::loadFinished, &view, [&view](bool) {
        std::printf("page complete\n");
        std::fflush(stdout);
        QTimer::singleShot(1500, &view, [] { QCoreApplication::exit(0); });
    });
    view.load(QUrl(QString::fromLocal8Bit(argv[1])));
    return QApplication::exec();
}
