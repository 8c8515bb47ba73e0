#include "FlowFixture.h"
#include "InputMapper.h"
#include "UpdateContext.h"
#include "platform/VirtualKeys.h"

#include <gtest/gtest.h>

#include <set>

using namespace Qel;
using FlowTest::FakePad;
using FlowTest::Keys;

namespace
{
class InputMapperTest : public ::testing::Test
{
protected:
    InputMapperTest() : myKeys(myInput) { BindDefaultInputs(myMapper); }
    void SetUp() override { Platform::ShowCursor(true); }

    // One frame as the game runs it: input, pad, then the action map.
    void Frame(float aDeltaTime = 1.0f / 64.0f)
    {
        myInput.Update();
        myGamepad.Update();
        myMapper.Update(myInput, myGamepad, aDeltaTime);
    }

    FakePad myPad;
    InputManager myInput{nullptr};
    XInputController myGamepad;
    Keys myKeys;
    InputMapper myMapper{0.4f, 0.9f};
};

std::set<u32> KeysOf(const InputMapper& aMapper, u32 aAction)
{
    std::set<u32> keys;
    for (const auto& binding : aMapper.GetKeyBindings(aAction))
        keys.insert(binding.myKey);
    return keys;
}
std::set<u32> ButtonsOf(const InputMapper& aMapper, u32 aAction)
{
    std::set<u32> buttons;
    for (const auto& binding : aMapper.GetButtonBindings(aAction))
        buttons.insert(binding.myMask);
    return buttons;
}
std::set<u32> SticksOf(const InputMapper& aMapper, u32 aAction)
{
    std::set<u32> sticks;
    for (const auto& binding : aMapper.GetStickBindings(aAction))
        sticks.insert(binding.mySource);
    return sticks;
}
}

TEST_F(InputMapperTest, EveryActionHasItsKeysButtonsAndStick)
{
    const struct
    {
        u32 action;
        std::set<u32> keys, buttons, sticks;
    } table[] = {
        {ACTION_JUMP, {'Z'}, {XINPUT_GAMEPAD_A, XINPUT_GAMEPAD_B}, {}},
        {ACTION_CROUCH, {VK_DOWN}, {XINPUT_GAMEPAD_DPAD_DOWN}, {STICK_LEFT_Y_DOWN}},
        {ACTION_MOVE_LEFT, {VK_LEFT}, {XINPUT_GAMEPAD_DPAD_LEFT}, {STICK_LEFT_X_LEFT}},
        {ACTION_MOVE_RIGHT, {VK_RIGHT}, {XINPUT_GAMEPAD_DPAD_RIGHT}, {STICK_LEFT_X_RIGHT}},
        {ACTION_SPRINT, {'X'}, {XINPUT_GAMEPAD_X, XINPUT_GAMEPAD_Y}, {}},
        {ACTION_THROW, {'X'}, {XINPUT_GAMEPAD_X, XINPUT_GAMEPAD_Y}, {}},
        {ACTION_PAUSE, {VK_ESCAPE}, {XINPUT_GAMEPAD_START}, {}},
        {ACTION_UNUSED_7, {'R'}, {}, {}},
        {ACTION_MENU_UP, {'W', VK_UP}, {XINPUT_GAMEPAD_DPAD_UP}, {STICK_LEFT_Y_UP}},
        {ACTION_MENU_DOWN, {'S', VK_DOWN}, {XINPUT_GAMEPAD_DPAD_DOWN}, {STICK_LEFT_Y_DOWN}},
        {ACTION_MENU_RIGHT, {'D', VK_RIGHT}, {XINPUT_GAMEPAD_DPAD_RIGHT}, {STICK_LEFT_X_RIGHT}},
        {ACTION_MENU_LEFT, {'A', VK_LEFT}, {XINPUT_GAMEPAD_DPAD_LEFT}, {STICK_LEFT_X_LEFT}},
        {ACTION_CONFIRM, {VK_RETURN, VK_SPACE}, {XINPUT_GAMEPAD_A}, {}},
        {ACTION_BACK, {VK_ESCAPE}, {XINPUT_GAMEPAD_B}, {}},
        {ACTION_GROUND_POUND, {VK_DOWN}, {XINPUT_GAMEPAD_RIGHT_SHOULDER, XINPUT_GAMEPAD_LEFT_SHOULDER}, {}},
        {ACTION_SKIP, {VK_ESCAPE}, {XINPUT_GAMEPAD_Y}, {}},
    };
    for (const auto& row : table)
    {
        EXPECT_EQ(KeysOf(myMapper, row.action), row.keys) << "action " << row.action;
        EXPECT_EQ(ButtonsOf(myMapper, row.action), row.buttons) << "action " << row.action;
        EXPECT_EQ(SticksOf(myMapper, row.action), row.sticks) << "action " << row.action;
        EXPECT_TRUE(myMapper.GetMouseBindings(row.action).empty());
    }
    EXPECT_FLOAT_EQ(myMapper.GetAnalogThreshold(), 0.4f);
    EXPECT_FLOAT_EQ(myMapper.GetCrouchThreshold(), 0.9f);
}

TEST_F(InputMapperTest, AKeyIsPressedOnItsFirstFrameHeldFromItsSecondAndReleasedAfter)
{
    struct Expect
    {
        bool down, pressed, held, released;
        float value;
    };
    const Expect frames[] = {
        {true, true, false, false, 0.0f},
        {true, false, true, false, 1.0f},
        {true, false, true, false, 1.0f},
        {false, false, false, true, 0.0f},
        {false, false, false, false, 0.0f},
    };
    int index = 0;
    for (const Expect& e : frames)
    {
        if (e.down)
            myKeys.Down('Z');
        else
            myKeys.Up('Z');
        Frame();
        EXPECT_EQ(myMapper.IsActionPressed(ACTION_JUMP), e.pressed) << "frame " << index;
        EXPECT_EQ(myMapper.IsActionHeld(ACTION_JUMP), e.held) << "frame " << index;
        EXPECT_EQ(myMapper.IsActionReleased(ACTION_JUMP), e.released) << "frame " << index;
        EXPECT_FLOAT_EQ(myMapper.GetActionValue(ACTION_JUMP), e.value) << "frame " << index;
        ++index;
    }
    // One key, several actions: Down is crouch, menu down and ground pound at once.
    myKeys.Down(VK_DOWN);
    Frame();
    EXPECT_TRUE(myMapper.IsActionPressed(ACTION_CROUCH));
    EXPECT_TRUE(myMapper.IsActionPressed(ACTION_MENU_DOWN));
    EXPECT_TRUE(myMapper.IsActionPressed(ACTION_GROUND_POUND));
    EXPECT_FALSE(myMapper.IsActionPressed(ACTION_MENU_UP));
}

TEST_F(InputMapperTest, AButtonIsPressedAndHeldOnItsFirstFrame)
{
    myPad.myState.Gamepad.wButtons = XINPUT_GAMEPAD_A;
    Frame();
    EXPECT_TRUE(myMapper.IsActionPressed(ACTION_JUMP));
    EXPECT_TRUE(myMapper.IsActionHeld(ACTION_JUMP));
    EXPECT_TRUE(myMapper.IsActionHeld(ACTION_CONFIRM));
    EXPECT_FLOAT_EQ(myMapper.GetActionValue(ACTION_CONFIRM), 1.0f);
    Frame();
    EXPECT_FALSE(myMapper.IsActionPressed(ACTION_JUMP));
    EXPECT_TRUE(myMapper.IsActionHeld(ACTION_JUMP));
    myPad.myState.Gamepad.wButtons = 0;
    Frame();
    EXPECT_TRUE(myMapper.IsActionReleased(ACTION_JUMP));
    EXPECT_FALSE(myMapper.IsActionHeld(ACTION_JUMP));
}

TEST_F(InputMapperTest, StickThresholdsForMenusAndForCrouch)
{
    const struct
    {
        i16 thumbY;
        bool menuDownHeld, menuDownPressed, crouchHeld, crouchPressed;
        float menuDownValue;
    } table[] = {
        {-16384, true, true, false, true, 0.5f},      // crouch needs more than 0.9 to be held
        {-32768, true, false, true, false, 1.0f},     // already past 0.4: no new press
        {-13000, false, false, false, false, 0.0f},   // 0.397: below the threshold
        {16384, false, false, false, false, 0.0f},    // pushed up, not down
    };
    for (const auto& row : table)
    {
        myPad.myState.Gamepad.sThumbLY = row.thumbY;
        Frame();
        EXPECT_EQ(myMapper.IsActionHeld(ACTION_MENU_DOWN), row.menuDownHeld) << row.thumbY;
        EXPECT_EQ(myMapper.IsActionPressed(ACTION_MENU_DOWN), row.menuDownPressed) << row.thumbY;
        EXPECT_EQ(myMapper.IsActionHeld(ACTION_CROUCH), row.crouchHeld) << row.thumbY;
        EXPECT_EQ(myMapper.IsActionPressed(ACTION_CROUCH), row.crouchPressed) << row.thumbY;
        EXPECT_NEAR(myMapper.GetActionValue(ACTION_MENU_DOWN), row.menuDownValue, 1e-6) << row.thumbY;
    }
    // Coming back below the threshold releases.
    myPad.myState.Gamepad.sThumbLY = -32768;
    Frame();
    myPad.myState.Gamepad.sThumbLY = 0;
    Frame();
    EXPECT_TRUE(myMapper.IsActionReleased(ACTION_MENU_DOWN));
    EXPECT_FALSE(myMapper.IsAnyActionActive());
}

TEST_F(InputMapperTest, AnUnpluggedPadLetsGoOfEverythingItHeld)
{
    myPad.myState.Gamepad.wButtons = XINPUT_GAMEPAD_DPAD_RIGHT;
    myPad.myState.Gamepad.sThumbLX = 32767;
    Frame();
    ASSERT_TRUE(myMapper.IsActionHeld(ACTION_MOVE_RIGHT));
    myPad.myConnected = false;
    Frame();
    EXPECT_FALSE(myMapper.IsActionHeld(ACTION_MOVE_RIGHT));
    EXPECT_TRUE(myMapper.IsActionReleased(ACTION_MOVE_RIGHT));
    EXPECT_FALSE(myMapper.IsAnyActionActive());
    Frame();
    EXPECT_FALSE(myMapper.IsActionReleased(ACTION_MOVE_RIGHT));
    // Plugged in again and still pushed: a fresh press.
    myPad.myConnected = true;
    Frame();
    EXPECT_TRUE(myMapper.IsActionPressed(ACTION_MOVE_RIGHT));
}

TEST_F(InputMapperTest, RumbleSumsLiveRequestsAndRingsOverEightSlots)
{
    myMapper.AddRumble(0.7f, 0.7f, 1.0f);
    myMapper.AddRumble(0.7f, 0.7f, 1.0f);
    Frame();
    ASSERT_FALSE(myPad.myRumble.empty());
    EXPECT_EQ(myPad.myRumble.back().wLeftMotorSpeed, 65535);
    EXPECT_EQ(myPad.myRumble.back().wRightMotorSpeed, 65535);

    InputMapper fresh;
    fresh.AddRumble(0.25f, 0.5f, 0.1f);
    myPad.myRumble.clear();
    myInput.Update();
    fresh.Update(myInput, myGamepad, 0.03f);
    ASSERT_EQ(myPad.myRumble.size(), 1u);
    EXPECT_EQ(myPad.myRumble[0].wLeftMotorSpeed, 16383);
    EXPECT_EQ(myPad.myRumble[0].wRightMotorSpeed, 32767);
    // 0.1 s at 0.03 s a frame: live in four frames (it counts in the frame it runs out), then off.
    for (int frame = 2; frame <= 6; ++frame)
        fresh.Update(myInput, myGamepad, 0.03f);
    ASSERT_EQ(myPad.myRumble.size(), 6u);
    for (int frame = 0; frame < 6; ++frame)
        EXPECT_EQ(myPad.myRumble[frame].wLeftMotorSpeed != 0, frame < 4) << "frame " << frame + 1;

    InputMapper ring;
    for (int i = 1; i <= 9; ++i)
        ring.AddRumble(0.01f * static_cast<float>(i), 0.0f, 1.0f);
    EXPECT_FLOAT_EQ(ring.GetRumbleSlot(0).myLow, 0.09f);   // the ninth overwrote the first
    EXPECT_FLOAT_EQ(ring.GetRumbleSlot(1).myLow, 0.02f);
}

TEST_F(InputMapperTest, RumbleGoesToThePadInUseAndNowhereWithoutOne)
{
    myPad.myIndex = 2;
    myMapper.AddRumble(1.0f, 0.0f, 1.0f);
    Frame();
    ASSERT_EQ(myPad.myRumble.size(), 1u);
    EXPECT_EQ(myPad.myRumble[0].wLeftMotorSpeed, 65535);
    myPad.myConnected = false;
    myPad.myRumble.clear();
    Frame();
    EXPECT_TRUE(myPad.myRumble.empty());
}

TEST_F(InputMapperTest, TheMouseShowsTheCursorAndKeysButtonsAndSticksHideIt)
{
    const UpdateContext context{&myMapper, 1.0f / 64.0f, &myInput};
    const auto cursorAfter = [&](bool aVisibleBefore, auto aInputs) {
        Platform::ShowCursor(aVisibleBefore);
        aInputs();
        Frame();
        myMapper.UpdateCursorVisibility(context);
        const bool visible = myInput.IsCursorVisible();
        myKeys.Up('Z');
        myPad.myState = XINPUT_STATE{};
        Frame();
        return visible;
    };
    EXPECT_TRUE(cursorAfter(false, [&] { myKeys.MoveMouse(3, 0); }));
    EXPECT_TRUE(cursorAfter(false, [&] { myKeys.MoveMouse(-5, 0); }));   // leftward counts too
    EXPECT_TRUE(cursorAfter(false, [&] { myKeys.MoveMouse(0, -2); }));
    EXPECT_FALSE(cursorAfter(true, [&] { myKeys.Down('Z'); }));
    EXPECT_FALSE(cursorAfter(true, [&] { myPad.myState.Gamepad.sThumbLX = 16384; }));
    EXPECT_FALSE(cursorAfter(true, [&] { myPad.myState.Gamepad.wButtons = XINPUT_GAMEPAD_A; }));
    EXPECT_TRUE(cursorAfter(true, [] {}));
    EXPECT_FALSE(cursorAfter(false, [] {}));
    // A moving mouse wins over a held key.
    EXPECT_TRUE(cursorAfter(false, [&] {
        myKeys.Down('Z');
        myKeys.MoveMouse(4, 4);
    }));
}
