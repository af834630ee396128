#pragma once

class BrowserPane;
class QWidget;

// When the environment variable `variable` names a file: once `pane`'s top page is complete,
// saves a picture of `window` there, prints "screenshot saved to FILE" and ends the program
// (runs without a display). It prints `completeLine` when the page completes, for scripts
// that time the start.
void saveScreenshotWhenLoaded(QWidget& window, BrowserPane& pane, const char* variable, const char* completeLine);
