// The TV shell's stacking buttons and the pop-ups as the keyboard and a screen reader use
// them: what the accessibility layer reports, and what Tab, Escape and its actions do.
#include "tests/tv/tv_test_fixture.h"

#include "common/windows/ad_popup_parts.h"
#include "common/windows/frmRightBottom.h"
#include "common/windows/frmUnload.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QPointer>
#include <QTest>
#include <QToolBar>
#include <QWindow>

#include <gtest/gtest.h>

namespace {

class TvKeyboardWindow : public ::testing::Test, public TvFixture
{ };

QAccessibleInterface* accessible(QObject* object)
{
    return QAccessible::queryAccessibleInterface(object);
}

void press(QObject* object)
{
    accessible(object)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
}

// Whether the image shows the focus mark: its outer ring of pixels is yellow, not the dark
// square's grey.
bool marked(QWidget& image)
{
    const QImage shown = image.grab().toImage();
    return shown.pixelColor(1, shown.height() / 2) == QColor(255, 210, 0);
}

} // namespace

TEST_F(TvKeyboardWindow, StackingButtonsAreACheckedChoiceAndTheToolbarStaysWhileItHasTheKeyboard)
{
    auto window = start();
    const QList<QAction*> buttons = window->Toolbar1->actions();
    ASSERT_EQ(buttons.size(), 3);
    const struct
    {
        const char* chosenBy;
        int checked; // the one button read as checked afterwards
        bool onTop;
    } cases[]
        = {{nullptr, 1, false}, {"TopShow", 0, true}, {"zhihou", 2, false}, {"zhiqian", 0, true}, {"quxiao", 1, false}};
    for (const auto& c : cases) {
        if (c.chosenBy && QString::fromLatin1(c.chosenBy).startsWith(QLatin1String("zh")))
            press(window->Toolbar1->widgetForAction(window->menuItem(c.chosenBy)));
        else if (c.chosenBy)
            window->menuItem(c.chosenBy)->trigger();
        for (int i = 0; i < buttons.size(); ++i) {
            QWidget* button = window->Toolbar1->widgetForAction(buttons[i]);
            QAccessibleInterface* reading = accessible(button);
            EXPECT_EQ(reading->role(), QAccessible::RadioButton);
            EXPECT_TRUE(reading->state().focusable);
            EXPECT_EQ(reading->state().checked, i == c.checked) << (c.chosenBy ? c.chosenBy : "start") << " " << i;
            EXPECT_FALSE(buttons[i]->isChecked()) << "nothing is checked on screen";
        }
        EXPECT_EQ(window->windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint), c.onTop);
    }
    EXPECT_EQ(
        accessible(window->Toolbar1->widgetForAction(buttons[0]))->text(QAccessible::Name), QStringLiteral("窗口置前"));

    // The keyboard starts in the page; the timer hides the toolbar, except from under the focus.
    EXPECT_TRUE(window->WebBrowser1->isAncestorOf(window->focusWidget()));
    window->Toolbar1->widgetForAction(buttons[1])->setFocus();
    window->Timer3_Timer();
    EXPECT_TRUE(window->Toolbar1->isVisible());
    window->WebBrowser1->view()->setFocus();
    window->Timer3_Timer();
    EXPECT_TRUE(window->Toolbar1->isHidden());
}

TEST_F(TvKeyboardWindow, PopupsReadAsAlertsWithAFocusableCloseButtonAndEscapeClosesThem)
{
    server.site().write("update/TovanTVAdControl.txt", "on\r\noff\r\n4320\r\n3900\r\n6000\r\n5000");
    server.site().write("tvsource/AD/desktop-rightad.html",
        "<html><head><meta charset=\"utf-8\"><title>本周新片</title></head></html>");
    auto window = start();
    window->TimeAdControl_Timer();
    ASSERT_TRUE(runPostedStepsUntil([&] { return window->remoteFetch().pending() == 0; }));
    QPointer<frmLeftRight> corner = window->cornerPopup();
    ASSERT_TRUE(corner);
    QAccessibleInterface* notice = accessible(corner);
    EXPECT_EQ(notice->role(), QAccessible::AlertMessage);
    EXPECT_EQ(notice->text(QAccessible::Name), QStringLiteral("通知"));
    EXPECT_TRUE(waitUntil([&] { return notice->text(QAccessible::Description) == QStringLiteral("本周新片"); }))
        << "the page's title is read out with it";
    QAccessibleInterface* close = accessible(corner->Picture2);
    EXPECT_EQ(close->role(), QAccessible::Button);
    EXPECT_EQ(close->text(QAccessible::Name), QStringLiteral("关闭"));
    EXPECT_TRUE(close->state().focusable);
    // It takes no focus: Escape in the main window closes it as its close image does.
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    QTest::keyClick(window.get(), Qt::Key_Escape);
    EXPECT_TRUE(waitUntil([&] { return corner.isNull(); })) << "Escape closes the corner pop-up";

    // The exit pop-up starts with the keyboard on its close image, marked; pressing it from
    // the accessibility layer closes it, and so does Escape.
    const std::vector<std::string> items {"on", "on", "4320", "3900", "6000", "5000"};
    for (const bool byEscape : {false, true}) {
        QPointer<frmUnload> exit = showExitPopup(Shell::TV, items);
        ASSERT_TRUE(exit);
        EXPECT_EQ(accessible(exit)->role(), QAccessible::AlertMessage);
        EXPECT_EQ(accessible(exit)->text(QAccessible::Name), QStringLiteral("广告"));
        ASSERT_TRUE(QTest::qWaitForWindowActive(exit));
        EXPECT_EQ(QApplication::focusWidget(), exit->Picture2);
        EXPECT_TRUE(marked(*exit->Picture2));
        if (byEscape)
            QTest::keyClick(exit, Qt::Key_Escape);
        else
            press(exit->Picture2);
        EXPECT_TRUE(waitUntil([&] { return exit.isNull(); })) << byEscape;
    }
    // Unfocused, the close image shows no mark.
    QPointer<frmUnload> last = showExitPopup(Shell::TV, items);
    ASSERT_TRUE(last);
    last->Picture2->clearFocus();
    EXPECT_FALSE(marked(*last->Picture2));
    last->close();
}
