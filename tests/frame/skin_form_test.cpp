// The drawn frame over a window kept in memory: what attaching does, the mouse rules, the
// window messages, and what a hover or a paint costs.

#include "CSkinForm.h"
#include "fake_window_system.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>

using namespace frame;

namespace {

constexpr Hwnd kWindow = FakeWindowSystem::kWindow;

class SkinForm : public ::testing::Test
{
protected:
    SkinForm()
    {
        std::ifstream in(FRAME_SKIN, std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        window.skin = MDC::surfaceForBitmap(bytes);
        form = std::make_unique<CSkinForm>(window, window);
        form->Attach(kWindow);
    }

    bool sent(unsigned uMsg, WParam wParam) const
    {
        return std::find(window.sent.begin(), window.sent.end(), std::pair {uMsg, wParam}) != window.sent.end();
    }

    FakeWindowSystem window;
    std::unique_ptr<CSkinForm> form;
};

} // namespace

TEST_F(SkinForm, AttachTakesTheFrameAwayRegistersTheMessagesAndDrawsTheSkin)
{
    EXPECT_EQ(window.styleBits & 0x00F00000u, 0u);
    EXPECT_TRUE(window.styleBits & WS_MAXIMIZEBOX);
    const auto* before = form->subclass().table(kWindow, MSG_BEFORE);
    const auto* after = form->subclass().table(kWindow, MSG_AFTER);
    ASSERT_TRUE(before && after);
    for (unsigned m : {15u, 133u, 131u, 36u, 125u, 134u})
        EXPECT_TRUE(before->contains(m)) << m;
    for (unsigned m :
        {5u, 127u, 12u, 134u, 512u, 675u, 515u, 513u, 514u, 521u, 519u, 520u, 518u, 516u, 517u, 256u, 257u, 258u})
        EXPECT_TRUE(after->contains(m)) << m;
    EXPECT_FALSE(before->contains(WM_SIZE));
    EXPECT_FALSE(after->contains(WM_PAINT));

    ASSERT_EQ(window.regions.size(), 1u);
    EXPECT_FALSE(window.regions[0].contains(0, 0));
    EXPECT_EQ(window.texts, std::vector<std::string> {"Frame"});
    EXPECT_EQ(window.copies, std::vector<std::optional<MDC::Rect>> {std::nullopt});
    const MDC::Surface& surface = form->frameSurface();
    ASSERT_EQ(surface.width, 400);
    ASSERT_EQ(surface.height, 300);
    // The close button at 361-399 from the skin's close glyph, the left border from the
    // frame source.
    for (int y = 0; y < 19; ++y)
        for (int x = 0; x < 39; ++x)
            ASSERT_EQ(surface.at(361 + x, y), window.skin.at(93 + x, y)) << x << "," << y;
    EXPECT_EQ(surface.at(0, 150), window.skin.at(0, 50));
    EXPECT_EQ(surface.at(200, 299), window.skin.at(4, 53));

    form->Attach(kWindow + 1);
    EXPECT_EQ(form->hwnd(), kWindow) << "attached once for its whole life";
}

TEST_F(SkinForm, PressOnMinimizeMoveToCloseAndReleaseClosesTheWindow)
{
    window.mouse(WM_LBUTTONDOWN, 310, 10, MK_LBUTTON);
    EXPECT_EQ(form->ButtonState(MIN_BUTTON), 2);
    EXPECT_EQ(form->PressedHit(), HIT_MINBUTTON);
    window.mouse(WM_MOUSEMOVE, 370, 10, MK_LBUTTON);
    EXPECT_EQ(form->ButtonState(MIN_BUTTON), 2) << "with the button held only the cursor changes";
    EXPECT_EQ(form->ButtonState(CLOSE_BUTTON), 0);
    window.mouse(WM_LBUTTONUP, 370, 10);
    EXPECT_TRUE(sent(WM_CLOSE, 0));
    EXPECT_EQ(form->ButtonState(MIN_BUTTON), 0);
    EXPECT_EQ(form->PressedHit(), -1);
    EXPECT_TRUE(window.shown.empty()) << "nothing minimized";

    // A release without a press of its own does nothing.
    window.sent.clear();
    window.mouse(WM_LBUTTONUP, 370, 10);
    EXPECT_TRUE(window.sent.empty());
}

TEST_F(SkinForm, PressesStartTheSystemsMoveOrResize)
{
    struct Case
    {
        int x;
        int y;
        bool maximized;
        WParam code;
    };
    for (const Case c : {Case {3, 100, false, 10}, Case {3, 100, true, 2}, Case {200, 10, false, 2},
             Case {200, 100, false, 2}, Case {396, 296, false, 17}, Case {200, 2, false, 12}}) {
        window.sent.clear();
        window.zoomed = c.maximized;
        window.mouse(WM_LBUTTONDOWN, c.x, c.y, MK_LBUTTON);
        EXPECT_EQ(window.sent, (std::vector<std::pair<unsigned, WParam>> {{WM_NCLBUTTONDOWN, c.code}}))
            << c.x << "," << c.y << (c.maximized ? " maximized" : "");
        window.mouse(WM_LBUTTONUP, c.x, c.y);
    }
    // Other buttons only record the code.
    window.sent.clear();
    window.mouse(WM_MBUTTONDOWN, 3, 100, MK_MBUTTON);
    EXPECT_TRUE(window.sent.empty());
    EXPECT_EQ(form->PressedHit(), HIT_LEFT);
}

TEST_F(SkinForm, DoubleClickOnTheCaptionMaximizesAndRestoresAndTheSystemMenuOpensThere)
{
    window.mouse(WM_LBUTTONDBLCLK, 200, 26, MK_LBUTTON);
    window.mouse(WM_LBUTTONUP, 200, 26);
    window.zoomed = true;
    window.mouse(WM_LBUTTONDBLCLK, 200, 26, MK_LBUTTON);
    window.mouse(WM_LBUTTONUP, 200, 26);
    window.zoomed = false;
    window.mouse(WM_LBUTTONDBLCLK, 200, 27, MK_LBUTTON);
    window.mouse(WM_RBUTTONDBLCLK, 200, 10, MK_RBUTTON);
    EXPECT_EQ(window.shown, (std::vector<int> {SW_SHOWMAXIMIZED, SW_SHOWNORMAL}));

    window.menuAnswer = SC_MINIMIZE;
    window.mouse(WM_RBUTTONDOWN, 200, 100, MK_RBUTTON);
    window.mouse(WM_RBUTTONUP, 200, 100);
    EXPECT_EQ(window.menus, 0) << "nothing on the client area";
    window.mouse(WM_RBUTTONDOWN, 200, 10, MK_RBUTTON);
    window.mouse(WM_RBUTTONUP, 200, 10);
    EXPECT_EQ(window.menus, 1);
    EXPECT_TRUE(sent(WM_SYSCOMMAND, SC_MINIMIZE));
    // A right release on the maximize button shows it hot and changes nothing.
    window.mouse(WM_RBUTTONDOWN, 340, 10, MK_RBUTTON);
    window.mouse(WM_RBUTTONUP, 340, 10);
    EXPECT_EQ(form->ButtonState(MAX_BUTTON), 1);
    EXPECT_EQ(window.shown.size(), 2u);
}

TEST_F(SkinForm, HoverRedrawsAtMostTwoButtonsAndPaintingOnlyCopies)
{
    window.copies.clear();
    window.mouse(WM_MOUSEMOVE, 370, 10);
    EXPECT_EQ(form->ButtonState(CLOSE_BUTTON), 1);
    EXPECT_EQ(window.copies, (std::vector<std::optional<MDC::Rect>> {MDC::Rect {361, 0, 39, 19}}));
    for (int y = 0; y < 19; ++y)
        ASSERT_EQ(form->frameSurface().at(380, y), window.skin.at(112, 19 + y)) << "the hot row, " << y;

    window.copies.clear();
    window.mouse(WM_MOUSEMOVE, 340, 10);
    EXPECT_EQ(form->ButtonState(CLOSE_BUTTON), 0);
    EXPECT_EQ(form->ButtonState(MAX_BUTTON), 1);
    EXPECT_EQ(window.copies.size(), 2u);
    window.copies.clear();
    window.mouse(WM_MOUSEMOVE, 341, 12);
    EXPECT_TRUE(window.copies.empty()) << "nothing changed";
    EXPECT_GT(window.leaveRequests, 0);

    const int own = window.ownCalls;
    window.send(WM_PAINT);
    EXPECT_EQ(window.paints, 1);
    EXPECT_EQ(window.ownCalls, own + 1) << "the window's own painting still runs";
    window.mouse(WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(form->ButtonState(MAX_BUTTON), 0);
    EXPECT_EQ(form->HotHit(), 0);
    EXPECT_EQ(window.regions.size(), 1u) << "no stretch or shape since the attach";
}

TEST_F(SkinForm, WindowMessagesAfterTheAttach)
{
    window.rect = {0, 0, 600, 400};
    window.ratio = 2;
    window.send(WM_SIZE);
    EXPECT_EQ(window.regions.size(), 2u);
    EXPECT_EQ(form->frameSurface().width, 1200);
    EXPECT_FALSE(window.regions.back().contains(599, 399));
    EXPECT_TRUE(window.regions.back().contains(598, 398));

    const int own = window.ownCalls;
    MINMAXINFO info;
    EXPECT_EQ(window.send(WM_GETMINMAXINFO, 0, reinterpret_cast<LParam>(&info)), 1);
    EXPECT_EQ(info.ptMaxPosition.y, 24);
    EXPECT_EQ(info.ptMaxSize.x, 1024);
    EXPECT_EQ(info.ptMinTrackSize.x, 136);
    EXPECT_EQ(window.send(WM_NCCALCSIZE), 1);

    window.styleBits |= WS_BORDER;
    EXPECT_EQ(window.send(WM_STYLECHANGED, static_cast<WParam>(GWL_STYLE)), 0);
    EXPECT_EQ(window.styleBits & WS_BORDER, 0u);
    EXPECT_EQ(window.ownCalls, own) << "answered without the window's own handling";

    // Activation: the window's own handling once, then the frame again.
    window.copies.clear();
    EXPECT_EQ(window.send(WM_NCACTIVATE, 1), 7);
    EXPECT_EQ(window.ownCalls, own + 1);
    EXPECT_EQ(window.copies.size(), 1u);
    window.iconic = true;
    window.send(WM_NCACTIVATE, 0);
    EXPECT_EQ(window.ownCalls, own + 2);
    EXPECT_EQ(window.copies.size(), 1u) << "a minimized window is left alone";
}

TEST_F(SkinForm, ReleasedByTheCloseItSendsTheFrameEndsAfterTheMessage)
{
    window.onSend = [this](unsigned uMsg) {
        if (uMsg == WM_CLOSE)
            CSkinForm::Release(std::move(form));
    };
    window.mouse(WM_LBUTTONDOWN, 370, 10, MK_LBUTTON);
    window.mouse(WM_LBUTTONUP, 370, 10);
    EXPECT_FALSE(form);
    EXPECT_FALSE(window.proc) << "the hook ended with the frame";
    EXPECT_EQ(window.send(WM_LBUTTONUP, 0, makeLParam(370, 10)), 7);
    window.runTimers();
}
