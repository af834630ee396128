#pragma once

// One window of a window system kept in memory: its own message handling is a function the
// test gives, and every operation the frame starts is recorded.

#include "portal/frame/logic/frame_platform.h"
#include "portal/frame/logic/hook_platform.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class FakeWindowSystem final : public frame::HookPlatform, public frame::FramePlatform
{
public:
    using Hwnd = frame::Hwnd;
    using LResult = frame::LResult;

    static constexpr Hwnd kWindow = 0x5150;

    // The message as the window system delivers it: through the hook when there is one.
    LResult send(unsigned uMsg, frame::WParam wParam = 0, frame::LParam lParam = 0)
    {
        const auto hook = proc; // a handler may unhook the window while it runs
        return hook ? hook->windowProc(kWindow, uMsg, wParam, lParam) : own(uMsg, wParam, lParam);
    }
    LResult mouse(unsigned uMsg, int x, int y, frame::WParam keys = 0)
    {
        return send(uMsg, keys, frame::makeLParam(x, y));
    }
    void runTimers()
    {
        auto tasks = std::move(later);
        for (auto& task : tasks)
            task();
    }

    // The window
    bool exists = true;
    bool ours = true;
    std::uint32_t styleBits = frame::WS_BORDER | frame::WS_DLGFRAME | frame::WS_SYSMENU | frame::WS_THICKFRAME
        | frame::WS_MINIMIZEBOX | frame::WS_MAXIMIZEBOX;
    MDC::Rect rect {100, 80, 400, 300};
    double ratio = 1.0;
    bool visible = true;
    bool zoomed = false;
    bool iconic = false;
    std::string title = "Frame";
    std::function<LResult(unsigned, frame::WParam, frame::LParam)> own
        = [this](unsigned, frame::WParam, frame::LParam) {
              ++ownCalls;
              return LResult {7};
          };
    int ownCalls = 0;
    MDC::Surface skin;
    std::map<double, MDC::Surface> scaledSkins; // by display scale, beside the standard skin

    // What happened to it
    std::shared_ptr<frame::HookedWindowProc> proc;
    int replaceError = 0;
    int restored = 0;
    int leaveRequests = 0;
    std::vector<std::function<void()>> later;
    std::vector<std::pair<unsigned, frame::WParam>> sent;
    std::function<void(unsigned)> onSend;
    std::vector<int> shown;
    std::vector<std::optional<MDC::Rect>> copies;
    std::vector<MDC::Region> regions;
    std::vector<std::string> texts;
    int paints = 0;
    int menus = 0;
    unsigned menuAnswer = 0;
    int cursor = -1;
    int limitQueries = 0;
    int frameMetric = 0; // SM_CXFRAME, SM_CYFRAME

    // HookPlatform
    bool isWindow(Hwnd hwnd) const override { return hwnd == kWindow && exists; }
    bool ownedByThisProcess(Hwnd) const override { return ours; }
    bool isUnicodeWindow(Hwnd) const override { return true; }
    int replaceProcedure(Hwnd, std::shared_ptr<frame::HookedWindowProc> p) override
    {
        if (replaceError == 0)
            proc = std::move(p);
        return replaceError;
    }
    void restoreProcedure(Hwnd) override
    {
        proc.reset();
        ++restored;
    }
    LResult callPreviousProcedure(Hwnd, bool, unsigned uMsg, frame::WParam wParam, frame::LParam lParam) override
    {
        return own(uMsg, wParam, lParam);
    }
    void trackMouseLeave(Hwnd) override { ++leaveRequests; }
    void destroyWindow(Hwnd) override { exists = false; }
    void runLater(int, std::function<void()> task) override { later.push_back(std::move(task)); }

    // FramePlatform
    std::uint32_t style(Hwnd) const override { return styleBits; }
    void setStyle(Hwnd, std::uint32_t s) override { styleBits = s; }
    void frameChanged(Hwnd) override { }
    MDC::Rect windowRect(Hwnd) const override { return rect; }
    double devicePixelRatio(Hwnd) const override { return ratio; }
    bool isVisible(Hwnd) const override { return visible; }
    bool isZoomed(Hwnd) const override { return zoomed; }
    bool isIconic(Hwnd) const override { return iconic; }
    std::string windowText(Hwnd) const override { return title; }
    void showWindow(Hwnd, int command) override { shown.push_back(command); }
    LResult sendMessage(Hwnd, unsigned uMsg, frame::WParam wParam, frame::LParam) override
    {
        sent.emplace_back(uMsg, wParam);
        if (onSend)
            onSend(uMsg);
        return 0;
    }
    void releaseCapture() override { }
    unsigned trackSystemMenu(Hwnd, frame::POINT) override
    {
        ++menus;
        return menuAnswer;
    }
    frame::POINT cursorPos() const override { return {0, 0}; }
    MDC::Rect workArea(Hwnd) const override { return {0, 24, 1024, 744}; }
    void sizeLimitsChanged(Hwnd) override { ++limitQueries; }
    int systemMetric(int index) const override
    {
        switch (index) {
        case frame::SM_CXMINTRACK:
            return 136;
        case frame::SM_CYMINTRACK:
            return 39;
        case frame::SM_CXFRAME:
        case frame::SM_CYFRAME:
            return frameMetric;
        default:
            return 0;
        }
    }
    void drawWindowText(Hwnd, MDC::Surface&, const std::string& text, MDC::Rect, unsigned) override
    {
        texts.push_back(text);
    }
    void setWindowRegion(Hwnd, const MDC::Region& region, bool) override { regions.push_back(region); }
    void copyToWindow(Hwnd, const MDC::Surface&, std::optional<MDC::Rect> part) override { copies.push_back(part); }
    void paintWindow(Hwnd, const MDC::Surface&) override { ++paints; }
    MDC::Surface loadBitmapResource(int, double scale) override
    {
        if (scale == 1.0)
            return skin;
        const auto found = scaledSkins.find(scale);
        return found == scaledSkins.end() ? MDC::Surface() : found->second;
    }
    int loadCursor(int systemId) override { return systemId; }
    void destroyCursor(int) override { }
    void setCursor(Hwnd, int c) override { cursor = c; }
    bool libraryExports(const std::string&, const std::string&) const override { return false; }
};
