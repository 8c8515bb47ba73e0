#pragma once
// One gamepad, polled once per frame: sticks and triggers as normalised floats with per-axis dead
// zones, and the raw XInput state for whoever needs the bits and thumb values as they came.
#include "core/Types.h"
#include "platform/XInput.h"

namespace Qel
{
class XInputController
{
public:
    static constexpr u32 NO_CONTROLLER = 0xFFFFFFFFu;

    // Uses the first of user indices 0..3 that answers; false (and no controller) when none does.
    bool Connect();
    // Reads the pad; false when no pad could be read this frame. Without a pad every output,
    // button and thumb reads as released and centred.
    bool Update();

    const u16& GetButtons() const { return myState.Gamepad.wButtons; }
    bool IsButtonDown(u16 aMask) const { return (myState.Gamepad.wButtons & aMask) != 0; }
    const XINPUT_STATE& GetState() const { return myState; }
    u32 GetControllerIndex() const { return myControllerIndex; }

    // -1..1 after the dead zone.
    float myLeftStickX = 0.0f;
    float myLeftStickY = 0.0f;
    float myRightStickX = 0.0f;
    float myRightStickY = 0.0f;
    // 0..1
    float myLeftTrigger = 0.0f;
    float myRightTrigger = 0.0f;

private:
    void ClearOutputs();

    u32 myControllerIndex = NO_CONTROLLER;
    XINPUT_STATE myState;

public:
    // Fractions of full deflection; x for both sticks' x axes, y for both y axes.
    float myDeadZoneX = 0.0f;
    float myDeadZoneY = 0.0f;
};

// A thumb value through a dead zone d: 0 inside it, then rising from 0 just outside it to 1 at
// full deflection. d is kept within 0..0.99.
float ApplyStickDeadZone(i16 aThumb, float aDeadZone);
}
