#pragma once

#include "updater/controls/logic/button_behaviour.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QString>
#include <QVariantMap>
#include <QWidget>

// A self-drawn push button in the look of the XP push button: rounded dark-blue border, light
// gradient face, orange ring while the mouse is over it, blue ring while it has the focus or is
// the default button, flat faces when pressed or disabled.
//
// Properties (Qt properties of the same names):
//   Caption            text; "&" marks the access key (Alt+key clicks), "&&" is a literal "&".
//                      Default "&OK".
//   Enabled            also enables the widget; a disabled button shows a grey flat face and
//                      caption and ignores mouse and keys.
//   ForeColor          caption colour while enabled (default black).
//   Font               caption font (default: the container's font).
//   FocusRect          dotted rectangle inside the border while focused (default true).
//   DisplayAsDefault   the container marks this as its default button (blue ring).
// Signals: Click(), DblClick(), MouseMove(Button, Shift, X, Y) with Button 1/2/4 = left/right/
// middle held and Shift 1/2/4 = Shift/Ctrl/Alt held, and FormActivate(1 or 0) when the window
// holding the button becomes active or inactive.
// A click is a left press and release both on the button, Enter, Space released after being
// pressed, or the access key. Left/Up and Right/Down move the focus to the previous/next control.
class ccXPButton final : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(QString Caption READ Caption WRITE setCaption)
    Q_PROPERTY(bool Enabled READ isEnabled WRITE setEnabled)
    Q_PROPERTY(QColor ForeColor READ ForeColor WRITE setForeColor)
    Q_PROPERTY(QFont Font READ font WRITE setFont)
    Q_PROPERTY(bool FocusRect READ FocusRect WRITE setFocusRect)
    Q_PROPERTY(bool DisplayAsDefault READ DisplayAsDefault WRITE setDisplayAsDefault)

public:
    explicit ccXPButton(QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(ccXPButton)

    QString Caption() const { return m_caption; }
    void setCaption(const QString& caption);
    QColor ForeColor() const { return m_foreColor; }
    void setForeColor(const QColor& colour);
    bool FocusRect() const { return m_focusRect; }
    void setFocusRect(bool on);
    bool DisplayAsDefault() const { return m_behaviour.isDefault(); }
    void setDisplayAsDefault(bool isDefault);

    // Moves the mouse pointer to the centre of the button.
    void SnapMouseTo();

    // The access key taken from the caption, lower-cased; empty when there is none.
    QString accessKey() const { return m_accessKey; }
    // Drawn state: 0 disabled, 1 normal, 2 focused or default, 3 hot, 4 pressed.
    int drawnState() const { return m_behaviour.state(); }
    const xpcontrols::ButtonBehaviour& behaviour() const { return m_behaviour; }

    // The face as the control draws it now.
    QImage faceImage() const;
    // The drawing itself: the face of `state` at `size`, with the dotted focus rectangle when
    // `focusDots`. The four outermost corner pixels lie outside the button's shape.
    static QImage renderFace(
        int state, QSize size, const QString& caption, const QFont& font, const QColor& foreColor, bool focusDots);

    // Saved settings: values equal to their defaults are left out (Font is always written);
    // missing ones read as defaults.
    QVariantMap saveProperties() const;
    void loadProperties(const QVariantMap& saved);

signals:
    void Click();
    void DblClick();
    void MouseMove(int Button, int Shift, int X, int Y);
    void FormActivate(int active);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void apply(const xpcontrols::ButtonReaction& reaction);
    void followParentActivation();
    void reportMouseMove(QMouseEvent* event);

    xpcontrols::ButtonBehaviour m_behaviour;
    QString m_caption;
    QString m_accessKey;
    QColor m_foreColor = Qt::black;
    bool m_focusRect = true;
    int m_shortcutId = 0;
};
