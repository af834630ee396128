#include "common/windows/qt_message_box.h"

#include "common/logic/message_box.h"

#include <QApplication>
#include <QGridLayout>
#include <QMessageBox>
#include <QSpacerItem>

namespace {

// A box as narrow as its text cuts its caption in the title bar ("T... 视"): a spacer as wide
// as the caption, with room for the window manager's icon and buttons, widens the box.
void keepCaptionWhole(QMessageBox& box)
{
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (!grid)
        return;
    // Title bars commonly draw their text bold.
    QFont titleFont = box.font();
    titleFont.setBold(true);
    const QFontMetrics metrics(titleFont);
    const int captionRoom = 160; // icon and three caption buttons of a common window manager
    const int width = metrics.horizontalAdvance(box.windowTitle()) + captionRoom;
    grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Fixed), grid->rowCount(), 0, 1,
        grid->columnCount());
}

void showBox(QMessageBox::Icon icon, const std::string& caption, const std::string& text)
{
    // The programs break lines the Windows way; a label shows CR LF as one line break.
    QString shown = QString::fromStdString(text);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QMessageBox box(icon, QString::fromStdString(caption), shown, QMessageBox::Ok, QApplication::activeWindow());
    // A message never ends the program: with the main window hidden in the tray, the box is
    // the only window on screen, and closing it must not take the program with it.
    box.setAttribute(Qt::WA_QuitOnClose, false);
    // A screen reader reads the message with the box's title as it opens.
    box.setAccessibleDescription(shown);
    keepCaptionWhole(box);
    box.exec();
}

QMessageBox::Icon qtIcon(message_box::Icon icon)
{
    switch (icon) {
    case message_box::Icon::Information:
        return QMessageBox::Information;
    case message_box::Icon::Error:
        return QMessageBox::Critical;
    case message_box::Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

void installQtMessageBox()
{
    message_box::setHandler(
        [](const std::string& caption, const std::string& text) { showBox(QMessageBox::NoIcon, caption, text); });
    message_box::setIconHandler([](message_box::Icon icon, const std::string& caption, const std::string& text) {
        showBox(qtIcon(icon), caption, text);
    });
}

platform::EventPump qtEventPump()
{
    return [] { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 5); };
}

RemoteFetch::Poster qtPoster()
{
    return [](std::function<void()> step) { QMetaObject::invokeMethod(qApp, std::move(step), Qt::QueuedConnection); };
}
