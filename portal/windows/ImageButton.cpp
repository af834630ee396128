#include "portal/windows/ImageButton.h"

#include <QMouseEvent>
#include <QPixmap>

ImageButton::ImageButton(QWidget* parent)
    : QLabel(parent)
{
    setMouseTracking(true);
    setCursor(Qt::PointingHandCursor);
    setScaledContents(true);
}

void ImageButton::showImage(const QPixmap* image)
{
    m_image = image;
    setPixmap(image ? *image : QPixmap());
}

void ImageButton::mousePressEvent(QMouseEvent* event)
{
    m_pressed = event->button() == Qt::LeftButton;
    emit MouseDown(event->button(), event->globalPosition().toPoint());
}

void ImageButton::mouseReleaseEvent(QMouseEvent* event)
{
    // A click is a left press and release over the button, as with any button.
    const bool click = m_pressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    m_pressed = false;
    if (click)
        emit Click();
}

void ImageButton::mouseMoveEvent(QMouseEvent* event)
{
    QLabel::mouseMoveEvent(event);
    emit MouseMove();
}

void ImageButton::enterEvent(QEnterEvent* event)
{
    QLabel::enterEvent(event);
    emit MouseMove();
}
