#include "input/InputManager.h"
#include "platform/RawInput.h"
#include "platform/VirtualKeys.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

using namespace Qel;

namespace
{
LPARAM RawMotion(i32 aX, i32 aY, u16 aFlags = MOUSE_MOVE_RELATIVE)
{
    RAWINPUT record{};
    record.header.dwType = RIM_TYPEMOUSE;
    record.data.mouse.usFlags = aFlags;
    record.data.mouse.lLastX = aX;
    record.data.mouse.lLastY = aY;
    return reinterpret_cast<LPARAM>(Platform::StoreRawInput(record));
}

struct KeyPhase
{
    bool myPressed;
    bool myHeld;
    bool myReleased;
};

void ExpectPhase(const InputManager& aInput, int aKey, KeyPhase aPhase, int aFrame)
{
    EXPECT_EQ(aInput.IsKeyPressed(aKey), aPhase.myPressed) << "frame " << aFrame;
    EXPECT_EQ(aInput.IsKeyHeld(aKey), aPhase.myHeld) << "frame " << aFrame;
    EXPECT_EQ(aInput.IsKeyReleased(aKey), aPhase.myReleased) << "frame " << aFrame;
}
}

TEST(InputManager, KeyHeldThreeFramesGoesPressedHeldHeldReleased)
{
    InputManager input(nullptr);
    struct Frame
    {
        std::vector<UINT> myMessages;   // sent before this frame's Update
        KeyPhase myPhase;
    };
    const std::vector<Frame> frames = {
        {{WM_KEYDOWN}, {true, false, false}},
        {{WM_KEYDOWN}, {false, true, false}},   // auto-repeat changes nothing
        {{}, {false, true, false}},
        {{WM_KEYUP}, {false, false, true}},
        {{}, {false, false, false}},
    };
    for (size_t i = 0; i < frames.size(); ++i)
    {
        for (UINT message : frames[i].myMessages)
            EXPECT_TRUE(input.UpdateEvents(message, 'Z', 0));
        input.Update();
        ExpectPhase(input, 'Z', frames[i].myPhase, static_cast<int>(i));
        ExpectPhase(input, 'X', {false, false, false}, static_cast<int>(i));
    }
}

TEST(InputManager, TapBetweenTwoUpdatesIsNeverSeen)
{
    InputManager input(nullptr);
    input.UpdateEvents(WM_KEYDOWN, VK_SPACE, 0);
    input.UpdateEvents(WM_KEYUP, VK_SPACE, 0);
    for (int frame = 0; frame < 2; ++frame)
    {
        input.Update();
        ExpectPhase(input, VK_SPACE, {false, false, false}, frame);
    }
}

TEST(InputManager, SystemKeyMessagesCountAsKeys)
{
    InputManager input(nullptr);
    input.UpdateEvents(WM_SYSKEYDOWN, VK_MENU, 0);
    input.Update();
    EXPECT_TRUE(input.IsKeyPressed(VK_MENU));
    input.UpdateEvents(WM_SYSKEYUP, VK_MENU, 0);
    input.Update();
    EXPECT_TRUE(input.IsKeyReleased(VK_MENU));
}

TEST(InputManager, MouseButtonsAnswerAsVirtualKeys)
{
    struct Case
    {
        UINT myDown;
        UINT myUp;
        WPARAM myWParam;
        int myKey;
    };
    const Case cases[] = {
        {WM_LBUTTONDOWN, WM_LBUTTONUP, MK_LBUTTON, VK_LBUTTON},
        {WM_RBUTTONDOWN, WM_RBUTTONUP, MK_RBUTTON, VK_RBUTTON},
        {WM_MBUTTONDOWN, WM_MBUTTONUP, MK_MBUTTON, VK_MBUTTON},
        {WM_XBUTTONDOWN, WM_XBUTTONUP, MAKEWPARAM(MK_XBUTTON1, XBUTTON1), VK_XBUTTON1},
        {WM_XBUTTONDOWN, WM_XBUTTONUP, MAKEWPARAM(MK_XBUTTON2, XBUTTON2), VK_XBUTTON2},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.myKey);
        InputManager input(nullptr);
        EXPECT_TRUE(input.UpdateEvents(c.myDown, c.myWParam, MAKELPARAM(10, 20)));
        input.Update();
        EXPECT_TRUE(input.IsKeyPressed(c.myKey));
        for (int other : {VK_LBUTTON, VK_RBUTTON, VK_MBUTTON, VK_XBUTTON1, VK_XBUTTON2})
        {
            if (other != c.myKey)
            {
                EXPECT_FALSE(input.IsKeyPressed(other)) << other;
            }
        }
        input.Update();
        EXPECT_TRUE(input.IsKeyHeld(c.myKey));
        EXPECT_TRUE(input.UpdateEvents(c.myUp, c.myWParam & ~WPARAM{0xFFFF}, MAKELPARAM(10, 20)));
        input.Update();
        EXPECT_TRUE(input.IsKeyReleased(c.myKey));
    }
}

TEST(InputManager, RawMotionSumsPerFrame)
{
    InputManager input(nullptr);
    EXPECT_TRUE(input.UpdateEvents(WM_INPUT, RIM_INPUT, RawMotion(3, 0)));
    EXPECT_TRUE(input.UpdateEvents(WM_INPUT, RIM_INPUT, RawMotion(2, -1)));
    input.Update();
    EXPECT_EQ(input.GetMouseDelta(), (Vector2<float>{5.0f, -1.0f}));
    input.Update();
    EXPECT_EQ(input.GetMouseDelta(), (Vector2<float>{0.0f, 0.0f}));
}

TEST(InputManager, RawRecordsThatAreNotRelativeMotionAddNothing)
{
    InputManager input(nullptr);
    const LPARAM stale = RawMotion(7, 7);
    for (u32 i = 0; i < Platform::RAW_INPUT_HISTORY; ++i)
        RawMotion(0, 0);

    RAWINPUT keyboard{};
    keyboard.header.dwType = RIM_TYPEKEYBOARD;
    const LPARAM keyboardRecord = reinterpret_cast<LPARAM>(Platform::StoreRawInput(keyboard));

    EXPECT_TRUE(input.UpdateEvents(WM_INPUT, RIM_INPUT, stale));
    EXPECT_TRUE(input.UpdateEvents(WM_INPUT, RIM_INPUT, keyboardRecord));
    EXPECT_TRUE(input.UpdateEvents(WM_INPUT, RIM_INPUT, RawMotion(30000, 30000, MOUSE_MOVE_ABSOLUTE)));
    EXPECT_TRUE(input.UpdateEvents(WM_INPUT, RIM_INPUT, 0));
    EXPECT_TRUE(input.UpdateEvents(WM_INPUT, RIM_INPUT, RawMotion(1, 2)));
    input.Update();
    EXPECT_EQ(input.GetMouseDelta(), (Vector2<float>{1.0f, 2.0f}));
}

TEST(InputManager, MousePositionIsTheLastMoveBeforeUpdate)
{
    InputManager input(nullptr);
    input.UpdateEvents(WM_MOUSEMOVE, 0, MAKELPARAM(100, 50));
    input.UpdateEvents(WM_MOUSEMOVE, 0, MAKELPARAM(static_cast<u16>(-5), 10));
    EXPECT_EQ(input.GetMousePosition(), (Vector2<float>{0.0f, 0.0f}));   // not before Update
    input.Update();
    EXPECT_EQ(input.GetMousePosition(), (Vector2<float>{-5.0f, 10.0f}));
    input.Update();   // no move: stays where it was
    EXPECT_EQ(input.GetMousePosition(), (Vector2<float>{-5.0f, 10.0f}));
}

TEST(InputManager, WheelKeepsTheLastMessageAndItsSign)
{
    InputManager input(nullptr);
    input.UpdateEvents(WM_MOUSEWHEEL, MAKEWPARAM(0, 120), 0);
    input.UpdateEvents(WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<u16>(-240)), 0);
    EXPECT_EQ(input.GetMouseWheel(), -240.0f);
    input.Update();
    EXPECT_EQ(input.GetMouseWheel(), 0.0f);
    EXPECT_EQ(input.GetMouseWheelDirection(), -1.0f);
    input.Update();   // a frame without wheel movement has no direction, not NaN
    EXPECT_EQ(input.GetMouseWheelDirection(), 0.0f);
}

TEST(InputManager, MessagesNotTakenReturnFalse)
{
    InputManager input(nullptr);
    for (UINT message : {WM_LBUTTONDBLCLK, WM_RBUTTONDBLCLK, WM_MBUTTONDBLCLK, WM_XBUTTONDBLCLK, WM_CHAR, WM_SIZE,
                         WM_DESTROY, WM_NULL})
        EXPECT_FALSE(input.UpdateEvents(message, VK_LBUTTON, 0)) << message;
    input.Update();
    EXPECT_FALSE(input.IsKeyPressed(VK_LBUTTON));
}

TEST(InputManager, KeyCodesOutsideTheTableAreIgnored)
{
    InputManager input(nullptr);
    // 0x4000004F is SDL's code for the right arrow: what a missing translation would send.
    for (WPARAM code : {WPARAM{256}, WPARAM{0x4000004F}, ~WPARAM{0}})
    {
        EXPECT_FALSE(input.UpdateEvents(WM_KEYDOWN, code, 0)) << code;
        EXPECT_FALSE(input.UpdateEvents(WM_SYSKEYDOWN, code, 0)) << code;
    }
    input.Update();
    for (int key = 0; key < 256; ++key)
        EXPECT_FALSE(input.IsKeyPressed(key)) << key;
    for (int key : {-1, 256, 0x4000004F, INT_MIN, INT_MAX})
    {
        EXPECT_FALSE(input.IsKeyPressed(key));
        EXPECT_FALSE(input.IsKeyHeld(key));
        EXPECT_FALSE(input.IsKeyReleased(key));
    }
    // The edges of the table do work.
    input.UpdateEvents(WM_KEYDOWN, 0, 0);
    input.UpdateEvents(WM_KEYDOWN, 255, 0);
    input.Update();
    EXPECT_TRUE(input.IsKeyPressed(0));
    EXPECT_TRUE(input.IsKeyPressed(255));
}

TEST(InputManager, LosingTheFocusReleasesEverything)
{
    InputManager input(nullptr);
    input.UpdateEvents(WM_KEYDOWN, VK_RIGHT, 0);
    input.UpdateEvents(WM_LBUTTONDOWN, MK_LBUTTON, 0);
    input.Update();
    EXPECT_FALSE(input.UpdateEvents(WM_KILLFOCUS, 0, 0));   // others may want it too
    input.Update();
    EXPECT_TRUE(input.IsKeyReleased(VK_RIGHT));
    EXPECT_TRUE(input.IsKeyReleased(VK_LBUTTON));
}

TEST(RawInput, GetRawInputDataFollowsTheWin32Contract)
{
    const HRAWINPUT handle = reinterpret_cast<HRAWINPUT>(RawMotion(4, -6));
    UINT size = 0;
    EXPECT_EQ(Platform::GetRawInputData(handle, RID_INPUT, nullptr, &size, sizeof(RAWINPUTHEADER)), 0u);
    EXPECT_EQ(size, 48u);

    RAWINPUT record{};
    UINT small = 40;
    EXPECT_EQ(Platform::GetRawInputData(handle, RID_INPUT, &record, &small, sizeof(RAWINPUTHEADER)), UINT(-1));
    EXPECT_EQ(Platform::GetRawInputData(handle, RID_INPUT, &record, &size, 16), UINT(-1));
    EXPECT_EQ(Platform::GetRawInputData(handle, 0x1234, &record, &size, sizeof(RAWINPUTHEADER)), UINT(-1));

    EXPECT_EQ(Platform::GetRawInputData(handle, RID_INPUT, &record, &size, sizeof(RAWINPUTHEADER)), 48u);
    EXPECT_EQ(record.header.dwType, RIM_TYPEMOUSE);
    EXPECT_EQ(record.data.mouse.lLastX, 4);
    EXPECT_EQ(record.data.mouse.lLastY, -6);

    RAWINPUTHEADER header{};
    UINT headerSize = sizeof(header);
    EXPECT_EQ(Platform::GetRawInputData(handle, RID_HEADER, &header, &headerSize, sizeof(RAWINPUTHEADER)), 24u);
    EXPECT_EQ(header.dwSize, 48u);
}
