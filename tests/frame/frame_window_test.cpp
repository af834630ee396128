// The drawn frame on a real Qt window, offscreen, driven by the window system's own input
// path: its pixels against the skin at the display scale the test runs at (the test runs
// at 100 %, 150 % and 200 %), the buttons' states, the title, the shape, and moving,
// sizing, maximizing and the system menu where no window manager helps.

#include "portal/frame/logic/MDC.h"
#include "portal/frame/windows/qt_window_system.h"
#include "portal/frame/windows/skinned_frame.h"
#include "tests/frame/skin_look.h"
#include "tests/support/qt_test_util.h"

#include <QCursor>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QTest>
#include <QWidget>
#include <QWindow>

#include <gtest/gtest.h>

#include <algorithm>

using namespace frame;

namespace {

class FrameWindow : public ::testing::Test
{
protected:
    void SetUp() override
    {
        window.setWindowTitle(QStringLiteral("Frame"));
        // Small enough for the work area of the offscreen screen at 200 %.
        window.setGeometry(60, 50, 300, 220);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        form = newSkinForm();
        form->Attach(hwndOf(&window));
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        scale = window.devicePixelRatioF();
        sharp = skinFromFile(skinPathFor(FRAME_SKIN, scale));
        ASSERT_FALSE(sharp.empty()) << "a skin drawn for " << scale;
    }

    QImage shot() { return window.grab().toImage().convertToFormat(QImage::Format_RGB32); }

    FrameLook look() const { return FrameLook {sharp, scale, window.width(), window.height()}; }

    // Whether every device pixel of a rectangle of window pixels shows the frame as the skin
    // drawn for the display's scale has it.
    static ::testing::AssertionResult showsFrame(const QImage& image, const FrameLook& look, QRect part)
    {
        const int x1 = std::min(image.width(), look.dev(part.x() + part.width()));
        const int y1 = std::min(image.height(), look.dev(part.y() + part.height()));
        for (int y = look.dev(part.y()); y < y1; ++y)
            for (int x = look.dev(part.x()); x < x1; ++x) {
                const QRgb shown = image.pixel(x, y) | 0xFF000000u;
                const MDC::Pixel wanted = look.at(x, y);
                // Cut from the shape: whatever shows there, never the key colour.
                if (MDC::sameColour(wanted, kSkinKey) ? MDC::sameColour(shown, kSkinKey) : shown != wanted)
                    return ::testing::AssertionFailure()
                        << "device pixel " << x << "," << y << ": " << std::hex << shown << " for " << wanted;
            }
        return ::testing::AssertionSuccess();
    }

    QWindow* native() { return window.windowHandle(); }

    MDC::Surface skin = skinFromFile(FRAME_SKIN);
    MDC::Surface sharp;
    QWidget window;
    std::unique_ptr<CSkinForm> form;
    double scale = 1;
};

} // namespace

TEST_F(FrameWindow, DrawsEveryDevicePixelFromTheSkinDrawnForTheScaleAndTheTitleInTheBar)
{
    ASSERT_FALSE(skin.empty());
    EXPECT_TRUE(window.windowFlags() & Qt::FramelessWindowHint);
    // The resources the program carries are the skins the script drew.
    EXPECT_EQ(QtWindowSystem::instance().loadBitmapResource(101, 1.0).pixels, skin.pixels);
    EXPECT_EQ(QtWindowSystem::instance().loadBitmapResource(101, scale).pixels, sharp.pixels);
    EXPECT_TRUE(QtWindowSystem::instance().loadBitmapResource(101, 1.25).empty());

    // Without a title every device pixel is the skin's, at odd sizes too (where a window
    // pixel's edge falls inside a device pixel).
    window.setWindowTitle(QString());
    for (const QSize size : {QSize(301, 217), QSize(300, 220)}) {
        window.resize(size);
        ASSERT_TRUE(waitUntil([&] { return form->frameSurface().width == MDC::toDevice(size.width(), scale); }));
        const QImage image = shot();
        ASSERT_EQ(image.width(), MDC::toDevice(size.width(), scale));
        EXPECT_TRUE(showsFrame(image, look(), window.rect())) << size.width() << "x" << size.height();
    }

    // The title, in the window's font, left in the bar; a changed title shows at the next
    // resize.
    const QRect title(6, 3, 54, 19);
    window.setWindowTitle(QStringLiteral("Frame"));
    window.resize(320, 200);
    ASSERT_TRUE(waitUntil([&] { return form->frameSurface().width == MDC::toDevice(320, scale); }));
    EXPECT_FALSE(showsFrame(shot(), look(), title));
    EXPECT_TRUE(showsFrame(shot(), look(), QRect(0, 0, 320, 3)));
    window.setWindowTitle(QString());
    EXPECT_FALSE(showsFrame(shot(), look(), title));
    window.resize(300, 220);
    ASSERT_TRUE(waitUntil([&] { return form->frameSurface().width == MDC::toDevice(300, scale); }));
    EXPECT_TRUE(showsFrame(shot(), look(), title));
}

TEST_F(FrameWindow, CaptionButtonsTurnHotAndPressedAndAReleaseOnCloseClosesTheWindow)
{
    const int w = window.width();
    QTest::mouseMove(native(), {w - 20, 10});
    ASSERT_TRUE(waitUntil([&] { return form->ButtonState(CLOSE_BUTTON) == 1; }));
    FrameLook hot = look();
    hot.states[CLOSE_BUTTON] = 1;
    EXPECT_TRUE(showsFrame(shot(), hot, {w - 39, 0, 39, 19}));

    QTest::mouseMove(native(), {w - 80, 10});
    QTest::mousePress(native(), Qt::LeftButton, {}, {w - 80, 10});
    ASSERT_TRUE(waitUntil([&] { return form->ButtonState(MIN_BUTTON) == 2; }));
    EXPECT_EQ(form->ButtonState(CLOSE_BUTTON), 0);
    FrameLook pressed = look();
    pressed.states[MIN_BUTTON] = 2;
    EXPECT_TRUE(showsFrame(shot(), pressed, {w - 95, 0, 95, 19}));

    QTest::mouseMove(native(), {w - 20, 10});
    QTest::mouseRelease(native(), Qt::LeftButton, {}, {w - 20, 10});
    ASSERT_TRUE(waitUntil([&] { return !window.isVisible(); }));
    EXPECT_EQ(form->ButtonState(MIN_BUTTON), 0);
    EXPECT_FALSE(window.isMinimized());
}

TEST_F(FrameWindow, TheShapeCutsTheCornersAtEverySize)
{
    for (const QSize size : {QSize(300, 200), QSize(137, 60), QSize(391, 277)}) {
        window.resize(size);
        ASSERT_TRUE(waitUntil([&] { return form->frameSurface().width == MDC::toDevice(size.width(), scale); }));
        const QRegion mask = window.mask();
        const int r = size.width() - 1, b = size.height() - 1;
        for (const QPoint p : {QPoint(0, 0), QPoint(r, 0), QPoint(0, b), QPoint(r, b), QPoint(2, 0), QPoint(r, 2)})
            EXPECT_FALSE(mask.contains(p)) << p.x() << "," << p.y();
        for (const QPoint p : {QPoint(3, 0), QPoint(0, 3), QPoint(size.width() / 2, b), QPoint(r, size.height() / 2)})
            EXPECT_TRUE(mask.contains(p)) << p.x() << "," << p.y();
    }
}

TEST_F(FrameWindow, WithoutAWindowManagerTheFrameMovesSizesAndMaximizesTheWindowItself)
{
    // A press on the caption and a drag moves the window; the pointer is released where it
    // came to rest, which is the pressed spot of the moved window.
    const QPoint start = window.geometry().topLeft();
    QTest::mousePress(native(), Qt::LeftButton, {}, {200, 10});
    QTest::mouseMove(native(), {260, 50});
    QTest::mouseRelease(native(), Qt::LeftButton, {}, {200, 10});
    ASSERT_TRUE(waitUntil([&] { return window.geometry().topLeft() == start + QPoint(60, 40); }))
        << start.x() << "," << start.y() << " to " << window.geometry().x() << "," << window.geometry().y();

    // A press at (3, 100) and a drag moves the left edge.
    const QRect before = window.geometry();
    QTest::mousePress(native(), Qt::LeftButton, {}, {3, 100});
    QTest::mouseMove(native(), {-37, 120});
    QTest::mouseRelease(native(), Qt::LeftButton, {}, {3, 120});
    ASSERT_TRUE(waitUntil([&] { return window.geometry() == before.adjusted(-40, 0, 0, 0); }));

    // A double-click on the caption maximizes; the maximize button then shows the restore
    // glyph; another double-click restores.
    QTest::mouseDClick(native(), Qt::LeftButton, {}, {200, 10});
    ASSERT_TRUE(waitUntil([&] { return window.isMaximized(); }));
    ASSERT_TRUE(waitUntil([&] { return form->frameSurface().width == MDC::toDevice(window.width(), scale); }));
    // Kept on the work area, the frame's border lies beyond the window's edges.
    EXPECT_EQ(form->frameOrigin().x, 4);
    FrameLook maximized = look();
    maximized.inset = 4;
    maximized.restoreGlyph = true;
    EXPECT_TRUE(showsFrame(shot(), maximized, {window.width() - 91, 0, 91, 15}));
    QTest::mouseDClick(native(), Qt::LeftButton, {}, {200, 10});
    ASSERT_TRUE(waitUntil([&] { return !window.isMaximized(); }));
}

TEST_F(FrameWindow, TheSystemMenuOpensOnTheCaptionOnlyAndItsCommandIsCarriedOut)
{
    QStringList items;
    int opened = 0;
    const auto previous = QtWindowSystem::instance().setSystemMenuChooser([&](QMenu& menu, QPoint) {
        ++opened;
        for (const QAction* action : menu.actions())
            if (!action->isSeparator())
                items << action->text() + (action->isEnabled() ? QString() : QStringLiteral(" (off)"));
        return static_cast<unsigned>(SC_MAXIMIZE);
    });
    QTest::mouseClick(native(), Qt::RightButton, {}, {200, 100});
    QTest::mouseClick(native(), Qt::RightButton, {}, {200, 10});
    ASSERT_TRUE(waitUntil([&] { return window.isMaximized(); }));
    QtWindowSystem::instance().setSystemMenuChooser(previous);
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(items.join(QStringLiteral("|")),
        QStringLiteral("还原(&R) (off)|移动(&M)|大小(&S)|最小化(&N)|最大化(&X)|关闭(&C)"));
}

namespace {

// Counts the times a widget is hidden.
class HideCounter final : public QObject
{
public:
    int hides = 0;

protected:
    bool eventFilter(QObject*, QEvent* e) override
    {
        hides += e->type() == QEvent::Hide;
        return false;
    }
};

} // namespace

// The shell attaches its frame just after its window is shown. Unmapping and mapping the
// window again then races the window manager's first map, which can leave it unmapped.
TEST(FrameAttach, AShownWindowStaysShownAndKeepsItsNativeWindowWhenTheFrameAttaches)
{
    QWidget shown;
    shown.setGeometry(40, 40, 260, 180);
    shown.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&shown));
    const WId before = shown.winId();
    HideCounter counter;
    shown.installEventFilter(&counter);
    const auto attached = newSkinForm();
    attached->Attach(hwndOf(&shown));
    QTest::qWait(50);
    EXPECT_TRUE(shown.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(counter.hides, 0);
    EXPECT_TRUE(shown.isVisible());
    EXPECT_EQ(shown.winId(), before);
}

TEST_F(FrameWindow, AFrameAddedBackIsTakenAwayAgain)
{
    window.setWindowFlag(Qt::FramelessWindowHint, false);
    window.show();
    ASSERT_TRUE(waitUntil([&] { return window.isVisible() && (window.windowFlags() & Qt::FramelessWindowHint); }));
}

namespace {

// A child that takes its presses and moves, as the content panels and the page do.
class TakingPanel final : public QWidget
{
public:
    explicit TakingPanel(QWidget* parent)
        : QWidget(parent)
    {
        setMouseTracking(true);
    }
    int presses = 0;

protected:
    void mousePressEvent(QMouseEvent* e) override
    {
        ++presses;
        e->accept();
    }
    void mouseMoveEvent(QMouseEvent* e) override { e->accept(); }
};

} // namespace

TEST_F(FrameWindow, APressBecomesAMoveOnlyOnceThePointerMovedPastTheDragDistance)
{
    const QPoint start = window.geometry().topLeft();
    QTest::mousePress(native(), Qt::LeftButton, {}, {200, 10});
    EXPECT_EQ(QWidget::mouseGrabber(), nullptr) << "a press alone is no drag yet";
    QTest::mouseMove(native(), {201, 10});
    QCoreApplication::processEvents();
    EXPECT_EQ(window.geometry().topLeft(), start) << "within the drag distance the window stays";
    QTest::mouseRelease(native(), Qt::LeftButton, {}, {201, 10});
    QTest::mouseMove(native(), {260, 60});
    QCoreApplication::processEvents();
    EXPECT_EQ(window.geometry().topLeft(), start) << "after a tap the window does not follow the pointer";

    // Past the distance the window catches up with the pointer at once, then follows it.
    QTest::mousePress(native(), Qt::LeftButton, {}, {200, 10});
    QTest::mouseMove(native(), {260, 50});
    QTest::mouseRelease(native(), Qt::LeftButton, {}, {200, 10});
    ASSERT_TRUE(waitUntil([&] { return window.geometry().topLeft() == start + QPoint(60, 40); }));

    // A fast double tap maximizes.
    QTest::mouseDClick(native(), Qt::LeftButton, {}, {200, 10});
    ASSERT_TRUE(waitUntil([&] { return window.isMaximized(); }));
}

TEST_F(FrameWindow, OverChildrenTheFramesPartsKeepTheirCursorsPressesAndHotState)
{
    const int w = window.width();
    TakingPanel content(&window);
    content.setGeometry(4, 40, w - 8, 150);
    QLabel title(&window);
    title.setGeometry(0, 0, 160, 29);
    title.setEnabled(false);
    content.show();
    title.show();

    // The close button turns hot and back to normal when the pointer goes into a child.
    QTest::mouseMove(native(), {w - 20, 10});
    ASSERT_TRUE(waitUntil([&] { return form->ButtonState(CLOSE_BUTTON) == 1; }));
    QTest::mouseMove(native(), {w - 20, 60});
    EXPECT_TRUE(waitUntil([&] { return form->ButtonState(CLOSE_BUTTON) == 0; }));

    // The sizing cursors over the title panel and the panel's outer pixels; the child's
    // own cursor over its client area.
    const auto cursorAt = [&](QPoint at) {
        QTest::mouseMove(native(), at);
        QCoreApplication::processEvents();
        const QCursor* shown = QGuiApplication::overrideCursor();
        return shown ? shown->shape() : Qt::BitmapCursor;
    };
    EXPECT_EQ(cursorAt({80, 2}), Qt::SizeVerCursor);
    EXPECT_EQ(cursorAt({5, 100}), Qt::SizeHorCursor);
    EXPECT_EQ(cursorAt({100, 100}), Qt::BitmapCursor) << "no override over the client area";

    // A press on the panel's outer pixel sizes the window from its left edge; the panel
    // never sees it. A press inside is the panel's.
    const QRect before = window.geometry();
    QTest::mousePress(native(), Qt::LeftButton, {}, {5, 100});
    QTest::mouseMove(native(), {-35, 100});
    QTest::mouseRelease(native(), Qt::LeftButton, {}, {5, 100});
    ASSERT_TRUE(waitUntil([&] { return window.geometry() == before.adjusted(-40, 0, 0, 0); }))
        << window.geometry().x() << "," << window.geometry().width();
    EXPECT_EQ(content.presses, 0);
    QTest::mouseClick(native(), Qt::LeftButton, {}, {100, 100});
    EXPECT_EQ(content.presses, 1);
    EXPECT_EQ(window.geometry(), before.adjusted(-40, 0, 0, 0));
}

TEST_F(FrameWindow, AltSpaceOpensTheFramesSystemMenuFromAnyChild)
{
    TakingPanel content(&window);
    content.setGeometry(4, 40, 200, 100);
    content.setFocusPolicy(Qt::StrongFocus);
    content.show();
    int opened = 0;
    const auto previous = QtWindowSystem::instance().setSystemMenuChooser([&](QMenu&, QPoint) {
        ++opened;
        return 0u;
    });
    QTest::keyClick(&content, Qt::Key_Space, Qt::AltModifier);
    QTest::keyClick(&window, Qt::Key_Space, Qt::AltModifier);
    QTest::keyClick(&content, Qt::Key_Space);
    QtWindowSystem::instance().setSystemMenuChooser(previous);
    EXPECT_EQ(opened, 2);
}

TEST_F(FrameWindow, MaximizedTheWindowShowsNeitherBorderNorCutCorners)
{
    window.showMaximized();
    ASSERT_TRUE(waitUntil([&] { return window.isMaximized(); }));
    ASSERT_TRUE(waitUntil([&] { return form->frameSurface().width == MDC::toDevice(window.width(), scale); }));
    const QRegion mask = window.mask();
    const int r = window.width() - 1, b = window.height() - 1;
    for (const QPoint p : {QPoint(0, 0), QPoint(r, 0), QPoint(0, b), QPoint(r, b)})
        EXPECT_TRUE(mask.contains(p)) << p.x() << "," << p.y();
    const QImage image = shot();
    // Every device pixel of the left column and the bottom row is client background.
    const MDC::Pixel client = skin.at(4, 50);
    for (int y = MDC::toDevice(60, scale); y < image.height(); ++y)
        ASSERT_EQ(image.pixel(0, y) | 0xFF000000u, client) << "device row " << y;
    for (int x = 0; x < image.width(); ++x)
        ASSERT_EQ(image.pixel(x, image.height() - 1) | 0xFF000000u, client) << "device column " << x;
}
