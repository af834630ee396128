#include "common/windows/drawn_images.h"

#include <QIconEngine>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <functional>
#include <utility>

namespace drawn_images {
namespace {

// Paints the drawing into any rectangle: QIcon asks for the device pixels it needs.
class DrawnEngine final : public QIconEngine
{
public:
    using Draw = std::function<void(QPainter&)>; // draws into a 1 x 1 square

    explicit DrawnEngine(Draw draw)
        : m_draw(std::move(draw))
    { }

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode, QIcon::State) override
    {
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->translate(rect.topLeft());
        painter->scale(rect.width(), rect.height());
        m_draw(*painter);
        painter->restore();
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        QPixmap image(size);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        paint(&painter, QRect(QPoint(0, 0), size), mode, state);
        return image;
    }

    QIconEngine* clone() const override { return new DrawnEngine(m_draw); }
    QString key() const override { return QStringLiteral("drawn"); }

private:
    Draw m_draw;
};

// The rounded purple face every stacking button has.
void buttonFace(QPainter& p)
{
    QLinearGradient fill(0, 0, 0, 1);
    fill.setColorAt(0, QColor(136, 119, 252));
    fill.setColorAt(1, QColor(110, 92, 230));
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    p.drawRoundedRect(QRectF(0.05, 0.05, 0.9, 0.9), 0.12, 0.12);
}

// Two overlapping windows, the white one in front, and an arrow that says where it goes.
void stacking(QPainter& p, bool front)
{
    buttonFace(p);
    const QRectF white = front ? QRectF(0.25, 0.2, 0.4, 0.4) : QRectF(0.25, 0.4, 0.4, 0.4);
    const QRectF pale = front ? QRectF(0.12, 0.4, 0.4, 0.4) : QRectF(0.12, 0.2, 0.4, 0.4);
    p.setBrush(QColor(194, 186, 252));
    p.drawRect(pale);
    p.setBrush(Qt::white);
    p.drawRect(white);
    QPen pen(Qt::white, 0.08, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    const double tip = front ? 0.15 : 0.85;
    const double tail = front ? 0.82 : 0.18;
    const double barb = front ? 0.12 : -0.12;
    p.drawLine(QPointF(0.77, tail), QPointF(0.77, tip + barb / 2));
    QPainterPath head;
    head.moveTo(0.66, tip + barb);
    head.lineTo(0.77, tip);
    head.lineTo(0.88, tip + barb);
    p.drawPath(head);
}

// Two windows side by side, neither above the other.
void normal(QPainter& p)
{
    buttonFace(p);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(0.12, 0.3, 0.34, 0.4));
    p.drawRect(QRectF(0.54, 0.3, 0.34, 0.4));
}

// A blue disc with a white arrow pointing up.
void notice(QPainter& p)
{
    QLinearGradient fill(0, 0, 0, 1);
    fill.setColorAt(0, QColor(86, 170, 240));
    fill.setColorAt(1, QColor(36, 120, 214));
    p.setPen(QPen(QColor(255, 255, 255, 220), 0.03));
    p.setBrush(fill);
    p.drawEllipse(QRectF(0.04, 0.04, 0.92, 0.92));
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    QPainterPath arrow;
    arrow.moveTo(0.5, 0.18);
    arrow.lineTo(0.8, 0.5);
    arrow.lineTo(0.61, 0.5);
    arrow.lineTo(0.61, 0.8);
    arrow.lineTo(0.39, 0.8);
    arrow.lineTo(0.39, 0.5);
    arrow.lineTo(0.2, 0.5);
    arrow.closeSubpath();
    p.drawPath(arrow);
}

} // namespace

QIcon stackingButton(const QString& key)
{
    if (key == QLatin1String("zhiqian"))
        return QIcon(new DrawnEngine([](QPainter& p) { stacking(p, true); }));
    if (key == QLatin1String("quxiao"))
        return QIcon(new DrawnEngine(normal));
    if (key == QLatin1String("zhihou"))
        return QIcon(new DrawnEngine([](QPainter& p) { stacking(p, false); }));
    return QIcon();
}

QIcon updateNotice()
{
    return QIcon(new DrawnEngine(notice));
}

} // namespace drawn_images
