// Renovo, the updater: one window that fetches the server's file list, updates the files
// that changed and restarts the updated program.

#include "frmUpdate.h"
#include "program_folder.h"
#include "qt_message_box.h"
#include "qt_question_box.h"
#include "skin_engine.h"
#include "updater_texts.h"

#include <QApplication>
#include <QScreen>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    installQtMessageBox();
    installQtQuestionBox();

    const std::string folder = platform::programFolder();
    frmUpdate window([folder] { return skin_engine::attach(folder, folder + updater_texts::skinFile, std::string()); });
    if (!window.Form_Load())
        return 1;
    if (const QScreen* screen = window.screen())
        window.move(screen->availableGeometry().center() - window.rect().center());
    window.show();
    // Started by a shell that has just closed: take the input at once.
    window.activateWindow();
    return app.exec();
}
