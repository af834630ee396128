#include "common/windows/ad_popup_parts.h"

#include "common/logic/popup_names.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QScreen>

#include <algorithm>
#include <cmath>

namespace ad_popup {

int pixels(double twips)
{
    return static_cast<int>(std::lround(twips / twipsPerPixel));
}

QRect pixels(const ad_control::RectTwips& rect)
{
    return {pixels(rect.left), pixels(rect.top), pixels(rect.width), pixels(rect.height)};
}

ScreenTwips primaryScreen()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? measure(*screen) : ScreenTwips {};
}

ScreenTwips measure(const QScreen& screen)
{
    const QRect whole = screen.geometry();
    const QRect work = screen.availableGeometry();
    ScreenTwips s;
    s.origin = whole.topLeft();
    s.width = whole.width() * twipsPerPixel;
    s.height = whole.height() * twipsPerPixel;
    // The work area's bottom edge as the platform gives it: the first row below it.
    const int workBottom = work.y() + work.height() - whole.y();
    s.bottomMargin = ad_control::workAreaBottomMargin(s.height, twipsPerPixel, workBottom);
    return s;
}

} // namespace ad_popup

AdCloseImage::AdCloseImage(QWidget* parent)
    : QLabel(parent)
{
    setObjectName(QStringLiteral("Picture2"));
    setCursor(Qt::PointingHandCursor);
    ad_popup::installAccessibleFactory();
    // Tab reaches it; a click closes the pop-up as before, without moving the focus first.
    setFocusPolicy(Qt::TabFocus);
    setAccessibleName(QString::fromUtf8(popup_names::closeImage));
}

void AdCloseImage::place(const QRect& rect)
{
    setGeometry(rect);
    QPixmap image(rect.size().expandedTo(QSize(1, 1)));
    image.fill(QColor(64, 64, 64));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::white, std::max(1.0, image.width() / 8.0), Qt::SolidLine, Qt::RoundCap));
    const double inset = image.width() / 4.0;
    const double far = image.width() - inset;
    painter.drawLine(QPointF(inset, inset), QPointF(far, far));
    painter.drawLine(QPointF(far, inset), QPointF(inset, far));
    painter.end();
    setPixmap(image);
}

void AdCloseImage::mouseReleaseEvent(QMouseEvent* event)
{
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}
