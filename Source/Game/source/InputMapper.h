#pragma once
// The action map: turns keys, mouse movement, pad buttons and sticks into the game's sixteen
// numbered actions, so that screens and the player ask "was jump pressed" rather than "was Z
// pressed". Also drives the pad's rumble. Bindings are set once at start; flags and values carry
// from frame to frame. Main thread only.
#include "core/Types.h"

#include <vector>

namespace Qel
{
class InputManager;
class XInputController;
}
struct UpdateContext;

// The actions, as the state stack binds them.
enum InputAction : Qel::u32
{
    ACTION_JUMP = 0,
    ACTION_CROUCH = 1,
    ACTION_MOVE_LEFT = 2,
    ACTION_MOVE_RIGHT = 3,
    ACTION_SPRINT = 4,
    ACTION_THROW = 5,
    ACTION_PAUSE = 6,
    ACTION_UNUSED_7 = 7,
    ACTION_MENU_UP = 8,
    ACTION_MENU_DOWN = 9,
    ACTION_MENU_RIGHT = 10,
    ACTION_MENU_LEFT = 11,
    ACTION_CONFIRM = 12,
    ACTION_BACK = 13,
    ACTION_GROUND_POUND = 14,
    ACTION_SKIP = 15,
    ACTION_COUNT = 16,
};

// Mouse movement sources.
enum MouseSource : Qel::u32
{
    MOUSE_LEFT = 0,
    MOUSE_RIGHT = 1,
    MOUSE_Y_POSITIVE = 2,
    MOUSE_Y_NEGATIVE = 3,
};

// Pad axis sources; values 0..1.
enum StickSource : Qel::u32
{
    STICK_LEFT_X_LEFT = 0,
    STICK_LEFT_X_RIGHT = 1,
    STICK_LEFT_Y_UP = 2,
    STICK_LEFT_Y_DOWN = 3,
    STICK_RIGHT_X_LEFT = 4,
    STICK_RIGHT_X_RIGHT = 5,
    STICK_RIGHT_Y_UP = 6,
    STICK_RIGHT_Y_DOWN = 7,
    STICK_LEFT_TRIGGER = 8,
    STICK_RIGHT_TRIGGER = 9,
};

// Binding flags.
inline constexpr Qel::u32 BINDING_PRESSED = 1;
inline constexpr Qel::u32 BINDING_RELEASED = 2;
inline constexpr Qel::u32 BINDING_HELD = 4;

class InputMapper
{
public:
    struct KeyBinding
    {
        Qel::u32 myKey = 0;
        Qel::u32 myFlags = 0;
    };
    struct AnalogBinding
    {
        Qel::u32 mySource = 0;
        float myValue = 0.0f;
        Qel::u32 myFlags = 0;
    };
    struct ButtonBinding
    {
        Qel::u32 myMask = 0;
        Qel::u32 myFlags = 0;
    };
    struct RumbleSlot
    {
        float myLow = 0.0f;
        float myHigh = 0.0f;
        float mySecondsLeft = 0.0f;
    };

    static constexpr Qel::u32 RUMBLE_SLOTS = 8;

    InputMapper() = default;
    InputMapper(float aAnalogThreshold, float aCrouchThreshold)
        : myAnalogThreshold(aAnalogThreshold), myCrouchThreshold(aCrouchThreshold)
    {
    }

    void BindKey(Qel::u32 aKey, Qel::u32 aAction);
    void BindButton(Qel::u32 aMask, Qel::u32 aAction);
    void BindAxis(Qel::u32 aSource, Qel::u32 aAction);
    void BindMouse(Qel::u32 aSource, Qel::u32 aAction);

    // Refreshes every binding from this frame's input, and sends the rumble.
    void Update(Qel::InputManager& aInput, Qel::XInputController& aGamepad, float aDeltaTime);

    bool IsActionPressed(Qel::u32 aAction) const;
    bool IsActionReleased(Qel::u32 aAction) const;
    bool IsActionHeld(Qel::u32 aAction) const;
    // 1 while a key or button of the action is held, else its largest analog value above the
    // threshold, else 0.
    float GetActionValue(Qel::u32 aAction) const;
    bool IsAnyMouseActive() const;
    bool IsAnyActionActive() const;

    // Queues a rumble (motor strengths 0..1) into a ring of eight; the oldest is overwritten.
    void AddRumble(float aLow, float aHigh, float aSeconds);

    // The mouse shows the cursor; keys, buttons and sticks hide it.
    void UpdateCursorVisibility(const UpdateContext& aContext) const;

    const std::vector<KeyBinding>& GetKeyBindings(Qel::u32 aAction) const { return myKeys[aAction]; }
    const std::vector<AnalogBinding>& GetMouseBindings(Qel::u32 aAction) const { return myMouse[aAction]; }
    const std::vector<AnalogBinding>& GetStickBindings(Qel::u32 aAction) const { return mySticks[aAction]; }
    const std::vector<ButtonBinding>& GetButtonBindings(Qel::u32 aAction) const { return myButtons[aAction]; }
    const RumbleSlot& GetRumbleSlot(Qel::u32 aIndex) const { return myRumble[aIndex % RUMBLE_SLOTS]; }
    float GetAnalogThreshold() const { return myAnalogThreshold; }
    float GetCrouchThreshold() const { return myCrouchThreshold; }

private:
    float GetHeldThreshold(Qel::u32 aAction) const
    {
        return aAction == ACTION_CROUCH ? myCrouchThreshold : myAnalogThreshold;
    }
    void UpdateAnalog(AnalogBinding& aBinding, float aValue) const;
    void SendRumble(float aDeltaTime, Qel::u32 aUserIndex);

    std::vector<KeyBinding> myKeys[ACTION_COUNT];
    std::vector<AnalogBinding> myMouse[ACTION_COUNT];
    std::vector<AnalogBinding> mySticks[ACTION_COUNT];
    std::vector<ButtonBinding> myButtons[ACTION_COUNT];
    RumbleSlot myRumble[RUMBLE_SLOTS];
    Qel::u32 myRumbleIndex = 0;
    float myAnalogThreshold = 0.4f;
    float myCrouchThreshold = 0.9f;
};

// The game's bindings.
void BindDefaultInputs(InputMapper& aMapper);
