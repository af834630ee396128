#include "common/windows/qt_translations.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

bool installQtTranslations(const QLocale& locale)
{
    // Owned by the application, so it lives as long as the texts it translates.
    auto* translator = new QTranslator(qApp);
    // "qt" loads qtbase and the other modules' catalogues the system has.
    if (!translator->load(
            locale, QStringLiteral("qt"), QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}
