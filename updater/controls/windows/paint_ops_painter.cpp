#include "updater/controls/windows/paint_ops_painter.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPalette>

namespace xpcontrols {
namespace {

void drawGradient(QPainter& painter, const PaintOp& op)
{
    const Rect& r = op.rect;
    if (r.isEmpty())
        return;
    if (op.leftToRight) {
        for (int i = 0; i < r.width(); ++i)
            painter.fillRect(
                QRect(r.left + i, r.top, 1, r.height()), toQColor(rampColour(op.from, op.to, i, r.width())));
    } else {
        for (int i = 0; i < r.height(); ++i)
            painter.fillRect(
                QRect(r.left, r.top + i, r.width(), 1), toQColor(rampColour(op.from, op.to, i, r.height())));
    }
}

void drawRowGradient(QPainter& painter, const PaintOp& op)
{
    const Rect& r = op.rect;
    if (r.isEmpty())
        return;
    // Bottom row first, as the face has always been drawn; only the result matters.
    for (int i = r.height() - 1; i >= 0; --i)
        painter.fillRect(
            QRect(r.left, r.top + i, r.width(), 1), toQColor(roundedRampColour(op.from, op.to, i, r.height())));
}

void drawFrame(QPainter& painter, const PaintOp& op)
{
    const Rect& r = op.rect;
    if (r.isEmpty())
        return;
    const QColor colour = toQColor(op.from);
    painter.fillRect(QRect(r.left, r.top, r.width(), 1), colour);
    painter.fillRect(QRect(r.left, r.bottom - 1, r.width(), 1), colour);
    painter.fillRect(QRect(r.left, r.top, 1, r.height()), colour);
    painter.fillRect(QRect(r.right - 1, r.top, 1, r.height()), colour);
}

void invertDots(QImage& image, const Rect& r)
{
    if (r.isEmpty())
        return;
    const auto invert = [&image](int x, int y) {
        if (!image.rect().contains(x, y) || !isFocusDot(x, y))
            return;
        const QRgb pixel = image.pixel(x, y);
        image.setPixel(x, y, qRgba(255 - qRed(pixel), 255 - qGreen(pixel), 255 - qBlue(pixel), qAlpha(pixel)));
    };
    for (int x = r.left; x < r.right; ++x) {
        invert(x, r.top);
        if (r.bottom - 1 != r.top)
            invert(x, r.bottom - 1);
    }
    for (int y = r.top + 1; y < r.bottom - 1; ++y) {
        invert(r.left, y);
        if (r.right - 1 != r.left)
            invert(r.right - 1, y);
    }
}

} // namespace

QColor colorFromColorRef(quint32 value)
{
    if ((value & 0x80000000u) == 0)
        return toQColor(fromColorRef(value));
    const QPalette palette = QGuiApplication::palette();
    switch (value & 0xFFu) {
    case 0x05:
        return palette.color(QPalette::Base);
    case 0x08:
        return palette.color(QPalette::Text);
    case 0x0E:
        return palette.color(QPalette::HighlightedText);
    case 0x0F:
        return palette.color(QPalette::Button);
    case 0x12:
        return palette.color(QPalette::ButtonText);
    default:
        return palette.color(QPalette::Highlight);
    }
}

void carryOutPaintOps(QImage& image, const PaintOps& ops, const std::function<void(QPainter&, const QRect&)>& drawText)
{
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, false);
    for (const PaintOp& op : ops) {
        switch (op.kind) {
        case OpKind::Fill:
        case OpKind::Pixel:
            if (!op.rect.isEmpty())
                painter.fillRect(toQRect(op.rect), toQColor(op.from));
            break;
        case OpKind::Gradient:
            drawGradient(painter, op);
            break;
        case OpKind::RowGradient:
            drawRowGradient(painter, op);
            break;
        case OpKind::Frame:
            drawFrame(painter, op);
            break;
        case OpKind::Text:
            if (drawText)
                drawText(painter, toQRect(op.rect));
            break;
        case OpKind::InvertDots:
            // Pixels are read back, so the painter lets go of the image meanwhile.
            painter.end();
            invertDots(image, op.rect);
            painter.begin(&image);
            break;
        }
    }
}

} // namespace xpcontrols
