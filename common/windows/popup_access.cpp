// The advertisement pop-ups for the keyboard and screen readers: the close image as a button,
// the window as an alert, Escape as the close image.
#include "common/windows/BrowserPane.h"
#include "common/windows/ad_popup_parts.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QPainter>
#include <QShortcut>
#include <QWebEngineView>

#include <mutex>
#include <set>

namespace {

class CloseImageAccessible final : public QAccessibleWidget
{
public:
    explicit CloseImageAccessible(AdCloseImage* image)
        : QAccessibleWidget(image, QAccessible::Button)
    {
        addControllingSignal(QStringLiteral("clicked()"));
    }

    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& name) override
    {
        if (name == pressAction())
            emit static_cast<AdCloseImage*>(widget())->clicked();
    }
};

// The pop-ups made accessible, read out as alerts, not as plain windows. Known by address:
// the factory is handed every object, the browser engine's own among them, which are built
// without type information and must not be called into here.
std::set<const QObject*>& alerts()
{
    static std::set<const QObject*> popups;
    return popups;
}

QAccessibleInterface* popupFactory(const QString& className, QObject* object)
{
    if (className == QLatin1String("AdCloseImage"))
        return new CloseImageAccessible(static_cast<AdCloseImage*>(object));
    if (alerts().contains(object))
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::AlertMessage);
    return nullptr;
}

} // namespace

void ad_popup::installAccessibleFactory()
{
    static std::once_flag once;
    std::call_once(once, [] { QAccessible::installFactory(popupFactory); });
}

void AdCloseImage::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        emit clicked();
        return;
    default:
        QLabel::keyPressEvent(event);
    }
}

void AdCloseImage::paintEvent(QPaintEvent* event)
{
    QLabel::paintEvent(event);
    if (!hasFocus())
        return;
    // The cross is white on dark grey: a yellow frame stands out from both.
    QPainter painter(this);
    painter.setPen(QPen(QColor(255, 210, 0), 2));
    painter.drawRect(rect().adjusted(1, 1, -1, -1));
}

namespace ad_popup {

void makeAccessible(QWidget& popup, const char* name, AdCloseImage& closeImage, QWidget& page)
{
    installAccessibleFactory();
    if (alerts().insert(&popup).second)
        QObject::connect(&popup, &QObject::destroyed, [](QObject* gone) { alerts().erase(gone); });
    popup.setAccessibleName(QString::fromUtf8(name));
    if (auto* pane = qobject_cast<BrowserPane*>(&page); pane && pane->view())
        QObject::connect(pane->view(), &QWebEngineView::titleChanged, &popup,
            [&popup](const QString& title) { popup.setAccessibleDescription(title); });
    // Within the window, whichever part has the keyboard; the page's own keys come first
    // only for what the page takes.
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), &popup);
    escape->setContext(Qt::WindowShortcut);
    QObject::connect(escape, &QShortcut::activated, &closeImage, &AdCloseImage::clicked);
}

void announce(QWidget& popup)
{
    if (!QAccessible::isActive())
        return;
    QAccessibleEvent opened(&popup, QAccessible::Alert);
    QAccessible::updateAccessibility(&opened);
}

} // namespace ad_popup
