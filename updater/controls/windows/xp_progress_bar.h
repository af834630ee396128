#pragma once

#include "updater/controls/logic/progress_bar_layout.h"
#include "updater/controls/windows/paint_ops_painter.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QVariantMap>
#include <QWidget>

class QPainter;

// A self-drawn, segmented progress bar with a rounded grey frame.
//
// Properties (Qt properties of the same names):
//   Value, Min, Max      32-bit range and position (default 0, 0, 100). Values outside the range
//                        draw as its ends; Min > Max fills the reversed range; Min == Max shows
//                        an empty bar.
//   Orientation          0 horizontal (fills left to right), other values vertical (bottom up).
//   Scrolling            0 blocks of 8 pixels with gaps of 2, 2 searching mode (three fading
//                        blocks moved by changing Value, text "正在查找.."), others continuous.
//   ShowText             draws the filled percentage, e.g. "50 %", centred in black.
//   Color                bar colour (default: the palette's highlight colour).
//   Font                 font of the text (default Tahoma 8 points).
// Setting Value or ShowText redraws at once; the other properties show at the next redraw.
//
// All drawing goes to an off-screen picture of at least the control's size, which is copied to
// the screen in one step; the picture never shrinks, and when the control grows beyond it in
// either direction it is made anew at the control's new size.
class XP_ProgressBar final : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(int Value READ Value WRITE setValue)
    Q_PROPERTY(int Min READ Min WRITE setMin)
    Q_PROPERTY(int Max READ Max WRITE setMax)
    Q_PROPERTY(int Orientation READ Orientation WRITE setOrientation)
    Q_PROPERTY(int Scrolling READ Scrolling WRITE setScrolling)
    Q_PROPERTY(bool ShowText READ ShowText WRITE setShowText)
    Q_PROPERTY(QColor Color READ Color WRITE setColor)
    Q_PROPERTY(QFont Font READ Font WRITE setFont)

public:
    explicit XP_ProgressBar(QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(XP_ProgressBar)

    int Value() const { return m_model.value; }
    void setValue(int value);
    int Min() const { return m_model.min; }
    void setMin(int min) { m_model.min = min; }
    int Max() const { return m_model.max; }
    void setMax(int max) { m_model.max = max; }
    int Orientation() const { return m_model.orientation; }
    void setOrientation(int orientation) { m_model.orientation = orientation; }
    int Scrolling() const { return m_model.scrolling; }
    void setScrolling(int scrolling) { m_model.scrolling = scrolling; }
    bool ShowText() const { return m_model.showText; }
    void setShowText(bool show);
    QColor Color() const { return xpcontrols::toQColor(m_model.colour); }
    void setColor(const QColor& colour);
    QFont Font() const { return font(); }

    // Redraws the whole control into the off-screen picture and shows it.
    void DrawProgressBar();

    // Copies WidthSrc x HeightSrc pixels of the off-screen picture from (xSrc, ySrc) to (xDst,
    // yDst) of `target`; a width or height below 1 means the picture's own.
    void pDraw(QPainter& target, int xSrc, int ySrc, int WidthSrc, int HeightSrc, int xDst, int yDst) const;

    // The control as last drawn, at its current size (null at zero size).
    QImage picture() const;
    // Size of the off-screen picture: made anew at the control's size when the control outgrows it.
    QSize offscreenSize() const { return m_offscreen.size(); }

    // Saved settings: values equal to their defaults are left out; missing ones read as defaults.
    QVariantMap saveProperties() const;
    void loadProperties(const QVariantMap& saved);

    // The drawing itself: one redraw of `model` at `size`, as the control shows it.
    static QImage render(const xpcontrols::ProgressBarModel& model, QSize size, const QFont& font);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void ensureOffscreen();
    void drawIntoOffscreen();
    static QColor defaultColour();
    static QVariantMap defaultProperties();

    xpcontrols::ProgressBarModel m_model;
    QImage m_offscreen;
};
