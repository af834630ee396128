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
// it raises clicked().
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
};
