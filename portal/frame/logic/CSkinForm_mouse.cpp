// The frame's mouse rules: hot and pressed caption buttons, moving and sizing through the
// system, maximizing, minimizing, closing and the system menu.
#include "portal/frame/logic/CSkinForm.h"

namespace frame {

namespace {

bool isEdge(int hit)
{
    return hit >= HIT_LEFT && hit <= HIT_BOTTOMRIGHT;
}

} // namespace

int CSkinForm::extraIndex(int hit) const
{
    const int index = hit - HIT_EXTRA;
    return index >= 0 && index < static_cast<int>(m_buttons.size()) ? index : -1;
}

std::vector<MDC::Rect> CSkinForm::extraRects() const
{
    std::vector<MDC::Rect> rects;
    for (const ExtraButton& b : m_buttons)
        rects.push_back(b.rect);
    return rects;
}

std::vector<int> CSkinForm::extraCursors() const
{
    std::vector<int> cursors;
    for (const ExtraButton& b : m_buttons)
        cursors.push_back(b.mousePointer);
    return cursors;
}

void CSkinForm::onMouse(unsigned uMsg, WParam wParam, LParam lParam)
{
    // Mouse positions are the window's; the frame's own lie further out while maximized.
    const int hit = hitTest(windowState(), LOWORD(lParam) + static_cast<int>(m_origin.x),
        HIWORD(lParam) + static_cast<int>(m_origin.y), extraRects());
    m_window.setCursor(m_hwnd, m_cursors[cursorFor(hit, extraCursors())]);
    switch (uMsg) {
    case WM_LBUTTONDOWN:
        return onPress(Button::Left, hit);
    case WM_RBUTTONDOWN:
        return onPress(Button::Right, hit);
    case WM_MBUTTONDOWN:
        return onPress(Button::Middle, hit);
    case WM_MOUSEMOVE:
        return onMove(wParam, hit);
    case WM_MOUSELEAVE:
        return onLeave();
    case WM_LBUTTONUP:
        return onRelease(Button::Left, hit);
    case WM_RBUTTONUP:
        return onRelease(Button::Right, hit);
    case WM_MBUTTONUP:
        return onRelease(Button::Middle, hit);
    case WM_LBUTTONDBLCLK:
        return onDoubleClick(Button::Left, hit);
    case WM_RBUTTONDBLCLK:
        return onDoubleClick(Button::Right, hit);
    case WM_MBUTTONDBLCLK:
        return onDoubleClick(Button::Middle, hit);
    default:
        return;
    }
}

void CSkinForm::onPress(Button button, int hit)
{
    m_PressedHit = hit;
    if (button != Button::Left)
        return;
    if (isEdge(hit)) {
        m_window.releaseCapture();
        m_window.sendMessage(m_hwnd, WM_NCLBUTTONDOWN, static_cast<WParam>(hit), 0);
    } else if (captionButtonFor(hit) >= 0) {
        setButtonState(captionButtonFor(hit), 2);
        refresh();
    } else if (hit == HIT_CAPTION || hit == HIT_CLIENT) {
        HitCaption();
    } else if (const int extra = extraIndex(hit); extra >= 0 && m_buttons[extra].enabled) {
        setExtraState(extra, 2);
    }
}

void CSkinForm::normalState(int hit)
{
    if (captionButtonFor(hit) >= 0)
        setButtonState(captionButtonFor(hit), 0);
    else if (const int extra = extraIndex(hit); extra >= 0 && m_buttons[extra].enabled)
        setExtraState(extra, 0);
}

void CSkinForm::onMove(WParam wParam, int hit)
{
    if (wParam & MK_LBUTTON) {
        m_window.setCursor(m_hwnd, m_cursors[cursorFor(m_PressedHit, extraCursors())]);
    } else if (hit != m_HotHit) {
        normalState(m_HotHit);
        m_HotHit = hit;
        if (captionButtonFor(hit) >= 0)
            setButtonState(captionButtonFor(hit), 1);
        else if (const int extra = extraIndex(hit); extra >= 0 && m_buttons[extra].enabled)
            setExtraState(extra, 1);
        refresh();
    }
    c_Subclass.TrackMouseTracking(m_hwnd);
}

void CSkinForm::onLeave()
{
    normalState(m_HotHit);
    refresh();
    m_HotHit = 0;
}

void CSkinForm::toggleMaximized()
{
    if (m_window.style(m_hwnd) & WS_MAXIMIZEBOX)
        m_window.showWindow(m_hwnd, m_window.isZoomed(m_hwnd) ? SW_SHOWNORMAL : SW_SHOWMAXIMIZED);
}

void CSkinForm::pressCaptionButton(int hit)
{
    if (hit == HIT_CLOSE)
        m_window.sendMessage(m_hwnd, WM_CLOSE, 0, 0);
    else if (hit == HIT_MAXBUTTON)
        toggleMaximized();
    else if (hit == HIT_MINBUTTON && (m_window.style(m_hwnd) & WS_MINIMIZEBOX))
        m_window.showWindow(m_hwnd, SW_MINIMIZE);
}

void CSkinForm::onRelease(Button button, int hit)
{
    if (m_PressedHit == -1)
        return;
    m_HotHit = hit;
    if (hit != m_PressedHit)
        normalState(m_PressedHit);
    const bool left = button == Button::Left;
    if (hit == HIT_CLOSE) {
        if (left)
            m_window.sendMessage(m_hwnd, WM_CLOSE, 0, 0);
    } else if (hit == HIT_MAXBUTTON || hit == HIT_MINBUTTON) {
        if (left && hit == HIT_MAXBUTTON)
            toggleMaximized();
        else if (left)
            m_window.showWindow(m_hwnd, SW_MINIMIZE);
        setButtonState(captionButtonFor(hit), 1);
    } else if (const int extra = extraIndex(hit); extra >= 0 && m_buttons[extra].enabled) {
        setExtraState(extra, 1);
        if (left && m_PressedHit == hit && m_events)
            m_events->ButtonClick(extra);
    } else if (hit == HIT_CAPTION && button == Button::Right) {
        openSystemMenu(m_window.cursorPos());
    }
    m_PressedHit = -1;
    refresh();
}

void CSkinForm::onDoubleClick(Button button, int hit)
{
    if (button != Button::Left)
        return;
    m_PressedHit = hit;
    if (hit == HIT_CAPTION)
        toggleMaximized();
    else if (const int extra = extraIndex(hit); extra >= 0 && m_buttons[extra].enabled)
        setExtraState(extra, 2);
}

} // namespace frame
