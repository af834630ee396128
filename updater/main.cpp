// Renovo, the updater: one window that fetches the server's file list, updates the files
// that changed and restarts the updated program.

#include "common/logic/message_box.h"
#include "common/logic/self_update.h"
#include "common/windows/desktop_identity.h"
#include "common/windows/qt_message_box.h"
#include "common/windows/qt_translations.h"
#include "platform/display_platform.h"
#include "platform/program_folder.h"
#include "platform/skin_engine.h"
#include "updater/logic/updater_texts.h"
#include "updater/windows/frmUpdate.h"
#include "updater/windows/qt_question_box.h"

#include <QApplication>
#include <QScreen>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace {

int terminationPipe[2] = {-1, -1};

void onTermination(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(terminationPipe[1], &byte, 1);
}

// SIGTERM (a logout, a shutdown, kill) closes the window as the user would: a running
// update stops and leaves no temporary file behind. The signal only writes to a pipe; the
// window is closed from the event loop, which also runs while a transfer waits.
void closeOnTermination(QWidget& window)
{
    if (::pipe2(terminationPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    auto* notifier = new QSocketNotifier(terminationPipe[0], QSocketNotifier::Read, &window);
    QObject::connect(notifier, &QSocketNotifier::activated, &window, [&window] {
        char bytes[16];
        while (::read(terminationPipe[0], bytes, sizeof bytes) > 0) { }
        window.close();
    });
    struct sigaction action
    { };
    action.sa_handler = onTermination;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
}

} // namespace

int main(int argc, char** argv)
{
    platform::chooseDisplayPlatform();
    QApplication app(argc, argv);
    installDesktopIdentity(QStringLiteral(DESKTOP_ENTRY_NAME));
    installQtTranslations();
    installQtMessageBox();
    installQtQuestionBox();

    const std::string folder = platform::programFolder();
    // A folder it may not change is said so before anything is read, fetched or written.
    if (const std::string refusal = self_update::updaterRefusal(folder); !refusal.empty()) {
        std::fprintf(stderr, "Renovo: %s\n", refusal.c_str());
        message_box::show(updater_texts::programTitle, refusal);
        return platform::installation::mode() == platform::installation::Mode::System ? 0 : 1;
    }
    frmUpdate window([folder] { return skin_engine::attach(folder, folder + updater_texts::skinFile, std::string()); });
    closeOnTermination(window);
    if (!window.Form_Load())
        return 1;
    if (const QScreen* screen = window.screen())
        window.move(screen->availableGeometry().center() - window.rect().center());
    window.show();
    // Started by a shell that has just closed: take the input at once.
    window.activateWindow();
    return app.exec();
}
