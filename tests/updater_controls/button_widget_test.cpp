#include "tests/support/qt_test_util.h"
#include "updater/controls/windows/cc_xp_button.h"
#include "updater/controls/windows/paint_ops_painter.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>
#include <QWidget>

#include <memory>

using namespace xpcontrols;

namespace {

// A window with two buttons, shown and active, as the updater's window holds them.
class ButtonWindow : public ::testing::Test
{
protected:
    void SetUp() override
    {
        window = std::make_unique<QWidget>();
        window->resize(300, 100);
        first = new ccXPButton(window.get());
        first->setGeometry(10, 10, 75, 23);
        first->setCaption(QStringLiteral("Save && &Exit"));
        second = new ccXPButton(window.get());
        second->setGeometry(100, 10, 75, 23);
        second->setCaption(QStringLiteral("&Cancel"));
        window->show();
        activate(window.get());
    }

    static void activate(QWidget* w)
    {
        w->activateWindow();
        ASSERT_TRUE(waitUntil([w] { return w->isActiveWindow(); }));
    }

    static void mouse(ccXPButton* button, QEvent::Type type, QPoint at, Qt::MouseButton which = Qt::LeftButton)
    {
        const Qt::MouseButtons held = type == QEvent::MouseButtonRelease || type == QEvent::MouseMove
            ? Qt::MouseButtons()
            : Qt::MouseButtons(which);
        QMouseEvent event(type, QPointF(at), QPointF(button->mapToGlobal(at)),
            type == QEvent::MouseMove ? Qt::NoButton : which, held, Qt::NoModifier);
        QCoreApplication::sendEvent(button, &event);
    }

    static void key(QWidget* target, QEvent::Type type, int code, bool autoRepeat = false)
    {
        QKeyEvent event(type, code, Qt::NoModifier, QString(), autoRepeat);
        QCoreApplication::sendEvent(target, &event);
    }

    std::unique_ptr<QWidget> window;
    ccXPButton* first = nullptr;
    ccXPButton* second = nullptr;
};

} // namespace

TEST_F(ButtonWindow, MouseClickOnTheButtonRaisesClick)
{
    QSignalSpy clicks(first, &ccXPButton::Click);
    QSignalSpy moves(first, &ccXPButton::MouseMove);
    mouse(first, QEvent::MouseMove, QPoint(5, 6));
    EXPECT_EQ(first->drawnState(), StateHot);
    ASSERT_EQ(moves.count(), 1);
    EXPECT_EQ(moves.at(0).at(2).toInt(), 5);
    EXPECT_EQ(moves.at(0).at(3).toInt(), 6);

    mouse(first, QEvent::MouseButtonPress, QPoint(5, 6));
    EXPECT_EQ(first->drawnState(), StatePressed);
    EXPECT_TRUE(first->hasFocus());
    mouse(first, QEvent::MouseButtonRelease, QPoint(5, 6));
    EXPECT_EQ(first->drawnState(), StateHot);
    EXPECT_EQ(clicks.count(), 1);
    // The face on screen is the hot face.
    EXPECT_EQ(first->grab().toImage().pixelColor(10, 1), toQColor(fromColorRef(0xCEF3FF)));
}

TEST_F(ButtonWindow, FirstClickOnAnInactiveWindowIsAClick)
{
    QWidget other;
    other.resize(50, 50);
    other.show();
    activate(&other);
    ASSERT_FALSE(window->isActiveWindow());

    QSignalSpy clicks(first, &ccXPButton::Click);
    mouse(first, QEvent::MouseMove, QPoint(5, 6));
    mouse(first, QEvent::MouseButtonPress, QPoint(5, 6));
    mouse(first, QEvent::MouseButtonRelease, QPoint(5, 6));
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_TRUE(waitUntil([this] { return window->isActiveWindow(); }));
}

TEST_F(ButtonWindow, PressMoveOffAndReleaseIsNoClick)
{
    QSignalSpy clicks(first, &ccXPButton::Click);
    mouse(first, QEvent::MouseMove, QPoint(5, 5));
    mouse(first, QEvent::MouseButtonPress, QPoint(5, 5));
    mouse(first, QEvent::MouseMove, QPoint(120, 5));
    EXPECT_EQ(first->drawnState(), StateFocused);
    mouse(first, QEvent::MouseButtonRelease, QPoint(120, 5));
    EXPECT_EQ(clicks.count(), 0);

    // Released off the button without a move seen first: still no click.
    mouse(first, QEvent::MouseMove, QPoint(5, 5));
    mouse(first, QEvent::MouseButtonPress, QPoint(5, 5));
    mouse(first, QEvent::MouseButtonRelease, QPoint(-30, 40));
    EXPECT_EQ(clicks.count(), 0);
    EXPECT_FALSE(first->behaviour().isPressed());
}

TEST_F(ButtonWindow, SpaceHeldShowsPressedFaceAndClicksOnRelease)
{
    QSignalSpy clicks(first, &ccXPButton::Click);
    first->setFocus();
    EXPECT_EQ(first->drawnState(), StateFocused);
    key(first, QEvent::KeyPress, Qt::Key_Space);
    key(first, QEvent::KeyPress, Qt::Key_Space, true);
    key(first, QEvent::KeyRelease, Qt::Key_Space, true); // a repeat is not a release
    EXPECT_EQ(first->drawnState(), StatePressed);
    EXPECT_EQ(clicks.count(), 0);
    EXPECT_EQ(first->faceImage().pixelColor(2, 10), toQColor(fromColorRef(0xDEE3E7)));
    key(first, QEvent::KeyRelease, Qt::Key_Space);
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_EQ(first->drawnState(), StateFocused);

    key(first, QEvent::KeyPress, Qt::Key_Return);
    key(first, QEvent::KeyPress, Qt::Key_Enter);
    EXPECT_EQ(clicks.count(), 3);
}

TEST_F(ButtonWindow, LosingActivationReturnsToNormalAndForgetsThePress)
{
    QSignalSpy clicks(first, &ccXPButton::Click);
    QSignalSpy activation(first, &ccXPButton::FormActivate);
    mouse(first, QEvent::MouseMove, QPoint(5, 5));
    mouse(first, QEvent::MouseButtonPress, QPoint(5, 5));
    ASSERT_EQ(first->drawnState(), StatePressed);

    QWidget other;
    other.resize(50, 50);
    other.show();
    activate(&other);
    EXPECT_EQ(first->drawnState(), StateNormal);
    ASSERT_GE(activation.count(), 1);
    EXPECT_EQ(activation.last().at(0).toInt(), 0);
    mouse(first, QEvent::MouseButtonRelease, QPoint(5, 5));
    EXPECT_EQ(clicks.count(), 0);

    activate(window.get());
    EXPECT_EQ(activation.last().at(0).toInt(), 1);
}

TEST_F(ButtonWindow, DisabledButtonIsGreyAndDeaf)
{
    QSignalSpy clicks(first, &ccXPButton::Click);
    first->setProperty("Enabled", false);
    EXPECT_FALSE(first->isEnabled());
    EXPECT_EQ(first->drawnState(), StateDisabled);
    EXPECT_EQ(first->faceImage().pixelColor(10, 0), toQColor(fromColorRef(0xBAC7C9)));
    mouse(first, QEvent::MouseMove, QPoint(5, 5));
    mouse(first, QEvent::MouseButtonPress, QPoint(5, 5));
    mouse(first, QEvent::MouseButtonRelease, QPoint(5, 5));
    key(first, QEvent::KeyPress, Qt::Key_Return);
    QTest::keyClick(window.get(), Qt::Key_E, Qt::AltModifier);
    EXPECT_EQ(clicks.count(), 0);
    EXPECT_EQ(first->drawnState(), StateDisabled);

    first->setEnabled(true);
    EXPECT_EQ(first->drawnState(), StateNormal);
}

TEST_F(ButtonWindow, AccessKeyClicksTheButtonItNames)
{
    EXPECT_EQ(first->accessKey(), QStringLiteral("e"));
    EXPECT_EQ(second->accessKey(), QStringLiteral("c"));
    QSignalSpy firstClicks(first, &ccXPButton::Click);
    QSignalSpy secondClicks(second, &ccXPButton::Click);
    second->setFocus();
    QTest::keyClick(window.get(), Qt::Key_E, Qt::AltModifier);
    EXPECT_EQ(firstClicks.count(), 1);
    EXPECT_EQ(secondClicks.count(), 0);

    // A new caption replaces the key.
    first->setCaption(QStringLiteral("No key"));
    EXPECT_TRUE(first->accessKey().isEmpty());
    QTest::keyClick(window.get(), Qt::Key_E, Qt::AltModifier);
    EXPECT_EQ(firstClicks.count(), 1);
    QTest::keyClick(window.get(), Qt::Key_C, Qt::AltModifier);
    EXPECT_EQ(secondClicks.count(), 1);
}

TEST_F(ButtonWindow, ArrowKeysMoveTheFocusBetweenControls)
{
    first->setFocus();
    ASSERT_TRUE(first->hasFocus());
    key(first, QEvent::KeyPress, Qt::Key_Right);
    EXPECT_TRUE(second->hasFocus());
    EXPECT_EQ(second->drawnState(), StateFocused);
    EXPECT_EQ(first->drawnState(), StateNormal);
    key(second, QEvent::KeyPress, Qt::Key_Up);
    EXPECT_TRUE(first->hasFocus());
    key(first, QEvent::KeyPress, Qt::Key_Down);
    EXPECT_TRUE(second->hasFocus());
    key(second, QEvent::KeyPress, Qt::Key_Left);
    EXPECT_TRUE(first->hasFocus());
}

TEST_F(ButtonWindow, DoubleClickRaisesDblClickAfterOneClick)
{
    QSignalSpy clicks(first, &ccXPButton::Click);
    QSignalSpy doubles(first, &ccXPButton::DblClick);
    mouse(first, QEvent::MouseMove, QPoint(5, 5));
    mouse(first, QEvent::MouseButtonPress, QPoint(5, 5));
    mouse(first, QEvent::MouseButtonRelease, QPoint(5, 5));
    mouse(first, QEvent::MouseButtonDblClick, QPoint(5, 5));
    EXPECT_EQ(first->drawnState(), StatePressed);
    mouse(first, QEvent::MouseButtonRelease, QPoint(5, 5));
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_EQ(doubles.count(), 1);
}

TEST_F(ButtonWindow, FocusRectangleAndDefaultButton)
{
    second->setDisplayAsDefault(true);
    EXPECT_EQ(second->drawnState(), StateFocused); // blue ring without the focus
    EXPECT_EQ(second->faceImage(),
        ccXPButton::renderFace(StateFocused, second->size(), second->Caption(), second->font(), Qt::black, false));

    first->setFocus();
    const QColor dot = first->faceImage().pixelColor(3, 3);
    EXPECT_EQ(dot, QColor(3, 3, 4)); // the face's top colour inverted
    first->setFocusRect(false);
    EXPECT_EQ(first->faceImage().pixelColor(3, 3), toQColor(fromColorRef(0xFBFCFC)));
    first->setFocusRect(true);
    second->setFocus();
    EXPECT_EQ(first->faceImage().pixelColor(3, 3), toQColor(fromColorRef(0xFBFCFC)));
}

TEST_F(ButtonWindow, ShapeMinimumSizeAndSavedSettings)
{
    const QRegion shape = first->mask();
    EXPECT_FALSE(shape.contains(QPoint(0, 0)));
    EXPECT_FALSE(shape.contains(QPoint(74, 22)));
    EXPECT_TRUE(shape.contains(QPoint(1, 0)));
    EXPECT_TRUE(shape.contains(QPoint(37, 11)));

    first->resize(2, 3);
    EXPECT_GE(first->width(), minimumButtonPixels());
    EXPECT_GE(first->height(), minimumButtonPixels());

    ccXPButton fresh;
    EXPECT_EQ(fresh.Caption(), QStringLiteral("&OK"));
    EXPECT_EQ(fresh.ForeColor(), QColor(Qt::black));
    EXPECT_TRUE(fresh.FocusRect());
    const QVariantMap defaults = fresh.saveProperties();
    EXPECT_EQ(defaults.keys(), QStringList {QStringLiteral("Font")}); // the font is always written

    fresh.setProperty("Caption", QStringLiteral("更新"));
    fresh.setProperty("ForeColor", QColor(Qt::blue));
    fresh.setProperty("FocusRect", false);
    const QVariantMap saved = fresh.saveProperties();
    EXPECT_EQ(saved.size(), 4);
    ccXPButton copy;
    copy.loadProperties(saved);
    EXPECT_EQ(copy.Caption(), QStringLiteral("更新"));
    EXPECT_EQ(copy.ForeColor(), QColor(Qt::blue));
    EXPECT_FALSE(copy.FocusRect());
    EXPECT_TRUE(copy.isEnabled());
}
