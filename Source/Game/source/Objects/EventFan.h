#pragma once
// The big background fan of the fan event: it slides with the camera like a parallax layer and
// hums until the player walks into the level's fan trigger; then it winds down, breaks into
// debris with sparks, a rumble and a long rumbling sound.
#include "AnimatedModel.h"
#include "audio/Audio.h"
#include "model/AnimationPlayer.h"
#include "particles/ParticleSystemInstance.h"

#include <cstddef>

struct GameContext;
class FanTrigger;
namespace Qel
{
struct PropertyRecord;
}

inline constexpr const char* FAN_ELECTRICITY_DEFINITION = "QLO_FanElectricity";

class EventFan
{
public:
    static constexpr float DEBRIS_DROP = 600.0f;
    static constexpr float CLIP_SPEED = 0.65f;
    static constexpr float HEARING_RANGE = 6000.0f;
    static constexpr float FADE_AT_RANGE = 0.3f;
    static constexpr float SPARK_Z_OFFSET = -70.0f;

    void Init(const Qel::Matrix4x4& aTransform, const Qel::PropertyRecord* aProperties, std::size_t aCount);
    // Post-init: the bases and the three sounds; the loop starts at volume 0.
    void SetupSounds();
    // aTrigger: the level's first fan trigger (null when it has none: the fan stands still).
    void Update(const GameContext& aContext, const FanTrigger* aTrigger);
    bool IsBroken() const { return myBroken != 0; }
    void Render();
    void StopSounds();

    Qel::Vector3f GetFanPosition() const { return myFan.GetPosition(); }
    Qel::Vector3f GetDebrisPosition() const { return myDebris.GetPosition(); }
    const Qel::Matrix4x4& GetTransform() const { return myFan.GetTransform(); }
    // How many times the wind-down sound was started (the fan starts it twice).
    Qel::u32 GetWindDownPlays() const { return myWindDownPlays; }
    Qel::u32 GetBreakPlays() const { return myBreakPlays; }
    bool IsLoopPlaying() const { return myLoopPlaying != 0; }

    AnimatedModel myFan;
    AnimatedModel myDebris;
    Qel::AnimationPlayer myBreakClip;
    Qel::AnimationPlayer myPreRollClip;
    Qel::AnimationPlayer myDebrisClip;
    Qel::Vector3f myFanBase{0.0f, 0.0f, 0.0f};
    Qel::Vector3f myDebrisBase{0.0f, 0.0f, 0.0f};
    Qel::u8 myBroken = 0;
    float myScale = 0.0f;
    Qel::ParticleSystem* mySparkSystem = nullptr;
    Qel::ParticleSystemInstance mySparks;
    Qel::Audio myLoopSound;
    Qel::Audio myBreakSound;
    Qel::Audio myWindDownSound;
    float myEffectsVolume = 1.0f;
    float myDistanceFactor = 0.0f;
    Qel::u8 myBreakSoundPlayed = 0;
    Qel::u8 myWindDownStarted = 0;
    Qel::u8 mySoundsCreated = 0;
    Qel::u8 myLoopPlaying = 0;
    Qel::u32 myWindDownPlays = 0;
    Qel::u32 myBreakPlays = 0;
};
