#include "portal/frame/logic/CSkinForm.h"

#include <algorithm>

namespace frame {

namespace {

// Style bits of the standard caption and border, and of the scroll bars.
constexpr std::uint32_t kFrameStyles = 0x00F00000;

// Beyond the messages the frame first took, the hit test (so that the window system can
// ask it for any point of the window, also over a child) and the system command that
// opens the system menu from the keyboard.
constexpr unsigned kBeforeMessages[] = {
    WM_PAINT, WM_NCPAINT, WM_NCCALCSIZE, WM_GETMINMAXINFO, WM_STYLECHANGED, WM_NCACTIVATE, WM_NCHITTEST, WM_SYSCOMMAND};
constexpr unsigned kAfterMessages[] = {WM_SIZE, WM_GETICON, WM_SETTEXT, WM_NCACTIVATE, WM_MOUSEMOVE, WM_MOUSELEAVE,
    WM_LBUTTONDBLCLK, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_MBUTTONDBLCLK, WM_MBUTTONDOWN, WM_MBUTTONUP, WM_RBUTTONDBLCLK,
    WM_RBUTTONDOWN, WM_RBUTTONUP, WM_KEYDOWN, WM_KEYUP, WM_CHAR};

} // namespace

CSkinForm::CSkinForm(FramePlatform& window, HookPlatform& hooks, SkinFormEvents* events)
    : m_window(window)
    , m_events(events)
    , c_Subclass(hooks, this)
{
    for (int i = 0; i < CURSOR_COUNT; ++i)
        m_cursors[i] = m_window.loadCursor(kCursorIds[i]);
    m_skin = m_window.loadBitmapResource(kSkinResource, 1.0);
    m_DwmPresent = m_window.libraryExports("dwmapi", "DwmIsCompositionEnabled");
}

CSkinForm::~CSkinForm()
{
    for (const int cursor : m_cursors)
        m_window.destroyCursor(cursor);
}

void CSkinForm::Release(std::unique_ptr<CSkinForm> form)
{
    if (form && form->m_depth > 0) {
        // Deleted by its own handler once the message is done.
        form->m_releasePending = true;
        form.release();
    }
}

void CSkinForm::Attach(Hwnd hwnd)
{
    if (m_hwnd)
        return;
    m_hwnd = hwnd;
    m_window.setStyle(hwnd, m_window.style(hwnd) & ~kFrameStyles);
    m_window.frameChanged(hwnd);
    c_Subclass.ssc_Subclass(hwnd, 0, 1);
    for (const unsigned uMsg : kBeforeMessages)
        c_Subclass.ssc_AddMsg(hwnd, uMsg, MSG_BEFORE);
    for (const unsigned uMsg : kAfterMessages)
        c_Subclass.ssc_AddMsg(hwnd, uMsg, MSG_AFTER);
    Resize();
    // The minimum tracking size holds from now, not only from the first drag.
    m_window.sizeLimitsChanged(hwnd);
}

void CSkinForm::setMinTrackSize(POINT size)
{
    m_minTrack = size;
    if (m_hwnd)
        m_window.sizeLimitsChanged(m_hwnd);
}

void CSkinForm::openSystemMenu(POINT at)
{
    if (!(m_window.style(m_hwnd) & WS_SYSMENU))
        return;
    m_window.releaseCapture();
    if (const unsigned command = m_window.trackSystemMenu(m_hwnd, at))
        m_window.sendMessage(m_hwnd, WM_SYSCOMMAND, command, 0);
}

void CSkinForm::HitCaption()
{
    m_window.releaseCapture();
    m_window.sendMessage(m_hwnd, WM_NCLBUTTONDOWN, HTCAPTION, 0);
}

void CSkinForm::SubclassProc(bool bBefore,
    bool& bHandled,
    LResult& lReturn,
    Hwnd lhWnd,
    unsigned uMsg,
    WParam wParam,
    LParam lParam,
    LParam& lParamUser)
{
    // Each message is registered for one phase only, except WM_NCACTIVATE, which the
    // before phase answers whenever the after phase would act.
    (void)bBefore;
    (void)lhWnd;
    (void)lParamUser;
    ++m_depth;
    handleMessage(bHandled, lReturn, uMsg, wParam, lParam);
    if (--m_depth == 0 && m_releasePending)
        delete this;
}

void CSkinForm::handleMessage(bool& bHandled, LResult& lReturn, unsigned uMsg, WParam wParam, LParam lParam)
{
    switch (uMsg) {
    case WM_PAINT:
        m_window.paintWindow(m_hwnd, m_frame);
        break;
    case WM_NCCALCSIZE:
    case WM_NCPAINT:
        // No non-client area, and nothing of one is painted.
        bHandled = true;
        lReturn = 1;
        break;
    case WM_GETMINMAXINFO:
        onMinMaxInfo(*reinterpret_cast<MINMAXINFO*>(lParam));
        bHandled = true;
        lReturn = 1;
        break;
    case WM_STYLECHANGED:
        m_window.setStyle(m_hwnd, m_window.style(m_hwnd) & ~kFrameStyles);
        bHandled = true;
        lReturn = 0;
        break;
    case WM_NCACTIVATE:
        onActivate(bHandled, lReturn, wParam, lParam);
        break;
    case WM_NCHITTEST:
        bHandled = true;
        lReturn = hitTest(windowState(), LOWORD(lParam) + static_cast<int>(m_origin.x),
            HIWORD(lParam) + static_cast<int>(m_origin.y), extraRects());
        break;
    case WM_SYSCOMMAND:
        // alt+space: the frame's own menu, below the window's top-left corner as the
        // standard caption shows it; every other command is the window's own.
        if ((wParam & 0xFFF0) == SC_KEYMENU && lParam == ' ') {
            bHandled = true;
            lReturn = 0;
            const MDC::Rect r = m_window.windowRect(m_hwnd);
            openSystemMenu({r.x, r.y + kTitleRows - static_cast<int>(m_origin.y)});
        }
        break;
    case WM_SIZE:
        Resize();
        m_window.copyToWindow(m_hwnd, m_frame, std::nullopt);
        break;
    case WM_SETTEXT:
    case WM_GETICON:
        m_window.copyToWindow(m_hwnd, m_frame, std::nullopt);
        break;
    case WM_MOUSEMOVE:
    case WM_MOUSELEAVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MBUTTONDBLCLK:
        onMouse(uMsg, wParam, lParam);
        break;
    default:
        // The key messages reach the frame but cause nothing.
        break;
    }
}

void CSkinForm::onMinMaxInfo(MINMAXINFO& info) const
{
    const POINT frame {m_window.systemMetric(SM_CXFRAME), m_window.systemMetric(SM_CYFRAME)};
    const POINT minTrack {m_minTrack.x ? m_minTrack.x : m_window.systemMetric(SM_CXMINTRACK),
        m_minTrack.y ? m_minTrack.y : m_window.systemMetric(SM_CYMINTRACK)};
    info = minMaxInfo(m_window.workArea(m_hwnd), frame, minTrack);
}

void CSkinForm::onActivate(bool& bHandled, LResult& lReturn, WParam wParam, LParam lParam)
{
    if (!m_window.isVisible(m_hwnd) || m_window.isIconic(m_hwnd))
        return;
    bHandled = true;
    // A composing desktop would show the standard caption the window's own handling draws.
    if (m_DwmPresent)
        m_window.sendMessage(m_hwnd, WM_SETREDRAW, 0, 0);
    lReturn = c_Subclass.ssc_CallOrigWndProc(m_hwnd, WM_NCACTIVATE, wParam, lParam);
    if (m_DwmPresent)
        m_window.sendMessage(m_hwnd, WM_SETREDRAW, 1, 0);
    m_window.copyToWindow(m_hwnd, m_frame, std::nullopt);
}

FrameWindowState CSkinForm::windowState() const
{
    return {m_width, m_height, m_window.style(m_hwnd), m_window.isIconic(m_hwnd), m_window.isZoomed(m_hwnd)};
}

std::string CSkinForm::ButtonCaption(int nIndex) const
{
    return nIndex >= 0 && nIndex < static_cast<int>(m_buttons.size()) ? m_buttons[nIndex].caption : std::string();
}

void CSkinForm::setButtonCaption(int nIndex, const std::string& NewValue)
{
    if (nIndex < 0 || nIndex >= static_cast<int>(m_buttons.size()))
        return;
    m_buttons[nIndex].caption = NewValue;
    drawExtraButtons();
}

bool CSkinForm::ButtonEnabled(int nIndex) const
{
    return nIndex >= 0 && nIndex < static_cast<int>(m_buttons.size()) && m_buttons[nIndex].enabled;
}

void CSkinForm::setButtonEnabled(int nIndex, bool NewValue)
{
    if (nIndex < 0 || nIndex >= static_cast<int>(m_buttons.size()))
        return;
    m_buttons[nIndex].enabled = NewValue;
    m_buttons[nIndex].state = NewValue ? 0 : 4;
    drawExtraButtons();
}

int CSkinForm::ButtonMousePointer(int nIndex) const
{
    return nIndex >= 0 && nIndex < static_cast<int>(m_buttons.size()) ? m_buttons[nIndex].mousePointer : 0;
}

void CSkinForm::setButtonMousePointer(int nIndex, int NewValue)
{
    if (nIndex < 0 || nIndex >= static_cast<int>(m_buttons.size()))
        return;
    m_buttons[nIndex].mousePointer = std::clamp(NewValue, 0, CURSOR_COUNT - 1);
    drawExtraButtons();
}

} // namespace frame
