#include "common/windows/desktop_identity.h"

#include <QFile>
#include <QGuiApplication>
#include <QIcon>

void installDesktopIdentity(const QString& entryName)
{
    // The window class is the application name. Its default, the executable's name, would
    // change with a link of another name (a launcher in /usr/bin), so it is named here.
    QCoreApplication::setApplicationName(entryName);
    QGuiApplication::setDesktopFileName(entryName);

    QIcon icon;
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString file = QStringLiteral(":/icons/%1/%2.png").arg(entryName).arg(size);
        if (!QFile::exists(file))
            continue;
        icon.addFile(file, QSize(size, size));
    }
    if (!icon.isNull())
        QGuiApplication::setWindowIcon(icon);
}
