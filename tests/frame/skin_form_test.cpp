// The drawn frame over a window kept in memory: what attaching does, the mouse rules, the
// window messages, and what a hover or a paint costs.

#include "portal/frame/logic/CSkinForm.h"
#include "tests/frame/fake_window_system.h"
#include "tests/frame/skin_look.h"

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
    // The title strip's last rows are caption too; the row below it is client.
    window.mouse(WM_LBUTTONDBLCLK, 200, 28, MK_LBUTTON);
    window.mouse(WM_LBUTTONUP, 200, 28);
    window.mouse(WM_LBUTTONDBLCLK, 200, 29, MK_LBUTTON);
    window.mouse(WM_RBUTTONDBLCLK, 200, 10, MK_RBUTTON);
    EXPECT_EQ(window.shown, (std::vector<int> {SW_SHOWMAXIMIZED, SW_SHOWNORMAL, SW_SHOWMAXIMIZED}));

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
    EXPECT_EQ(window.shown.size(), 3u);

    // alt+space opens the same menu from the keyboard; other commands are the window's.
    window.menuAnswer = SC_CLOSE;
    const int own = window.ownCalls;
    window.send(WM_SYSCOMMAND, SC_KEYMENU, ' ');
    EXPECT_EQ(window.menus, 2);
    EXPECT_TRUE(sent(WM_SYSCOMMAND, SC_CLOSE));
    EXPECT_EQ(window.ownCalls, own);
    window.send(WM_SYSCOMMAND, SC_MOVE, 0);
    EXPECT_EQ(window.ownCalls, own + 1);
}

TEST_F(SkinForm, TheHitTestAnswersForAnyPointAndTheSizeLimitsHoldFromTheAttach)
{
    EXPECT_EQ(window.limitQueries, 1) << "asked for once the frame answers them";
    const int own = window.ownCalls;
    EXPECT_EQ(window.send(WM_NCHITTEST, 0, makeLParam(3, 100)), HIT_LEFT);
    EXPECT_EQ(window.send(WM_NCHITTEST, 0, makeLParam(100, 10)), HIT_CAPTION);
    EXPECT_EQ(window.send(WM_NCHITTEST, 0, makeLParam(200, 200)), HIT_CLIENT);
    EXPECT_EQ(window.ownCalls, own);

    window.frameMetric = 4;
    form->setMinTrackSize({395, 113});
    EXPECT_EQ(window.limitQueries, 2);
    MINMAXINFO info;
    window.send(WM_GETMINMAXINFO, 0, reinterpret_cast<LParam>(&info));
    EXPECT_EQ(info.ptMinTrackSize.x, 395);
    EXPECT_EQ(info.ptMinTrackSize.y, 113);
    EXPECT_EQ(info.ptMaxPosition.x, -4);
    EXPECT_EQ(info.ptMaxPosition.y, 20);
    EXPECT_EQ(info.ptMaxSize.x, 1032);
}

TEST_F(SkinForm, AtAnyScaleTheCaptionButtonsRowsMeetTheTitleBars)
{
    for (const double ratio : {1.25, 1.5, 1.75, 2.0}) {
        window.ratio = ratio;
        window.send(WM_SIZE, SIZE_RESTORED, makeLParam(401, 300));
        const MDC::Surface& f = form->frameSurface();
        const MDC::Pixel outline = window.skin.at(4, 0);
        // Every device row of the top: the outline is as thick over each button as over the
        // title bar beside it, and the buttons meet without a gap.
        for (int y = 0; y < MDC::toDevice(19, ratio); ++y) {
            const bool bar = f.at(MDC::toDevice(200, ratio), y) == outline;
            for (const int x : {401 - 95 + 1, 401 - 67 + 1, 401 - 39 + 1})
                ASSERT_EQ(f.at(MDC::toDevice(x, ratio), y) == outline, bar) << ratio << ": " << x << "," << y;
        }
    }
}

// At 150 % and 200 % the frame is drawn from the skin made for that scale: every device pixel
// is the skin's own, and the top border is as thick over the title bar as over the buttons,
// the left border as wide as the right, also where a window size gives no whole device size.
TEST_F(SkinForm, WithTheSkinDrawnForTheScaleEveryDevicePixelIsTheSkinsOwnAndTheEdgesAreEven)
{
    for (const double k : {1.5, 2.0})
        window.scaledSkins[k] = skinFromFile(skinPathFor(FRAME_SKIN, k));
    struct Case
    {
        double k;
        int width, height;
        bool maximized;
        bool hotClose;
    };
    for (const Case c :
        {Case {1.5, 401, 301, false, false}, Case {1.5, 400, 300, false, true}, Case {2.0, 401, 300, false, false},
            Case {2.0, 137, 60, false, true}, Case {1.5, 1024, 744, true, false}, Case {2.0, 1024, 744, true, true}}) {
        const std::string at = std::to_string(c.k) + " " + std::to_string(c.width) + "x" + std::to_string(c.height);
        window.ratio = c.k;
        window.frameMetric = 4;
        window.zoomed = c.maximized;
        window.rect = {0, c.maximized ? 24 : 80, c.width, c.height};
        window.send(WM_SIZE, c.maximized ? SIZE_MAXIMIZED : SIZE_RESTORED, makeLParam(c.width, c.height));
        window.mouse(WM_MOUSEMOVE, c.hotClose ? c.width - 10 : c.width / 2, c.hotClose ? 8 : 100);
        ASSERT_NE(form->sharpSkin(), nullptr) << at;
        ASSERT_EQ(form->sharpSkin()->pixels, window.scaledSkins[c.k].pixels) << at;
        FrameLook look {window.scaledSkins[c.k], c.k, c.width, c.height, c.maximized ? 4 : 0, c.maximized};
        look.states[CLOSE_BUTTON] = c.hotClose ? 1 : 0;

        const MDC::Surface& f = form->frameSurface();
        ASSERT_EQ(f.width, look.dev(c.width)) << at;
        ASSERT_EQ(f.height, look.dev(c.height)) << at;
        // The cut corners' pixels may take their neighbours' colour (see the window test).
        for (int y = 0; y < f.height; ++y)
            for (int x = 0; x < f.width; ++x)
                if (!MDC::sameColour(look.at(x, y), kSkinKey)) {
                    ASSERT_EQ(f.at(x, y), look.at(x, y)) << at << ": device pixel " << x << "," << y;
                }
        if (c.maximized)
            continue;
        const MDC::Pixel outline = window.skin.at(4, 0);
        for (int x = look.P(3); x < f.width - look.P(3); ++x) {
            int rows = 0;
            while (f.at(x, rows) == outline)
                ++rows;
            ASSERT_EQ(rows, look.P(1)) << at << ": the top border over device column " << x;
        }
        for (int y = look.P(19); y < f.height - look.P(3); ++y)
            for (int i = 0; i < look.P(4); ++i)
                ASSERT_EQ(f.at(i, y), f.at(f.width - 1 - i, y)) << at << ": the side borders in device row " << y;
    }
    // A scale without its own skin draws the standard one scaled.
    window.ratio = 1.25;
    window.zoomed = false;
    window.rect = {100, 80, 400, 300};
    window.send(WM_SIZE, SIZE_RESTORED, makeLParam(400, 300));
    EXPECT_EQ(form->sharpSkin(), nullptr);
    EXPECT_EQ(form->frameSurface().at(0, 200), window.skin.at(0, 50));
}

TEST_F(SkinForm, MaximizedTheBorderAndTheCutCornersLieOffTheScreen)
{
    // The window manager keeps the maximized window on the work area.
    window.frameMetric = 4;
    window.rect = {0, 24, 1024, 744};
    window.zoomed = true;
    window.send(WM_SIZE, SIZE_MAXIMIZED, makeLParam(1024, 744));
    EXPECT_EQ(form->frameOrigin().x, 4);
    EXPECT_EQ(form->frameOrigin().y, 4);
    const MDC::Region& shape = window.regions.back();
    for (const auto& [x, y] : {std::pair {0, 0}, {1023, 0}, {0, 743}, {1023, 743}})
        EXPECT_TRUE(shape.contains(x, y)) << x << "," << y;
    const MDC::Surface& surface = form->frameSurface();
    ASSERT_EQ(surface.width, 1024);
    EXPECT_EQ(surface.at(0, 300), window.skin.at(4, 50)) << "client background, no border";
    EXPECT_EQ(surface.at(500, 743), window.skin.at(4, 50));
    // The restore glyph and the close button shift with the frame: the close button's
    // rounded corner is off the screen.
    for (int y = 4; y < 19; ++y)
        for (int x = 0; x < 35; ++x)
            ASSERT_EQ(surface.at(989 + x, y - 4), window.skin.at(93 + x, y)) << x << "," << y;
    EXPECT_EQ(window.send(WM_NCHITTEST, 0, makeLParam(1023, 0)), HIT_CLOSE);
    EXPECT_EQ(window.send(WM_NCHITTEST, 0, makeLParam(0, 300)), HIT_CLIENT);
    window.mouse(WM_MOUSEMOVE, 1023, 0);
    EXPECT_EQ(form->ButtonState(CLOSE_BUTTON), 1);

    window.zoomed = false;
    window.rect = {100, 80, 400, 300};
    window.send(WM_SIZE, SIZE_RESTORED, makeLParam(400, 300));
    EXPECT_EQ(form->frameOrigin().x, 0);
    EXPECT_FALSE(window.regions.back().contains(0, 0));

    // The new size arrives before the window's new place: the border is still taken off.
    window.zoomed = true;
    window.rect = {100, 80, 1024, 744};
    window.send(WM_SIZE, SIZE_MAXIMIZED, makeLParam(1024, 744));
    EXPECT_EQ(form->frameOrigin().x, 4);
    EXPECT_EQ(form->frameOrigin().y, 4);
    EXPECT_TRUE(window.regions.back().contains(0, 0));
}

TEST_F(SkinForm, AWindowOfAnySizeIsDrawnWithinTheSurfaceLimit)
{
    struct Case
    {
        int width, height;
        double ratio;
    };
    for (const Case c : {Case {23901, 23901, 1.0}, Case {400, 300, 1.5}, Case {7680, 4320, 1.0}, Case {7680, 4321, 1.0},
             Case {9000, 30000, 1.5}}) {
        window.rect = {0, 0, c.width, c.height};
        window.ratio = c.ratio;
        window.send(WM_SIZE, SIZE_RESTORED, makeLParam(c.width, c.height));
        const std::string at = std::to_string(c.width) + "x" + std::to_string(c.height);
        for (const MDC::Surface* s : {&form->frameSurface(), &form->backgroundSurface()}) {
            ASSERT_FALSE(s->empty()) << at;
            EXPECT_LE(static_cast<std::int64_t>(s->width) * s->height, MDC::kMaxSurfaceArea) << at;
            EXPECT_EQ(MDC::shownHeight(*s), MDC::toDevice(c.height, c.ratio)) << at;
            EXPECT_EQ(s->width, MDC::toDevice(c.width, c.ratio)) << at;
        }
        const MDC::Surface& f = form->frameSurface();
        EXPECT_EQ(f.at(f.width / 2, f.height - 1), window.skin.at(4, 53)) << at << ": the bottom border";
        EXPECT_EQ(f.at(0, f.height / 2), window.skin.at(0, 50)) << at << ": the left border";
        const MDC::Region& shape = window.regions.back();
        EXPECT_FALSE(shape.contains(0, c.height - 1)) << at << ": the cut corner at the window's bottom";
        EXPECT_TRUE(shape.contains(c.width / 2, c.height - 1)) << at;
        EXPECT_TRUE(shape.contains(c.width / 2, c.height / 2)) << at;
        EXPECT_FALSE(shape.contains(c.width / 2, c.height)) << at;
    }
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
    bool hookedWhileHandling = false;
    window.onSend = [&](unsigned uMsg) {
        if (uMsg != WM_CLOSE)
            return;
        CSkinForm::Release(std::move(form));
        // Still handling the release: the frame and its hook live on until it is done.
        hookedWhileHandling = window.proc != nullptr;
    };
    window.mouse(WM_LBUTTONDOWN, 370, 10, MK_LBUTTON);
    window.mouse(WM_LBUTTONUP, 370, 10);
    EXPECT_TRUE(hookedWhileHandling);
    EXPECT_FALSE(window.proc) << "the hook ended with the frame, once the message was done";
    EXPECT_EQ(window.send(WM_LBUTTONUP, 0, makeLParam(370, 10)), 7);
    window.runTimers();
}

TEST_F(SkinForm, ACaptionButtonPressedFromTheKeyboardDoesWhatItsClickDoes)
{
    struct Case
    {
        int hit;
        int x;
        bool maximized;
    };
    for (const Case c : {Case {HIT_CLOSE, 380, false}, Case {HIT_MAXBUTTON, 345, false},
             Case {HIT_MAXBUTTON, 345, true}, Case {HIT_MINBUTTON, 318, false}}) {
        window.zoomed = c.maximized;
        window.sent.clear();
        window.shown.clear();
        window.mouse(WM_LBUTTONDOWN, c.x, 8, MK_LBUTTON);
        window.mouse(WM_LBUTTONUP, c.x, 8);
        const auto clickedSent = window.sent;
        const auto clickedShown = window.shown;
        ASSERT_FALSE(clickedSent.empty() && clickedShown.empty()) << "the click at " << c.x << " did something";
        window.sent.clear();
        window.shown.clear();
        form->pressCaptionButton(c.hit);
        EXPECT_EQ(window.sent, clickedSent) << c.hit << (c.maximized ? " maximized" : "");
        EXPECT_EQ(window.shown, clickedShown) << c.hit << (c.maximized ? " maximized" : "");
    }
}
