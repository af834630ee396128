#pragma once

#include "updater/controls/logic/button_face.h"

namespace xpcontrols {

// What the button must do after an input: draw its face again (the state may be the same, as
// when the focus rectangle comes or goes), raise events, move the focus.
struct ButtonReaction
{
    bool redraw = false;
    bool click = false;
    bool dblClick = false;
    bool mouseMove = false;
    int formActivate = -1; // 1 or 0 when FormActivate is to be raised
    int moveFocus = 0; // -1 to the previous control, +1 to the next one
};

enum class MouseButton { Left, Right, Middle, Other };
enum class ButtonKey { Enter, Space, Left, Up, Right, Down, Other };

// The push button's mouse, keyboard, focus and activation rules as a state machine without any
// window: the widget feeds it what happened and carries out the reaction.
class ButtonBehaviour
{
public:
    int state() const { return m_state; }
    bool isOver() const { return m_over; }
    bool isPressed() const { return m_pressed; }
    bool isFocused() const { return m_focused; }
    bool isParentActive() const { return m_parentActive; }
    bool isDefault() const { return m_default; }
    bool isSpaceHeld() const { return m_spaceHeld; }
    bool isLeftHeld() const { return m_leftHeld; }
    bool isEnabled() const { return m_enabled; }
    bool redrawsSuppressed() const { return m_suppressed; }

    // While suppressed (during set-up and while the size is corrected) draw requests are ignored.
    void setRedrawsSuppressed(bool suppressed) { m_suppressed = suppressed; }

    // Whether the face shows the dotted focus rectangle with the FocusRect property `wanted`.
    bool showsFocusDots(bool wanted) const { return m_focused && wanted && m_state > StateNormal; }

    ButtonReaction mouseMove(int x, int y, int width, int height);
    ButtonReaction mouseLeave();
    ButtonReaction mouseDown(MouseButton button);
    ButtonReaction mouseUp(MouseButton button);
    ButtonReaction doubleClick();
    ButtonReaction keyDown(ButtonKey key);
    ButtonReaction keyUp(ButtonKey key);
    ButtonReaction accessKey();
    ButtonReaction gotFocus();
    ButtonReaction lostFocus();
    ButtonReaction parentActivation(bool active);
    ButtonReaction defaultChanged(bool isDefault);
    ButtonReaction enabledChanged(bool enabled);

private:
    void draw(ButtonReaction& reaction, int state, bool always = false);
    // From the mouse-leave message on: pressed face while still held, else the resting face.
    int restingState() const;

    int m_state = StateDisabled;
    bool m_suppressed = true; // nothing is drawn before the control has been set up
    bool m_over = false;
    bool m_pressed = false;
    bool m_leftHeld = false;
    bool m_spaceHeld = false;
    bool m_focused = false;
    bool m_parentActive = false;
    bool m_default = false;
    bool m_enabled = true;
    MouseButton m_lastButton = MouseButton::Other;
};

} // namespace xpcontrols
