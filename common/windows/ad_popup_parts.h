#pragma once

#include "common/logic/ad_control.h"
#include "common/windows/twips.h"

#include <QLabel>
#include <QRect>

#include <optional>

class QScreen;

// What the two advertisement pop-ups share: their close image, twips to pixels, and the
// screen as their loads measure it.
namespace ad_popup {

constexpr double twipsPerPixel = twips::kPerPixel;

// Twips to the nearest pixel.
int pixels(double twips);
QRect pixels(const ad_control::RectTwips& rect);

// The screen the pop-ups appear on, in twips.
struct ScreenTwips
{
    QPoint origin; // the screen's top-left corner on the desktop, in pixels
    double width = 0;
    double height = 0;
    // The strip below the work area; nothing when it does not fit in 16 bits.
    std::optional<std::int16_t> bottomMargin;
};

// The primary screen, with its available geometry as the work area.
ScreenTwips primaryScreen();
ScreenTwips measure(const QScreen& screen);

} // namespace ad_popup

// The small close image of a pop-up, drawn as a white cross on a dark square; a click on
// it, or Space or Enter while it has the keyboard, raises clicked(). It is reached with Tab
// (a click never moves the focus), read out as a button and marked while it has the focus.
class AdCloseImage final : public QLabel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AdCloseImage)

public:
    explicit AdCloseImage(QWidget* parent);
    // Places the image and draws it anew for the size.
    void place(const QRect& rect);

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
};

namespace ad_popup {

// Lets the accessibility layer read the close image and the pop-ups; before any of them has
// a name, since naming one may already create its reading.
void installAccessibleFactory();
// Makes a pop-up window readable and closable from the keyboard: read out as an alert named
// `name`, with the page's title as its description; Escape does what the close image does.
void makeAccessible(QWidget& popup, const char* name, AdCloseImage& closeImage, QWidget& page);
// Tells a screen reader that the pop-up has just opened, so that it is read out.
void announce(QWidget& popup);

} // namespace ad_popup
