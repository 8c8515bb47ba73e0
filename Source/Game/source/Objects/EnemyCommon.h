#pragma once
// What the enemy kinds share: their sound handles and the distance rule for their volume, clip
// helpers that do nothing without a clip or a model, the stomp puff, placement helpers, and the
// reader that takes an enemy's settings from its properties, mending absurd values with a
// message that names the level file.
#include "audio/Audio.h"
#include "core/Types.h"
#include "math/Matrix4x4.h"
#include "math/Quaternion.h"
#include "math/Vector.h"
#include "model/AnimationPlayer.h"
#include "particles/ParticleSystemInstance.h"
#include "stringRegistry/StringId.h"

#include <memory>
#include <string>
#include <string_view>

class ContentReport;
namespace Qel
{
class Model;
struct PropertyRecord;
class AnimatedModelInstance;
}

namespace Enemy
{
inline constexpr float PI = 3.14159265358979f;

// Volume of an enemy's sound at horizontal distance aDistance from the player: the effects
// volume, falling linearly to 0 at aRange; 0 for an enemy that is not among the audible ones.
float Volume(float aEffectsVolume, float aDistance, float aRange, bool aActive);

// A handle of one entry of the instance-sound table, owned by one enemy. Every call on a sound
// that was never created or was released does nothing, so releasing twice is harmless.
class Sound
{
public:
    void Create(Qel::u8 aEntry, bool aLoop);
    void Play();
    void SetVolume(float aVolume);
    void Stop();
    // Stops and frees the handle.
    void Release();

    bool IsCreated() const { return myCreated; }
    Qel::u8 GetEntry() const { return myEntry; }
    float GetVolume() const { return myAudio.GetVolume(); }
    // Plays since creation (the recording sound backend hands out silent handles; tests count here).
    Qel::u32 GetPlayCount() const { return myPlays; }

private:
    Qel::Audio myAudio;
    Qel::u32 myPlays = 0;
    Qel::u8 myEntry = 0xFF;
    bool myCreated = false;
};

// A uniform integer in [aMin, aMax] from the game's random engine.
int RandomInt(int aMin, int aMax);

// The clip's frame number: time × frames per second, truncated; 0 without a clip.
int ClipFrame(const Qel::AnimationPlayer& aClip);
// Advances a bound clip (an unbound one stays as it is).
void AdvanceClip(Qel::AnimationPlayer& aClip, float aDeltaTime);
// Poses the model with the clip when both exist.
void ApplyClip(Qel::AnimatedModelInstance& aInstance, const Qel::AnimationPlayer& aClip);
// A clip for the model from the model factory; empty (unbound) without a model or a path.
Qel::AnimationPlayer LoadClip(const std::shared_ptr<Qel::Model>& aModel, Qel::StringId aPath, bool aLoop, bool aPlay);

// Rotation about y by aDegrees.
Qel::Quaternion YawRotation(float aDegrees);
// Rotation about x by π: the enemy turned upside down.
Qel::Quaternion UpsideDown();
// scale, then rotation, then translation (row vectors).
Qel::Matrix4x4 Compose(const Qel::Vector3f& aScale, const Qel::Quaternion& aRotation, const Qel::Vector3f& aPosition);
// The length of each of the first three rows.
Qel::Vector3f ScaleOf(const Qel::Matrix4x4& aTransform);

// The puff shown where an enemy was stomped: the last particle system of the definition
// "QLO_JumpOnVFX". Without that definition nothing is shown.
struct StompEffect
{
    Qel::ParticleSystemInstance myInstance;
    Qel::ParticleSystem* mySystem = nullptr;
    bool myStarted = false;

    void Load();
    void Start(const Qel::Vector3f& aPosition);
    void Update(float aDeltaTime);
    void Render();
};

// Reads an enemy's settings from its property records and mends what makes no sense, each
// mend reported once with the level file, the kind, the object's position and the cause.
class SettingsReader
{
public:
    SettingsReader(const char* aKind, const Qel::Vector3f& aPosition, ContentReport* aReport, std::string_view aSource);

    // True when the record is aKey with the matching type (then aOut holds its value).
    bool Read(const Qel::PropertyRecord& aRecord, const char* aKey, float& aOut) const;
    bool Read(const Qel::PropertyRecord& aRecord, const char* aKey, bool& aOut) const;
    bool Read(const Qel::PropertyRecord& aRecord, const char* aKey, Qel::Vector3f& aOut) const;
    bool Read(const Qel::PropertyRecord& aRecord, const char* aKey, Qel::StringId& aOut) const;
    // An animation clip's path.
    bool ReadClip(const Qel::PropertyRecord& aRecord, const char* aKey, Qel::StringId& aOut) const;

    // A value that must be finite and above 0 (at most aMax): aFallback otherwise.
    void Positive(float& aValue, const char* aKey, float aFallback, float aMax = 1.0e30f) const;
    // A value that must be finite and 0 or more: aFallback otherwise.
    void NonNegative(float& aValue, const char* aKey, float aFallback) const;
    // A world x inside the tile grid: clamped to it.
    void GridX(float& aValue, const char* aKey) const;
    // A world point inside the tile grid (x and y): clamped to it; a non-finite part becomes 0.
    void GridPoint(Qel::Vector3f& aValue, const char* aKey) const;

    void Report(const std::string& aCause) const;

private:
    const char* myKind;
    Qel::Vector3f myPosition;
    ContentReport* myReport;
    std::string mySource;
};
}
