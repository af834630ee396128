#pragma once

#include <QString>

// Ties the running program to its desktop entry: the entry's name becomes the window class
// (X11 WM_CLASS) and the Wayland app id, so the desktop shows the entry's name and icon for
// its windows, and the window icon comes from the same hicolor icons, bundled into the
// executable (":/icons/<entry>/<size>.png") so that a copied program folder keeps them.
// Call right after the application object is made, before any window exists.
void installDesktopIdentity(const QString& entryName);
