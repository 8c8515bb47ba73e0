#pragma once
// Keyboard and mouse state per frame, built from window messages. Messages change the live
// state as they arrive; Update, once per frame, rolls it into this frame's and the previous
// frame's state, which the queries read.
#include "core/Types.h"
#include "math/Vector.h"
#include "platform/Win32.h"

namespace Qel
{
class InputManager
{
public:
    // Registers raw mouse input for aWindow (relative motion, also in the background).
    explicit InputManager(HWND aWindow);

    // True when the message was taken.
    bool UpdateEvents(UINT aMessage, WPARAM aWParam, LPARAM aLParam);
    void Update();

    // aKey is a virtual-key code; mouse buttons answer as VK_LBUTTON, VK_RBUTTON, VK_MBUTTON,
    // VK_XBUTTON1 and VK_XBUTTON2. Codes outside 0..255 are never down.
    bool IsKeyHeld(int aKey) const;
    bool IsKeyPressed(int aKey) const;
    bool IsKeyReleased(int aKey) const;

    // Client coordinates of the last mouse move before this frame's Update.
    Vector2<float> GetMousePosition() const;
    // Raw mouse motion summed over the messages before this frame's Update.
    Vector2<float> GetMouseDelta() const;
    // Wheel movement (120 per notch) of the last wheel message since Update, and the sign of it
    // at the last Update (0 when the wheel did not move).
    float GetMouseWheel() const { return myWheel; }
    float GetMouseWheelDirection() const { return myWheelDirection; }

    void ShowCursor();
    void HideCursor();
    bool IsCursorVisible() const;


private:
    struct KeySet
    {
        u64 myBits[4] = {0, 0, 0, 0};

        bool Test(u32 aKey) const { return (myBits[aKey >> 6] >> (aKey & 63)) & 1; }
        void Set(u32 aKey) { myBits[aKey >> 6] |= u64{1} << (aKey & 63); }
        void Clear(u32 aKey) { myBits[aKey >> 6] &= ~(u64{1} << (aKey & 63)); }
    };

    static bool IsValidKey(int aKey) { return aKey >= 0 && aKey < 256; }
    void SetLiveKey(WPARAM aKey, bool aDown);

    KeySet myLiveKeys;
    KeySet myFrameKeys;
    KeySet myPreviousKeys;
    HWND myWindow = nullptr;
    i32 myLiveMouseX = 0;
    i32 myLiveMouseY = 0;
    i32 myFrameMouseX = 0;
    i32 myFrameMouseY = 0;
    i32 myPreviousMouseX = 0;
    i32 myPreviousMouseY = 0;
    i32 myRawDeltaSumX = 0;
    i32 myRawDeltaSumY = 0;
    i32 myFrameDeltaX = 0;
    i32 myFrameDeltaY = 0;
    float myWheel = 0.0f;
    float myWheelDirection = 0.0f;
};
}
