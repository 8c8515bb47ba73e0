#include "SoundBackend.h"

using Qel::u32;

void EngineSoundBackend::Load(u32 aSlot, const char* aPath, bool aLoop)
{
    if (aSlot < SLOT_COUNT)
        mySounds[aSlot].Init(aPath, aLoop);
}

void EngineSoundBackend::Play(u32 aSlot)
{
    if (aSlot < SLOT_COUNT)
        mySounds[aSlot].Play();
}

void EngineSoundBackend::Stop(u32 aSlot)
{
    if (aSlot < SLOT_COUNT)
        mySounds[aSlot].Stop(true);
}

void EngineSoundBackend::SetVolume(u32 aSlot, float aVolume)
{
    if (aSlot < SLOT_COUNT)
        mySounds[aSlot].SetVolume(aVolume);
}

bool EngineSoundBackend::IsPlaying(u32 aSlot) const { return aSlot < SLOT_COUNT && mySounds[aSlot].IsPlaying(); }

Qel::Audio EngineSoundBackend::CreateSound(const char* aPath, bool aLoop)
{
    Qel::Audio sound;
    sound.Init(aPath, aLoop);
    return sound;
}

void RecordingSoundBackend::Load(u32 aSlot, const char* aPath, bool aLoop)
{
    myEvents.push_back({Op::Load, aSlot, aLoop ? 1.0f : 0.0f, aPath ? aPath : ""});
}

void RecordingSoundBackend::Play(u32 aSlot)
{
    myEvents.push_back({Op::Play, aSlot, 0.0f, {}});
    if (aSlot < SLOT_COUNT)
        myPlaying[aSlot] = true;
}

void RecordingSoundBackend::Stop(u32 aSlot)
{
    myEvents.push_back({Op::Stop, aSlot, 0.0f, {}});
    if (aSlot < SLOT_COUNT)
        myPlaying[aSlot] = false;
}

void RecordingSoundBackend::SetVolume(u32 aSlot, float aVolume)
{
    myEvents.push_back({Op::SetVolume, aSlot, aVolume, {}});
    if (aSlot < SLOT_COUNT)
        myVolumes[aSlot] = aVolume;
}

bool RecordingSoundBackend::IsPlaying(u32 aSlot) const { return aSlot < SLOT_COUNT && myPlaying[aSlot]; }

Qel::Audio RecordingSoundBackend::CreateSound(const char* aPath, bool aLoop)
{
    myEvents.push_back({Op::CreateSound, 0, aLoop ? 1.0f : 0.0f, aPath ? aPath : ""});
    return Qel::Audio();
}

u32 RecordingSoundBackend::CountPlays(u32 aSlot) const
{
    u32 count = 0;
    for (const Event& event : myEvents)
        count += event.myOp == Op::Play && event.mySlot == aSlot;
    return count;
}

u32 RecordingSoundBackend::CountStops(u32 aSlot) const
{
    u32 count = 0;
    for (const Event& event : myEvents)
        count += event.myOp == Op::Stop && event.mySlot == aSlot;
    return count;
}
