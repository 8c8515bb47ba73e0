#pragma once
// Win32 keyboard and mouse vocabulary: virtual-key codes, the mouse messages and their wParam /
// lParam packing. Key codes are the US-layout positions, whatever the keyboard's layout.
#include "platform/Win32.h"

namespace Qel
{
// Mouse messages not in Win32.h (the engine takes no double clicks, but must recognise them).
constexpr UINT WM_LBUTTONDBLCLK = 0x0203;
constexpr UINT WM_RBUTTONDBLCLK = 0x0206;
constexpr UINT WM_MBUTTONDBLCLK = 0x0209;
constexpr UINT WM_XBUTTONDBLCLK = 0x020D;

// Mouse buttons as virtual keys.
constexpr u8 VK_LBUTTON = 0x01;
constexpr u8 VK_RBUTTON = 0x02;
constexpr u8 VK_CANCEL = 0x03;
constexpr u8 VK_MBUTTON = 0x04;
constexpr u8 VK_XBUTTON1 = 0x05;
constexpr u8 VK_XBUTTON2 = 0x06;

constexpr u8 VK_BACK = 0x08;
constexpr u8 VK_TAB = 0x09;
constexpr u8 VK_CLEAR = 0x0C;
constexpr u8 VK_RETURN = 0x0D;
constexpr u8 VK_SHIFT = 0x10;
constexpr u8 VK_CONTROL = 0x11;
constexpr u8 VK_MENU = 0x12;   // Alt
constexpr u8 VK_PAUSE = 0x13;
constexpr u8 VK_CAPITAL = 0x14;
constexpr u8 VK_ESCAPE = 0x1B;
constexpr u8 VK_SPACE = 0x20;
constexpr u8 VK_PRIOR = 0x21;   // Page Up
constexpr u8 VK_NEXT = 0x22;    // Page Down
constexpr u8 VK_END = 0x23;
constexpr u8 VK_HOME = 0x24;
constexpr u8 VK_LEFT = 0x25;
constexpr u8 VK_UP = 0x26;
constexpr u8 VK_RIGHT = 0x27;
constexpr u8 VK_DOWN = 0x28;
constexpr u8 VK_SNAPSHOT = 0x2C;
constexpr u8 VK_INSERT = 0x2D;
constexpr u8 VK_DELETE = 0x2E;
// '0'..'9' are 0x30..0x39 and 'A'..'Z' are 0x41..0x5A: the characters themselves.
constexpr u8 VK_LWIN = 0x5B;
constexpr u8 VK_RWIN = 0x5C;
constexpr u8 VK_APPS = 0x5D;
constexpr u8 VK_NUMPAD0 = 0x60;   // ..VK_NUMPAD9 = 0x69
constexpr u8 VK_MULTIPLY = 0x6A;
constexpr u8 VK_ADD = 0x6B;
constexpr u8 VK_SUBTRACT = 0x6D;
constexpr u8 VK_DECIMAL = 0x6E;
constexpr u8 VK_DIVIDE = 0x6F;
constexpr u8 VK_F1 = 0x70;   // ..VK_F24 = 0x87
constexpr u8 VK_F10 = 0x79;
constexpr u8 VK_F12 = 0x7B;
constexpr u8 VK_F24 = 0x87;
constexpr u8 VK_NUMLOCK = 0x90;
constexpr u8 VK_SCROLL = 0x91;
constexpr u8 VK_OEM_1 = 0xBA;        // ;:
constexpr u8 VK_OEM_PLUS = 0xBB;     // =+
constexpr u8 VK_OEM_COMMA = 0xBC;
constexpr u8 VK_OEM_MINUS = 0xBD;
constexpr u8 VK_OEM_PERIOD = 0xBE;
constexpr u8 VK_OEM_2 = 0xBF;        // /?
constexpr u8 VK_OEM_3 = 0xC0;        // `~
constexpr u8 VK_OEM_4 = 0xDB;        // [{
constexpr u8 VK_OEM_5 = 0xDC;        // \|
constexpr u8 VK_OEM_6 = 0xDD;        // ]}
constexpr u8 VK_OEM_7 = 0xDE;        // '"
constexpr u8 VK_OEM_102 = 0xE2;      // the extra key of ISO keyboards

// Key-state flags in the wParam of mouse messages.
constexpr WPARAM MK_LBUTTON = 0x0001;
constexpr WPARAM MK_RBUTTON = 0x0002;
constexpr WPARAM MK_SHIFT = 0x0004;
constexpr WPARAM MK_CONTROL = 0x0008;
constexpr WPARAM MK_MBUTTON = 0x0010;
constexpr WPARAM MK_XBUTTON1 = 0x0020;
constexpr WPARAM MK_XBUTTON2 = 0x0040;

// High word of WM_XBUTTON* wParam.
constexpr u16 XBUTTON1 = 0x0001;
constexpr u16 XBUTTON2 = 0x0002;

// One wheel notch.
constexpr i32 WHEEL_DELTA = 120;

// Bits of the lParam of key messages.
constexpr LPARAM KF_REPEAT_COUNT_MASK = 0xFFFF;
constexpr LPARAM KF_ALTDOWN_BIT = LPARAM{1} << 29;
constexpr LPARAM KF_PREVIOUS_STATE_BIT = LPARAM{1} << 30;
constexpr LPARAM KF_TRANSITION_BIT = LPARAM{1} << 31;

constexpr WPARAM MAKEWPARAM(u16 aLow, u16 aHigh)
{
    return static_cast<WPARAM>(static_cast<u32>(aLow) | (static_cast<u32>(aHigh) << 16));
}
constexpr i16 GET_WHEEL_DELTA_WPARAM(WPARAM aValue) { return static_cast<i16>(HIWORD(aValue)); }
constexpr u16 GET_XBUTTON_WPARAM(WPARAM aValue) { return HIWORD(aValue); }
constexpr u16 GET_KEYSTATE_WPARAM(WPARAM aValue) { return LOWORD(aValue); }
}
