// The frame's surfaces: the background made on resize, the frame surface with the buttons
// on it, and what of it reaches the window.
#include "CSkinForm.h"

namespace frame {

namespace {

constexpr MDC::Rect kFrameSource {0, 0, 9, 54};
constexpr MDC::Margins kFrameMargins {4, 50, 4, 3};
constexpr int kButtonRow = 19; // skin rows per button state
constexpr unsigned kTitleFormat = DT_VCENTER | DT_SINGLELINE;
constexpr unsigned kCaptionFormat = 0x1 | DT_VCENTER | DT_SINGLELINE; // centred

// The extra-button face of a state: normal, hot, pressed, and the last face for disabled.
MDC::Rect extraFace(int state)
{
    return {139 + 7 * (state == 4 ? 3 : state), 0, 7, 21};
}

} // namespace

MDC::Rect CSkinForm::toDevice(MDC::Rect r) const
{
    const int x = MDC::toDevice(r.x, m_scale);
    const int y = MDC::toDevice(r.y, m_scale);
    return {x, y, MDC::toDevice(r.x + r.width, m_scale) - x, MDC::toDevice(r.y + r.height, m_scale) - y};
}

void CSkinForm::Resize()
{
    const MDC::Rect window = m_window.windowRect(m_hwnd);
    m_width = window.width;
    m_height = window.height;
    m_scale = m_window.devicePixelRatio(m_hwnd);
    // While the user drags a border the window takes many sizes: the surfaces keep their
    // memory, the full redraw paints every pixel anew.
    MDC::resizeSurface(m_background, MDC::toDevice(m_width, m_scale), MDC::toDevice(m_height, m_scale));
    MDC::resizeSurface(m_frame, m_background.width, m_background.height);
    Redraw(true);
}

void CSkinForm::Redraw(bool copyToWindow)
{
    bool skip = false;
    if (m_events)
        m_events->BeforeDrawBackGround(m_background, m_width, m_height, skip);
    if (!skip)
        MDC::nineStretch(m_background, {0, 0, m_background.width, m_background.height}, m_skin, kFrameSource,
            kFrameMargins, std::nullopt, m_scale);
    m_window.setWindowRegion(
        m_hwnd, MDC::shapeFromSurface(m_background, {0, 0, m_width, m_height}, kSkinKey, m_scale), true);
    m_window.drawWindowText(m_hwnd, m_background, m_window.windowText(m_hwnd), {6, 3, m_width - 12, 19}, kTitleFormat);
    if (m_events)
        m_events->AfterDrawBackGround(m_background, m_width, m_height);
    m_frame = m_background;
    for (int button : {CLOSE_BUTTON, MAX_BUTTON, MIN_BUTTON})
        drawCaptionButton(button);
    for (const Label& label : m_labels)
        m_window.drawWindowText(m_hwnd, m_frame, label.text, label.rect, DT_SINGLELINE);
    drawExtraButtons();
    m_dirty.clear();
    if (copyToWindow)
        m_window.copyToWindow(m_hwnd, m_frame, std::nullopt);
}

void CSkinForm::drawCaptionButton(int button)
{
    const auto place = buttonPlace(button, m_width, m_window.style(m_hwnd), m_window.isZoomed(m_hwnd));
    if (!place || m_frame.empty())
        return;
    const MDC::Rect& t = place->target;
    MDC::stretch(m_frame, toDevice(t), m_skin, {place->sourceX, kButtonRow * m_ButtonState[button], t.width, t.height});
    m_dirty.push_back(t);
}

void CSkinForm::drawExtraButtons()
{
    for (std::size_t i = 0; i < m_buttons.size(); ++i) {
        const ExtraButton& b = m_buttons[i];
        const auto index = static_cast<int>(i);
        bool skip = false;
        if (m_events)
            m_events->BeforeDrawButton(index, b.state, m_frame, b.rect.x, b.rect.y, b.rect.width, b.rect.height, skip);
        if (!skip) {
            MDC::nineStretch(m_frame, toDevice(b.rect), m_skin, extraFace(b.state), {3, 3, 3, 3}, kSkinKey, m_scale);
            m_window.drawWindowText(m_hwnd, m_frame, b.caption, b.rect, kCaptionFormat);
        }
        if (m_events)
            m_events->AfterDrawButton(index, b.state, m_frame, b.rect.x, b.rect.y, b.rect.width, b.rect.height);
        m_dirty.push_back(b.rect);
    }
    if (!m_buttons.empty())
        refresh();
}

void CSkinForm::setButtonState(int button, int state)
{
    if (button < 0 || button > 2 || state < 0 || state > 2 || m_ButtonState[button] == state)
        return;
    m_ButtonState[button] = state;
    drawCaptionButton(button);
}

void CSkinForm::setExtraState(int index, int state)
{
    if (index < 0 || index >= static_cast<int>(m_buttons.size()) || m_buttons[index].state == state)
        return;
    m_buttons[index].state = state;
    drawExtraButtons();
}

void CSkinForm::refresh()
{
    // Only what changed since the frame surface last reached the window is copied again.
    for (const MDC::Rect& part : m_dirty)
        m_window.copyToWindow(m_hwnd, m_frame, part);
    m_dirty.clear();
}

} // namespace frame
