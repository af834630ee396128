#include "tv/windows/skin_dialog.h"

#include <QFileDialog>

QString chooseSkinFile(QWidget* parent, const QString& filter, const QString& folder)
{
    QFileDialog dialog(parent, QStringLiteral("打开"), folder, filter);
    dialog.setObjectName(QStringLiteral("CommonDialog1"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    // An existing-file dialog answers a missing name with its own "File not found." and never
    // returns it; any name is what the skin choice expects.
    dialog.setFileMode(QFileDialog::AnyFile);
    // The same dialog on every desktop: a platform dialog may refuse missing names itself.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}
