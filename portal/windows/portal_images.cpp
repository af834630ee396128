#include "portal/windows/portal_images.h"

#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QtMath>

namespace portal_images {

namespace {

const QColor kStripTop(0x3a, 0x3f, 0x48);
const QColor kStripBottom(0x16, 0x19, 0x1e);
const QColor kAccent(0xff, 0x9c, 0x1a);

// Drawn at the display's device pixels, so that the images stay sharp at any scale.
QPixmap blank(QSize size)
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    const qreal ratio = screen ? screen->devicePixelRatio() : 1.0;
    QPixmap pixmap(QSize(qCeil(size.width() * ratio), qCeil(size.height() * ratio)));
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

void fillStrip(QPainter& painter, const QRect& rect)
{
    QLinearGradient gradient(rect.topLeft(), rect.bottomLeft());
    gradient.setColorAt(0, kStripTop);
    gradient.setColorAt(1, kStripBottom);
    painter.fillRect(rect, gradient);
}

QFont captionFont(int pixelSize)
{
    QFont font(QStringLiteral("SimSun"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixelSize);
    return font;
}

} // namespace

QPixmap titleBar(QSize size)
{
    QPixmap pixmap = blank(size);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    fillStrip(painter, QRect(QPoint(), size));
    // The logo: a play triangle in a ring.
    const int d = size.height() - 8;
    const QRectF ring(6, 4, d, d);
    painter.setPen(QPen(kAccent, 2));
    painter.drawEllipse(ring);
    QPainterPath play;
    play.moveTo(ring.left() + d * 0.38, ring.top() + d * 0.28);
    play.lineTo(ring.left() + d * 0.38, ring.top() + d * 0.72);
    play.lineTo(ring.left() + d * 0.75, ring.top() + d * 0.5);
    play.closeSubpath();
    painter.fillPath(play, kAccent);
    return pixmap;
}

QPixmap channelButton(QSize size, const QString& caption, bool hdMark)
{
    QPixmap pixmap = blank(size);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setFont(captionFont(10));
    painter.setPen(hdMark ? kAccent : Qt::white);
    painter.drawText(QRect(QPoint(), size), Qt::AlignCenter | Qt::TextDontClip, caption);
    return pixmap;
}

QPixmap viewToggle(QSize size, const QString& caption)
{
    QPixmap pixmap = blank(size);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF body = QRectF(QPoint(), size).adjusted(4, 8, -4, -8);
    QLinearGradient gradient(body.topLeft(), body.bottomLeft());
    gradient.setColorAt(0, kAccent.lighter(120));
    gradient.setColorAt(1, kAccent.darker(130));
    painter.setPen(Qt::NoPen);
    painter.setBrush(gradient);
    painter.drawRoundedRect(body, 6, 6);
    painter.setFont(captionFont(12));
    painter.setPen(Qt::white);
    painter.drawText(body, Qt::AlignCenter, caption);
    return pixmap;
}

QPixmap pin(QSize size, bool pinned)
{
    QPixmap pixmap = blank(size);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal w = size.width();
    const qreal h = size.height();
    const QColor colour = pinned ? kAccent : QColor(0xd0, 0xd4, 0xda);
    painter.translate(w / 2, h / 2);
    // A pinned pin lies pressed in: drawn upright and shorter; an unpinned one leans.
    if (!pinned)
        painter.rotate(45);
    const qreal length = pinned ? h * 0.75 : h * 0.9;
    painter.setPen(QPen(colour, 1.5));
    painter.drawLine(QPointF(0, 0), QPointF(0, length / 2));
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawRoundedRect(QRectF(-w * 0.22, -length / 2, w * 0.44, length * 0.45), 1.5, 1.5);
    painter.drawRect(QRectF(-w * 0.32, -length / 2 + length * 0.42, w * 0.64, 2));
    return pixmap;
}

QPixmap menuArrow(QSize size)
{
    QPixmap pixmap = blank(size);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal w = size.width();
    const qreal h = size.height();
    QPainterPath arrow;
    arrow.moveTo(w * 0.22, h * 0.38);
    arrow.lineTo(w * 0.78, h * 0.38);
    arrow.lineTo(w * 0.5, h * 0.68);
    arrow.closeSubpath();
    painter.fillPath(arrow, QColor(0xd0, 0xd4, 0xda));
    return pixmap;
}

} // namespace portal_images
