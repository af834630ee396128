#pragma once

#include "updater/controls/logic/paint_ops.h"

#include <QColor>
#include <QImage>
#include <QRect>

#include <functional>

class QPainter;

namespace xpcontrols {

inline QColor toQColor(Rgb colour)
{
    return QColor(colour.r, colour.g, colour.b);
}

inline Rgb toRgb(const QColor& colour)
{
    return Rgb {colour.red(), colour.green(), colour.blue()};
}

inline QRect toQRect(Rect rect)
{
    return QRect(rect.left, rect.top, rect.width(), rect.height());
}

// A colour written the Windows way (0xBBGGRR). A system-colour value (high bit set) is resolved
// to its current colour from the application palette.
QColor colorFromColorRef(quint32 value);

// Carries out the drawing steps on `image` pixel-exactly (no smoothing). `drawText` is called
// with a painter on the image at the step that draws the control's text.
void carryOutPaintOps(QImage& image, const PaintOps& ops, const std::function<void(QPainter&, const QRect&)>& drawText);

} // namespace xpcontrols
