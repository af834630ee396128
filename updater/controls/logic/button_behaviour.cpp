#include "updater/controls/logic/button_behaviour.h"

namespace xpcontrols {

void ButtonBehaviour::draw(ButtonReaction& reaction, int state, bool always)
{
    if (m_suppressed)
        return;
    if (!always && state == m_state)
        return;
    m_state = state;
    reaction.redraw = true;
}

ButtonReaction ButtonBehaviour::mouseMove(int x, int y, int width, int height)
{
    ButtonReaction reaction;
    if (!m_enabled)
        return reaction; // a disabled window gets no mouse input
    m_over = x >= 0 && x <= width && y >= 0 && y <= height;
    if (m_parentActive && !m_spaceHeld) {
        if (m_over && m_pressed)
            draw(reaction, StatePressed);
        else if (m_over)
            draw(reaction, StateHot);
        else if (m_focused)
            draw(reaction, StateFocused);
        else
            draw(reaction, StateNormal);
    }
    reaction.mouseMove = true;
    return reaction;
}

ButtonReaction ButtonBehaviour::mouseLeave()
{
    ButtonReaction reaction;
    m_over = false;
    if (m_spaceHeld || !m_enabled)
        return reaction;
    if (m_focused || m_default) {
        if (m_state == StatePressed)
            draw(reaction, m_pressed ? StateFocused : StateNormal);
        else if (m_parentActive)
            draw(reaction, StateFocused);
    } else {
        draw(reaction, StateNormal);
    }
    return reaction;
}

ButtonReaction ButtonBehaviour::mouseDown(MouseButton button)
{
    ButtonReaction reaction;
    if (!m_enabled)
        return reaction;
    m_lastButton = button;
    if (button != MouseButton::Left)
        return reaction;
    m_focused = true;
    m_pressed = true;
    m_leftHeld = true;
    draw(reaction, StatePressed);
    return reaction;
}

ButtonReaction ButtonBehaviour::mouseUp(MouseButton button)
{
    ButtonReaction reaction;
    if (!m_enabled || button != MouseButton::Left)
        return reaction;
    if (m_parentActive) {
        if (m_over)
            draw(reaction, StateHot);
        else if (m_focused)
            draw(reaction, StateFocused, true);
        // Only a press and release both on the button is a click.
        reaction.click = m_over && m_focused && m_pressed;
    }
    m_pressed = false;
    m_leftHeld = false;
    return reaction;
}

ButtonReaction ButtonBehaviour::doubleClick()
{
    ButtonReaction reaction;
    if (!m_enabled || m_lastButton != MouseButton::Left)
        return reaction;
    draw(reaction, StatePressed, true);
    reaction.dblClick = true;
    return reaction;
}

ButtonReaction ButtonBehaviour::keyDown(ButtonKey key)
{
    ButtonReaction reaction;
    if (!m_enabled)
        return reaction;
    switch (key) {
    case ButtonKey::Enter:
        reaction.click = true;
        break;
    case ButtonKey::Space:
        if (!m_leftHeld) {
            m_spaceHeld = true;
            m_pressed = true;
            draw(reaction, StatePressed);
        }
        break;
    case ButtonKey::Left:
    case ButtonKey::Up:
        reaction.moveFocus = -1;
        break;
    case ButtonKey::Right:
    case ButtonKey::Down:
        reaction.moveFocus = 1;
        break;
    case ButtonKey::Other:
        break;
    }
    return reaction;
}

ButtonReaction ButtonBehaviour::keyUp(ButtonKey key)
{
    ButtonReaction reaction;
    if (!m_enabled || key != ButtonKey::Space || m_leftHeld)
        return reaction;
    if (!m_over)
        draw(reaction, StateFocused, true);
    else
        draw(reaction, StateHot);
    reaction.click = m_pressed;
    m_spaceHeld = false;
    m_pressed = false;
    return reaction;
}

ButtonReaction ButtonBehaviour::accessKey()
{
    ButtonReaction reaction;
    if (!m_enabled)
        return reaction;
    if (m_spaceHeld) {
        // The access key cancels a space press instead of clicking.
        m_spaceHeld = false;
        m_pressed = false;
        draw(reaction, m_over ? StateHot : StateFocused);
    } else {
        reaction.click = true;
    }
    return reaction;
}

ButtonReaction ButtonBehaviour::gotFocus()
{
    ButtonReaction reaction;
    m_focused = true;
    if (m_over) {
        if (m_state != StateHot && m_state != StatePressed)
            draw(reaction, StateHot);
    } else if (!m_pressed) {
        draw(reaction, StateFocused, true);
    }
    return reaction;
}

ButtonReaction ButtonBehaviour::lostFocus()
{
    ButtonReaction reaction;
    m_focused = false;
    m_pressed = false;
    m_spaceHeld = false;
    if (!m_enabled)
        return reaction;
    if (!m_parentActive)
        draw(reaction, StateNormal);
    else if (m_over)
        draw(reaction, StateHot);
    else if (m_default)
        draw(reaction, StateFocused, true);
    else
        draw(reaction, StateNormal);
    return reaction;
}

ButtonReaction ButtonBehaviour::parentActivation(bool active)
{
    ButtonReaction reaction;
    m_parentActive = active;
    if (active) {
        if (m_enabled) {
            if (!m_over) {
                if (m_focused || m_default)
                    draw(reaction, StateFocused, true);
            } else if (m_state != StateHot) {
                draw(reaction, StateHot);
            }
        }
        reaction.formActivate = 1;
    } else {
        m_pressed = false;
        m_leftHeld = false;
        m_spaceHeld = false;
        if (m_enabled)
            draw(reaction, StateNormal);
        reaction.formActivate = 0;
    }
    return reaction;
}

ButtonReaction ButtonBehaviour::defaultChanged(bool isDefault)
{
    ButtonReaction reaction;
    m_default = isDefault;
    if (m_enabled && !m_over) {
        if (m_default)
            draw(reaction, StateFocused, true);
        else
            draw(reaction, StateNormal);
    }
    return reaction;
}

ButtonReaction ButtonBehaviour::enabledChanged(bool enabled)
{
    ButtonReaction reaction;
    m_enabled = enabled;
    m_suppressed = false;
    if (m_over && enabled)
        draw(reaction, StateHot, true);
    else if (m_default && enabled)
        draw(reaction, StateFocused, true);
    else
        draw(reaction, enabled ? StateNormal : StateDisabled);
    return reaction;
}

} // namespace xpcontrols
