#include "portal/windows/ImageButton.h"

#include <QAccessible>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>

ImageButton::ImageButton(QWidget* parent)
    : QLabel(parent)
{
    setMouseTracking(true);
    setCursor(Qt::PointingHandCursor);
    setScaledContents(true);
    // The keyboard reaches it by Tab only: a click leaves the focus where it was (on the page).
    setFocusPolicy(Qt::TabFocus);
}

void ImageButton::showImage(const QPixmap* image)
{
    m_image = image;
    setPixmap(image ? *image : QPixmap());
    const auto meaning = m_meanings.find(image);
    if (meaning == m_meanings.end())
        return;
    setAccessibleName(meaning->second.name);
    if (meaning->second.checked != m_checked) {
        m_checked = meaning->second.checked;
        QAccessible::State changed;
        changed.checked = true;
        QAccessibleStateChangeEvent event(this, changed);
        QAccessible::updateAccessibility(&event);
    }
}

void ImageButton::setImageMeaning(const QPixmap* image, const QString& name, bool checked)
{
    m_meanings[image] = {name, checked};
}

void ImageButton::activate()
{
    if (!isEnabled())
        return;
    emit MouseDown(Qt::LeftButton, mapToGlobal(QPoint(0, height())));
    emit Click();
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

void ImageButton::keyPressEvent(QKeyEvent* event)
{
    const int key = event->key();
    if ((key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter)
        && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier && !event->isAutoRepeat()) {
        activate();
        return;
    }
    QLabel::keyPressEvent(event);
}

void ImageButton::paintEvent(QPaintEvent* event)
{
    QLabel::paintEvent(event);
    if (!hasFocus())
        return;
    // A dotted mark, dark under light, so that it shows on any image.
    QPainter painter(this);
    const QRect mark = rect().adjusted(0, 0, -1, -1);
    painter.setPen(QPen(Qt::black, 1));
    painter.drawRect(mark);
    painter.setPen(QPen(Qt::white, 1, Qt::DotLine));
    painter.drawRect(mark);
}
