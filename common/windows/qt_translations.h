#pragma once

#include <QLocale>

// Loads the toolkit's own translations (buttons, file dialog) for the system's locale, so a
// Chinese system shows Chinese buttons beside the programs' Chinese texts. Needs the
// QApplication; a locale without translations keeps the English texts. True when loaded.
bool installQtTranslations(const QLocale& locale = QLocale::system());
