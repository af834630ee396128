#pragma once

#include "portal/frame/logic/CSubclass.h"
#include "portal/frame/logic/MDC.h"
#include "portal/frame/logic/frame_platform.h"
#include "portal/frame/logic/frame_rules.h"

#include <memory>
#include <string>
#include <vector>

namespace frame {

constexpr int kSkinResource = 101;
constexpr MDC::Pixel kSkinKey = MDC::rgb(255, 0, 255); // "not window"

// What the owner of a CSkinForm may hook into. The button events belong to the extra
// buttons.
class SkinFormEvents
{
public:
    virtual void BeforeDrawBackGround(MDC::Surface& /*hDC*/, int /*cx*/, int /*cy*/, bool& /*SkipDefault*/) { }
    virtual void AfterDrawBackGround(MDC::Surface& /*hDC*/, int /*cx*/, int /*cy*/) { }
    virtual void BeforeDrawButton(int /*nIndex*/,
        int /*nState*/,
        MDC::Surface& /*hDC*/,
        int /*X*/,
        int /*Y*/,
        int /*cx*/,
        int /*cy*/,
        bool& /*SkipDefault*/)
    { }
    virtual void AfterDrawButton(
        int /*nIndex*/, int /*nState*/, MDC::Surface& /*hDC*/, int /*X*/, int /*Y*/, int /*cx*/, int /*cy*/)
    { }
    virtual void ButtonClick(int /*nIndex*/) { }

protected:
    ~SkinFormEvents() = default;
};

// The drawn window frame: takes a window's caption and border away, paints title bar,
// borders, title and caption buttons from the skin image, cuts the window to the skin's
// shape and moves, sizes, maximizes, minimizes and closes the window by its own hit test.
class CSkinForm final : private SubclassEvents
{
public:
    CSkinForm(FramePlatform& window, HookPlatform& hooks, SkinFormEvents* events = nullptr);
    ~CSkinForm();
    CSkinForm(const CSkinForm&) = delete;
    CSkinForm& operator=(const CSkinForm&) = delete;

    // Ends the frame: at once, or when it has finished the message it is handling (a close
    // it sends may release it from inside its own handler).
    static void Release(std::unique_ptr<CSkinForm> form);

    // Takes the window over; a frame attached already keeps its window.
    void Attach(Hwnd hwnd);
    // Starts moving the window as a press on a standard caption does.
    void HitCaption();
    // The smallest size the user can give the window (0: the system's), window pixels.
    void setMinTrackSize(POINT size);
    // Opens the frame's system menu at a screen position and carries out its choice.
    void openSystemMenu(POINT at);
    // Does what a left click on a caption button does (HIT_CLOSE, HIT_MAXBUTTON,
    // HIT_MINBUTTON): for the keyboard and screen readers.
    void pressCaptionButton(int hit);
    static int HIWORD(std::int64_t Param) { return signedHighWord(Param); }
    static int LOWORD(std::int64_t Param) { return signedLowWord(Param); }

    // Extra buttons, by index; an index outside the list reads empty and ignores writes.
    std::string ButtonCaption(int nIndex) const;
    void setButtonCaption(int nIndex, const std::string& NewValue);
    bool ButtonEnabled(int nIndex) const;
    void setButtonEnabled(int nIndex, bool NewValue);
    int ButtonMousePointer(int nIndex) const;
    void setButtonMousePointer(int nIndex, int NewValue);

    Hwnd hwnd() const { return m_hwnd; }
    bool DwmPresent() const { return m_DwmPresent; }
    int PressedHit() const { return m_PressedHit; }
    int HotHit() const { return m_HotHit; }
    int ButtonState(int button) const { return m_ButtonState[button]; }
    const MDC::Surface& skinSurface() const { return m_skin; }
    // The skin drawn at the display's own pixels, when the program has one for its scale
    // (the standard skin at 100 %); null while the standard skin is scaled.
    const MDC::Surface* sharpSkin() const;
    const MDC::Surface& backgroundSurface() const { return m_background; }
    const MDC::Surface& frameSurface() const { return m_frame; }
    const CSubclass& subclass() const { return c_Subclass; }
    // Where the window lies inside its frame: beyond 0 while maximized, where the frame's
    // border is off the screen.
    POINT frameOrigin() const { return m_origin; }

private:
    struct ExtraButton
    {
        MDC::Rect rect;
        std::string caption;
        bool enabled = true;
        int mousePointer = CURSOR_ARROW;
        int state = 0; // 0 normal, 1 hot, 2 pressed, 4 disabled
    };
    struct Label
    {
        MDC::Rect rect;
        std::string text;
    };
    enum class Button { None, Left, Right, Middle };

    void SubclassProc(bool bBefore,
        bool& bHandled,
        LResult& lReturn,
        Hwnd lhWnd,
        unsigned uMsg,
        WParam wParam,
        LParam lParam,
        LParam& lParamUser) override;
    void handleMessage(bool& bHandled, LResult& lReturn, unsigned uMsg, WParam wParam, LParam lParam);
    void onMinMaxInfo(MINMAXINFO& info) const;
    void onActivate(bool& bHandled, LResult& lReturn, WParam wParam, LParam lParam);

    // Drawing
    void Resize();
    void chooseSkin();
    void Redraw(bool copyToWindow);
    void drawCaptionButton(int button);
    void drawExtraButtons();
    void setButtonState(int button, int state);
    void setExtraState(int index, int state);
    void refresh();
    MDC::Rect toDevice(MDC::Rect logical) const;
    // A rectangle of the frame in window pixels.
    MDC::Rect onWindow(MDC::Rect frameRect) const;
    // Rows of the frame drawn on the surfaces (fewer than the frame's when drawn in parts).
    int drawnHeight() const;
    FrameWindowState windowState() const;

    // Mouse
    void onMouse(unsigned uMsg, WParam wParam, LParam lParam);
    void onPress(Button button, int hit);
    void onMove(WParam wParam, int hit);
    void onLeave();
    void onRelease(Button button, int hit);
    void onDoubleClick(Button button, int hit);
    void toggleMaximized();
    void normalState(int hit);
    int extraIndex(int hit) const;
    std::vector<MDC::Rect> extraRects() const;
    std::vector<int> extraCursors() const;

    FramePlatform& m_window;
    SkinFormEvents* m_events;
    Hwnd m_hwnd = 0;
    bool m_DwmPresent = false;
    MDC::Surface m_skin;
    MDC::Surface m_background;
    MDC::Surface m_frame;
    int m_width = 0; // of the frame, window pixels
    int m_height = 0;
    POINT m_origin; // the window's top-left in the frame
    bool m_inParts = false; // too large for whole surfaces
    double m_scale = 1.0;
    MDC::Surface m_scaledSkin; // drawn for m_scaledSkinScale, empty when there is none
    double m_scaledSkinScale = 1.0;
    int m_cursors[CURSOR_COUNT] = {};
    int m_ButtonState[3] = {0, 0, 0};
    // No press yet: a release that arrives without one is ignored.
    int m_PressedHit = -1;
    int m_HotHit = 0;
    POINT m_minTrack; // 0: the system's minimum
    std::vector<ExtraButton> m_buttons;
    std::vector<Label> m_labels;
    std::vector<MDC::Rect> m_dirty; // changed since the last refresh, window pixels
    int m_depth = 0; // messages being handled
    bool m_releasePending = false;
    CSubclass c_Subclass;
};

} // namespace frame
