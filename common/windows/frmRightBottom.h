#pragma once

#include "common/logic/ad_control.h"

#include <QWidget>

#include <optional>
#include <string>
#include <vector>

class AdCloseImage;
class BrowserPane;
class QTimer;

// The corner pop-up: a borderless tool window that takes no focus, showing the corner ad
// page. Its load places it flush with the right screen edge just below the work area; the
// slide timer then lifts it 13 twips per tick for 300 ticks. It closes on its close image
// and, in the portal shell, by its close timer. The TV shell calls the same window
// frmLeftRight; its close timer never runs.
class frmRightBottom final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmRightBottom)

public:
    // The window with its children, not yet loaded; `items` are those of List1.
    frmRightBottom(Shell shell, std::vector<std::string> items);
    ~frmRightBottom() override;

    // The load: navigates, sizes and places the window, starts the slide and shows the
    // window. Returns false, leaving the window hidden, when item 2 or 3 is missing or not
    // a size.
    bool Form_Load();

    QWidget* Picture1 = nullptr;
    BrowserPane* WebBrowser1 = nullptr;
    AdCloseImage* Picture2 = nullptr;
    QTimer* Timer1 = nullptr; // slide
    QTimer* Timer2 = nullptr; // close

    // The window's top on the screen in twips, and the ticks the slide has made.
    double topTwips() const;
    int tickCounter() const;

public slots:
    void Timer1_Timer();
    void Timer2_Timer();
    void Picture2_Click();

private:
    void placeAtTop();

    std::vector<std::string> m_items;
    QPoint m_screenOrigin;
    double m_leftTwips = 0;
    std::optional<ad_control::CornerSlide> m_slide;
};

// The TV shell's corner pop-up: the same window, named after the TV shell's table and
// without a close timer, so it stays until the user closes it.
using frmLeftRight = frmRightBottom;

// The run's "show the corner pop-up": a new window, loaded and shown, that deletes itself
// when closed; nullptr (and no window) when its load failed.
frmRightBottom* showCornerPopup(Shell shell, const std::vector<std::string>& items);
