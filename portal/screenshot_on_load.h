#pragma once

class frmMain;

// When PALLOMAR_SCREENSHOT names a file: once the library page is complete, saves a picture
// of the main window there, prints its path and ends the program (runs without a display).
void saveScreenshotWhenLoaded(frmMain& window);
