#include "updater/controls/logic/button_behaviour.h"
#include "updater/controls/logic/button_caption.h"

#include <gtest/gtest.h>

using namespace xpcontrols;

namespace {

constexpr int kW = 75;
constexpr int kH = 23;

// A button set up in an active window, the mouse elsewhere.
ButtonBehaviour readyButton()
{
    ButtonBehaviour button;
    button.enabledChanged(true);
    button.parentActivation(true);
    return button;
}

} // namespace

TEST(ButtonCaption, AccessKeySkipsDoubledAmpersands)
{
    EXPECT_EQ(accessKeyOf("Save && &Exit"), "e");
    EXPECT_EQ(accessKeyOf("&OK"), "o");
    EXPECT_EQ(accessKeyOf("E&xit"), "x");
    EXPECT_EQ(accessKeyOf("Plain"), "");
    EXPECT_EQ(accessKeyOf("Tom && Jerry"), "");
    EXPECT_EQ(accessKeyOf("Trailing&"), "");
    EXPECT_EQ(accessKeyOf(""), "");
    EXPECT_EQ(accessKeyOf("&&&B"), "b");
    EXPECT_EQ(accessKeyOf("更新(&U)"), "u");
    EXPECT_EQ(accessKeyOf("&更新"), "更");
}

TEST(ButtonCaption, SpokenCaptionDropsTheAccessKeyMarks)
{
    const std::pair<const char*, const char*> cases[]
        = {{"&OK", "OK"}, {"Save && &Exit", "Save & Exit"}, {"Tom && Jerry", "Tom & Jerry"}, {"Trailing&", "Trailing"},
            {"&&&B", "&B"}, {"更新(&U)", "更新(U)"}, {"完成", "完成"}, {"", ""}};
    for (const auto& [caption, spoken] : cases)
        EXPECT_EQ(spokenCaption(caption), spoken) << caption;
}

TEST(ButtonCaption, NewButtonTakesTheFirstFreeStandardCaption)
{
    EXPECT_EQ(newButtonCaption({}, "ccXPButton1"), "&OK");
    EXPECT_EQ(newButtonCaption({"&OK"}, "ccXPButton2"), "&Cancel");
    EXPECT_EQ(newButtonCaption({"&Cancel", "&OK"}, "ccXPButton3"), "&Apply");
    EXPECT_EQ(newButtonCaption({"&OK", "&Apply", "&Cancel"}, "ccXPButton4"), "ccXPButton4");
    // Only whole captions count.
    EXPECT_EQ(newButtonCaption({"&OKAY"}, "b"), "&OK");
}

TEST(ButtonBehaviour, NothingIsDrawnBeforeSetUp)
{
    ButtonBehaviour button;
    EXPECT_TRUE(button.redrawsSuppressed());
    EXPECT_FALSE(button.parentActivation(true).redraw);
    EXPECT_FALSE(button.gotFocus().redraw);
    EXPECT_EQ(button.state(), StateDisabled);
    const ButtonReaction setUp = button.enabledChanged(true);
    EXPECT_TRUE(setUp.redraw);
    EXPECT_FALSE(button.redrawsSuppressed());
    // Set-up draws the resting face; the focus noted meanwhile counts from the next input on.
    EXPECT_EQ(button.state(), StateNormal);
}

TEST(ButtonBehaviour, MouseClickNeedsPressAndReleaseOnTheButton)
{
    ButtonBehaviour button = readyButton();
    ButtonReaction r = button.mouseMove(5, 5, kW, kH);
    EXPECT_TRUE(r.mouseMove);
    EXPECT_EQ(button.state(), StateHot);
    button.gotFocus();
    EXPECT_EQ(button.state(), StateHot);
    button.mouseDown(MouseButton::Left);
    EXPECT_EQ(button.state(), StatePressed);
    EXPECT_TRUE(button.isLeftHeld());
    r = button.mouseUp(MouseButton::Left);
    EXPECT_TRUE(r.click);
    EXPECT_EQ(button.state(), StateHot);
    EXPECT_FALSE(button.isPressed());

    // Press, slide off, release: no click, the focused face stays.
    button.mouseDown(MouseButton::Left);
    r = button.mouseMove(kW + 10, 5, kW, kH);
    EXPECT_EQ(button.state(), StateFocused);
    r = button.mouseUp(MouseButton::Left);
    EXPECT_FALSE(r.click);
    EXPECT_TRUE(r.redraw); // drawn again even though the state is the same
    EXPECT_EQ(button.state(), StateFocused);

    // The edges themselves still count as over; one pixel beyond does not.
    button.mouseMove(kW, kH, kW, kH);
    EXPECT_TRUE(button.isOver());
    button.mouseMove(-1, 0, kW, kH);
    EXPECT_FALSE(button.isOver());

    // Other buttons neither press nor click.
    button.mouseMove(5, 5, kW, kH);
    button.mouseDown(MouseButton::Right);
    EXPECT_FALSE(button.mouseUp(MouseButton::Right).click);
    EXPECT_EQ(button.state(), StateHot);
}

TEST(ButtonBehaviour, SpaceShowsThePressedFaceAndClicksOnRelease)
{
    ButtonBehaviour button = readyButton();
    button.gotFocus();
    EXPECT_EQ(button.state(), StateFocused);
    EXPECT_FALSE(button.keyDown(ButtonKey::Space).click);
    EXPECT_EQ(button.state(), StatePressed);
    // Mouse moves do not change the face while Space is held.
    button.mouseMove(5, 5, kW, kH);
    EXPECT_EQ(button.state(), StatePressed);
    button.mouseMove(kW + 5, 5, kW, kH);
    const ButtonReaction up = button.keyUp(ButtonKey::Space);
    EXPECT_TRUE(up.click);
    EXPECT_EQ(button.state(), StateFocused);
    EXPECT_FALSE(button.isSpaceHeld());
    // A second release without a press is no click.
    EXPECT_FALSE(button.keyUp(ButtonKey::Space).click);
}

TEST(ButtonBehaviour, MouseAndSpaceTogetherGiveOneClickAtMost)
{
    ButtonBehaviour button = readyButton();
    button.mouseMove(5, 5, kW, kH);
    button.gotFocus();
    int clicks = 0;
    clicks += button.keyDown(ButtonKey::Space).click;
    clicks += button.mouseDown(MouseButton::Left).click;
    // Space is ignored while the left button is held.
    clicks += button.keyUp(ButtonKey::Space).click;
    EXPECT_TRUE(button.isSpaceHeld());
    clicks += button.mouseUp(MouseButton::Left).click;
    clicks += button.keyUp(ButtonKey::Space).click;
    EXPECT_EQ(clicks, 1);

    // While the left button is held Space does not press.
    button.mouseDown(MouseButton::Left);
    button.keyDown(ButtonKey::Space);
    EXPECT_FALSE(button.isSpaceHeld());
}

TEST(ButtonBehaviour, DeactivationForgetsAPendingPress)
{
    ButtonBehaviour button = readyButton();
    button.mouseMove(5, 5, kW, kH);
    button.mouseDown(MouseButton::Left);
    ButtonReaction r = button.parentActivation(false);
    EXPECT_EQ(r.formActivate, 0);
    EXPECT_EQ(button.state(), StateNormal);
    EXPECT_FALSE(button.isPressed());
    EXPECT_FALSE(button.isLeftHeld());
    r = button.mouseUp(MouseButton::Left);
    EXPECT_FALSE(r.click);
    EXPECT_EQ(button.state(), StateNormal);
    // Inactive windows do not light the button up.
    button.mouseMove(6, 6, kW, kH);
    EXPECT_EQ(button.state(), StateNormal);

    r = button.parentActivation(true);
    EXPECT_EQ(r.formActivate, 1);
    EXPECT_EQ(button.state(), StateHot);

    ButtonBehaviour space = readyButton();
    space.gotFocus();
    space.keyDown(ButtonKey::Space);
    space.parentActivation(false);
    EXPECT_FALSE(space.keyUp(ButtonKey::Space).click);
}

TEST(ButtonBehaviour, DisabledButtonIgnoresMouseAndKeys)
{
    ButtonBehaviour button = readyButton();
    button.enabledChanged(false);
    EXPECT_EQ(button.state(), StateDisabled);
    EXPECT_FALSE(button.mouseMove(5, 5, kW, kH).redraw);
    EXPECT_FALSE(button.mouseDown(MouseButton::Left).redraw);
    EXPECT_FALSE(button.mouseUp(MouseButton::Left).click);
    EXPECT_FALSE(button.keyDown(ButtonKey::Enter).click);
    EXPECT_FALSE(button.keyDown(ButtonKey::Space).redraw);
    EXPECT_FALSE(button.keyUp(ButtonKey::Space).click);
    EXPECT_FALSE(button.accessKey().click);
    EXPECT_EQ(button.keyDown(ButtonKey::Right).moveFocus, 0);
    EXPECT_EQ(button.parentActivation(true).formActivate, 1);
    EXPECT_EQ(button.state(), StateDisabled);

    // Enabled again: the face follows the mouse and the default flag.
    button.defaultChanged(true);
    button.enabledChanged(true);
    EXPECT_EQ(button.state(), StateFocused);
}

TEST(ButtonBehaviour, KeysClickAndMoveTheFocus)
{
    ButtonBehaviour button = readyButton();
    EXPECT_TRUE(button.keyDown(ButtonKey::Enter).click);
    EXPECT_EQ(button.keyDown(ButtonKey::Left).moveFocus, -1);
    EXPECT_EQ(button.keyDown(ButtonKey::Up).moveFocus, -1);
    EXPECT_EQ(button.keyDown(ButtonKey::Right).moveFocus, 1);
    EXPECT_EQ(button.keyDown(ButtonKey::Down).moveFocus, 1);
    EXPECT_FALSE(button.keyDown(ButtonKey::Other).click);

    EXPECT_TRUE(button.accessKey().click);
    // The access key during a Space press cancels it instead of clicking.
    button.gotFocus();
    button.keyDown(ButtonKey::Space);
    const ButtonReaction r = button.accessKey();
    EXPECT_FALSE(r.click);
    EXPECT_FALSE(button.isSpaceHeld());
    EXPECT_EQ(button.state(), StateFocused);
    EXPECT_FALSE(button.keyUp(ButtonKey::Space).click);
}

TEST(ButtonBehaviour, LeavingFocusAndDefaultChooseTheRestingFace)
{
    ButtonBehaviour button = readyButton();
    button.mouseMove(5, 5, kW, kH);
    button.mouseLeave();
    EXPECT_EQ(button.state(), StateNormal);
    EXPECT_FALSE(button.isOver());

    // Focused and pressed when the pointer leaves: the blue ring, not the pressed face.
    button.mouseMove(5, 5, kW, kH);
    button.gotFocus();
    button.mouseDown(MouseButton::Left);
    button.mouseLeave();
    EXPECT_EQ(button.state(), StateFocused);

    button.mouseUp(MouseButton::Left);
    button.lostFocus();
    EXPECT_EQ(button.state(), StateNormal);
    EXPECT_FALSE(button.isFocused());

    EXPECT_TRUE(button.defaultChanged(true).redraw);
    EXPECT_EQ(button.state(), StateFocused);
    button.gotFocus();
    EXPECT_TRUE(button.lostFocus().redraw);
    EXPECT_EQ(button.state(), StateFocused);
    button.defaultChanged(false);
    EXPECT_EQ(button.state(), StateNormal);
}

TEST(ButtonBehaviour, DoubleClickFollowsTheLastButton)
{
    ButtonBehaviour button = readyButton();
    button.mouseMove(5, 5, kW, kH);
    button.mouseDown(MouseButton::Left);
    button.mouseUp(MouseButton::Left);
    ButtonReaction r = button.doubleClick();
    EXPECT_TRUE(r.dblClick);
    EXPECT_EQ(button.state(), StatePressed);
    // The release after the double click is no second click.
    EXPECT_FALSE(button.mouseUp(MouseButton::Left).click);

    button.mouseDown(MouseButton::Right);
    EXPECT_FALSE(button.doubleClick().dblClick);
}

TEST(ButtonBehaviour, FocusDotsOnlyOnRingedOrPressedFacesWithFocus)
{
    ButtonBehaviour button = readyButton();
    EXPECT_FALSE(button.showsFocusDots(true));
    button.gotFocus();
    EXPECT_TRUE(button.showsFocusDots(true));
    EXPECT_FALSE(button.showsFocusDots(false));
    button.parentActivation(false); // normal face: no dots even with the focus
    EXPECT_FALSE(button.showsFocusDots(true));
}
