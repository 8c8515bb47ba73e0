#include "platform/XInput.h"

#include <SDL.h>

#include <algorithm>
#include <array>
#include <cstring>

namespace Qel::Platform
{
namespace
{
// A motor request is sent with this lifetime and renewed while the pads are polled, so the motors
// keep running as XInput's do, yet stop soon after the program stops asking.
constexpr Uint32 RUMBLE_DURATION_MS = 250;
constexpr Uint32 RUMBLE_RENEW_MS = 100;

// Pads fill user indices in the order they are found; an unplugged pad frees its index for the
// next one, as XInput hands them out.
class SdlXInputBackend final : public XInputBackend
{
public:
    u32 GetState(u32 aUserIndex, XINPUT_STATE& aState) override
    {
        Refresh();
        Slot& slot = mySlots[aUserIndex];
        SDL_GameController* controller = Controller(slot);
        if (!controller)
            return ERROR_DEVICE_NOT_CONNECTED;

        XINPUT_GAMEPAD pad;
        pad.wButtons = ReadButtons(controller);
        pad.bLeftTrigger = TriggerFromSdlAxis(SDL_GameControllerGetAxis(controller, SDL_CONTROLLER_AXIS_TRIGGERLEFT));
        pad.bRightTrigger = TriggerFromSdlAxis(SDL_GameControllerGetAxis(controller, SDL_CONTROLLER_AXIS_TRIGGERRIGHT));
        pad.sThumbLX = ThumbFromSdlAxis(SDL_GameControllerGetAxis(controller, SDL_CONTROLLER_AXIS_LEFTX), false);
        pad.sThumbLY = ThumbFromSdlAxis(SDL_GameControllerGetAxis(controller, SDL_CONTROLLER_AXIS_LEFTY), true);
        pad.sThumbRX = ThumbFromSdlAxis(SDL_GameControllerGetAxis(controller, SDL_CONTROLLER_AXIS_RIGHTX), false);
        pad.sThumbRY = ThumbFromSdlAxis(SDL_GameControllerGetAxis(controller, SDL_CONTROLLER_AXIS_RIGHTY), true);
        if (std::memcmp(&pad, &slot.myLastPad, sizeof(pad)) != 0)
        {
            slot.myLastPad = pad;
            ++slot.myPacketNumber;
        }
        aState.dwPacketNumber = slot.myPacketNumber;
        aState.Gamepad = pad;

        if ((slot.myVibration.wLeftMotorSpeed || slot.myVibration.wRightMotorSpeed) &&
            SDL_GetTicks() - slot.myRumbleSentAt >= RUMBLE_RENEW_MS)
            SendRumble(slot, controller);
        return ERROR_SUCCESS;
    }

    u32 SetState(u32 aUserIndex, const XINPUT_VIBRATION& aVibration) override
    {
        Refresh();
        Slot& slot = mySlots[aUserIndex];
        SDL_GameController* controller = Controller(slot);
        if (!controller)
            return ERROR_DEVICE_NOT_CONNECTED;
        slot.myVibration = aVibration;
        SendRumble(slot, controller);
        return ERROR_SUCCESS;
    }

private:
    struct Slot
    {
        SDL_JoystickID myId = -1;   // -1: free
        XINPUT_GAMEPAD myLastPad;
        u32 myPacketNumber = 0;
        XINPUT_VIBRATION myVibration;
        Uint32 myRumbleSentAt = 0;
    };

    // The controller is looked up by id rather than kept as a pointer: shutting SDL down closes
    // every controller, and a stale pointer must never be used.
    static SDL_GameController* Controller(const Slot& aSlot)
    {
        return aSlot.myId < 0 ? nullptr : SDL_GameControllerFromInstanceID(aSlot.myId);
    }

    static void SendRumble(Slot& aSlot, SDL_GameController* aController)
    {
        const u16 low = aSlot.myVibration.wLeftMotorSpeed;
        const u16 high = aSlot.myVibration.wRightMotorSpeed;
        SDL_GameControllerRumble(aController, low, high, (low || high) ? RUMBLE_DURATION_MS : 0);
        aSlot.myRumbleSentAt = SDL_GetTicks();
    }

    static u16 ReadButtons(SDL_GameController* aController)
    {
        static constexpr std::pair<SDL_GameControllerButton, u16> map[] = {
            {SDL_CONTROLLER_BUTTON_DPAD_UP, XINPUT_GAMEPAD_DPAD_UP},
            {SDL_CONTROLLER_BUTTON_DPAD_DOWN, XINPUT_GAMEPAD_DPAD_DOWN},
            {SDL_CONTROLLER_BUTTON_DPAD_LEFT, XINPUT_GAMEPAD_DPAD_LEFT},
            {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, XINPUT_GAMEPAD_DPAD_RIGHT},
            {SDL_CONTROLLER_BUTTON_START, XINPUT_GAMEPAD_START},
            {SDL_CONTROLLER_BUTTON_BACK, XINPUT_GAMEPAD_BACK},
            {SDL_CONTROLLER_BUTTON_LEFTSTICK, XINPUT_GAMEPAD_LEFT_THUMB},
            {SDL_CONTROLLER_BUTTON_RIGHTSTICK, XINPUT_GAMEPAD_RIGHT_THUMB},
            {SDL_CONTROLLER_BUTTON_LEFTSHOULDER, XINPUT_GAMEPAD_LEFT_SHOULDER},
            {SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, XINPUT_GAMEPAD_RIGHT_SHOULDER},
            {SDL_CONTROLLER_BUTTON_A, XINPUT_GAMEPAD_A},
            {SDL_CONTROLLER_BUTTON_B, XINPUT_GAMEPAD_B},
            {SDL_CONTROLLER_BUTTON_X, XINPUT_GAMEPAD_X},
            {SDL_CONTROLLER_BUTTON_Y, XINPUT_GAMEPAD_Y},
        };
        u16 buttons = 0;
        for (const auto& [button, bit] : map)
        {
            if (SDL_GameControllerGetButton(aController, button))
                buttons |= bit;
        }
        return buttons;
    }

    // Drops pads that went away and opens new ones into free indices. SDL notices plugging and
    // unplugging while the message pump runs.
    void Refresh()
    {
        if (!SDL_WasInit(SDL_INIT_GAMECONTROLLER))
        {
            mySlots = {};
            myKnownDeviceCount = -1;
            return;
        }
        bool freed = false;
        for (Slot& slot : mySlots)
        {
            if (slot.myId < 0)
                continue;
            SDL_GameController* controller = Controller(slot);
            if (controller && SDL_GameControllerGetAttached(controller))
                continue;
            if (controller)
                SDL_GameControllerClose(controller);
            slot = Slot{};
            freed = true;
        }

        const int deviceCount = SDL_NumJoysticks();
        if (!freed && deviceCount == myKnownDeviceCount)
            return;
        myKnownDeviceCount = deviceCount;
        for (int device = 0; device < deviceCount; ++device)
        {
            if (!SDL_IsGameController(device))
                continue;
            const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(device);
            const auto inUse = [id](const Slot& aSlot) { return aSlot.myId == id; };
            if (id < 0 || std::any_of(mySlots.begin(), mySlots.end(), inUse))
                continue;
            auto freeSlot = std::find_if(mySlots.begin(), mySlots.end(), [](const Slot& aSlot) { return aSlot.myId < 0; });
            if (freeSlot == mySlots.end())
                return;
            SDL_GameController* controller = SDL_GameControllerOpen(device);
            if (!controller)
                continue;
            *freeSlot = Slot{};
            freeSlot->myId = SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(controller));
        }
    }

    std::array<Slot, XUSER_MAX_COUNT> mySlots;
    int myKnownDeviceCount = -1;
};

XInputBackend* ourBackend = nullptr;

XInputBackend& Backend()
{
    static SdlXInputBackend sdlBackend;
    return ourBackend ? *ourBackend : sdlBackend;
}
}

void SetXInputBackend(XInputBackend* aBackend) { ourBackend = aBackend; }

u32 XInputGetState(u32 aUserIndex, XINPUT_STATE* aState)
{
    if (!aState)
        return ERROR_BAD_ARGUMENTS;
    if (aUserIndex >= XUSER_MAX_COUNT)
    {
        *aState = XINPUT_STATE{};
        return ERROR_BAD_ARGUMENTS;
    }
    const u32 result = Backend().GetState(aUserIndex, *aState);
    if (result != ERROR_SUCCESS)
        *aState = XINPUT_STATE{};
    return result;
}

u32 XInputSetState(u32 aUserIndex, XINPUT_VIBRATION* aVibration)
{
    if (!aVibration || aUserIndex >= XUSER_MAX_COUNT)
        return ERROR_BAD_ARGUMENTS;
    return Backend().SetState(aUserIndex, *aVibration);
}

i16 ThumbFromSdlAxis(i16 aValue, bool aIsYAxis)
{
    if (!aIsYAxis)
        return aValue;
    // -(-32768) does not fit in 16 bits.
    return static_cast<i16>(std::min<i32>(-static_cast<i32>(aValue), 32767));
}

u8 TriggerFromSdlAxis(i16 aValue)
{
    const i32 value = std::max<i32>(aValue, 0);
    return static_cast<u8>(value * 255 / 32767);
}
}
