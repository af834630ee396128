// Pallomar: the portal shell. Loading its main window is starting the program.
#include "common/windows/BrowserPane.h"
#include "common/windows/ad_control_run.h"
#include "common/windows/desktop_identity.h"
#include "common/windows/qt_message_box.h"
#include "common/windows/qt_translations.h"
#include "common/windows/screenshot_on_load.h"
#include "common/windows/unload_advert.h"
#include "platform/display_platform.h"
#include "portal/windows/frmMain.h"

#include <QApplication>
#include <QTimer>

int main(int argc, char* argv[])
{
    BrowserPane::prepareEngine();
    platform::chooseDisplayPlatform();
    QApplication app(argc, argv);
    installDesktopIdentity(QStringLiteral(DESKTOP_ENTRY_NAME));
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
