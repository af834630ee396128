#pragma once

#include <QString>

class QWidget;

// The skin dialog: a file-open dialog over `folder` with `filter` that also takes the name of
// a file that does not exist, so that the shell, not the dialog, tells the user it is no skin.
// Returns the chosen full path, or an empty text when cancelled.
QString chooseSkinFile(QWidget* parent, const QString& filter, const QString& folder);
