#pragma once
// Input and sound seams for driving the game's flow without a window, a pad or a sound card:
// keys and mouse motion go into a real input manager as window messages, the pad is scripted,
// and the audio manager plays into a recording backend.
#include "AudioManager.h"
#include "GameGlobals.h"
#include "input/InputManager.h"
#include "input/XInputController.h"
#include "platform/Platform.h"
#include "platform/RawInput.h"
#include "platform/XInput.h"

#include <vector>

namespace FlowTest
{
class FakePad final : public Qel::Platform::XInputBackend
{
public:
    FakePad()
    {
        Qel::Platform::SetXInputBackend(this);
        myRumble.reserve(4096);   // frame tests count allocations
    }
    ~FakePad() override { Qel::Platform::SetXInputBackend(nullptr); }

    Qel::u32 GetState(Qel::u32 aUserIndex, Qel::XINPUT_STATE& aState) override
    {
        if (!myConnected || aUserIndex != myIndex)
            return Qel::ERROR_DEVICE_NOT_CONNECTED;
        aState = myState;
        return Qel::ERROR_SUCCESS;
    }
    Qel::u32 SetState(Qel::u32 aUserIndex, const Qel::XINPUT_VIBRATION& aVibration) override
    {
        if (!myConnected || aUserIndex != myIndex)
            return Qel::ERROR_DEVICE_NOT_CONNECTED;
        myRumble.push_back(aVibration);
        return Qel::ERROR_SUCCESS;
    }

    bool myConnected = true;
    Qel::u32 myIndex = 0;
    Qel::XINPUT_STATE myState;
    std::vector<Qel::XINPUT_VIBRATION> myRumble;
};

// Keyboard and mouse through the input manager's own message handling.
class Keys
{
public:
    explicit Keys(Qel::InputManager& aInput) : myInput(aInput) {}
    void Down(Qel::u32 aKey) { myInput.UpdateEvents(Qel::WM_KEYDOWN, aKey, 0); }
    void Up(Qel::u32 aKey) { myInput.UpdateEvents(Qel::WM_KEYUP, aKey, 0); }
    void MoveMouse(Qel::i32 aDx, Qel::i32 aDy)
    {
        Qel::RAWINPUT record{};
        record.header.dwType = Qel::RIM_TYPEMOUSE;
        record.header.dwSize = sizeof(Qel::RAWINPUT);
        record.data.mouse.lLastX = aDx;
        record.data.mouse.lLastY = aDy;
        const Qel::HRAWINPUT handle = Qel::Platform::StoreRawInput(record);
        myInput.UpdateEvents(Qel::WM_INPUT, Qel::RIM_INPUT, reinterpret_cast<Qel::LPARAM>(handle));
    }

private:
    Qel::InputManager& myInput;
};

// The game's audio manager on a recording backend for as long as it lives.
class RecordedAudio
{
public:
    RecordedAudio()
    {
        GetAudioManager().SetBackend(&myBackend);
        GetAudioManager().SetMusicVolume(0.6f);
        GetAudioManager().SetSfxVolume(0.6f);
        while (!GetAudioManager().GetFades().empty())
            GetAudioManager().Update(1000.0f);
        myBackend.ClearEvents();
    }
    ~RecordedAudio() { GetAudioManager().SetBackend(nullptr); }
    RecordingSoundBackend& operator*() { return myBackend; }
    RecordingSoundBackend* operator->() { return &myBackend; }

private:
    RecordingSoundBackend myBackend;
};

// True once when a quit message is waiting (and takes it).
inline bool TakeQuit()
{
    Qel::MSG message;
    bool quit = false;
    while (Qel::Platform::PeekMessage(message))
        quit |= message.message == Qel::WM_QUIT;
    return quit;
}
}
