#include "Objects/EnemyCommon.h"

#include "AudioManager.h"
#include "GameGlobals.h"
#include "TileMap.h"
#include "Util/ContentReport.h"

#include "model/ModelFactory.h"
#include "model/ModelInstance.h"
#include "particles/ParticleSystemLoader.h"
#include "scene/ObjectDefinition.h"
#include "scene/PropertyTypes.h"
#include "scene/PropertyValue.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>

namespace Enemy
{
float Volume(float aEffectsVolume, float aDistance, float aRange, bool aActive)
{
    if (!aActive || !(aRange > 0.0f) || !(aDistance < aRange))
        return 0.0f;
    return aEffectsVolume * std::max(0.0f, 1.0f - aDistance / aRange);
}

void Sound::Create(Qel::u8 aEntry, bool aLoop)
{
    Release();
    myAudio = GetAudioManager().CreateSound(aEntry, aLoop);
    myEntry = aEntry;
    myCreated = true;
    myPlays = 0;
}

void Sound::Play()
{
    if (!myCreated)
        return;
    myAudio.Play();
    ++myPlays;
}

void Sound::SetVolume(float aVolume)
{
    if (myCreated)
        myAudio.SetVolume(aVolume);
}

void Sound::Stop()
{
    if (myCreated)
        myAudio.Stop(true);
}

void Sound::Release()
{
    if (!myCreated)
        return;
    myAudio.Stop(true);
    myAudio.Unload();
    myAudio = Qel::Audio();
    myCreated = false;
}

int RandomInt(int aMin, int aMax)
{
    std::uniform_int_distribution<int> pick(aMin, aMax);
    return pick(GetRandomEngine());
}

int ClipFrame(const Qel::AnimationPlayer& aClip)
{
    if (!aClip.myAnimation)
        return 0;
    const float frame = aClip.myTime * aClip.myFrameRate;
    return std::isfinite(frame) ? static_cast<int>(frame) : 0;
}

void AdvanceClip(Qel::AnimationPlayer& aClip, float aDeltaTime)
{
    if (aClip.myAnimation)
        aClip.Update(aDeltaTime);
}

void ApplyClip(Qel::AnimatedModelInstance& aInstance, const Qel::AnimationPlayer& aClip)
{
    if (aInstance.myModel && aClip.myAnimation && aClip.myPose.myCount > 0)
        aInstance.ApplyAnimationPlayer(aClip);
}

Qel::AnimationPlayer LoadClip(const std::shared_ptr<Qel::Model>& aModel, Qel::StringId aPath, bool aLoop, bool aPlay)
{
    Qel::AnimationPlayer clip;
    if (aModel && !aPath.IsEmpty())
        clip = Qel::GetModelFactory().GetAnimationPlayer(std::string(aPath.GetView()), aModel);
    clip.myIsLooping = aLoop;
    clip.myState = aPlay ? Qel::ANIMATION_STATE_PLAYING : Qel::ANIMATION_STATE_READY;
    clip.myTime = 0.0f;
    clip.UpdatePose();
    return clip;
}

Qel::Quaternion YawRotation(float aDegrees)
{
    const float half = aDegrees * PI / 360.0f;
    return {std::cos(half), 0.0f, std::sin(half), 0.0f};
}

Qel::Quaternion UpsideDown()
{
    return {std::cos(PI / 2.0f), 1.0f, 0.0f, 0.0f};
}

Qel::Matrix4x4 Compose(const Qel::Vector3f& aScale, const Qel::Quaternion& aRotation, const Qel::Vector3f& aPosition)
{
    Qel::Matrix4x4 m = Qel::Matrix4x4::CreateScale(aScale) * Qel::Matrix4x4::CreateFromQuaternion(aRotation);
    m.SetTranslation(aPosition);
    return m;
}

Qel::Vector3f ScaleOf(const Qel::Matrix4x4& aTransform)
{
    Qel::Vector3f scale;
    float* parts[3] = {&scale.x, &scale.y, &scale.z};
    for (int row = 1; row <= 3; ++row)
    {
        const float x = aTransform(row, 1), y = aTransform(row, 2), z = aTransform(row, 3);
        const float length = std::sqrt(x * x + y * y + z * z);
        *parts[row - 1] = std::isfinite(length) && length > 0.0f ? length : 1.0f;
    }
    return scale;
}

void StompEffect::Load()
{
    mySystem = nullptr;
    myStarted = false;
    const Qel::ObjectDefinition* definition = Qel::GetObjectDefinitionManager().Find(Qel::StringId("QLO_JumpOnVFX"));
    if (!definition)
        return;
    const Qel::PropertyTypeBase* systemType = Qel::GetPropertyType<Qel::ParticleSystemValue>();
    for (const Qel::PropertyRecord& record : definition->myProperties)
    {
        if (record.myType != systemType)
            continue;
        if (const Qel::ParticleSystemValue* value = record.myValue.TryGet<Qel::ParticleSystemValue>())
            if (!value->Get().myPath.IsEmpty())
                mySystem = Qel::ParticleSystemLoader::Get(value->Get().myPath);
    }
}

void StompEffect::Start(const Qel::Vector3f& aPosition)
{
    if (!mySystem)
        return;
    myInstance.Init(mySystem, Qel::Matrix4x4::CreateTranslation(aPosition));
    myStarted = true;
}

void StompEffect::Update(float aDeltaTime)
{
    if (myStarted)
        myInstance.Update(aDeltaTime);
}

void StompEffect::Render()
{
    if (myStarted && myInstance.GetSystemData())
        myInstance.Render();
}

// ---- SettingsReader -----------------------------------------------------------------------

SettingsReader::SettingsReader(const char* aKind, const Qel::Vector3f& aPosition, ContentReport* aReport,
                               std::string_view aSource)
    : myKind(aKind), myPosition(aPosition), myReport(aReport), mySource(aSource)
{
}

namespace
{
template <class T>
bool ReadValue(const Qel::PropertyRecord& aRecord, const char* aKey, T& aOut)
{
    if (aRecord.myType != Qel::GetPropertyType<T>() || aRecord.myName.GetView() != std::string_view(aKey))
        return false;
    if (const T* value = aRecord.myValue.TryGet<T>())
        aOut = *value;
    return true;
}

std::string Number(float aValue)
{
    char text[32];
    std::snprintf(text, sizeof(text), "%g", aValue);
    return text;
}
}

bool SettingsReader::Read(const Qel::PropertyRecord& aRecord, const char* aKey, float& aOut) const
{
    return ReadValue(aRecord, aKey, aOut);
}

bool SettingsReader::Read(const Qel::PropertyRecord& aRecord, const char* aKey, bool& aOut) const
{
    return ReadValue(aRecord, aKey, aOut);
}

bool SettingsReader::Read(const Qel::PropertyRecord& aRecord, const char* aKey, Qel::Vector3f& aOut) const
{
    return ReadValue(aRecord, aKey, aOut);
}

bool SettingsReader::Read(const Qel::PropertyRecord& aRecord, const char* aKey, Qel::StringId& aOut) const
{
    return ReadValue(aRecord, aKey, aOut);
}

bool SettingsReader::ReadClip(const Qel::PropertyRecord& aRecord, const char* aKey, Qel::StringId& aOut) const
{
    Qel::AnimationClipValue clip;
    if (!ReadValue(aRecord, aKey, clip))
        return false;
    aOut = clip.Get().myPath;
    return true;
}

void SettingsReader::Positive(float& aValue, const char* aKey, float aFallback, float aMax) const
{
    if (!std::isfinite(aValue) || aValue <= 0.0f)
    {
        Report(std::string("\"") + aKey + "\" is " + Number(aValue) + ", which is not above 0; " + Number(aFallback) +
               " is used");
        aValue = aFallback;
    }
    else if (aValue > aMax)
    {
        Report(std::string("\"") + aKey + "\" is " + Number(aValue) + ", above the limit of " + Number(aMax) +
               "; " + Number(aMax) + " is used");
        aValue = aMax;
    }
}

void SettingsReader::NonNegative(float& aValue, const char* aKey, float aFallback) const
{
    if (std::isfinite(aValue) && aValue >= 0.0f)
        return;
    Report(std::string("\"") + aKey + "\" is " + Number(aValue) + ", which is below 0; " + Number(aFallback) +
           " is used");
    aValue = aFallback;
}

namespace
{
constexpr float GRID_MAX_X = TileMap::GRID_MIN_X + TileMap::GRID_COLUMNS * TileMap::CELL_SIZE;
constexpr float GRID_MAX_Y = TileMap::GRID_MIN_Y + TileMap::GRID_ROWS * TileMap::CELL_SIZE;

bool ClampTo(float& aValue, float aMin, float aMax)
{
    const float mended = std::isfinite(aValue) ? std::clamp(aValue, aMin, aMax) : std::clamp(0.0f, aMin, aMax);
    const bool changed = mended != aValue;
    aValue = mended;
    return changed;
}
}

void SettingsReader::GridX(float& aValue, const char* aKey) const
{
    const float before = aValue;
    if (ClampTo(aValue, TileMap::GRID_MIN_X, GRID_MAX_X))
        Report(std::string("\"") + aKey + "\" x " + Number(before) + " lies outside the tile grid; " + Number(aValue) +
               " is used");
}

void SettingsReader::GridPoint(Qel::Vector3f& aValue, const char* aKey) const
{
    // The zero point means "no waypoint" and stays as it is.
    if (aValue.x == 0.0f && aValue.y == 0.0f && aValue.z == 0.0f)
        return;
    const Qel::Vector3f before = aValue;
    bool changed = ClampTo(aValue.x, TileMap::GRID_MIN_X, GRID_MAX_X);
    changed |= ClampTo(aValue.y, TileMap::GRID_MIN_Y, GRID_MAX_Y);
    if (!std::isfinite(aValue.z))
    {
        aValue.z = 0.0f;
        changed = true;
    }
    if (changed)
        Report(std::string("\"") + aKey + "\" (" + Number(before.x) + ", " + Number(before.y) + ", " +
               Number(before.z) + ") lies outside the tile grid; (" + Number(aValue.x) + ", " + Number(aValue.y) +
               ", " + Number(aValue.z) + ") is used");
}

void SettingsReader::Report(const std::string& aCause) const
{
    const std::string source = mySource.empty() ? std::string("an object made during play") : mySource;
    const std::string message = source + ": " + myKind + " at (" + Number(myPosition.x) + ", " + Number(myPosition.y) +
                                "): " + aCause;
    if (myReport)
        myReport->Report(message);
    else
        std::printf("%s\n", message.c_str());
}
}
