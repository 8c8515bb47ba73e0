#pragma once
// Raw input in the Win32 shape: a window registers for raw mouse input and then receives
// WM_INPUT messages whose lParam is a handle to the record, read with GetRawInputData. The
// platform layer builds the records from SDL's relative mouse motion.
#include "platform/Win32.h"

namespace Qel
{
struct RawInputRecord;
using HRAWINPUT = RawInputRecord*;   // an opaque handle, never dereferenced

constexpr u32 RIM_TYPEMOUSE = 0;
constexpr u32 RIM_TYPEKEYBOARD = 1;
constexpr u32 RIM_TYPEHID = 2;

constexpr UINT RID_INPUT = 0x10000003;
constexpr UINT RID_HEADER = 0x10000005;

constexpr u32 RIDEV_REMOVE = 0x00000001;
constexpr u32 RIDEV_INPUTSINK = 0x00000100;

// wParam of WM_INPUT.
constexpr WPARAM RIM_INPUT = 0;       // the window was in the foreground
constexpr WPARAM RIM_INPUTSINK = 1;   // it was not

// RAWMOUSE::usFlags
constexpr u16 MOUSE_MOVE_RELATIVE = 0x00;
constexpr u16 MOUSE_MOVE_ABSOLUTE = 0x01;

constexpr u16 HID_USAGE_PAGE_GENERIC = 0x01;
constexpr u16 HID_USAGE_GENERIC_MOUSE = 0x02;

struct RAWINPUTDEVICE
{
    u16 usUsagePage = 0;
    u16 usUsage = 0;
    u32 dwFlags = 0;
    HWND hwndTarget = nullptr;
};

struct RAWINPUTHEADER
{
    u32 dwType = 0;
    u32 dwSize = 0;
    void* hDevice = nullptr;
    WPARAM wParam = 0;
};

// Plain records, zeroed with {} as on Win32.
struct RAWMOUSE
{
    u16 usFlags;
    u16 usPadding;   // alignment of the button union
    u16 usButtonFlags;
    u16 usButtonData;
    u32 ulRawButtons;
    i32 lLastX;
    i32 lLastY;
    u32 ulExtraInformation;
};

struct RAWKEYBOARD
{
    u16 MakeCode;
    u16 Flags;
    u16 Reserved;
    u16 VKey;
    u32 Message;
    u32 ExtraInformation;
};

struct RAWINPUT
{
    RAWINPUTHEADER header;
    union
    {
        RAWMOUSE mouse;
        RAWKEYBOARD keyboard;
    } data{};
};

// The sizes the readers of these records were written against.
static_assert(sizeof(RAWINPUTHEADER) == 24);
static_assert(sizeof(RAWMOUSE) == 24);
static_assert(sizeof(RAWINPUT) == 48);
}

namespace Qel::Platform
{
// Registers (or, with RIDEV_REMOVE, unregisters) raw input. Only the generic desktop mouse
// (usage page 1, usage 2) is produced. False on malformed arguments.
bool RegisterRawInputDevices(const RAWINPUTDEVICE* aDevices, UINT aCount, UINT aSize);

// Target of raw mouse input, or null when nobody registered for it. A target of null in the
// registration means "the window that has the focus": the main window.
bool IsRawMouseRegistered();
HWND GetRawMouseTarget();

// As Win32: with aData null, writes the needed size to *aSize and returns 0; otherwise copies
// the record (RID_INPUT) or its header (RID_HEADER) and returns the bytes copied, or
// (UINT)-1 when the handle is unknown or stale, the buffer is too small, or aHeaderSize is not
// sizeof(RAWINPUTHEADER).
UINT GetRawInputData(HRAWINPUT aRawInput, UINT aCommand, void* aData, UINT* aSize, UINT aHeaderSize);

// Keeps a copy of aRecord and returns its handle for a WM_INPUT message. The last
// RAW_INPUT_HISTORY records stay readable: plenty for one frame's messages.
constexpr u32 RAW_INPUT_HISTORY = 1024;
HRAWINPUT StoreRawInput(const RAWINPUT& aRecord);
}
