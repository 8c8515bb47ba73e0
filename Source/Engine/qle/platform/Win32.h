#pragma once
// Win32 vocabulary of our own: the engine and game keep the message tables they were designed
// around, while the platform layer produces these messages from SDL events.
#include "core/Types.h"

namespace Qel
{
struct NativeWindow;               // defined by the platform layer only
using HWND = NativeWindow*;
using HINSTANCE = void*;
using UINT = u32;
using WPARAM = u64;
using LPARAM = i64;
using LRESULT = i64;
using WNDPROC = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);

struct RECT
{
    i32 left = 0;
    i32 top = 0;
    i32 right = 0;
    i32 bottom = 0;
};

struct MSG
{
    HWND hwnd = nullptr;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

// Message numbers.
constexpr UINT WM_NULL = 0x0000;
constexpr UINT WM_DESTROY = 0x0002;
constexpr UINT WM_SIZE = 0x0005;
constexpr UINT WM_SETFOCUS = 0x0007;
constexpr UINT WM_KILLFOCUS = 0x0008;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_QUIT = 0x0012;
constexpr UINT WM_ACTIVATEAPP = 0x001C;
constexpr UINT WM_INPUT = 0x00FF;
constexpr UINT WM_KEYDOWN = 0x0100;
constexpr UINT WM_KEYUP = 0x0101;
constexpr UINT WM_CHAR = 0x0102;
constexpr UINT WM_SYSKEYDOWN = 0x0104;
constexpr UINT WM_SYSKEYUP = 0x0105;
constexpr UINT WM_MOUSEMOVE = 0x0200;
constexpr UINT WM_LBUTTONDOWN = 0x0201;
constexpr UINT WM_LBUTTONUP = 0x0202;
constexpr UINT WM_RBUTTONDOWN = 0x0204;
constexpr UINT WM_RBUTTONUP = 0x0205;
constexpr UINT WM_MBUTTONDOWN = 0x0207;
constexpr UINT WM_MBUTTONUP = 0x0208;
constexpr UINT WM_MOUSEWHEEL = 0x020A;
constexpr UINT WM_XBUTTONDOWN = 0x020B;
constexpr UINT WM_XBUTTONUP = 0x020C;

// WM_SIZE wParam values.
constexpr WPARAM SIZE_RESTORED = 0;
constexpr WPARAM SIZE_MINIMIZED = 1;
constexpr WPARAM SIZE_MAXIMIZED = 2;

// Window styles.
constexpr u32 WS_OVERLAPPEDWINDOW = 0x00CF0000u;
constexpr u32 WS_POPUP = 0x80000000u;
constexpr u32 WS_VISIBLE = 0x10000000u;
constexpr u32 WS_CLIPSIBLINGS = 0x04000000u;
constexpr u32 WS_CLIPCHILDREN = 0x02000000u;
constexpr u32 WS_MAXIMIZE = 0x01000000u;
constexpr u32 WS_EX_APPWINDOW = 0x00040000u;

// SetWindowPos flags.
constexpr u32 SWP_NOSIZE = 0x0001;
constexpr u32 SWP_NOMOVE = 0x0002;
constexpr u32 SWP_NOZORDER = 0x0004;
constexpr u32 SWP_FRAMECHANGED = 0x0020;
constexpr u32 SWP_NOOWNERZORDER = 0x0200;

constexpr LPARAM MAKELPARAM(u16 aLow, u16 aHigh)
{
    return static_cast<LPARAM>(static_cast<u32>(aLow) | (static_cast<u32>(aHigh) << 16));
}
constexpr u16 LOWORD(u64 aValue) { return static_cast<u16>(aValue & 0xFFFF); }
constexpr u16 HIWORD(u64 aValue) { return static_cast<u16>((aValue >> 16) & 0xFFFF); }
constexpr i16 GET_X_LPARAM(LPARAM aValue) { return static_cast<i16>(LOWORD(static_cast<u64>(aValue))); }
constexpr i16 GET_Y_LPARAM(LPARAM aValue) { return static_cast<i16>(HIWORD(static_cast<u64>(aValue))); }
}
