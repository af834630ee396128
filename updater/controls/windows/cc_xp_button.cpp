#include "updater/controls/windows/cc_xp_button.h"

#include "updater/controls/logic/button_caption.h"
#include "updater/controls/windows/paint_ops_painter.h"
#include "updater/controls/windows/xp_accessible.h"

#include <QAccessible>

#include <QCursor>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMouseEvent>
#include <QPainter>
#include <QRegion>

using namespace xpcontrols;

namespace {

MouseButton toMouseButton(Qt::MouseButton button)
{
    switch (button) {
    case Qt::LeftButton:
        return MouseButton::Left;
    case Qt::RightButton:
        return MouseButton::Right;
    case Qt::MiddleButton:
        return MouseButton::Middle;
    default:
        return MouseButton::Other;
    }
}

ButtonKey toButtonKey(int key)
{
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return ButtonKey::Enter;
    case Qt::Key_Space:
        return ButtonKey::Space;
    case Qt::Key_Left:
        return ButtonKey::Left;
    case Qt::Key_Up:
        return ButtonKey::Up;
    case Qt::Key_Right:
        return ButtonKey::Right;
    case Qt::Key_Down:
        return ButtonKey::Down;
    default:
        return ButtonKey::Other;
    }
}

} // namespace

ccXPButton::ccXPButton(QWidget* parent)
    : QWidget(parent)
{
    installXpControlsAccessibility();
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setMinimumSize(minimumButtonPixels(), minimumButtonPixels());
    setCaption(QStringLiteral("&OK"));
    // Set-up is done: this allows redraws and draws the resting face.
    apply(m_behaviour.enabledChanged(isEnabled()));
}

void ccXPButton::setCaption(const QString& caption)
{
    m_caption = caption;
    m_accessKey = QString::fromStdString(accessKeyOf(caption.toStdString()));
    if (m_shortcutId != 0)
        releaseShortcut(m_shortcutId);
    m_shortcutId = m_accessKey.isEmpty() ? 0 : grabShortcut(QKeySequence::mnemonic(QStringLiteral("&") + m_accessKey));
    update();
    // A screen reader speaks the caption: it hears when it changes.
    if (QAccessible::isActive()) {
        QAccessibleEvent changed(this, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&changed);
    }
}

void ccXPButton::setForeColor(const QColor& colour)
{
    m_foreColor = colour;
    update();
}

void ccXPButton::setFocusRect(bool on)
{
    m_focusRect = on;
    if (hasFocus())
        update();
}

void ccXPButton::setDisplayAsDefault(bool isDefault)
{
    apply(m_behaviour.defaultChanged(isDefault));
}

void ccXPButton::SnapMouseTo()
{
    QCursor::setPos(mapToGlobal(QPoint(width() / 2, height() / 2)));
}

QImage ccXPButton::renderFace(
    int state, QSize size, const QString& caption, const QFont& font, const QColor& foreColor, bool focusDots)
{
    if (size.width() <= 0 || size.height() <= 0)
        return {};
    QImage image(size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    const QColor captionColour = state == StateDisabled ? toQColor(kDisabledCaption) : foreColor;
    carryOutPaintOps(
        image, buttonFaceOps(state, size.width(), size.height(), focusDots), [&](QPainter& painter, const QRect& area) {
            // Unsmoothed text keeps the caption in exactly its colour.
            QFont captionFont = font;
            captionFont.setStyleStrategy(QFont::NoAntialias);
            painter.setFont(captionFont);
            painter.setPen(captionColour);
            painter.drawText(area, Qt::AlignCenter | Qt::TextSingleLine | Qt::TextShowMnemonic, caption);
        });
    return image;
}

QImage ccXPButton::faceImage() const
{
    return renderFace(
        m_behaviour.state(), size(), m_caption, font(), m_foreColor, m_behaviour.showsFocusDots(m_focusRect));
}

void ccXPButton::apply(const ButtonReaction& reaction)
{
    if (reaction.redraw)
        update();
    if (reaction.moveFocus != 0)
        focusNextPrevChild(reaction.moveFocus > 0);
    if (reaction.formActivate >= 0)
        emit FormActivate(reaction.formActivate);
    if (reaction.dblClick)
        emit DblClick();
    // Last: a Click handler may hide, disable or even delete the button.
    if (reaction.click)
        emit Click();
}

void ccXPButton::followParentActivation()
{
    const bool active = isActiveWindow();
    if (active != m_behaviour.isParentActive())
        apply(m_behaviour.parentActivation(active));
}

bool ccXPButton::event(QEvent* event)
{
    switch (event->type()) {
    case QEvent::Shortcut:
        apply(m_behaviour.accessKey());
        return true;
    case QEvent::WindowActivate:
    case QEvent::WindowDeactivate:
        // The window passes these on to its children: our view of the parent's activation.
        followParentActivation();
        break;
    default:
        break;
    }
    return QWidget::event(event);
}

void ccXPButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawImage(0, 0, faceImage());
}

void ccXPButton::resizeEvent(QResizeEvent* event)
{
    QRegion shape(rect());
    for (const QPoint& corner :
        {QPoint(0, 0), QPoint(width() - 1, 0), QPoint(0, height() - 1), QPoint(width() - 1, height() - 1)}) {
        if (!isInsideButtonShape(corner.x(), corner.y(), width(), height()))
            shape -= QRegion(corner.x(), corner.y(), 1, 1);
    }
    setMask(shape);
    QWidget::resizeEvent(event);
}

void ccXPButton::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    followParentActivation();
}

void ccXPButton::changeEvent(QEvent* event)
{
    switch (event->type()) {
    case QEvent::EnabledChange:
        apply(m_behaviour.enabledChanged(isEnabled()));
        break;
    case QEvent::ActivationChange:
        followParentActivation();
        break;
    case QEvent::FontChange:
        update();
        break;
    default:
        break;
    }
    QWidget::changeEvent(event);
}

void ccXPButton::reportMouseMove(QMouseEvent* event)
{
    const QPoint at = event->position().toPoint();
    const ButtonReaction reaction = m_behaviour.mouseMove(at.x(), at.y(), width(), height());
    apply(reaction);
    if (!reaction.mouseMove)
        return;
    int button = 0;
    button |= (event->buttons() & Qt::LeftButton) ? 1 : 0;
    button |= (event->buttons() & Qt::RightButton) ? 2 : 0;
    button |= (event->buttons() & Qt::MiddleButton) ? 4 : 0;
    int shift = 0;
    shift |= (event->modifiers() & Qt::ShiftModifier) ? 1 : 0;
    shift |= (event->modifiers() & Qt::ControlModifier) ? 2 : 0;
    shift |= (event->modifiers() & Qt::AltModifier) ? 4 : 0;
    emit MouseMove(button, shift, at.x(), at.y());
}

void ccXPButton::mouseMoveEvent(QMouseEvent* event)
{
    reportMouseMove(event);
}

void ccXPButton::leaveEvent(QEvent* event)
{
    apply(m_behaviour.mouseLeave());
    QWidget::leaveEvent(event);
}

void ccXPButton::mousePressEvent(QMouseEvent* event)
{
    // A press on an inactive window activates it before the press counts, as a click on a
    // window always does on the programs' home platform: the first click on a freshly started
    // updater is a click, not only a wake-up.
    if (!m_behaviour.isParentActive()) {
        window()->activateWindow();
        apply(m_behaviour.parentActivation(true));
    }
    apply(m_behaviour.mouseDown(toMouseButton(event->button())));
}

void ccXPButton::mouseReleaseEvent(QMouseEvent* event)
{
    // The pointer may have left without a move being seen; where it is released decides.
    const QPoint at = event->position().toPoint();
    const bool over = at.x() >= 0 && at.x() <= width() && at.y() >= 0 && at.y() <= height();
    if (over != m_behaviour.isOver())
        reportMouseMove(event);
    apply(m_behaviour.mouseUp(toMouseButton(event->button())));
}

void ccXPButton::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        apply(m_behaviour.doubleClick());
}

void ccXPButton::keyPressEvent(QKeyEvent* event)
{
    const ButtonKey key = toButtonKey(event->key());
    if (key == ButtonKey::Other) {
        QWidget::keyPressEvent(event);
        return;
    }
    apply(m_behaviour.keyDown(key));
}

void ccXPButton::keyReleaseEvent(QKeyEvent* event)
{
    // A held key repeats its press, never its release.
    if (event->isAutoRepeat())
        return;
    const ButtonKey key = toButtonKey(event->key());
    if (key == ButtonKey::Other) {
        QWidget::keyReleaseEvent(event);
        return;
    }
    apply(m_behaviour.keyUp(key));
}

void ccXPButton::focusInEvent(QFocusEvent* event)
{
    apply(m_behaviour.gotFocus());
    update(); // the focus rectangle appears even when the state stays
    QWidget::focusInEvent(event);
}

void ccXPButton::focusOutEvent(QFocusEvent* event)
{
    apply(m_behaviour.lostFocus());
    update();
    QWidget::focusOutEvent(event);
}

namespace {

// Read back in this order; Enabled last, so that the face is drawn with everything else set.
constexpr const char* kProperties[] = {"Caption", "ForeColor", "Font", "FocusRect", "Enabled"};

} // namespace

QVariantMap ccXPButton::saveProperties() const
{
    const QVariantMap defaults {{QStringLiteral("Caption"), QStringLiteral("&OK")},
        {QStringLiteral("ForeColor"), QColor(Qt::black)}, {QStringLiteral("FocusRect"), true},
        {QStringLiteral("Enabled"), true}};
    QVariantMap saved;
    for (const char* name : kProperties) {
        const QString key = QString::fromLatin1(name);
        const QVariant value = property(name);
        if (!defaults.contains(key) || value != defaults.value(key))
            saved.insert(key, value);
    }
    return saved;
}

void ccXPButton::loadProperties(const QVariantMap& saved)
{
    setCaption(saved.value(QStringLiteral("Caption"), QStringLiteral("&OK")).toString());
    setForeColor(saved.value(QStringLiteral("ForeColor"), QColor(Qt::black)).value<QColor>());
    // A missing font keeps the control's current one.
    if (saved.contains(QStringLiteral("Font")))
        setFont(saved.value(QStringLiteral("Font")).value<QFont>());
    setFocusRect(saved.value(QStringLiteral("FocusRect"), true).toBool());
    setEnabled(saved.value(QStringLiteral("Enabled"), true).toBool());
}
