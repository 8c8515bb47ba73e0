#include "input/InputManager.h"

#include "platform/Platform.h"
#include "platform/RawInput.h"
#include "platform/VirtualKeys.h"

#include <limits>

namespace Qel
{
namespace
{
// Saturates instead of overflowing when a frame gathers an absurd amount of motion.
i32 AddClamped(i32 aSum, i32 aDelta)
{
    const i64 sum = static_cast<i64>(aSum) + aDelta;
    if (sum > std::numeric_limits<i32>::max())
        return std::numeric_limits<i32>::max();
    if (sum < std::numeric_limits<i32>::min())
        return std::numeric_limits<i32>::min();
    return static_cast<i32>(sum);
}
}

InputManager::InputManager(HWND aWindow)
    : myWindow(aWindow)
{
    RAWINPUTDEVICE device;
    device.usUsagePage = HID_USAGE_PAGE_GENERIC;
    device.usUsage = HID_USAGE_GENERIC_MOUSE;
    device.dwFlags = RIDEV_INPUTSINK;
    device.hwndTarget = aWindow;
    Platform::RegisterRawInputDevices(&device, 1, sizeof(device));
}

void InputManager::SetLiveKey(WPARAM aKey, bool aDown)
{
    if (aDown)
        myLiveKeys.Set(static_cast<u32>(aKey));
    else
        myLiveKeys.Clear(static_cast<u32>(aKey));
}

bool InputManager::UpdateEvents(UINT aMessage, WPARAM aWParam, LPARAM aLParam)
{
    switch (aMessage)
    {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYUP:
        // Codes beyond the 256 virtual keys come only from a broken sender; they must not touch
        // memory outside the key sets.
        if (aWParam >= 256)
            return false;
        SetLiveKey(aWParam, aMessage == WM_KEYDOWN || aMessage == WM_SYSKEYDOWN);
        return true;
    case WM_MOUSEMOVE:
        myLiveMouseX = GET_X_LPARAM(aLParam);
        myLiveMouseY = GET_Y_LPARAM(aLParam);
        return true;
    case WM_INPUT: {
        RAWINPUT raw{};
        UINT size = sizeof(raw);
        const UINT read = Platform::GetRawInputData(reinterpret_cast<HRAWINPUT>(aLParam), RID_INPUT, &raw, &size,
                                                    sizeof(RAWINPUTHEADER));
        // Absolute positions (tablets, remote desktops) are not motion.
        if (read != static_cast<UINT>(-1) && read >= sizeof(RAWINPUTHEADER) + sizeof(RAWMOUSE) &&
            raw.header.dwType == RIM_TYPEMOUSE && !(raw.data.mouse.usFlags & MOUSE_MOVE_ABSOLUTE))
        {
            myRawDeltaSumX = AddClamped(myRawDeltaSumX, raw.data.mouse.lLastX);
            myRawDeltaSumY = AddClamped(myRawDeltaSumY, raw.data.mouse.lLastY);
        }
        return true;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
        SetLiveKey(VK_LBUTTON, aMessage == WM_LBUTTONDOWN);
        return true;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
        SetLiveKey(VK_RBUTTON, aMessage == WM_RBUTTONDOWN);
        return true;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
        SetLiveKey(VK_MBUTTON, aMessage == WM_MBUTTONDOWN);
        return true;
    case WM_MOUSEWHEEL:
        myWheel = static_cast<float>(GET_WHEEL_DELTA_WPARAM(aWParam));
        return true;
    case WM_XBUTTONDOWN:
    case WM_XBUTTONUP:
        SetLiveKey(GET_XBUTTON_WPARAM(aWParam) == XBUTTON1 ? VK_XBUTTON1 : VK_XBUTTON2, aMessage == WM_XBUTTONDOWN);
        return true;
    case WM_KILLFOCUS:
        // Key-ups sent while another window has the focus never arrive here: a key held across a
        // focus change would stay down for good. Let go of everything; others still see the message.
        myLiveKeys = KeySet{};
        return false;
    default:
        return false;
    }
}

void InputManager::Update()
{
    myWheelDirection = myWheel > 0.0f ? 1.0f : (myWheel < 0.0f ? -1.0f : 0.0f);
    myWheel = 0.0f;

    myPreviousMouseX = myFrameMouseX;
    myPreviousMouseY = myFrameMouseY;
    myFrameMouseX = myLiveMouseX;
    myFrameMouseY = myLiveMouseY;

    myFrameDeltaX = myRawDeltaSumX;
    myFrameDeltaY = myRawDeltaSumY;
    myRawDeltaSumX = 0;
    myRawDeltaSumY = 0;

    myPreviousKeys = myFrameKeys;
    myFrameKeys = myLiveKeys;
}

bool InputManager::IsKeyHeld(int aKey) const
{
    return IsValidKey(aKey) && myFrameKeys.Test(static_cast<u32>(aKey)) && myPreviousKeys.Test(static_cast<u32>(aKey));
}

bool InputManager::IsKeyPressed(int aKey) const
{
    return IsValidKey(aKey) && myFrameKeys.Test(static_cast<u32>(aKey)) && !myPreviousKeys.Test(static_cast<u32>(aKey));
}

bool InputManager::IsKeyReleased(int aKey) const
{
    return IsValidKey(aKey) && !myFrameKeys.Test(static_cast<u32>(aKey)) && myPreviousKeys.Test(static_cast<u32>(aKey));
}

Vector2<float> InputManager::GetMousePosition() const
{
    return {static_cast<float>(myFrameMouseX), static_cast<float>(myFrameMouseY)};
}

Vector2<float> InputManager::GetMouseDelta() const
{
    return {static_cast<float>(myFrameDeltaX), static_cast<float>(myFrameDeltaY)};
}

void InputManager::ShowCursor() { Platform::ShowCursor(true); }

void InputManager::HideCursor() { Platform::ShowCursor(false); }

bool InputManager::IsCursorVisible() const { return Platform::IsCursorShown(); }
}
