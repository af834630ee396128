// Pallomar: the portal shell. Loading its main window is starting the program.
#include "BrowserPane.h"
#include "frmMain.h"
#include "qt_message_box.h"
#include "screenshot_on_load.h"

#include <QApplication>
#include <QTimer>

int main(int argc, char* argv[])
{
    BrowserPane::prepareEngine();
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
