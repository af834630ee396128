// The frame's surfaces: the background made on resize, the frame surface with the buttons
// on it, and what of it reaches the window.
#include "portal/frame/logic/CSkinForm.h"

#include <algorithm>
#include <cmath>

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

// Where the pieces lie in a skin drawn for `k` device pixels to a window pixel: the standard
// skin's layout at ceil(k) times its size, each area (x, y, w, h) at (x, y) * ceil(k) and
// P(w) x P(h) large, P(v) = floor(v * k + 0.5). Its pieces are placed 1:1 on the device pixels,
// with margins rounded once, so that every edge is as wide all along the window.
struct SkinScale
{
    double k = 1.0;
    int P(int v) const { return static_cast<int>(std::floor(v * k + 0.5)); }
    int layout() const { return static_cast<int>(std::ceil(k)); }
    MDC::Rect area(MDC::Rect r) const { return {r.x * layout(), r.y * layout(), P(r.width), P(r.height)}; }
    MDC::Margins margins(MDC::Margins m) const { return {P(m.left), P(m.top), P(m.right), P(m.bottom)}; }
};

} // namespace

void CSkinForm::chooseSkin()
{
    if (m_scale == m_scaledSkinScale)
        return;
    m_scaledSkinScale = m_scale;
    m_scaledSkin = m_scale == 1.0 ? MDC::Surface() : m_window.loadBitmapResource(kSkinResource, m_scale);
    // A skin of another layout would put the wrong pieces on the frame: the standard one
    // scaled is better.
    const int layout = SkinScale {m_scale}.layout();
    if (m_scaledSkin.width != m_skin.width * layout || m_scaledSkin.height != m_skin.height * layout)
        m_scaledSkin = MDC::Surface();
}

const MDC::Surface* CSkinForm::sharpSkin() const
{
    if (m_scale == 1.0)
        return &m_skin;
    return m_scaledSkin.empty() ? nullptr : &m_scaledSkin;
}

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
    chooseSkin();
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
    const MDC::Surface* sharp = sharpSkin();
    const SkinScale at {m_scale};
    const MDC::Rect frameTarget = toDevice(onWindow({0, 0, m_width, drawnHeight()}));
    if (!skip && sharp)
        MDC::nineStretch(m_background, frameTarget, *sharp, at.area(kFrameSource), at.margins(kFrameMargins));
    else if (!skip)
        MDC::nineStretch(m_background, frameTarget, m_skin, kFrameSource, kFrameMargins, std::nullopt, m_scale);
    const int windowWidth = m_width - 2 * static_cast<int>(m_origin.x);
    const int windowHeight = m_height - 2 * static_cast<int>(m_origin.y);
    const int drawnRows = drawnHeight() - 2 * static_cast<int>(m_origin.y);
    MDC::Region shape = MDC::shapeFromSurface(m_background, {0, 0, windowWidth, drawnRows}, kSkinKey, m_scale);
    if (m_inParts)
        shape = MDC::insertRows(shape, kRowsInParts / 2 + 1, windowHeight - drawnRows);
    m_window.setWindowRegion(m_hwnd, shape, true);
    if (!skip && sharp)
        MDC::coverKeyAtShapeEdge(m_background, shape, m_scale, kSkinKey, at.P(kFrameMargins.left) + 1);
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
    const MDC::Rect source {place->sourceX, kButtonRow * m_ButtonState[button], t.width, t.height};
    if (const MDC::Surface* sharp = sharpSkin())
        // Drawn for these pixels and placed from the window's right edge, as the skin was;
        // the cut corner keeps the background's pixels that may show at the shape's edge.
        MDC::copyAnchored(m_frame, toDevice(t), *sharp, SkinScale {m_scale}.area(source), kSkinKey);
    else
        // Sampled as the background is, so that the button's rows meet the title bar's.
        MDC::copyAtScale(m_frame, t, m_skin, source, m_scale);
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
            const MDC::Rect target = toDevice(onWindow(b.rect));
            if (const MDC::Surface* sharp = sharpSkin()) {
                const SkinScale at {m_scale};
                MDC::nineStretch(
                    m_frame, target, *sharp, at.area(extraFace(b.state)), at.margins({3, 3, 3, 3}), kSkinKey);
            } else {
                MDC::nineStretch(m_frame, target, m_skin, extraFace(b.state), {3, 3, 3, 3}, kSkinKey, m_scale);
            }
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
