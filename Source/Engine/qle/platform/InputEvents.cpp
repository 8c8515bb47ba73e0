#include "platform/detail/InputEvents.h"

#include "platform/Platform.h"
#include "platform/RawInput.h"
#include "platform/VirtualKeys.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>

namespace Qel::Platform::detail
{
namespace
{
// Virtual-key code of a physical key, as the key at that place on a US keyboard; 0 = no code.
// Shift, Ctrl and Alt report the generic codes, as Win32's key messages do.
u8 VirtualKeyFromScancode(SDL_Scancode aScancode)
{
    if (aScancode >= SDL_SCANCODE_A && aScancode <= SDL_SCANCODE_Z)
        return static_cast<u8>('A' + (aScancode - SDL_SCANCODE_A));
    if (aScancode >= SDL_SCANCODE_1 && aScancode <= SDL_SCANCODE_9)
        return static_cast<u8>('1' + (aScancode - SDL_SCANCODE_1));
    if (aScancode >= SDL_SCANCODE_F1 && aScancode <= SDL_SCANCODE_F12)
        return static_cast<u8>(VK_F1 + (aScancode - SDL_SCANCODE_F1));
    if (aScancode >= SDL_SCANCODE_F13 && aScancode <= SDL_SCANCODE_F24)
        return static_cast<u8>(VK_F1 + 12 + (aScancode - SDL_SCANCODE_F13));
    if (aScancode >= SDL_SCANCODE_KP_1 && aScancode <= SDL_SCANCODE_KP_9)
        return static_cast<u8>(VK_NUMPAD0 + 1 + (aScancode - SDL_SCANCODE_KP_1));

    switch (aScancode)
    {
    case SDL_SCANCODE_0: return '0';
    case SDL_SCANCODE_RETURN: return VK_RETURN;
    case SDL_SCANCODE_KP_ENTER: return VK_RETURN;
    case SDL_SCANCODE_ESCAPE: return VK_ESCAPE;
    case SDL_SCANCODE_BACKSPACE: return VK_BACK;
    case SDL_SCANCODE_TAB: return VK_TAB;
    case SDL_SCANCODE_SPACE: return VK_SPACE;
    case SDL_SCANCODE_MINUS: return VK_OEM_MINUS;
    case SDL_SCANCODE_EQUALS: return VK_OEM_PLUS;
    case SDL_SCANCODE_LEFTBRACKET: return VK_OEM_4;
    case SDL_SCANCODE_RIGHTBRACKET: return VK_OEM_6;
    case SDL_SCANCODE_BACKSLASH: return VK_OEM_5;
    case SDL_SCANCODE_NONUSHASH: return VK_OEM_5;
    case SDL_SCANCODE_SEMICOLON: return VK_OEM_1;
    case SDL_SCANCODE_APOSTROPHE: return VK_OEM_7;
    case SDL_SCANCODE_GRAVE: return VK_OEM_3;
    case SDL_SCANCODE_COMMA: return VK_OEM_COMMA;
    case SDL_SCANCODE_PERIOD: return VK_OEM_PERIOD;
    case SDL_SCANCODE_SLASH: return VK_OEM_2;
    case SDL_SCANCODE_NONUSBACKSLASH: return VK_OEM_102;
    case SDL_SCANCODE_CAPSLOCK: return VK_CAPITAL;
    case SDL_SCANCODE_PRINTSCREEN: return VK_SNAPSHOT;
    case SDL_SCANCODE_SCROLLLOCK: return VK_SCROLL;
    case SDL_SCANCODE_PAUSE: return VK_PAUSE;
    case SDL_SCANCODE_INSERT: return VK_INSERT;
    case SDL_SCANCODE_HOME: return VK_HOME;
    case SDL_SCANCODE_PAGEUP: return VK_PRIOR;
    case SDL_SCANCODE_DELETE: return VK_DELETE;
    case SDL_SCANCODE_END: return VK_END;
    case SDL_SCANCODE_PAGEDOWN: return VK_NEXT;
    case SDL_SCANCODE_RIGHT: return VK_RIGHT;
    case SDL_SCANCODE_LEFT: return VK_LEFT;
    case SDL_SCANCODE_DOWN: return VK_DOWN;
    case SDL_SCANCODE_UP: return VK_UP;
    case SDL_SCANCODE_NUMLOCKCLEAR: return VK_NUMLOCK;
    case SDL_SCANCODE_KP_DIVIDE: return VK_DIVIDE;
    case SDL_SCANCODE_KP_MULTIPLY: return VK_MULTIPLY;
    case SDL_SCANCODE_KP_MINUS: return VK_SUBTRACT;
    case SDL_SCANCODE_KP_PLUS: return VK_ADD;
    case SDL_SCANCODE_KP_0: return VK_NUMPAD0;
    case SDL_SCANCODE_KP_PERIOD: return VK_DECIMAL;
    case SDL_SCANCODE_APPLICATION: return VK_APPS;
    case SDL_SCANCODE_LCTRL: return VK_CONTROL;
    case SDL_SCANCODE_RCTRL: return VK_CONTROL;
    case SDL_SCANCODE_LSHIFT: return VK_SHIFT;
    case SDL_SCANCODE_RSHIFT: return VK_SHIFT;
    case SDL_SCANCODE_LALT: return VK_MENU;
    case SDL_SCANCODE_RALT: return VK_MENU;
    case SDL_SCANCODE_LGUI: return VK_LWIN;
    case SDL_SCANCODE_RGUI: return VK_RWIN;
    default: return 0;
    }
}

// Mouse buttons held, as MK_* flags. Built from the events themselves: pushed events do not
// update SDL's own mouse state.
WPARAM ourButtons = 0;

WPARAM ButtonFlag(Uint8 aSdlButton)
{
    switch (aSdlButton)
    {
    case SDL_BUTTON_LEFT: return MK_LBUTTON;
    case SDL_BUTTON_RIGHT: return MK_RBUTTON;
    case SDL_BUTTON_MIDDLE: return MK_MBUTTON;
    case SDL_BUTTON_X1: return MK_XBUTTON1;
    case SDL_BUTTON_X2: return MK_XBUTTON2;
    default: return 0;
    }
}

WPARAM KeyStateFlags()
{
    WPARAM flags = ourButtons;
    const SDL_Keymod mods = SDL_GetModState();
    if (mods & KMOD_SHIFT)
        flags |= MK_SHIFT;
    if (mods & KMOD_CTRL)
        flags |= MK_CONTROL;
    return flags;
}

LPARAM PackPoint(i32 aX, i32 aY)
{
    const auto word = [](i32 aValue) {
        return static_cast<u16>(static_cast<i16>(std::clamp<i32>(aValue, -32768, 32767)));
    };
    return MAKELPARAM(word(aX), word(aY));
}

void TranslateKey(const SDL_KeyboardEvent& aKey, HWND aWindow)
{
    const u8 virtualKey = VirtualKeyFromScancode(aKey.keysym.scancode);
    if (virtualKey == 0)
        return;
    const bool down = aKey.type == SDL_KEYDOWN;
    const bool alt = (aKey.keysym.mod & KMOD_ALT) != 0;
    const bool ctrl = (aKey.keysym.mod & KMOD_CTRL) != 0;
    // As on Win32: F10, Alt itself and keys struck with Alt (but not Ctrl) are "system" keys.
    const bool system = virtualKey == VK_MENU || virtualKey == VK_F10 || (alt && !ctrl);

    LPARAM lParam = 1;   // repeat count
    if (alt)
        lParam |= KF_ALTDOWN_BIT;
    if (!down || aKey.repeat)
        lParam |= KF_PREVIOUS_STATE_BIT;
    if (!down)
        lParam |= KF_TRANSITION_BIT;

    UINT message = 0;
    if (down)
        message = system ? WM_SYSKEYDOWN : WM_KEYDOWN;
    else
        message = system ? WM_SYSKEYUP : WM_KEYUP;
    PostMessage(aWindow, message, virtualKey, lParam);
}

void TranslateMotion(const SDL_MouseMotionEvent& aMotion, HWND aWindow)
{
    // Like a window without mouse capture: moves outside the client area are not its business.
    const RECT client = GetClientRect(aWindow);
    if (aMotion.x >= client.left && aMotion.x < client.right && aMotion.y >= client.top && aMotion.y < client.bottom)
        PostMessage(aWindow, WM_MOUSEMOVE, KeyStateFlags(), PackPoint(aMotion.x, aMotion.y));

    if (!IsRawMouseRegistered() || (aMotion.xrel == 0 && aMotion.yrel == 0))
        return;
    RAWINPUT record{};
    record.header.dwType = RIM_TYPEMOUSE;
    record.header.wParam = RIM_INPUT;
    record.data.mouse.usFlags = MOUSE_MOVE_RELATIVE;
    record.data.mouse.lLastX = aMotion.xrel;
    record.data.mouse.lLastY = aMotion.yrel;
    HWND target = GetRawMouseTarget();
    if (!target)
        target = aWindow;
    PostMessage(target, WM_INPUT, RIM_INPUT, reinterpret_cast<LPARAM>(StoreRawInput(record)));
}

void TranslateButton(const SDL_MouseButtonEvent& aButton, HWND aWindow)
{
    const WPARAM flag = ButtonFlag(aButton.button);
    if (flag == 0)
        return;
    const bool down = aButton.type == SDL_MOUSEBUTTONDOWN;
    if (down)
        ourButtons |= flag;
    else
        ourButtons &= ~flag;

    // A second click is still a button-down: the window class takes no double clicks.
    UINT message = 0;
    WPARAM wParam = KeyStateFlags();
    switch (aButton.button)
    {
    case SDL_BUTTON_LEFT: message = down ? WM_LBUTTONDOWN : WM_LBUTTONUP; break;
    case SDL_BUTTON_RIGHT: message = down ? WM_RBUTTONDOWN : WM_RBUTTONUP; break;
    case SDL_BUTTON_MIDDLE: message = down ? WM_MBUTTONDOWN : WM_MBUTTONUP; break;
    default:
        message = down ? WM_XBUTTONDOWN : WM_XBUTTONUP;
        wParam = MAKEWPARAM(static_cast<u16>(wParam), aButton.button == SDL_BUTTON_X1 ? XBUTTON1 : XBUTTON2);
        break;
    }
    PostMessage(aWindow, message, wParam, PackPoint(aButton.x, aButton.y));
}

void TranslateWheel(const SDL_MouseWheelEvent& aWheel, HWND aWindow)
{
    float notches = aWheel.preciseY;
    if (aWheel.direction == SDL_MOUSEWHEEL_FLIPPED)
        notches = -notches;
    const long delta = std::lround(static_cast<double>(notches) * WHEEL_DELTA);
    if (delta == 0)
        return;
    const i16 wheel = static_cast<i16>(std::clamp<long>(delta, -32768, 32767));
    // Wheel messages carry screen coordinates; SDL places a window by its client area.
    int left = 0, top = 0;
    if (auto* window = static_cast<SDL_Window*>(GetNativeHandle(aWindow)))
        SDL_GetWindowPosition(window, &left, &top);
    PostMessage(aWindow, WM_MOUSEWHEEL, MAKEWPARAM(static_cast<u16>(KeyStateFlags()), static_cast<u16>(wheel)),
                PackPoint(left + aWheel.mouseX, top + aWheel.mouseY));
}
}

void TranslateInputEvent(const SDL_Event& aEvent, HWND aWindow)
{
    switch (aEvent.type)
    {
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        TranslateKey(aEvent.key, aWindow);
        break;
    case SDL_MOUSEMOTION:
        TranslateMotion(aEvent.motion, aWindow);
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        TranslateButton(aEvent.button, aWindow);
        break;
    case SDL_MOUSEWHEEL:
        TranslateWheel(aEvent.wheel, aWindow);
        break;
    default:
        break;
    }
}
}
