#include "input/XInputController.h"

#include <algorithm>
#include <cmath>

namespace Qel
{
float ApplyStickDeadZone(i16 aThumb, float aDeadZone)
{
    // A zone of 1 or more would divide by zero or flip the sign.
    const float deadZone = aDeadZone > 0.0f ? std::min(aDeadZone, 0.99f) : 0.0f;
    const float value = std::max(-1.0f, static_cast<float>(aThumb) / 32767.0f);
    if (value == 0.0f || std::fabs(value) < deadZone)
        return 0.0f;
    float result = std::copysign(std::fabs(value) - deadZone, value);
    if (deadZone > 0.0f)
        result /= 1.0f - deadZone;
    return result;
}

bool XInputController::Connect()
{
    for (u32 index = 0; index < XUSER_MAX_COUNT; ++index)
    {
        XINPUT_STATE state;
        if (Platform::XInputGetState(index, &state) == ERROR_SUCCESS)
        {
            myControllerIndex = index;
            return true;
        }
    }
    myControllerIndex = NO_CONTROLLER;
    ClearOutputs();
    return false;
}

bool XInputController::Update()
{
    if (myControllerIndex == NO_CONTROLLER && !Connect())
        return false;

    myState = XINPUT_STATE{};
    if (Platform::XInputGetState(myControllerIndex, &myState) != ERROR_SUCCESS)
    {
        // The next frame searches again.
        myControllerIndex = NO_CONTROLLER;
        ClearOutputs();
        return false;
    }

    const XINPUT_GAMEPAD& pad = myState.Gamepad;
    myLeftStickX = ApplyStickDeadZone(pad.sThumbLX, myDeadZoneX);
    myLeftStickY = ApplyStickDeadZone(pad.sThumbLY, myDeadZoneY);
    myRightStickX = ApplyStickDeadZone(pad.sThumbRX, myDeadZoneX);
    myRightStickY = ApplyStickDeadZone(pad.sThumbRY, myDeadZoneY);
    myLeftTrigger = static_cast<float>(pad.bLeftTrigger) / 255.0f;
    myRightTrigger = static_cast<float>(pad.bRightTrigger) / 255.0f;
    return true;
}

// A pad that is gone must not leave a stick pushed or a button down.
void XInputController::ClearOutputs()
{
    myState = XINPUT_STATE{};
    myLeftStickX = 0.0f;
    myLeftStickY = 0.0f;
    myRightStickX = 0.0f;
    myRightStickY = 0.0f;
    myLeftTrigger = 0.0f;
    myRightTrigger = 0.0f;
}
}
