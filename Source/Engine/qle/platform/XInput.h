#pragma once
// Gamepads in XInput's shape: four user indices, a state record per pad (button bits, 0..255
// triggers, signed 16-bit thumbs with y pointing up) and two rumble motors. Served by SDL's
// game controllers, or by a backend that tests put in their place.
#include "core/Types.h"

namespace Qel
{
constexpr u32 XUSER_MAX_COUNT = 4;

constexpr u32 ERROR_SUCCESS = 0;
constexpr u32 ERROR_BAD_ARGUMENTS = 160;
constexpr u32 ERROR_DEVICE_NOT_CONNECTED = 1167;

constexpr u16 XINPUT_GAMEPAD_DPAD_UP = 0x0001;
constexpr u16 XINPUT_GAMEPAD_DPAD_DOWN = 0x0002;
constexpr u16 XINPUT_GAMEPAD_DPAD_LEFT = 0x0004;
constexpr u16 XINPUT_GAMEPAD_DPAD_RIGHT = 0x0008;
constexpr u16 XINPUT_GAMEPAD_START = 0x0010;
constexpr u16 XINPUT_GAMEPAD_BACK = 0x0020;
constexpr u16 XINPUT_GAMEPAD_LEFT_THUMB = 0x0040;
constexpr u16 XINPUT_GAMEPAD_RIGHT_THUMB = 0x0080;
constexpr u16 XINPUT_GAMEPAD_LEFT_SHOULDER = 0x0100;
constexpr u16 XINPUT_GAMEPAD_RIGHT_SHOULDER = 0x0200;
constexpr u16 XINPUT_GAMEPAD_A = 0x1000;
constexpr u16 XINPUT_GAMEPAD_B = 0x2000;
constexpr u16 XINPUT_GAMEPAD_X = 0x4000;
constexpr u16 XINPUT_GAMEPAD_Y = 0x8000;

struct XINPUT_GAMEPAD
{
    u16 wButtons = 0;
    u8 bLeftTrigger = 0;
    u8 bRightTrigger = 0;
    i16 sThumbLX = 0;
    i16 sThumbLY = 0;
    i16 sThumbRX = 0;
    i16 sThumbRY = 0;
};

struct XINPUT_STATE
{
    u32 dwPacketNumber = 0;   // changes whenever the pad's state changes
    XINPUT_GAMEPAD Gamepad;
};

struct XINPUT_VIBRATION
{
    u16 wLeftMotorSpeed = 0;    // low-frequency motor
    u16 wRightMotorSpeed = 0;   // high-frequency motor
};

static_assert(sizeof(XINPUT_GAMEPAD) == 12);
static_assert(sizeof(XINPUT_STATE) == 16);
static_assert(sizeof(XINPUT_VIBRATION) == 4);
}

namespace Qel::Platform
{
// Where the pads come from. Both calls return ERROR_SUCCESS or ERROR_DEVICE_NOT_CONNECTED.
class XInputBackend
{
public:
    virtual ~XInputBackend() = default;
    virtual u32 GetState(u32 aUserIndex, XINPUT_STATE& aState) = 0;
    // Motor speeds stay until the next call for that pad.
    virtual u32 SetState(u32 aUserIndex, const XINPUT_VIBRATION& aVibration) = 0;
};

// Replaces the backend (not owned); null returns to SDL's game controllers.
void SetXInputBackend(XInputBackend* aBackend);

// As XInput: ERROR_BAD_ARGUMENTS for an index of 4 or more or a null pointer; on any failure
// the state is zeroed.
u32 XInputGetState(u32 aUserIndex, XINPUT_STATE* aState);
u32 XInputSetState(u32 aUserIndex, XINPUT_VIBRATION* aVibration);

// SDL reports axes with y pointing down and triggers as 0..32767; XInput's y points up.
i16 ThumbFromSdlAxis(i16 aValue, bool aIsYAxis);
u8 TriggerFromSdlAxis(i16 aValue);
}
