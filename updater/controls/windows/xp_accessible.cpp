#include "updater/controls/windows/xp_accessible.h"

#include "updater/controls/logic/button_caption.h"
#include "updater/controls/windows/cc_xp_button.h"
#include "updater/controls/windows/xp_progress_bar.h"

#include <QAccessibleWidget>

#include <algorithm>
#include <mutex>

namespace {

class ButtonAccessible final : public QAccessibleWidget
{
public:
    explicit ButtonAccessible(ccXPButton* button)
        : QAccessibleWidget(button, QAccessible::Button)
    { }

    QString text(QAccessible::Text t) const override
    {
        const auto* button = static_cast<const ccXPButton*>(widget());
        if (t == QAccessible::Name && button->accessibleName().isEmpty())
            return QString::fromStdString(xpcontrols::spokenCaption(button->Caption().toStdString()));
        if (t == QAccessible::Accelerator && !button->accessKey().isEmpty())
            return QStringLiteral("Alt+") + button->accessKey().toUpper();
        return QAccessibleWidget::text(t);
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.defaultButton = static_cast<const ccXPButton*>(widget())->DisplayAsDefault();
        return s;
    }

    QStringList actionNames() const override
    {
        QStringList names = QAccessibleWidget::actionNames();
        if (widget()->isEnabled())
            names.prepend(pressAction());
        return names;
    }

    // Pressing through the bus is a click, as Space or Enter would give; a disabled button
    // ignores it as it ignores the mouse.
    void doAction(const QString& name) override
    {
        auto* button = static_cast<ccXPButton*>(widget());
        if (name == pressAction() && button->isEnabled())
            emit button->Click();
        else
            QAccessibleWidget::doAction(name);
    }
};

class ProgressAccessible final : public QAccessibleWidget, public QAccessibleValueInterface
{
public:
    explicit ProgressAccessible(XP_ProgressBar* bar)
        : QAccessibleWidget(bar, QAccessible::ProgressBar)
    { }

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    // The value as the bar draws it: outside the range it shows the range's end.
    QVariant currentValue() const override
    {
        const auto* bar = bar_();
        const int low = std::min(bar->Min(), bar->Max());
        const int high = std::max(bar->Min(), bar->Max());
        return std::clamp(bar->Value(), low, high);
    }
    // The bar shows progress; the user does not set it.
    void setCurrentValue(const QVariant&) override { }
    QVariant maximumValue() const override { return std::max(bar_()->Min(), bar_()->Max()); }
    QVariant minimumValue() const override { return std::min(bar_()->Min(), bar_()->Max()); }
    QVariant minimumStepSize() const override { return 0; }

private:
    const XP_ProgressBar* bar_() const { return static_cast<const XP_ProgressBar*>(widget()); }
};

QAccessibleInterface* xpControlsFactory(const QString& className, QObject* object)
{
    if (className == QLatin1String("ccXPButton"))
        return new ButtonAccessible(static_cast<ccXPButton*>(object));
    if (className == QLatin1String("XP_ProgressBar"))
        return new ProgressAccessible(static_cast<XP_ProgressBar*>(object));
    return nullptr;
}

} // namespace

void installXpControlsAccessibility()
{
    static std::once_flag once;
    std::call_once(once, [] { QAccessible::installFactory(xpControlsFactory); });
}
