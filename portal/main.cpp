// Pallomar: the portal shell. Loading its main window is starting the program.
#include "BrowserPane.h"
#include "frmMain.h"
#include "qt_message_box.h"
#include "screenshot_on_load.h"

#include <QApplication>
#include <QTimer>

#include <unistd.h>

int main(int argc, char* argv[])
{
    // The engine's sandbox cannot run as root; the pages are the maker's own portal.
    if (geteuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    BrowserPane::registerSchemes();
    QApplication app(argc, argv);
    installQtMessageBox();

    frmMain window;
    window.show();
    QTimer::singleShot(0, &window, [&window] {
        window.Form_Load();
        saveScreenshotWhenLoaded(window);
    });
    return QApplication::exec();
}
