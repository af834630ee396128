#include "updater/windows/qt_question_box.h"

#include "common/logic/message_box.h"

#include <QApplication>
#include <QMessageBox>

void installQtQuestionBox()
{
    message_box::setQuestionHandler([](const std::string& caption, const std::string& text) {
        QMessageBox box(QMessageBox::Question, QString::fromStdString(caption), QString::fromStdString(text),
            QMessageBox::Yes | QMessageBox::No, QApplication::activeWindow());
        box.setDefaultButton(QMessageBox::No);
        return box.exec() == QMessageBox::Yes ? message_box::Answer::Yes : message_box::Answer::No;
    });
}
