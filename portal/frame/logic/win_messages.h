#pragma once

#include <cstdint>

// Window handles, messages, hit codes and styles by the platform's own numbers, so that the
// hook tables and the frame read the same on every platform. A Windows build takes the
// constants from the system headers; elsewhere they are defined here with the same values.
namespace frame {

using Hwnd = std::uintptr_t;
using WParam = std::uintptr_t;
using LParam = std::intptr_t;
using LResult = std::intptr_t;

} // namespace frame

#ifdef _WIN32
#include <windows.h>
#else
namespace frame {

struct POINT
{
    long x = 0;
    long y = 0;
};

struct MINMAXINFO
{
    POINT ptReserved;
    POINT ptMaxSize;
    POINT ptMaxPosition;
    POINT ptMinTrackSize;
    POINT ptMaxTrackSize;
};

constexpr unsigned WM_SIZE = 5;
constexpr unsigned WM_SETREDRAW = 11;
constexpr unsigned WM_SETTEXT = 12;
constexpr unsigned WM_PAINT = 15;
constexpr unsigned WM_CLOSE = 16;
constexpr unsigned WM_GETMINMAXINFO = 36;
constexpr unsigned WM_STYLECHANGED = 125;
constexpr unsigned WM_GETICON = 127;
constexpr unsigned WM_NCDESTROY = 0x82;
constexpr unsigned WM_NCCALCSIZE = 131;
constexpr unsigned WM_NCPAINT = 133;
constexpr unsigned WM_NCACTIVATE = 134;
constexpr unsigned WM_NCLBUTTONDOWN = 0xA1;
constexpr unsigned WM_KEYDOWN = 256;
constexpr unsigned WM_KEYUP = 257;
constexpr unsigned WM_CHAR = 258;
constexpr unsigned WM_SYSCOMMAND = 0x112;
constexpr unsigned WM_NCHITTEST = 0x84;
constexpr unsigned WM_MOUSEMOVE = 512;
constexpr unsigned WM_LBUTTONDOWN = 513;
constexpr unsigned WM_LBUTTONUP = 514;
constexpr unsigned WM_LBUTTONDBLCLK = 515;
constexpr unsigned WM_RBUTTONDOWN = 516;
constexpr unsigned WM_RBUTTONUP = 517;
constexpr unsigned WM_RBUTTONDBLCLK = 518;
constexpr unsigned WM_MBUTTONDOWN = 519;
constexpr unsigned WM_MBUTTONUP = 520;
constexpr unsigned WM_MBUTTONDBLCLK = 521;
constexpr unsigned WM_MOUSELEAVE = 675;

constexpr unsigned MK_LBUTTON = 0x1;
constexpr unsigned MK_RBUTTON = 0x2;
constexpr unsigned MK_SHIFT = 0x4;
constexpr unsigned MK_CONTROL = 0x8;
constexpr unsigned MK_MBUTTON = 0x10;

constexpr unsigned SIZE_RESTORED = 0;
constexpr unsigned SIZE_MINIMIZED = 1;
constexpr unsigned SIZE_MAXIMIZED = 2;

constexpr std::uint32_t WS_MAXIMIZEBOX = 0x10000;
constexpr std::uint32_t WS_MINIMIZEBOX = 0x20000;
constexpr std::uint32_t WS_THICKFRAME = 0x40000;
constexpr std::uint32_t WS_SYSMENU = 0x80000;
constexpr std::uint32_t WS_HSCROLL = 0x100000;
constexpr std::uint32_t WS_VSCROLL = 0x200000;
constexpr std::uint32_t WS_DLGFRAME = 0x400000;
constexpr std::uint32_t WS_BORDER = 0x800000;
constexpr int GWL_STYLE = -16;

constexpr int HTCAPTION = 2;

constexpr unsigned SC_SIZE = 0xF000;
constexpr unsigned SC_MOVE = 0xF010;
constexpr unsigned SC_MINIMIZE = 0xF020;
constexpr unsigned SC_MAXIMIZE = 0xF030;
constexpr unsigned SC_CLOSE = 0xF060;
constexpr unsigned SC_RESTORE = 0xF120;
constexpr unsigned SC_KEYMENU = 0xF100;

constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_SHOWMAXIMIZED = 3;
constexpr int SW_MINIMIZE = 6;

constexpr int SM_CXFRAME = 32;
constexpr int SM_CYFRAME = 33;
constexpr int SM_CXMINTRACK = 34;
constexpr int SM_CYMINTRACK = 35;

constexpr unsigned DT_VCENTER = 0x4;
constexpr unsigned DT_SINGLELINE = 0x20;

} // namespace frame
#endif

namespace frame {

// The high and low 16 bits of a message parameter, each as a signed number: mouse
// coordinates left of or above the window are negative.
constexpr int signedHighWord(std::int64_t param)
{
    return static_cast<std::int16_t>(static_cast<std::uint32_t>(param) >> 16);
}
constexpr int signedLowWord(std::int64_t param)
{
    return static_cast<std::int16_t>(static_cast<std::uint32_t>(param) & 0xFFFF);
}
constexpr LParam makeLParam(int low, int high)
{
    return static_cast<LParam>(static_cast<std::uint32_t>(
        (static_cast<std::uint32_t>(high) << 16) | (static_cast<std::uint32_t>(low) & 0xFFFF)));
}

} // namespace frame
