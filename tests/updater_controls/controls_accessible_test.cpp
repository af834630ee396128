// The drawn controls as assistive technology sees them, through Qt's accessibility interfaces
// (what the desktop's accessibility bus carries out of the program).

#include "updater/controls/windows/cc_xp_button.h"
#include "updater/controls/windows/xp_progress_bar.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QSignalSpy>
#include <QWidget>

TEST(ControlsAccessible, ButtonIsAPushButtonNamedByItsCaptionThatPressesAsAClick)
{
    QWidget window;
    auto* button = new ccXPButton(&window);
    button->setCaption(QStringLiteral("Save && &Exit"));
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(button);
    ASSERT_NE(face, nullptr);
    EXPECT_EQ(face->role(), QAccessible::Button);
    EXPECT_EQ(face->text(QAccessible::Name), QStringLiteral("Save & Exit"));
    EXPECT_EQ(face->text(QAccessible::Accelerator), QStringLiteral("Alt+E"));
    EXPECT_TRUE(face->state().focusable);
    button->setCaption(QString::fromUtf8("完成"));
    EXPECT_EQ(face->text(QAccessible::Name), QString::fromUtf8("完成")) << "the name follows the caption";
    button->setDisplayAsDefault(true);
    EXPECT_TRUE(face->state().defaultButton);

    QAccessibleActionInterface* actions = face->actionInterface();
    ASSERT_NE(actions, nullptr);
    QSignalSpy clicks(button, &ccXPButton::Click);
    ASSERT_TRUE(actions->actionNames().contains(QAccessibleActionInterface::pressAction()));
    actions->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(clicks.count(), 1);

    button->setEnabled(false);
    EXPECT_TRUE(face->state().disabled);
    EXPECT_FALSE(actions->actionNames().contains(QAccessibleActionInterface::pressAction()));
    actions->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(clicks.count(), 1) << "a disabled button ignores the press";
}

TEST(ControlsAccessible, ProgressBarTellsItsValueAndRangeAsItDrawsThem)
{
    XP_ProgressBar bar;
    bar.resize(200, 20);
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(&bar);
    ASSERT_NE(face, nullptr);
    EXPECT_EQ(face->role(), QAccessible::ProgressBar);
    QAccessibleValueInterface* value = face->valueInterface();
    ASSERT_NE(value, nullptr);
    bar.setMin(10);
    bar.setMax(60);
    bar.setValue(35);
    EXPECT_EQ(value->currentValue().toInt(), 35);
    EXPECT_EQ(value->minimumValue().toInt(), 10);
    EXPECT_EQ(value->maximumValue().toInt(), 60);
    bar.setValue(500); // drawn full
    EXPECT_EQ(value->currentValue().toInt(), 60);
    bar.setMin(100); // a reversed range fills from the other end; its ends are the same
    bar.setMax(0);
    bar.setValue(-5);
    EXPECT_EQ(value->minimumValue().toInt(), 0);
    EXPECT_EQ(value->maximumValue().toInt(), 100);
    EXPECT_EQ(value->currentValue().toInt(), 0);
    value->setCurrentValue(50);
    EXPECT_EQ(bar.Value(), -5) << "the user does not set the progress";
}
