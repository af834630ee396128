#pragma once

#include "common/logic/remote_fetch.h"

#include <QWidget>

#include <string>
#include <vector>

class AdCloseImage;
class BrowserPane;
class QTimer;

// The exit pop-up: a borderless window centred on the screen showing the exit ad page,
// shown when the main window closes. It closes on its close image or 25 seconds after its
// load.
class frmUnload final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmUnload)

public:
    // The window with its children, not yet loaded; `items` are those of List1.
    frmUnload(Shell shell, std::vector<std::string> items);
    ~frmUnload() override;

    // The load: navigates, sizes the window and places its parts, starts the close timer.
    // Returns false, with the timer not started, when item 4 or 5 is missing or not a size.
    bool Form_Load();

    AdCloseImage* Picture2 = nullptr;
    QWidget* Picture1 = nullptr;
    BrowserPane* WebBrowser1 = nullptr;
    QTimer* Timer1 = nullptr; // close

public slots:
    void Timer1_Timer();
    void Picture2_Click();

private:
    std::vector<std::string> m_items;
};

// Shows the exit pop-up non-modal and without owner, centred on the screen: a new window,
// loaded and shown, that deletes itself when closed; nullptr (and no window) when its load
// failed.
frmUnload* showExitPopup(Shell shell, const std::vector<std::string>& items);
