#pragma once
// Where the game's audio manager sends its sounds. The game plays through the engine's sound
// handles; tests and headless runs put a recording backend in their place, which plays nothing
// and keeps a log of every call.
#include "audio/Audio.h"
#include "core/Types.h"

#include <string>
#include <vector>

// Slots number the whole sound table: music first, then ambience, then effects.
class SoundBackend
{
public:
    virtual ~SoundBackend() = default;
    virtual void Load(Qel::u32 aSlot, const char* aPath, bool aLoop) = 0;
    virtual void Play(Qel::u32 aSlot) = 0;
    // At once, every copy, rewound.
    virtual void Stop(Qel::u32 aSlot) = 0;
    virtual void SetVolume(Qel::u32 aSlot, float aVolume) = 0;
    virtual bool IsPlaying(Qel::u32 aSlot) const = 0;
    // A handle of its own, owned by the caller.
    virtual Qel::Audio CreateSound(const char* aPath, bool aLoop) = 0;
};

// Plays through the engine's sound output (silent when there is no audio device).
class EngineSoundBackend final : public SoundBackend
{
public:
    static constexpr Qel::u32 SLOT_COUNT = 71;

    void Load(Qel::u32 aSlot, const char* aPath, bool aLoop) override;
    void Play(Qel::u32 aSlot) override;
    void Stop(Qel::u32 aSlot) override;
    void SetVolume(Qel::u32 aSlot, float aVolume) override;
    bool IsPlaying(Qel::u32 aSlot) const override;
    Qel::Audio CreateSound(const char* aPath, bool aLoop) override;

private:
    Qel::Audio mySounds[SLOT_COUNT];
};

// Plays nothing; records every call. A sound counts as playing from its Play to its Stop.
class RecordingSoundBackend final : public SoundBackend
{
public:
    enum class Op : Qel::u8
    {
        Load,
        Play,
        Stop,
        SetVolume,
        CreateSound,
    };
    struct Event
    {
        Op myOp;
        Qel::u32 mySlot;
        float myValue;      // SetVolume: the volume; Load / CreateSound: the loop flag
        std::string myPath;   // Load and CreateSound
    };
    static constexpr Qel::u32 SLOT_COUNT = 71;

    void Load(Qel::u32 aSlot, const char* aPath, bool aLoop) override;
    void Play(Qel::u32 aSlot) override;
    void Stop(Qel::u32 aSlot) override;
    void SetVolume(Qel::u32 aSlot, float aVolume) override;
    bool IsPlaying(Qel::u32 aSlot) const override;
    Qel::Audio CreateSound(const char* aPath, bool aLoop) override;

    const std::vector<Event>& GetEvents() const { return myEvents; }
    void ClearEvents() { myEvents.clear(); }
    // Plays and stops of one slot since the last clear.
    Qel::u32 CountPlays(Qel::u32 aSlot) const;
    Qel::u32 CountStops(Qel::u32 aSlot) const;
    float GetVolume(Qel::u32 aSlot) const { return aSlot < SLOT_COUNT ? myVolumes[aSlot] : 0.0f; }
    // A one-shot sound that ran to its end.
    void Finish(Qel::u32 aSlot)
    {
        if (aSlot < SLOT_COUNT)
            myPlaying[aSlot] = false;
    }

private:
    std::vector<Event> myEvents;
    float myVolumes[SLOT_COUNT] = {};
    bool myPlaying[SLOT_COUNT] = {};
};
