// Pallomar: the portal shell. Loading its main window is starting the program.
#include "BrowserPane.h"
#include "ad_control_run.h"
#include "frmMain.h"
#include "qt_message_box.h"
#include "qt_translations.h"
#include "screenshot_on_load.h"
#include "unload_advert.h"

#include <QApplication>
#include <QTimer>

int main(int argc, char* argv[])
{
    BrowserPane::prepareEngine();
    QApplication app(argc, argv);
    installQtTranslations();
    installQtMessageBox();

    frmMain window;
    // The exit advertisement outlives the main window: the process ends when it closes too.
    UnloadAdvert exitAdvert(Shell::Portal, [&window] { return listItems(*window.List1); });
    window.setExitAdvert(&exitAdvert);
    window.show();
    QTimer::singleShot(0, &window, [&window] {
        window.Form_Load();
        saveScreenshotWhenLoaded(window, *window.WebBrowser1, "PALLOMAR_SCREENSHOT", "library page complete");
    });
    return QApplication::exec();
}
