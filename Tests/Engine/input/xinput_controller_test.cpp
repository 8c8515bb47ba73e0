#include "input/XInputController.h"
#include "platform/XInput.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <optional>
#include <vector>

using namespace Qel;

namespace
{
// Four user indices whose pads the test plugs, moves and unplugs.
class ScriptedPads : public Platform::XInputBackend
{
public:
    ScriptedPads() { Platform::SetXInputBackend(this); }
    ~ScriptedPads() override { Platform::SetXInputBackend(nullptr); }

    u32 GetState(u32 aUserIndex, XINPUT_STATE& aState) override
    {
        myQueries.push_back(aUserIndex);
        if (!myPads[aUserIndex])
            return ERROR_DEVICE_NOT_CONNECTED;
        aState.dwPacketNumber = ++myPacket;
        aState.Gamepad = *myPads[aUserIndex];
        return ERROR_SUCCESS;
    }
    u32 SetState(u32 aUserIndex, const XINPUT_VIBRATION& aVibration) override
    {
        if (!myPads[aUserIndex])
            return ERROR_DEVICE_NOT_CONNECTED;
        myVibration[aUserIndex] = aVibration;
        return ERROR_SUCCESS;
    }

    std::array<std::optional<XINPUT_GAMEPAD>, 4> myPads;
    std::array<XINPUT_VIBRATION, 4> myVibration{};
    std::vector<u32> myQueries;
    u32 myPacket = 0;
};

XINPUT_GAMEPAD Pad(i16 aLX, i16 aLY, i16 aRX, i16 aRY, u8 aLT = 0, u8 aRT = 0, u16 aButtons = 0)
{
    XINPUT_GAMEPAD pad;
    pad.wButtons = aButtons;
    pad.bLeftTrigger = aLT;
    pad.bRightTrigger = aRT;
    pad.sThumbLX = aLX;
    pad.sThumbLY = aLY;
    pad.sThumbRX = aRX;
    pad.sThumbRY = aRY;
    return pad;
}
}

TEST(XInputController, DeadZoneTable)
{
    struct Case
    {
        i16 myThumb;
        float myDeadZone;
        float myExpected;
    };
    const Case cases[] = {
        {32767, 0.05f, 1.0f},
        {1000, 0.05f, 0.0f},    // 0.0305, inside the zone
        {-1000, 0.05f, 0.0f},
        {-32768, 0.05f, -1.0f},
        {0, 0.05f, 0.0f},
        {16384, 0.02f, 0.48981f},
        {-16384, 0.02f, -0.48981f},
        {16384, 0.0f, 0.500015f},    // no zone: passes through
        {-32768, 0.0f, -1.0f},
        {0, 0.0f, 0.0f},
    };
    for (const Case& c : cases)
        EXPECT_NEAR(ApplyStickDeadZone(c.myThumb, c.myDeadZone), c.myExpected, 1e-4f)
            << c.myThumb << " in " << c.myDeadZone;
    // Just outside the zone the output starts near 0 instead of jumping to the zone's edge.
    const float edge = ApplyStickDeadZone(1640, 0.05f);
    EXPECT_GT(edge, 0.0f);
    EXPECT_LT(edge, 1e-4f);
}

TEST(XInputController, DeadZonesOfOneOrMoreStayFinite)
{
    for (float zone : {1.0f, 2.0f, -0.5f, NAN})
    {
        const float value = ApplyStickDeadZone(32767, zone);
        EXPECT_TRUE(std::isfinite(value)) << zone;
        EXPECT_GE(value, 0.0f) << zone;
        EXPECT_LE(value, 1.0f) << zone;
    }
}

TEST(XInputController, UpdateAppliesEachAxisItsZoneAndScalesTriggers)
{
    ScriptedPads pads;
    pads.myPads[0] = Pad(32767, 16384, 1000, -32768, 255, 128, XINPUT_GAMEPAD_A | XINPUT_GAMEPAD_DPAD_LEFT);
    XInputController pad;
    pad.myDeadZoneX = 0.05f;
    pad.myDeadZoneY = 0.02f;
    ASSERT_TRUE(pad.Update());
    EXPECT_EQ(pad.GetControllerIndex(), 0u);
    EXPECT_FLOAT_EQ(pad.myLeftStickX, 1.0f);
    EXPECT_NEAR(pad.myLeftStickY, 0.48981f, 1e-4f);
    EXPECT_EQ(pad.myRightStickX, 0.0f);   // 1000 is inside the x zone
    EXPECT_FLOAT_EQ(pad.myRightStickY, -1.0f);
    EXPECT_FLOAT_EQ(pad.myLeftTrigger, 1.0f);
    EXPECT_NEAR(pad.myRightTrigger, 0.50196f, 1e-5f);
    EXPECT_TRUE(pad.IsButtonDown(XINPUT_GAMEPAD_A));
    EXPECT_TRUE(pad.IsButtonDown(XINPUT_GAMEPAD_A | XINPUT_GAMEPAD_B));
    EXPECT_FALSE(pad.IsButtonDown(XINPUT_GAMEPAD_B));
    EXPECT_EQ(pad.GetButtons(), XINPUT_GAMEPAD_A | XINPUT_GAMEPAD_DPAD_LEFT);
    // The raw state is kept for readers that want the thumbs as they came.
    EXPECT_EQ(pad.GetState().Gamepad.sThumbLY, 16384);
    EXPECT_EQ(pad.GetState().Gamepad.bRightTrigger, 128);
}

TEST(XInputController, WithoutPadsEveryUpdateSearchesAllFourAndFails)
{
    ScriptedPads pads;
    XInputController pad;
    EXPECT_EQ(pad.GetControllerIndex(), XInputController::NO_CONTROLLER);
    for (int frame = 0; frame < 3; ++frame)
    {
        pads.myQueries.clear();
        EXPECT_FALSE(pad.Update());
        EXPECT_EQ(pads.myQueries, (std::vector<u32>{0, 1, 2, 3}));
        EXPECT_EQ(pad.GetControllerIndex(), XInputController::NO_CONTROLLER);
    }
    EXPECT_FALSE(pad.Connect());
}

TEST(XInputController, PlugUnplugAndPlugAgain)
{
    ScriptedPads pads;
    XInputController pad;
    EXPECT_FALSE(pad.Update());

    // A pad in slot 2 is used from the next Update on.
    pads.myPads[2] = Pad(-20000, 20000, 0, 0, 200, 0, XINPUT_GAMEPAD_B | XINPUT_GAMEPAD_START);
    ASSERT_TRUE(pad.Update());
    EXPECT_EQ(pad.GetControllerIndex(), 2u);
    EXPECT_TRUE(pad.IsButtonDown(XINPUT_GAMEPAD_B));
    EXPECT_LT(pad.myLeftStickX, -0.5f);
    pads.myQueries.clear();
    ASSERT_TRUE(pad.Update());
    EXPECT_EQ(pads.myQueries, (std::vector<u32>{2}));   // in use: no search

    // Unplugged with a button held and the stick pushed: nothing stays down.
    pads.myPads[2].reset();
    EXPECT_FALSE(pad.Update());
    EXPECT_EQ(pad.GetControllerIndex(), XInputController::NO_CONTROLLER);
    EXPECT_EQ(pad.GetButtons(), 0);
    EXPECT_FALSE(pad.IsButtonDown(0xFFFF));
    EXPECT_EQ(pad.myLeftStickX, 0.0f);
    EXPECT_EQ(pad.myLeftStickY, 0.0f);
    EXPECT_EQ(pad.myLeftTrigger, 0.0f);
    EXPECT_EQ(pad.GetState().Gamepad.sThumbLX, 0);
    EXPECT_FALSE(pad.Update());

    // Back in another slot: found within one frame.
    pads.myPads[1] = Pad(0, 0, 0, 0, 0, 0, XINPUT_GAMEPAD_Y);
    ASSERT_TRUE(pad.Update());
    EXPECT_EQ(pad.GetControllerIndex(), 1u);
    EXPECT_TRUE(pad.IsButtonDown(XINPUT_GAMEPAD_Y));
}

TEST(XInputController, ConnectTakesTheFirstAnsweringIndexAndClearsWhenNoneAnswers)
{
    ScriptedPads pads;
    pads.myPads[3] = Pad(0, 0, 0, 0, 0, 0, XINPUT_GAMEPAD_X);
    pads.myPads[1] = Pad(0, 0, 0, 0);
    XInputController pad;
    EXPECT_TRUE(pad.Connect());
    EXPECT_EQ(pad.GetControllerIndex(), 1u);

    pads.myPads[1].reset();
    ASSERT_TRUE(pad.Connect());
    EXPECT_EQ(pad.GetControllerIndex(), 3u);
    ASSERT_TRUE(pad.Update());
    EXPECT_TRUE(pad.IsButtonDown(XINPUT_GAMEPAD_X));

    pads.myPads[3].reset();
    EXPECT_FALSE(pad.Connect());
    EXPECT_EQ(pad.GetControllerIndex(), XInputController::NO_CONTROLLER);
    EXPECT_FALSE(pad.IsButtonDown(XINPUT_GAMEPAD_X));
}

TEST(XInput, CallsCheckTheirArgumentsAndZeroTheStateOnFailure)
{
    ScriptedPads pads;
    pads.myPads[0] = Pad(5, 5, 5, 5, 5, 5, 5);
    XINPUT_STATE state;
    state.Gamepad.wButtons = 0xFFFF;
    EXPECT_EQ(Platform::XInputGetState(4, &state), ERROR_BAD_ARGUMENTS);
    EXPECT_EQ(state.Gamepad.wButtons, 0);
    EXPECT_EQ(Platform::XInputGetState(0, nullptr), ERROR_BAD_ARGUMENTS);
    state.Gamepad.wButtons = 0xFFFF;
    EXPECT_EQ(Platform::XInputGetState(1, &state), ERROR_DEVICE_NOT_CONNECTED);
    EXPECT_EQ(state.Gamepad.wButtons, 0);
    EXPECT_TRUE(pads.myQueries == std::vector<u32>{1});   // bad indices never reach the backend

    XINPUT_VIBRATION vibration{0x1234, 0xABCD};
    EXPECT_EQ(Platform::XInputSetState(0, &vibration), ERROR_SUCCESS);
    EXPECT_EQ(pads.myVibration[0].wLeftMotorSpeed, 0x1234);
    EXPECT_EQ(pads.myVibration[0].wRightMotorSpeed, 0xABCD);
    EXPECT_EQ(Platform::XInputSetState(1, &vibration), ERROR_DEVICE_NOT_CONNECTED);
    EXPECT_EQ(Platform::XInputSetState(7, &vibration), ERROR_BAD_ARGUMENTS);
    EXPECT_EQ(Platform::XInputSetState(0, nullptr), ERROR_BAD_ARGUMENTS);
}

TEST(XInput, SdlAxesBecomeXInputAxes)
{
    struct Case
    {
        i16 mySdl;
        bool myIsY;
        i16 myXInput;
    };
    const Case cases[] = {
        {32767, true, -32767},    // SDL's down is XInput's down
        {-32768, true, 32767},    // full up would overflow 16 bits
        {0, true, 0},
        {1000, true, -1000},
        {-32768, false, -32768},  // x needs no change
        {32767, false, 32767},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Platform::ThumbFromSdlAxis(c.mySdl, c.myIsY), c.myXInput) << c.mySdl << " y " << c.myIsY;

    EXPECT_EQ(Platform::TriggerFromSdlAxis(0), 0);
    EXPECT_EQ(Platform::TriggerFromSdlAxis(32767), 255);
    EXPECT_EQ(Platform::TriggerFromSdlAxis(16384), 127);
    EXPECT_EQ(Platform::TriggerFromSdlAxis(-100), 0);
}
