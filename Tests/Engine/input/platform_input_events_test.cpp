// Real SDL events through the platform layer's message pump (offscreen driver): the translation
// into Win32-shaped messages, the input manager fed from them, and a virtual SDL game controller
// read through XInput.
#include "input/InputManager.h"
#include "input/XInputController.h"
#include "platform/Platform.h"
#include "platform/RawInput.h"
#include "platform/VirtualKeys.h"
#include "platform/XInput.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

using namespace Qel;

namespace
{
std::vector<MSG> ourMessages;
InputManager* ourInput = nullptr;

LRESULT Procedure(HWND aWindow, UINT aMessage, WPARAM aWParam, LPARAM aLParam)
{
    if (aMessage == WM_INPUT || (aMessage >= WM_KEYDOWN && aMessage <= WM_XBUTTONDBLCLK && aMessage != WM_CHAR))
        ourMessages.push_back(MSG{aWindow, aMessage, aWParam, aLParam});
    if (ourInput)
        ourInput->UpdateEvents(aMessage, aWParam, aLParam);
    return 0;
}

void Pump()
{
    MSG message;
    while (Platform::PeekMessage(message))
        Platform::DispatchMessage(message);
}

void Push(SDL_Event aEvent)
{
    ASSERT_EQ(SDL_PushEvent(&aEvent), 1) << SDL_GetError();
}

void PushKey(SDL_Scancode aScancode, bool aDown, Uint16 aMod = KMOD_NONE, Uint8 aRepeat = 0,
             SDL_Keycode aSym = SDLK_UNKNOWN)
{
    SDL_Event event{};
    event.type = aDown ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.state = aDown ? SDL_PRESSED : SDL_RELEASED;
    event.key.repeat = aRepeat;
    event.key.keysym.scancode = aScancode;
    event.key.keysym.sym = aSym != SDLK_UNKNOWN ? aSym : SDL_GetKeyFromScancode(aScancode);
    event.key.keysym.mod = aMod;
    Push(event);
}

void PushMotion(int aX, int aY, int aXRel, int aYRel)
{
    SDL_Event event{};
    event.type = SDL_MOUSEMOTION;
    event.motion.x = aX;
    event.motion.y = aY;
    event.motion.xrel = aXRel;
    event.motion.yrel = aYRel;
    Push(event);
}

void PushButton(Uint8 aButton, bool aDown, int aX = 10, int aY = 20)
{
    SDL_Event event{};
    event.type = aDown ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    event.button.button = aButton;
    event.button.state = aDown ? SDL_PRESSED : SDL_RELEASED;
    event.button.clicks = 1;
    event.button.x = aX;
    event.button.y = aY;
    Push(event);
}

void PushWheel(float aNotches, bool aFlipped)
{
    SDL_Event event{};
    event.type = SDL_MOUSEWHEEL;
    event.wheel.y = static_cast<Sint32>(aNotches);
    event.wheel.preciseY = aNotches;
    event.wheel.direction = aFlipped ? SDL_MOUSEWHEEL_FLIPPED : SDL_MOUSEWHEEL_NORMAL;
    Push(event);
}

class PlatformInput : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Platform::Init());
        myWindow = Platform::CreateWindowEx(0, "WindowClass1", "input", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 320,
                                            240, &Procedure);
        ASSERT_NE(myWindow, nullptr);
        Pump();
        ourMessages.clear();
    }
    void TearDown() override
    {
        ourInput = nullptr;
        ourMessages.clear();
        Platform::Shutdown();
    }

    HWND myWindow = nullptr;
};
}

TEST_F(PlatformInput, KeysBecomeVirtualKeyMessagesByTheirUsPosition)
{
    struct Case
    {
        SDL_Scancode myScancode;
        u8 myVirtualKey;
        UINT myDown;
        UINT myUp;
    };
    const Case cases[] = {
        {SDL_SCANCODE_A, 'A', WM_KEYDOWN, WM_KEYUP},
        {SDL_SCANCODE_Z, 'Z', WM_KEYDOWN, WM_KEYUP},
        {SDL_SCANCODE_W, 'W', WM_KEYDOWN, WM_KEYUP},
        {SDL_SCANCODE_0, '0', WM_KEYDOWN, WM_KEYUP},
        {SDL_SCANCODE_9, '9', WM_KEYDOWN, WM_KEYUP},
        {SDL_SCANCODE_RETURN, VK_RETURN, WM_KEYDOWN, WM_KEYUP},
        {SDL_SCANCODE_KP_ENTER, VK_RETURN, WM_KEYDOWN, WM_KEYUP},
        {SDL_SCANCODE_ESCAPE, VK_ESCAPE, WM_KEYDOWN, WM_KEYUP},
        {SDL_SCANCODE_SPACE, VK_SPACE, WM_KEYDOWN, WM_KEYUP},
        {SDL_SCANCODE_LEFT, VK_LEFT, WM_KEYDOWN, WM_KEYUP},
        {SDL_SCANCODE_UP, VK_UP, WM_KEYDOWN, WM_KEYUP},
        {SDL_SCANCODE_RIGHT, VK_RIGHT, WM_KEYDOWN, WM_KEYUP},
        {SDL_SCANCODE_DOWN, VK_DOWN, WM_KEYDOWN, WM_KEYUP},
        {SDL_SCANCODE_LSHIFT, VK_SHIFT, WM_KEYDOWN, WM_KEYUP},
        {SDL_SCANCODE_RCTRL, VK_CONTROL, WM_KEYDOWN, WM_KEYUP},
        {SDL_SCANCODE_F1, VK_F1, WM_KEYDOWN, WM_KEYUP},
        {SDL_SCANCODE_F12, VK_F12, WM_KEYDOWN, WM_KEYUP},
        {SDL_SCANCODE_KP_5, VK_NUMPAD0 + 5, WM_KEYDOWN, WM_KEYUP},
        {SDL_SCANCODE_SEMICOLON, VK_OEM_1, WM_KEYDOWN, WM_KEYUP},
        {SDL_SCANCODE_LALT, VK_MENU, WM_SYSKEYDOWN, WM_SYSKEYUP},
        {SDL_SCANCODE_F10, VK_F10, WM_SYSKEYDOWN, WM_SYSKEYUP},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(SDL_GetScancodeName(c.myScancode));
        ourMessages.clear();
        PushKey(c.myScancode, true);
        PushKey(c.myScancode, false);
        Pump();
        ASSERT_EQ(ourMessages.size(), 2u);
        EXPECT_EQ(ourMessages[0].message, c.myDown);
        EXPECT_EQ(ourMessages[0].wParam, c.myVirtualKey);
        EXPECT_EQ(ourMessages[0].lParam & KF_REPEAT_COUNT_MASK, 1);
        EXPECT_EQ(ourMessages[0].lParam & (KF_PREVIOUS_STATE_BIT | KF_TRANSITION_BIT), 0);
        EXPECT_EQ(ourMessages[1].message, c.myUp);
        EXPECT_EQ(ourMessages[1].wParam, c.myVirtualKey);
        EXPECT_EQ(ourMessages[1].lParam & (KF_PREVIOUS_STATE_BIT | KF_TRANSITION_BIT),
                  KF_PREVIOUS_STATE_BIT | KF_TRANSITION_BIT);
    }
}

TEST_F(PlatformInput, KeyDetailsLayoutRepeatAltAndUnknownKeys)
{
    // On a French layout the key at the place of Q types 'a': the game still sees Q's place.
    PushKey(SDL_SCANCODE_Q, true, KMOD_NONE, 0, SDLK_a);
    // Auto-repeat: a key-down whose previous state is down.
    PushKey(SDL_SCANCODE_Q, true, KMOD_NONE, 1, SDLK_a);
    // A key struck with Alt held is a system key with the context bit.
    PushKey(SDL_SCANCODE_X, true, KMOD_LALT);
    // With Ctrl as well (AltGr on many layouts) it is an ordinary key.
    PushKey(SDL_SCANCODE_E, true, KMOD_LALT | KMOD_LCTRL);
    // Keys without a virtual-key code send nothing.
    PushKey(SDL_SCANCODE_AUDIOPLAY, true);
    Pump();
    ASSERT_EQ(ourMessages.size(), 4u);
    EXPECT_EQ(ourMessages[0].message, WM_KEYDOWN);
    EXPECT_EQ(ourMessages[0].wParam, WPARAM{'Q'});
    EXPECT_EQ(ourMessages[0].lParam & KF_PREVIOUS_STATE_BIT, 0);
    EXPECT_EQ(ourMessages[1].message, WM_KEYDOWN);
    EXPECT_EQ(ourMessages[1].lParam & KF_PREVIOUS_STATE_BIT, KF_PREVIOUS_STATE_BIT);
    EXPECT_EQ(ourMessages[2].message, WM_SYSKEYDOWN);
    EXPECT_EQ(ourMessages[2].wParam, WPARAM{'X'});
    EXPECT_EQ(ourMessages[2].lParam & KF_ALTDOWN_BIT, KF_ALTDOWN_BIT);
    EXPECT_EQ(ourMessages[3].message, WM_KEYDOWN);
    EXPECT_EQ(ourMessages[3].wParam, WPARAM{'E'});
}

TEST_F(PlatformInput, MouseButtonsWheelAndMotionBecomeMouseMessages)
{
    struct ButtonCase
    {
        Uint8 mySdlButton;
        UINT myDown;
        UINT myUp;
        WPARAM myFlag;
        u16 myXButton;
    };
    // SDL numbers the middle button 2 and the right 3; Win32 the other way round.
    const ButtonCase buttons[] = {
        {SDL_BUTTON_LEFT, WM_LBUTTONDOWN, WM_LBUTTONUP, MK_LBUTTON, 0},
        {SDL_BUTTON_MIDDLE, WM_MBUTTONDOWN, WM_MBUTTONUP, MK_MBUTTON, 0},
        {SDL_BUTTON_RIGHT, WM_RBUTTONDOWN, WM_RBUTTONUP, MK_RBUTTON, 0},
        {SDL_BUTTON_X1, WM_XBUTTONDOWN, WM_XBUTTONUP, MK_XBUTTON1, XBUTTON1},
        {SDL_BUTTON_X2, WM_XBUTTONDOWN, WM_XBUTTONUP, MK_XBUTTON2, XBUTTON2},
    };
    for (const ButtonCase& c : buttons)
    {
        SCOPED_TRACE(static_cast<int>(c.mySdlButton));
        ourMessages.clear();
        PushButton(c.mySdlButton, true, 30, 40);
        PushButton(c.mySdlButton, false, 31, 41);
        Pump();
        ASSERT_EQ(ourMessages.size(), 2u);
        EXPECT_EQ(ourMessages[0].message, c.myDown);
        EXPECT_EQ(GET_KEYSTATE_WPARAM(ourMessages[0].wParam), c.myFlag);
        EXPECT_EQ(GET_XBUTTON_WPARAM(ourMessages[0].wParam), c.myXButton);
        EXPECT_EQ(GET_X_LPARAM(ourMessages[0].lParam), 30);
        EXPECT_EQ(GET_Y_LPARAM(ourMessages[0].lParam), 40);
        EXPECT_EQ(ourMessages[1].message, c.myUp);
        EXPECT_EQ(GET_KEYSTATE_WPARAM(ourMessages[1].wParam), 0);
        EXPECT_EQ(GET_XBUTTON_WPARAM(ourMessages[1].wParam), c.myXButton);
    }

    ourMessages.clear();
    PushWheel(1.0f, false);
    PushWheel(-2.0f, false);
    PushWheel(1.0f, true);   // "natural" scrolling reports the opposite sign
    PushWheel(0.25f, false); // high-resolution wheels move by parts of a notch
    Pump();
    ASSERT_EQ(ourMessages.size(), 4u);
    const i16 expected[] = {120, -240, -120, 30};
    for (size_t i = 0; i < 4; ++i)
    {
        EXPECT_EQ(ourMessages[i].message, WM_MOUSEWHEEL);
        EXPECT_EQ(GET_WHEEL_DELTA_WPARAM(ourMessages[i].wParam), expected[i]);
    }

    // Nobody registered for raw input: moves only.
    RAWINPUTDEVICE remove{HID_USAGE_PAGE_GENERIC, HID_USAGE_GENERIC_MOUSE, RIDEV_REMOVE, nullptr};
    ASSERT_TRUE(Platform::RegisterRawInputDevices(&remove, 1, sizeof(remove)));
    ourMessages.clear();
    PushMotion(-3, 5, -3, 0);   // outside the client area: no move message either
    PushMotion(7, 9, 10, 4);
    Pump();
    ASSERT_EQ(ourMessages.size(), 1u);
    EXPECT_EQ(ourMessages[0].message, WM_MOUSEMOVE);
    EXPECT_EQ(GET_X_LPARAM(ourMessages[0].lParam), 7);
    EXPECT_EQ(GET_Y_LPARAM(ourMessages[0].lParam), 9);
}

TEST_F(PlatformInput, InputManagerFedByThePump)
{
    InputManager input(myWindow);   // registers raw mouse input
    ourInput = &input;

    PushKey(SDL_SCANCODE_Z, true);
    PushButton(SDL_BUTTON_RIGHT, true);
    PushMotion(50, 60, 3, 0);
    PushMotion(52, 59, 2, -1);
    PushMotion(500, 10, 10, 0);   // outside: position stays, the motion still counts
    Pump();
    input.Update();
    EXPECT_TRUE(input.IsKeyPressed('Z'));
    EXPECT_TRUE(input.IsKeyPressed(VK_RBUTTON));
    EXPECT_FALSE(input.IsKeyPressed(VK_MBUTTON));
    EXPECT_EQ(input.GetMousePosition(), (Vector2<float>{52.0f, 59.0f}));
    EXPECT_EQ(input.GetMouseDelta(), (Vector2<float>{15.0f, -1.0f}));

    Pump();
    input.Update();
    EXPECT_TRUE(input.IsKeyHeld('Z'));
    EXPECT_EQ(input.GetMouseDelta(), (Vector2<float>{0.0f, 0.0f}));

    PushKey(SDL_SCANCODE_Z, false);
    PushButton(SDL_BUTTON_RIGHT, false);
    Pump();
    input.Update();
    EXPECT_TRUE(input.IsKeyReleased('Z'));
    EXPECT_TRUE(input.IsKeyReleased(VK_RBUTTON));
}

TEST_F(PlatformInput, CursorShowAndHide)
{
    InputManager input(myWindow);
    input.HideCursor();
    EXPECT_FALSE(input.IsCursorVisible());
    input.ShowCursor();
    EXPECT_TRUE(input.IsCursorVisible());
}

namespace
{
struct RumbleLog
{
    std::vector<std::pair<Uint16, Uint16>> myCalls;
};

int OnRumble(void* aUserData, Uint16 aLow, Uint16 aHigh)
{
    static_cast<RumbleLog*>(aUserData)->myCalls.emplace_back(aLow, aHigh);
    return 0;
}
}

TEST_F(PlatformInput, VirtualSdlPadThroughXInput)
{
    XInputController pad;
    EXPECT_FALSE(pad.Update());

    RumbleLog rumble;
    SDL_VirtualJoystickDesc desc;
    SDL_zero(desc);
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    desc.naxes = SDL_CONTROLLER_AXIS_MAX;
    desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
    desc.vendor_id = 0x045e;
    desc.product_id = 0x028e;
    desc.name = "Virtual pad";
    desc.userdata = &rumble;
    desc.Rumble = &OnRumble;
    const int device = SDL_JoystickAttachVirtualEx(&desc);
    ASSERT_GE(device, 0) << SDL_GetError();
    SDL_GameController* controller = SDL_GameControllerOpen(device);
    ASSERT_NE(controller, nullptr) << SDL_GetError();
    SDL_Joystick* joystick = SDL_GameControllerGetJoystick(controller);

    SDL_JoystickSetVirtualButton(joystick, SDL_CONTROLLER_BUTTON_A, SDL_PRESSED);
    SDL_JoystickSetVirtualButton(joystick, SDL_CONTROLLER_BUTTON_DPAD_LEFT, SDL_PRESSED);
    SDL_JoystickSetVirtualButton(joystick, SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, SDL_PRESSED);
    SDL_JoystickSetVirtualAxis(joystick, SDL_CONTROLLER_AXIS_LEFTX, -32768);
    SDL_JoystickSetVirtualAxis(joystick, SDL_CONTROLLER_AXIS_LEFTY, -32768);   // up
    SDL_JoystickSetVirtualAxis(joystick, SDL_CONTROLLER_AXIS_RIGHTY, 32767);   // down
    SDL_JoystickSetVirtualAxis(joystick, SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 32767);
    Pump();

    ASSERT_TRUE(pad.Update());
    EXPECT_EQ(pad.GetControllerIndex(), 0u);
    const XINPUT_GAMEPAD& state = pad.GetState().Gamepad;
    EXPECT_EQ(state.wButtons, XINPUT_GAMEPAD_A | XINPUT_GAMEPAD_DPAD_LEFT | XINPUT_GAMEPAD_RIGHT_SHOULDER);
    EXPECT_EQ(state.sThumbLX, -32768);
    EXPECT_EQ(state.sThumbLY, 32767);
    EXPECT_EQ(state.sThumbRY, -32767);
    EXPECT_EQ(state.bRightTrigger, 255);
    EXPECT_EQ(state.bLeftTrigger, 0);
    EXPECT_FLOAT_EQ(pad.myLeftStickY, 1.0f);
    EXPECT_FLOAT_EQ(pad.myRightTrigger, 1.0f);

    using Motors = std::pair<Uint16, Uint16>;
    XINPUT_VIBRATION vibration{0x1234, 0xABCD};
    EXPECT_EQ(Platform::XInputSetState(0, &vibration), ERROR_SUCCESS);
    ASSERT_EQ(rumble.myCalls.size(), 1u);
    EXPECT_EQ(rumble.myCalls[0], (Motors{0x1234, 0xABCD}));
    // Motor speeds last as long as the pad is polled, as XInput's do...
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(700);
    while (std::chrono::steady_clock::now() < until)
    {
        Pump();
        pad.Update();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(rumble.myCalls.size(), 1u) << "stopped while still asked for";
    // ...and stop soon after nobody polls any more.
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    Pump();
    ASSERT_EQ(rumble.myCalls.size(), 2u);
    EXPECT_EQ(rumble.myCalls[1], (Motors{0, 0}));

    EXPECT_EQ(Platform::XInputSetState(0, &vibration), ERROR_SUCCESS);
    vibration = {};
    EXPECT_EQ(Platform::XInputSetState(0, &vibration), ERROR_SUCCESS);
    ASSERT_EQ(rumble.myCalls.size(), 4u);
    EXPECT_EQ(rumble.myCalls[3], (Motors{0, 0}));

    // Unplugged with buttons down: nothing stays held.
    SDL_GameControllerClose(controller);
    ASSERT_EQ(SDL_JoystickDetachVirtual(device), 0);
    Pump();
    EXPECT_FALSE(pad.Update());
    EXPECT_EQ(pad.GetControllerIndex(), XInputController::NO_CONTROLLER);
    EXPECT_EQ(pad.GetButtons(), 0);
    EXPECT_EQ(pad.myLeftStickY, 0.0f);
    EXPECT_EQ(Platform::XInputSetState(0, &vibration), ERROR_DEVICE_NOT_CONNECTED);
}
