#include "portal/windows/portal_accessible.h"

#include "portal/windows/ImageButton.h"

#include <QAccessibleWidget>

#include <mutex>

namespace {

using portal_accessible::Kind;

class ImageButtonAccessible final : public QAccessibleWidget
{
public:
    explicit ImageButtonAccessible(ImageButton* button)
        : QAccessibleWidget(button, button->kind() == Kind::MenuButton ? QAccessible::ButtonMenu : QAccessible::Button)
    { }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        const auto* button = this->button();
        if (button->kind() == Kind::Toggle) {
            s.checkable = true;
            s.checked = button->isChecked();
        }
        if (button->kind() == Kind::MenuButton)
            s.hasPopup = true;
        return s;
    }

    QStringList actionNames() const override
    {
        QStringList names = QAccessibleWidget::actionNames();
        if (widget()->isEnabled())
            names.prepend(button()->kind() == Kind::Toggle ? toggleAction() : pressAction());
        return names;
    }

    // Pressed through the bus it does what a click does; disabled, it ignores it as it ignores
    // the mouse.
    void doAction(const QString& name) override
    {
        if (name == pressAction() || name == toggleAction() || name == showMenuAction())
            button()->activate();
        else
            QAccessibleWidget::doAction(name);
    }

private:
    ImageButton* button() const { return static_cast<ImageButton*>(widget()); }
};

QAccessibleInterface* portalFactory(const QString& className, QObject* object)
{
    if (className == QLatin1String("ImageButton"))
        return new ImageButtonAccessible(static_cast<ImageButton*>(object));
    return nullptr;
}

} // namespace

void installPortalAccessibility()
{
    static std::once_flag once;
    std::call_once(once, [] { QAccessible::installFactory(portalFactory); });
}
