#pragma once

#include <QLabel>

class QPixmap;

// A picture box that acts as a button: it shows one of its window's image holders and
// reports presses, clicks and mouse moves.
class ImageButton final : public QLabel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ImageButton)

public:
    explicit ImageButton(QWidget* parent = nullptr);

    // Shows `image` and remembers which holder it came from (null shows nothing).
    void showImage(const QPixmap* image);
    const QPixmap* shownImage() const { return m_image; }

signals:
    void MouseDown(Qt::MouseButton button, const QPoint& globalPos);
    void Click();
    void MouseMove();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;

private:
    const QPixmap* m_image = nullptr;
    bool m_pressed = false;
};
