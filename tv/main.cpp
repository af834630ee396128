// TovanTV: the network-TV shell. Loading its main window is starting the program.
#include "common/windows/ad_control_run.h"
#include "common/windows/desktop_identity.h"
#include "common/windows/qt_message_box.h"
#include "common/windows/qt_translations.h"
#include "common/windows/screenshot_on_load.h"
#include "common/windows/unload_advert.h"
#include "platform/display_platform.h"
#include "tv/windows/TOVAN_COM.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    TOVAN_COM::prepareEngine();
    platform::chooseDisplayPlatform();
    QApplication app(argc, argv);
    installDesktopIdentity(QStringLiteral(DESKTOP_ENTRY_NAME));
    installQtTranslations();
    installQtMessageBox();

    TOVAN_COM window;
    // The exit advertisement outlives the main window: the process ends when it closes too.
    UnloadAdvert exitAdvert(Shell::TV, [&window] { return listItems(*window.List1); });
    window.setExitAdvert(&exitAdvert);
    // A second copy has told the user and ends here, before its window or tray icon shows.
    if (!window.Form_Load())
        return 0;
    window.show();
    saveScreenshotWhenLoaded(window, *window.WebBrowser1, "TOVANTV_SCREENSHOT", "channel page complete");
    return QApplication::exec();
}
