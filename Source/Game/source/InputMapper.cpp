#include "InputMapper.h"

#include "UpdateContext.h"
#include "input/InputManager.h"
#include "input/XInputController.h"
#include "platform/VirtualKeys.h"
#include "platform/XInput.h"

#include <algorithm>
#include <cmath>

using namespace Qel;

namespace
{
float Clamp01(float aValue) { return std::min(1.0f, std::max(0.0f, aValue)); }

// Stick values are the raw thumbs (the controller's own dead zones do not apply to bindings).
float ReadStick(const XINPUT_GAMEPAD& aPad, u32 aSource)
{
    const auto thumb = [](i16 aValue) { return static_cast<float>(aValue) / 32768.0f; };
    switch (aSource)
    {
    case STICK_LEFT_X_LEFT: return Clamp01(-thumb(aPad.sThumbLX));
    case STICK_LEFT_X_RIGHT: return Clamp01(thumb(aPad.sThumbLX));
    case STICK_LEFT_Y_UP: return Clamp01(thumb(aPad.sThumbLY));
    case STICK_LEFT_Y_DOWN: return Clamp01(-thumb(aPad.sThumbLY));
    case STICK_RIGHT_X_LEFT: return Clamp01(-thumb(aPad.sThumbRX));
    case STICK_RIGHT_X_RIGHT: return Clamp01(thumb(aPad.sThumbRX));
    case STICK_RIGHT_Y_UP: return Clamp01(thumb(aPad.sThumbRY));
    case STICK_RIGHT_Y_DOWN: return Clamp01(-thumb(aPad.sThumbRY));
    case STICK_LEFT_TRIGGER: return static_cast<float>(aPad.bLeftTrigger) / 256.0f;
    case STICK_RIGHT_TRIGGER: return static_cast<float>(aPad.bRightTrigger) / 256.0f;
    default: return 0.0f;
    }
}

float ReadMouse(const Vector2<float>& aDelta, u32 aSource)
{
    switch (aSource)
    {
    case MOUSE_LEFT: return Clamp01(-aDelta.x);
    case MOUSE_RIGHT: return Clamp01(aDelta.x);
    case MOUSE_Y_POSITIVE: return Clamp01(aDelta.y);
    case MOUSE_Y_NEGATIVE: return Clamp01(-aDelta.y);
    default: return 0.0f;
    }
}

bool IsValidAction(u32 aAction) { return aAction < ACTION_COUNT; }
}

void InputMapper::BindKey(u32 aKey, u32 aAction)
{
    if (IsValidAction(aAction))
        myKeys[aAction].push_back({aKey, 0});
}

void InputMapper::BindButton(u32 aMask, u32 aAction)
{
    if (IsValidAction(aAction))
        myButtons[aAction].push_back({aMask, 0});
}

void InputMapper::BindAxis(u32 aSource, u32 aAction)
{
    if (IsValidAction(aAction))
        mySticks[aAction].push_back({aSource, 0.0f, 0});
}

void InputMapper::BindMouse(u32 aSource, u32 aAction)
{
    if (IsValidAction(aAction))
        myMouse[aAction].push_back({aSource, 0.0f, 0});
}

void InputMapper::UpdateAnalog(AnalogBinding& aBinding, float aValue) const
{
    const float previous = aBinding.myValue;
    aBinding.myValue = aValue;
    aBinding.myFlags = 0;
    if (previous <= myAnalogThreshold && aValue > myAnalogThreshold)
        aBinding.myFlags |= BINDING_PRESSED;
    if (previous > myAnalogThreshold && aValue <= myAnalogThreshold)
        aBinding.myFlags |= BINDING_RELEASED;
}

void InputMapper::Update(InputManager& aInput, XInputController& aGamepad, float aDeltaTime)
{
    // Keys: pressed on the first frame down, held from the second.
    for (auto& bindings : myKeys)
        for (KeyBinding& binding : bindings)
        {
            const int key = static_cast<int>(binding.myKey);
            binding.myFlags = 0;
            if (aInput.IsKeyHeld(key))
                binding.myFlags |= BINDING_HELD;
            if (aInput.IsKeyPressed(key))
                binding.myFlags |= BINDING_PRESSED;
            if (aInput.IsKeyReleased(key))
                binding.myFlags |= BINDING_RELEASED;
        }

    const Vector2<float> mouseDelta = aInput.GetMouseDelta();
    for (auto& bindings : myMouse)
        for (AnalogBinding& binding : bindings)
            UpdateAnalog(binding, ReadMouse(mouseDelta, binding.mySource));

    // Without a pad its buttons and sticks read as released and centred: an unplugged pad must
    // not leave the player walking or the cursor hidden.
    const bool connected = aGamepad.Connect();
    const XINPUT_GAMEPAD pad = connected ? aGamepad.GetState().Gamepad : XINPUT_GAMEPAD{};
    if (connected)
        SendRumble(aDeltaTime, aGamepad.GetControllerIndex());

    // Buttons: held from the first frame down.
    for (auto& bindings : myButtons)
        for (ButtonBinding& binding : bindings)
        {
            const bool down = (pad.wButtons & binding.myMask) != 0;
            const bool wasHeld = (binding.myFlags & BINDING_HELD) != 0;
            binding.myFlags = 0;
            if (down && !wasHeld)
                binding.myFlags |= BINDING_PRESSED;
            if (wasHeld && !down)
                binding.myFlags |= BINDING_RELEASED;
            if (down)
                binding.myFlags |= BINDING_HELD;
        }

    for (auto& bindings : mySticks)
        for (AnalogBinding& binding : bindings)
            UpdateAnalog(binding, ReadStick(pad, binding.mySource));
}

void InputMapper::SendRumble(float aDeltaTime, u32 aUserIndex)
{
    float low = 0.0f;
    float high = 0.0f;
    for (RumbleSlot& slot : myRumble)
    {
        if (slot.mySecondsLeft <= 0.0f)
            continue;
        // A request counts in the frame in which it runs out.
        slot.mySecondsLeft -= aDeltaTime;
        low += slot.myLow;
        high += slot.myHigh;
    }
    XINPUT_VIBRATION vibration;
    vibration.wLeftMotorSpeed = static_cast<u16>(Clamp01(low) * 65535.0f);
    vibration.wRightMotorSpeed = static_cast<u16>(Clamp01(high) * 65535.0f);
    // The pad in use gets it, whichever user index it answered on.
    Platform::XInputSetState(aUserIndex, &vibration);
}

bool InputMapper::IsActionPressed(u32 aAction) const
{
    if (!IsValidAction(aAction))
        return false;
    for (const KeyBinding& binding : myKeys[aAction])
        if (binding.myFlags & BINDING_PRESSED)
            return true;
    for (const ButtonBinding& binding : myButtons[aAction])
        if (binding.myFlags & BINDING_PRESSED)
            return true;
    for (const AnalogBinding& binding : mySticks[aAction])
        if (binding.myFlags & BINDING_PRESSED)
            return true;
    for (const AnalogBinding& binding : myMouse[aAction])
        if (binding.myFlags & BINDING_PRESSED)
            return true;
    return false;
}

bool InputMapper::IsActionReleased(u32 aAction) const
{
    if (!IsValidAction(aAction))
        return false;
    for (const KeyBinding& binding : myKeys[aAction])
        if (binding.myFlags & BINDING_RELEASED)
            return true;
    for (const ButtonBinding& binding : myButtons[aAction])
        if (binding.myFlags & BINDING_RELEASED)
            return true;
    for (const AnalogBinding& binding : mySticks[aAction])
        if (binding.myFlags & BINDING_RELEASED)
            return true;
    for (const AnalogBinding& binding : myMouse[aAction])
        if (binding.myFlags & BINDING_RELEASED)
            return true;
    return false;
}

bool InputMapper::IsActionHeld(u32 aAction) const
{
    if (!IsValidAction(aAction))
        return false;
    for (const KeyBinding& binding : myKeys[aAction])
        if (binding.myFlags & BINDING_HELD)
            return true;
    for (const ButtonBinding& binding : myButtons[aAction])
        if (binding.myFlags & BINDING_HELD)
            return true;
    for (const AnalogBinding& binding : myMouse[aAction])
        if (binding.myValue > myAnalogThreshold)
            return true;
    const float stickThreshold = GetHeldThreshold(aAction);
    for (const AnalogBinding& binding : mySticks[aAction])
        if (binding.myValue > stickThreshold)
            return true;
    return false;
}

float InputMapper::GetActionValue(u32 aAction) const
{
    if (!IsValidAction(aAction))
        return 0.0f;
    for (const KeyBinding& binding : myKeys[aAction])
        if (binding.myFlags & BINDING_HELD)
            return 1.0f;
    for (const ButtonBinding& binding : myButtons[aAction])
        if (binding.myFlags & BINDING_HELD)
            return 1.0f;
    float value = 0.0f;
    for (const AnalogBinding& binding : myMouse[aAction])
        if (binding.myValue > myAnalogThreshold)
            value = std::max(value, binding.myValue);
    for (const AnalogBinding& binding : mySticks[aAction])
        if (binding.myValue > myAnalogThreshold)
            value = std::max(value, binding.myValue);
    return value;
}

bool InputMapper::IsAnyMouseActive() const
{
    for (const auto& bindings : myMouse)
        for (const AnalogBinding& binding : bindings)
            if ((binding.myFlags & BINDING_PRESSED) || binding.myValue > myAnalogThreshold)
                return true;
    return false;
}

bool InputMapper::IsAnyActionActive() const
{
    for (const auto& bindings : myKeys)
        for (const KeyBinding& binding : bindings)
            if (binding.myFlags & (BINDING_PRESSED | BINDING_HELD))
                return true;
    for (const auto& bindings : myButtons)
        for (const ButtonBinding& binding : bindings)
            if (binding.myFlags & (BINDING_PRESSED | BINDING_HELD))
                return true;
    for (const auto& bindings : mySticks)
        for (const AnalogBinding& binding : bindings)
            if ((binding.myFlags & BINDING_PRESSED) || binding.myValue > myAnalogThreshold)
                return true;
    return false;
}

void InputMapper::AddRumble(float aLow, float aHigh, float aSeconds)
{
    myRumble[myRumbleIndex] = {aLow, aHigh, aSeconds};
    myRumbleIndex = (myRumbleIndex + 1) % RUMBLE_SLOTS;
}

void InputMapper::UpdateCursorVisibility(const UpdateContext& aContext) const
{
    InputManager* input = aContext.myInput;
    if (!input)
        return;
    const bool visible = input->IsCursorVisible();
    const Vector2<float> delta = input->GetMouseDelta();
    // Movement either way counts: leftward and upward moves are negative.
    if (std::fabs(delta.x) > 0.002f || std::fabs(delta.y) > 0.002f)
    {
        if (!visible)
            input->ShowCursor();
        return;
    }
    if (IsAnyMouseActive())
    {
        if (!visible)
            input->ShowCursor();
    }
    else if (IsAnyActionActive())
    {
        if (visible)
            input->HideCursor();
    }
}

void BindDefaultInputs(InputMapper& aMapper)
{
    struct Row
    {
        u32 action;
        u32 keys[2];
        u32 buttons[2];
        int stick;   // -1: none
    };
    const Row rows[] = {
        {ACTION_JUMP, {'Z', 0}, {XINPUT_GAMEPAD_A, XINPUT_GAMEPAD_B}, -1},
        {ACTION_CROUCH, {VK_DOWN, 0}, {XINPUT_GAMEPAD_DPAD_DOWN, 0}, STICK_LEFT_Y_DOWN},
        {ACTION_MOVE_LEFT, {VK_LEFT, 0}, {XINPUT_GAMEPAD_DPAD_LEFT, 0}, STICK_LEFT_X_LEFT},
        {ACTION_MOVE_RIGHT, {VK_RIGHT, 0}, {XINPUT_GAMEPAD_DPAD_RIGHT, 0}, STICK_LEFT_X_RIGHT},
        {ACTION_SPRINT, {'X', 0}, {XINPUT_GAMEPAD_X, XINPUT_GAMEPAD_Y}, -1},
        {ACTION_THROW, {'X', 0}, {XINPUT_GAMEPAD_X, XINPUT_GAMEPAD_Y}, -1},
        {ACTION_PAUSE, {VK_ESCAPE, 0}, {XINPUT_GAMEPAD_START, 0}, -1},
        {ACTION_UNUSED_7, {'R', 0}, {0, 0}, -1},
        {ACTION_MENU_UP, {'W', VK_UP}, {XINPUT_GAMEPAD_DPAD_UP, 0}, STICK_LEFT_Y_UP},
        {ACTION_MENU_DOWN, {'S', VK_DOWN}, {XINPUT_GAMEPAD_DPAD_DOWN, 0}, STICK_LEFT_Y_DOWN},
        {ACTION_MENU_RIGHT, {'D', VK_RIGHT}, {XINPUT_GAMEPAD_DPAD_RIGHT, 0}, STICK_LEFT_X_RIGHT},
        {ACTION_MENU_LEFT, {'A', VK_LEFT}, {XINPUT_GAMEPAD_DPAD_LEFT, 0}, STICK_LEFT_X_LEFT},
        {ACTION_CONFIRM, {VK_RETURN, VK_SPACE}, {XINPUT_GAMEPAD_A, 0}, -1},
        {ACTION_BACK, {VK_ESCAPE, 0}, {XINPUT_GAMEPAD_B, 0}, -1},
        {ACTION_GROUND_POUND, {VK_DOWN, 0}, {XINPUT_GAMEPAD_RIGHT_SHOULDER, XINPUT_GAMEPAD_LEFT_SHOULDER}, -1},
        {ACTION_SKIP, {VK_ESCAPE, 0}, {XINPUT_GAMEPAD_Y, 0}, -1},
    };
    for (const Row& row : rows)
    {
        for (u32 key : row.keys)
            if (key)
                aMapper.BindKey(key, row.action);
        for (u32 button : row.buttons)
            if (button)
                aMapper.BindButton(button, row.action);
        if (row.stick >= 0)
            aMapper.BindAxis(static_cast<u32>(row.stick), row.action);
    }
}
