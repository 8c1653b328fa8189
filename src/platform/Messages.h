#pragma once

#include <cstdint>

// The program's event vocabulary: the window messages, their parameter packing, the mouse key
// flags and the notification-icon call-backs of the Windows desktop. Every backend speaks it, so
// the handlers above the seam are written once. The numbers are the ones Windows uses; where
// the Windows headers are in the same translation unit their definitions stand in for these.
namespace platform {

// A window as the desktop knows it: an opaque value that is never dereferenced.
struct OpaqueWindow;
using WindowHandle = OpaqueWindow*;
struct OpaqueMenu;
using MenuHandle = OpaqueMenu*;

using WParam = std::uintptr_t;
using LParam = std::intptr_t;
using LResult = std::intptr_t;

using WindowProcedure = LResult (*)(WindowHandle, std::uint32_t, WParam, LParam);

constexpr std::uint16_t lowWord(std::uintptr_t value) {
    return static_cast<std::uint16_t>(value);
}
constexpr std::uint16_t highWord(std::uintptr_t value) {
    return static_cast<std::uint16_t>(value >> 16);
}
// Mouse coordinates travel as signed 16-bit words: a point left of or above a window is negative.
constexpr std::int16_t signedLowWord(std::uintptr_t value) {
    return static_cast<std::int16_t>(lowWord(value));
}
constexpr std::int16_t signedHighWord(std::uintptr_t value) {
    return static_cast<std::int16_t>(highWord(value));
}
constexpr std::uint32_t makeLong(int low, int high) {
    return static_cast<std::uint32_t>(static_cast<std::uint16_t>(low)) |
           static_cast<std::uint32_t>(static_cast<std::uint16_t>(high)) << 16;
}
constexpr LParam makeLParam(int low, int high) {
    return static_cast<LParam>(static_cast<std::int32_t>(makeLong(low, high)));
}
constexpr WParam makeWParam(int low, int high) {
    return makeLong(low, high);
}

} // namespace platform

#ifndef WM_COMMAND
inline constexpr std::uint32_t WM_NULL = 0x0000;
inline constexpr std::uint32_t WM_CREATE = 0x0001;
inline constexpr std::uint32_t WM_DESTROY = 0x0002;
inline constexpr std::uint32_t WM_MOVE = 0x0003;
inline constexpr std::uint32_t WM_SIZE = 0x0005;
inline constexpr std::uint32_t WM_PAINT = 0x000F;
inline constexpr std::uint32_t WM_CLOSE = 0x0010;
inline constexpr std::uint32_t WM_QUIT = 0x0012;
inline constexpr std::uint32_t WM_ERASEBKGND = 0x0014;
inline constexpr std::uint32_t WM_SHOWWINDOW = 0x0018;
inline constexpr std::uint32_t WM_MOUSEACTIVATE = 0x0021;
inline constexpr std::uint32_t WM_CONTEXTMENU = 0x007B;
inline constexpr std::uint32_t WM_COMMAND = 0x0111;
inline constexpr std::uint32_t WM_TIMER = 0x0113;
inline constexpr std::uint32_t WM_HSCROLL = 0x0114;
inline constexpr std::uint32_t WM_VSCROLL = 0x0115;
inline constexpr std::uint32_t WM_INITMENUPOPUP = 0x0117;
inline constexpr std::uint32_t WM_CTLCOLOREDIT = 0x0133;
inline constexpr std::uint32_t WM_CTLCOLORLISTBOX = 0x0134;
inline constexpr std::uint32_t WM_CTLCOLORBTN = 0x0135;
inline constexpr std::uint32_t WM_CTLCOLORSTATIC = 0x0138;
inline constexpr std::uint32_t WM_MOUSEMOVE = 0x0200;
inline constexpr std::uint32_t WM_LBUTTONDOWN = 0x0201;
inline constexpr std::uint32_t WM_LBUTTONUP = 0x0202;
inline constexpr std::uint32_t WM_LBUTTONDBLCLK = 0x0203;
inline constexpr std::uint32_t WM_RBUTTONDOWN = 0x0204;
inline constexpr std::uint32_t WM_RBUTTONUP = 0x0205;
inline constexpr std::uint32_t WM_RBUTTONDBLCLK = 0x0206;
inline constexpr std::uint32_t WM_MBUTTONDOWN = 0x0207;
inline constexpr std::uint32_t WM_MBUTTONUP = 0x0208;
inline constexpr std::uint32_t WM_MBUTTONDBLCLK = 0x0209;
inline constexpr std::uint32_t WM_CAPTURECHANGED = 0x0215;
inline constexpr std::uint32_t WM_MOUSELEAVE = 0x02A3;
inline constexpr std::uint32_t WM_USER = 0x0400;
inline constexpr std::uint32_t WM_APP = 0x8000;

inline constexpr std::uint32_t MK_LBUTTON = 0x0001;
inline constexpr std::uint32_t MK_RBUTTON = 0x0002;
inline constexpr std::uint32_t MK_SHIFT = 0x0004;
inline constexpr std::uint32_t MK_CONTROL = 0x0008;
inline constexpr std::uint32_t MK_MBUTTON = 0x0010;

inline constexpr std::uint32_t CS_VREDRAW = 0x0001;
inline constexpr std::uint32_t CS_HREDRAW = 0x0002;
inline constexpr std::uint32_t CS_DBLCLKS = 0x0008;
inline constexpr std::uint32_t CS_OWNDC = 0x0020;

inline constexpr std::uint32_t WS_POPUP = 0x80000000;
inline constexpr std::uint32_t WS_EX_TOPMOST = 0x00000008;
inline constexpr std::uint32_t WS_EX_TRANSPARENT = 0x00000020;
inline constexpr std::uint32_t WS_EX_TOOLWINDOW = 0x00000080;
inline constexpr std::int32_t CW_USEDEFAULT = static_cast<std::int32_t>(0x80000000);

inline constexpr std::uint32_t SIZE_RESTORED = 0;
inline constexpr std::uint32_t MA_NOACTIVATE = 3;
inline constexpr std::uint32_t IDC_ARROW = 32512;
inline constexpr std::uint32_t COLOR_WINDOW = 5;
#endif

// A window's monitor changed its dots per inch, or the window moved to one with other dots per
// inch: the new value in both words of wParam, lParam a `const Rect*` to the window rectangle
// the desktop suggests at the new scale.
#ifndef WM_DPICHANGED
inline constexpr std::uint32_t WM_DPICHANGED = 0x02E0;
#endif

#ifndef NIN_POPUPOPEN
inline constexpr std::uint32_t NIN_SELECT = 0x0400;
inline constexpr std::uint32_t NIN_KEYSELECT = 0x0401;
inline constexpr std::uint32_t NIN_POPUPOPEN = 0x0406;
inline constexpr std::uint32_t NIN_POPUPCLOSE = 0x0407;
inline constexpr std::uint32_t NOTIFYICON_VERSION_4 = 4;

inline constexpr std::uint32_t ABE_LEFT = 0;
inline constexpr std::uint32_t ABE_TOP = 1;
inline constexpr std::uint32_t ABE_RIGHT = 2;
inline constexpr std::uint32_t ABE_BOTTOM = 3;
#endif

#ifndef ERROR_CLASS_ALREADY_EXISTS
inline constexpr std::uint32_t ERROR_INVALID_PARAMETER = 87;
inline constexpr std::uint32_t ERROR_INVALID_WINDOW_HANDLE = 1400;
inline constexpr std::uint32_t ERROR_CANNOT_FIND_WND_CLASS = 1407;
inline constexpr std::uint32_t ERROR_CLASS_ALREADY_EXISTS = 1410;
inline constexpr std::uint32_t ERROR_RESOURCE_NAME_NOT_FOUND = 1814;
#endif
