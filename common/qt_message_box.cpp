#include "qt_message_box.h"

#include "message_box.h"

#include <QApplication>
#include <QMessageBox>

void installQtMessageBox()
{
    message_box::setHandler([](const std::string& caption, const std::string& text) {
        QMessageBox box(QMessageBox::NoIcon, QString::fromStdString(caption), QString::fromStdString(text),
            QMessageBox::Ok, QApplication::activeWindow());
        box.exec();
    });
}

platform::EventPump qtEventPump()
{
    return [] { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 5); };
}
