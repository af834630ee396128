#include "updater/controls/windows/xp_progress_bar.h"

#include "updater/controls/windows/xp_accessible.h"

#include <QAccessible>
#include <QGuiApplication>
#include <QPaintEvent>
#include <QPainter>
#include <QPalette>
#include <QRegion>

using namespace xpcontrols;

XP_ProgressBar::XP_ProgressBar(QWidget* parent)
    : QWidget(parent)
{
    installXpControlsAccessibility();
    setFont(QFont(QStringLiteral("Tahoma"), 8));
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_model.colour = toRgb(defaultColour());
}

QColor XP_ProgressBar::defaultColour()
{
    return QGuiApplication::palette().color(QPalette::Highlight);
}

void XP_ProgressBar::setValue(int value)
{
    m_model.value = value;
    DrawProgressBar();
    if (QAccessible::isActive()) {
        QAccessibleValueChangeEvent changed(this, value);
        QAccessible::updateAccessibility(&changed);
    }
}

void XP_ProgressBar::setShowText(bool show)
{
    m_model.showText = show;
    DrawProgressBar();
}

void XP_ProgressBar::setColor(const QColor& colour)
{
    m_model.colour = toRgb(colour.isValid() ? colour : defaultColour());
}

QImage XP_ProgressBar::render(const ProgressBarModel& model, QSize size, const QFont& font)
{
    if (size.width() <= 0 || size.height() <= 0)
        return {};
    QImage image(size, QImage::Format_RGB32);
    const QRect client(QPoint(0, 0), size);
    carryOutPaintOps(image, progressBarOps(model, size.width(), size.height()), [&](QPainter& painter, const QRect&) {
        QFont textFont = font;
        textFont.setStyleStrategy(QFont::NoAntialias);
        painter.setFont(textFont);
        painter.setPen(Qt::black);
        painter.drawText(client, Qt::AlignCenter | Qt::TextSingleLine, QString::fromStdString(progressBarText(model)));
    });
    return image;
}

void XP_ProgressBar::ensureOffscreen()
{
    const QSize need = size();
    if (need.width() <= 0 || need.height() <= 0)
        return;
    // A picture is only made anew when the control has grown beyond it, and then at exactly
    // the control's new size.
    if (!m_offscreen.isNull() && m_offscreen.width() >= need.width() && m_offscreen.height() >= need.height())
        return;
    m_offscreen = QImage(need, QImage::Format_RGB32);
    m_offscreen.fill(Qt::white);
}

void XP_ProgressBar::drawIntoOffscreen()
{
    ensureOffscreen();
    const QImage drawn = render(m_model, size(), font());
    if (drawn.isNull() || m_offscreen.isNull())
        return;
    QPainter painter(&m_offscreen);
    painter.drawImage(0, 0, drawn);
}

void XP_ProgressBar::DrawProgressBar()
{
    drawIntoOffscreen();
    update();
}

void XP_ProgressBar::pDraw(QPainter& target, int xSrc, int ySrc, int WidthSrc, int HeightSrc, int xDst, int yDst) const
{
    if (m_offscreen.isNull())
        return;
    const int width = WidthSrc < 1 ? m_offscreen.width() : WidthSrc;
    const int height = HeightSrc < 1 ? m_offscreen.height() : HeightSrc;
    target.drawImage(QPoint(xDst, yDst), m_offscreen, QRect(xSrc, ySrc, width, height));
}

QImage XP_ProgressBar::picture() const
{
    if (m_offscreen.isNull() || width() <= 0 || height() <= 0)
        return {};
    return m_offscreen.copy(0, 0, width(), height());
}

void XP_ProgressBar::paintEvent(QPaintEvent*)
{
    drawIntoOffscreen();
    QPainter painter(this);
    pDraw(painter, 0, 0, width(), height(), 0, 0);
}

void XP_ProgressBar::resizeEvent(QResizeEvent* event)
{
    ensureOffscreen();
    // Round the corners: leave out three pixels at each of them.
    QRegion shape(rect());
    for (int y = 0; y < 2 && y < height(); ++y) {
        for (int x = 0; x < 2 && x < width(); ++x) {
            for (const QPoint& p : {QPoint(x, y), QPoint(width() - 1 - x, y), QPoint(x, height() - 1 - y),
                     QPoint(width() - 1 - x, height() - 1 - y)}) {
                if (!isInsideProgressBarShape(p.x(), p.y(), width(), height()))
                    shape -= QRegion(p.x(), p.y(), 1, 1);
            }
        }
    }
    setMask(shape);
    QWidget::resizeEvent(event);
}

namespace {

// Read back in this order, so that Value is drawn against the range just read.
constexpr const char* kProperties[] = {"Color", "Max", "Min", "Orientation", "Scrolling", "ShowText", "Value"};

} // namespace

QVariantMap XP_ProgressBar::defaultProperties()
{
    const ProgressBarModel model;
    return QVariantMap {{QStringLiteral("Color"), defaultColour()}, {QStringLiteral("Max"), model.max},
        {QStringLiteral("Min"), model.min}, {QStringLiteral("Orientation"), model.orientation},
        {QStringLiteral("Scrolling"), model.scrolling}, {QStringLiteral("ShowText"), model.showText},
        {QStringLiteral("Value"), model.value}};
}

QVariantMap XP_ProgressBar::saveProperties() const
{
    const QVariantMap defaults = defaultProperties();
    QVariantMap saved;
    for (const char* name : kProperties) {
        const QString key = QString::fromLatin1(name);
        const QVariant value = property(name);
        if (value != defaults.value(key))
            saved.insert(key, value);
    }
    return saved;
}

void XP_ProgressBar::loadProperties(const QVariantMap& saved)
{
    const QVariantMap defaults = defaultProperties();
    for (const char* name : kProperties) {
        const QString key = QString::fromLatin1(name);
        setProperty(name, saved.value(key, defaults.value(key)));
    }
}
