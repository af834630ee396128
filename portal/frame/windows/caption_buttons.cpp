#include "portal/frame/windows/caption_buttons.h"

#include "portal/frame/windows/qt_window_system.h"

#include <QEvent>
#include <QKeyEvent>
#include <QPainter>

namespace frame {

CaptionButton::CaptionButton(QWidget& window, int hit)
    : QAbstractButton(&window)
    , m_hit(hit)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::TabFocus);
}

void CaptionButton::paintEvent(QPaintEvent*)
{
    if (!hasFocus())
        return;
    QPainter painter(this);
    const QRect mark = rect().adjusted(2, 2, -3, -3);
    painter.setPen(QPen(Qt::black, 1));
    painter.drawRect(mark);
    painter.setPen(QPen(Qt::white, 1, Qt::DotLine));
    painter.drawRect(mark);
}

void CaptionButton::keyPressEvent(QKeyEvent* event)
{
    // Enter presses it as Space does, as on the caption buttons' standard counterparts.
    const int key = event->key();
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) && !event->isAutoRepeat()) {
        click();
        return;
    }
    QAbstractButton::keyPressEvent(event);
}

CaptionButtons::CaptionButtons(QWidget& window, std::function<CSkinForm*()> form, CaptionButtonNames names)
    : QObject(&window)
    , m_window(window)
    , m_form(std::move(form))
    , m_names(std::move(names))
    , m_minimize(new CaptionButton(window, HIT_MINBUTTON))
    , m_maximize(new CaptionButton(window, HIT_MAXBUTTON))
    , m_close(new CaptionButton(window, HIT_CLOSE))
{
    m_minimize->setObjectName(QStringLiteral("captionMinimize"));
    m_maximize->setObjectName(QStringLiteral("captionMaximize"));
    m_close->setObjectName(QStringLiteral("captionClose"));
    for (CaptionButton* button : {m_minimize.data(), m_maximize.data(), m_close.data()}) {
        const int hit = button->hit();
        // Queued: the press may close the window, which must not happen under the button's
        // own key handling.
        connect(
            button, &QAbstractButton::clicked, this,
            [this, hit] {
                if (CSkinForm* skin = m_form())
                    skin->pressCaptionButton(hit);
            },
            Qt::QueuedConnection);
    }
    QWidget::setTabOrder(m_minimize, m_maximize);
    QWidget::setTabOrder(m_maximize, m_close);
    window.installEventFilter(this);
    update();
}

bool CaptionButtons::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == &m_window
        && (event->type() == QEvent::Resize || event->type() == QEvent::WindowStateChange
            || event->type() == QEvent::Show)) {
        // After the frame has followed the change (its filter runs after this one).
        QMetaObject::invokeMethod(this, &CaptionButtons::update, Qt::QueuedConnection);
    }
    return false;
}

void CaptionButtons::update()
{
    const bool maximized = m_window.isMaximized();
    const QString middle = maximized ? m_names.restore : m_names.maximize;
    m_minimize->setText(m_names.minimize);
    m_maximize->setText(middle);
    m_close->setText(m_names.close);
    for (CaptionButton* button : {m_minimize.data(), m_maximize.data(), m_close.data()})
        button->setAccessibleName(button->text());
    place(m_minimize, MIN_BUTTON);
    place(m_maximize, MAX_BUTTON);
    place(m_close, CLOSE_BUTTON);
}

void CaptionButtons::place(CaptionButton* button, int index)
{
    CSkinForm* skin = m_form();
    if (!skin) {
        button->hide();
        return;
    }
    const POINT origin = skin->frameOrigin();
    const int frameWidth = m_window.width() + 2 * static_cast<int>(origin.x);
    const std::uint32_t style = QtWindowSystem::instance().style(skin->hwnd());
    const std::optional<ButtonPlace> where = buttonPlace(index, frameWidth, style, m_window.isMaximized());
    if (!where) {
        button->hide();
        return;
    }
    const MDC::Rect r = where->target;
    button->setGeometry(r.x - static_cast<int>(origin.x), r.y - static_cast<int>(origin.y), r.width, r.height);
    button->show();
    button->raise();
}

} // namespace frame
