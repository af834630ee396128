#pragma once

#include "portal/logic/accessible_names.h"

#include <QLabel>

#include <map>

class QPixmap;

// A picture box that acts as a button: it shows one of its window's image holders and
// reports presses, clicks and mouse moves. Tab reaches it and Space or Enter presses it, as
// a click does; what it shows is also what a screen reader hears (its name, its checked state).
class ImageButton final : public QLabel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ImageButton)

public:
    explicit ImageButton(QWidget* parent = nullptr);

    // Shows `image` and remembers which holder it came from (null shows nothing).
    void showImage(const QPixmap* image);
    const QPixmap* shownImage() const { return m_image; }

    // What an image means when shown: the name it gives the button and, for a toggle,
    // whether it shows the button on.
    void setImageMeaning(const QPixmap* image, const QString& name, bool checked = false);
    void setKind(portal_accessible::Kind kind) { m_kind = kind; }
    portal_accessible::Kind kind() const { return m_kind; }
    bool isChecked() const { return m_checked; }

    // What a click does: the press, then the click (the menu button opens on the press).
    void activate();

signals:
    void MouseDown(Qt::MouseButton button, const QPoint& globalPos);
    void Click();
    void MouseMove();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    struct Meaning
    {
        QString name;
        bool checked = false;
    };
    const QPixmap* m_image = nullptr;
    bool m_pressed = false;
    bool m_checked = false;
    portal_accessible::Kind m_kind = portal_accessible::Kind::Button;
    std::map<const QPixmap*, Meaning> m_meanings;
};
