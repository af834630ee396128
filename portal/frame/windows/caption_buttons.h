#pragma once

#include "portal/frame/logic/CSkinForm.h"

#include <QAbstractButton>
#include <QPointer>
#include <QString>

#include <functional>

// The drawn caption buttons for the keyboard and screen readers: a transparent button over
// each one the frame draws, that Tab reaches and Space or Enter presses. The mouse goes
// through them to the frame as before; they draw only the focus mark.
namespace frame {

struct CaptionButtonNames
{
    QString minimize, maximize, restore, close;
};

class CaptionButton final : public QAbstractButton
{
public:
    CaptionButton(QWidget& window, int hit);
    int hit() const { return m_hit; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    int m_hit;
};

class CaptionButtons final : public QObject
{
public:
    // `form` gives the frame while it is attached (null once released): the buttons press its
    // caption buttons and lie where it draws them.
    CaptionButtons(QWidget& window, std::function<CSkinForm*()> form, CaptionButtonNames names);

    // In the Tab order: minimise, maximise or restore, close.
    CaptionButton* minimizeButton() const { return m_minimize; }
    CaptionButton* maximizeButton() const { return m_maximize; }
    CaptionButton* closeButton() const { return m_close; }

    // Follows the window's size and state: the place of the buttons and the middle one's name.
    void update();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void place(CaptionButton* button, int index);

    QWidget& m_window;
    std::function<CSkinForm*()> m_form;
    CaptionButtonNames m_names;
    QPointer<CaptionButton> m_minimize;
    QPointer<CaptionButton> m_maximize;
    QPointer<CaptionButton> m_close;
};

} // namespace frame
