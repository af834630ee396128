// The frame's surfaces: the background made on resize, the frame surface with the buttons
// on it, and what of it reaches the window.
#include "portal/frame/logic/CSkinForm.h"

#include <algorithm>

namespace frame {

namespace {

constexpr MDC::Rect kFrameSource {0, 0, 9, 54};
constexpr MDC::Margins kFrameMargins {4, 50, 4, 3};
constexpr int kButtonRow = 19; // skin rows per button state
constexpr unsigned kTitleFormat = DT_VCENTER | DT_SINGLELINE;
// Rows drawn for a window too large for whole surfaces: the title area, the bottom edge and
// rows between them that all look alike.
constexpr int kRowsInParts = 128;
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

MDC::Rect CSkinForm::onWindow(MDC::Rect r) const
{
    return {r.x - static_cast<int>(m_origin.x), r.y - static_cast<int>(m_origin.y), r.width, r.height};
}

int CSkinForm::drawnHeight() const
{
    return m_inParts ? kRowsInParts + 2 * static_cast<int>(m_origin.y) : m_height;
}

void CSkinForm::Resize()
{
    const MDC::Rect window = m_window.windowRect(m_hwnd);
    m_scale = m_window.devicePixelRatio(m_hwnd);
    m_origin = {0, 0};
    if (m_window.isZoomed(m_hwnd)) {
        // Maximized, the frame lies where the size limits put it: the window manager may
        // have kept the window on the work area, so its border is taken off here. The size
        // alone tells how much: the window's place may not have followed yet when the new
        // size arrives (X reports the move after the resize).
        MINMAXINFO info;
        onMinMaxInfo(info);
        const long frameX = m_window.systemMetric(SM_CXFRAME), frameY = m_window.systemMetric(SM_CYFRAME);
        const long ox = std::clamp<long>((info.ptMaxSize.x - window.width) / 2, 0, frameX);
        const long oy = std::clamp<long>((info.ptMaxSize.y - window.height) / 2, 0, frameY);
        m_origin = {ox, oy};
    }
    m_width = window.width + 2 * static_cast<int>(m_origin.x);
    m_height = window.height + 2 * static_cast<int>(m_origin.y);
    const int deviceWidth = MDC::toDevice(window.width, m_scale);
    const int deviceHeight = MDC::toDevice(window.height, m_scale);
    // A window larger than a surface may be is drawn with its title area and bottom edge
    // whole and one of the identical rows between them standing for all of them.
    m_inParts
        = static_cast<std::int64_t>(deviceWidth) * deviceHeight > MDC::kMaxSurfaceArea && window.height > kRowsInParts;
    const int rows = m_inParts ? MDC::toDevice(kRowsInParts, m_scale) : deviceHeight;
    // While the user drags a border the window takes many sizes: the surfaces keep their
    // memory, the full redraw paints every pixel anew.
    MDC::resizeSurface(m_background, deviceWidth, rows);
    if (m_inParts && !m_background.empty()) {
        m_background.splitRow = MDC::toDevice(kRowsInParts / 2, m_scale);
        m_background.splitRepeat = deviceHeight - rows;
    }
    MDC::resizeSurface(m_frame, m_background.width, m_background.height);
    Redraw(true);
}

void CSkinForm::Redraw(bool copyToWindow)
{
    bool skip = false;
    if (m_events)
        m_events->BeforeDrawBackGround(m_background, m_width, m_height, skip);
    if (!skip)
        MDC::nineStretch(m_background, toDevice(onWindow({0, 0, m_width, drawnHeight()})), m_skin, kFrameSource,
            kFrameMargins, std::nullopt, m_scale);
    const int windowWidth = m_width - 2 * static_cast<int>(m_origin.x);
    const int windowHeight = m_height - 2 * static_cast<int>(m_origin.y);
    const int drawnRows = drawnHeight() - 2 * static_cast<int>(m_origin.y);
    MDC::Region shape = MDC::shapeFromSurface(m_background, {0, 0, windowWidth, drawnRows}, kSkinKey, m_scale);
    if (m_inParts)
        shape = MDC::insertRows(shape, kRowsInParts / 2 + 1, windowHeight - drawnRows);
    m_window.setWindowRegion(m_hwnd, shape, true);
    m_window.drawWindowText(
        m_hwnd, m_background, m_window.windowText(m_hwnd), onWindow({6, 3, m_width - 12, 19}), kTitleFormat);
    if (m_events)
        m_events->AfterDrawBackGround(m_background, m_width, m_height);
    m_frame = m_background;
    for (int button : {CLOSE_BUTTON, MAX_BUTTON, MIN_BUTTON})
        drawCaptionButton(button);
    for (const Label& label : m_labels)
        m_window.drawWindowText(m_hwnd, m_frame, label.text, onWindow(label.rect), DT_SINGLELINE);
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
    const MDC::Rect t = onWindow(place->target);
    // Sampled as the background is, so that the button's rows meet the title bar's.
    MDC::copyAtScale(
        m_frame, t, m_skin, {place->sourceX, kButtonRow * m_ButtonState[button], t.width, t.height}, m_scale);
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
            MDC::nineStretch(
                m_frame, toDevice(onWindow(b.rect)), m_skin, extraFace(b.state), {3, 3, 3, 3}, kSkinKey, m_scale);
            m_window.drawWindowText(m_hwnd, m_frame, b.caption, onWindow(b.rect), kCaptionFormat);
        }
        if (m_events)
            m_events->AfterDrawButton(index, b.state, m_frame, b.rect.x, b.rect.y, b.rect.width, b.rect.height);
        m_dirty.push_back(onWindow(b.rect));
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
