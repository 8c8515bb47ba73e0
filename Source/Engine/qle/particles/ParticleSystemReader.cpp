#include "particles/ParticleSystemReader.h"

#include "graphics/GraphicsStateStack.h"
#include "scene/ContentLog.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

namespace Qel
{
namespace
{
using Json = nlohmann::json;

struct ReadError
{
    std::string myText;
};

// Each reader names the key in its error, then leaves the library's own words.
template <typename F>
void WithKey(const char* aKey, F aRead)
{
    try
    {
        aRead();
    }
    catch (const Json::exception& error)
    {
        throw ReadError{std::string("\"") + aKey + "\": " + error.what()};
    }
}

const Json* Find(const Json& aObject, const char* aKey)
{
    const auto it = aObject.find(aKey);
    return it == aObject.end() ? nullptr : &*it;
}

void ReadFloat(const Json& aObject, const char* aKey, float& aOut, float aMissing)
{
    aOut = aMissing;
    if (const Json* value = Find(aObject, aKey))
        WithKey(aKey, [&] { aOut = static_cast<float>(value->get<double>()); });
}

// Counts and enumerations: a floating-point number is truncated; values past the type's range are
// held at its ends (a float-to-int conversion out of range is undefined).
void ReadInteger(const Json& aObject, const char* aKey, i64& aOut, i64 aMissing, i64 aMin, i64 aMax)
{
    aOut = aMissing;
    if (const Json* value = Find(aObject, aKey))
        WithKey(aKey, [&] {
            if (value->is_number_float())
            {
                const double number = std::trunc(value->get<double>());
                aOut = number <= static_cast<double>(aMin)   ? aMin
                       : number >= static_cast<double>(aMax) ? aMax
                                                             : static_cast<i64>(number);
            }
            else if (value->is_number_unsigned())
            {
                const u64 number = value->get<u64>();
                aOut = number > static_cast<u64>(aMax) ? aMax : static_cast<i64>(number);
            }
            else
                aOut = std::clamp<i64>(value->get<i64>(), aMin, aMax);
        });
}

void ReadBool(const Json& aObject, const char* aKey, bool& aOut, bool aMissing)
{
    aOut = aMissing;
    if (const Json* value = Find(aObject, aKey))
        WithKey(aKey, [&] { aOut = value->get<bool>(); });
}

void ReadText(const Json& aObject, const char* aKey, StringId& aOut)
{
    aOut = StringId();
    if (const Json* value = Find(aObject, aKey))
        WithKey(aKey, [&] {
            const std::string text = value->get<std::string>();
            aOut = text.empty() ? StringId() : StringId(text);
        });
}

void ReadFloats(const Json& aObject, const char* aKey, float* aOut, size_t aCount, const float* aMissing)
{
    for (size_t i = 0; i < aCount; ++i)
        aOut[i] = aMissing[i];
    const Json* value = Find(aObject, aKey);
    if (!value)
        return;
    WithKey(aKey, [&] {
        if (!value->is_array())
            throw Json::type_error::create(302, std::string("type must be array, but is ") + value->type_name(), value);
        if (value->size() != aCount)
            throw ReadError{std::string("\"") + aKey + "\": " + std::to_string(aCount) + " numbers expected, found " +
                            std::to_string(value->size())};
        for (size_t i = 0; i < aCount; ++i)
            aOut[i] = static_cast<float>((*value)[i].get<double>());
    });
}

void ReadVector(const Json& aObject, const char* aKey, Vector3f& aOut, const Vector3f& aMissing)
{
    const float missing[3] = {aMissing.x, aMissing.y, aMissing.z};
    ReadFloats(aObject, aKey, &aOut.x, 3, missing);
}

void ReadPair(const Json& aObject, const char* aKey, Vector2f& aOut, const Vector2f& aMissing)
{
    const float missing[2] = {aMissing.x, aMissing.y};
    ReadFloats(aObject, aKey, &aOut.x, 2, missing);
}

// The keys in file order, each with its default for a missing key.
void ReadKeys(const Json& aJson, ParticleSystem& s)
{
    ReadText(aJson, "texturePath", s.texturePath);
    ReadText(aJson, "vertexShader", s.vertexShader);
    ReadText(aJson, "fragmentShader", s.fragmentShader);
    const Json empty = Json::object();
    const Json* easing = Find(aJson, "scaleEasing");
    if (easing && !easing->is_object())
        throw ReadError{std::string("\"scaleEasing\": cannot use value() with ") + easing->type_name()};
    const Json& e = easing ? *easing : empty;
    ReadPair(e, "sustainedPeriod", s.scaleEasing.sustainedPeriod, {0.0f, 1.0f});
    i64 value = 0;
    ReadInteger(e, "inEase", value, 0, 0, 255);
    s.scaleEasing.attackCurve = static_cast<u8>(value);
    ReadInteger(e, "outEase", value, 0, 0, 255);
    s.scaleEasing.releaseCurve = static_cast<u8>(value);
    ReadInteger(e, "inEaseDir", value, 0, 0, 255);
    s.scaleEasing.attackMode = static_cast<u8>(value);
    ReadInteger(e, "outEaseDir", value, 0, 0, 255);
    s.scaleEasing.releaseMode = static_cast<u8>(value);
    ReadInteger(aJson, "spawnType", value, 0, 0, 255);
    s.spawnType = static_cast<u8>(value);
    ReadVector(aJson, "spawnMin", s.spawnMin, {0, 0, 0});
    ReadVector(aJson, "spawnMax", s.spawnMax, {0, 0, 0});
    ReadVector(aJson, "spawnDirection", s.spawnDirection, {0, 0, 1});
    ReadFloat(aJson, "spawnRadiusMin", s.spawnRadiusMin, 0.0f);
    ReadFloat(aJson, "spawnRadiusMax", s.spawnRadiusMax, 100.0f);
    ReadFloat(aJson, "spawnSpread", s.spawnSpread, 0.0f);
    ReadInteger(aJson, "velocityType", value, 0, 0, 255);
    s.velocityType = static_cast<u8>(value);
    ReadVector(aJson, "spawnVelocityDirection", s.spawnVelocityDirection, {0, 1, 0});
    ReadFloat(aJson, "spawnVelocityMin", s.spawnVelocityMin, 100.0f);
    ReadFloat(aJson, "spawnVelocityMax", s.spawnVelocityMax, 100.0f);
    ReadFloat(aJson, "spawnVelocitySpread", s.spawnVelocitySpread, 0.0f);
    ReadVector(aJson, "velocityMin", s.velocityMin, {0, 0, 0});
    ReadVector(aJson, "velocityMax", s.velocityMax, {0, 0, 0});
    ReadVector(aJson, "accelerationMin", s.accelerationMin, {0, 0, 0});
    ReadVector(aJson, "accelerationMax", s.accelerationMax, {0, 0, 0});
    ReadVector(aJson, "angularVelocityMin", s.angularVelocityMin, {0, 0, 0});
    ReadVector(aJson, "angularVelocityMax", s.angularVelocityMax, {0, 0, 0});
    ReadVector(aJson, "angularAccelerationMin", s.angularAccelerationMin, {0, 0, 0});
    ReadVector(aJson, "angularAccelerationMax", s.angularAccelerationMax, {0, 0, 0});
    ReadPair(aJson, "scaleRange", s.scaleRange, {100.0f, 100.0f});
    ReadPair(aJson, "lifetimeRange", s.lifetimeRange, {1.0f, 1.0f});
    constexpr i64 INT_MIN_ = std::numeric_limits<i32>::min(), INT_MAX_ = std::numeric_limits<i32>::max();
    ReadInteger(aJson, "particleCount", value, 1, INT_MIN_, INT_MAX_);
    s.particleCount = static_cast<i32>(value);
    ReadInteger(aJson, "framesX", value, 1, INT_MIN_, INT_MAX_);
    s.framesX = static_cast<i32>(value);
    ReadInteger(aJson, "framesY", value, 1, INT_MIN_, INT_MAX_);
    s.framesY = static_cast<i32>(value);
    ReadInteger(aJson, "depthStencilState", value, 3, INT_MIN_, INT_MAX_);
    s.depthStencilState = value < 0 ? DEPTH_STENCIL_STATE_COUNT : static_cast<u32>(value);
    ReadInteger(aJson, "blendState", value, 1, INT_MIN_, INT_MAX_);
    s.blendState = value < 0 ? BLEND_STATE_COUNT : static_cast<u32>(value);
    ReadFloat(aJson, "alphaTestThreshold", s.alphaTestThreshold, 0.0f);
    ReadBool(aJson, "simulateInLocalSpace", s.simulateInLocalSpace, false);
    ReadBool(aJson, "isLoop", s.isLoop, false);
    ReadFloat(aJson, "affectedByPlayerMovementAmount", s.affectedByPlayerMovementAmount, 0.0f);
    ReadBool(aJson, "collideWithTilemap", s.collideWithTilemap, false);
    ReadFloat(aJson, "colliderRadius", s.colliderRadius, 10.0f);
    ReadFloat(aJson, "tilemapFriction", s.tilemapFriction, 1.0f);
    ReadFloat(aJson, "tilemapBounce", s.tilemapBounce, 1.0f);
    ReadFloat(aJson, "warmupTime", s.warmupTime, 0.0f);
    ReadBool(aJson, "useTurbulence", s.useTurbulence, false);
    ReadBool(aJson, "turbulenceRandomizeSeed", s.turbulenceRandomizeSeed, true);
    ReadInteger(aJson, "turbulenceNoiseSeed", value, 0, INT_MIN_, INT_MAX_);
    s.turbulenceNoiseSeed = static_cast<i32>(value);
    ReadFloat(aJson, "turbulenceNoiseScale", s.turbulenceNoiseScale, 1.0f);
    ReadFloat(aJson, "turbulenceIntensity", s.turbulenceIntensity, 1.0f);
    ReadVector(aJson, "turbulenceNoiseVelocityMin", s.turbulenceNoiseVelocityMin, {0, 0, 0});
    ReadVector(aJson, "turbulenceNoiseVelocityMax", s.turbulenceNoiseVelocityMax, {0, 0, 0});
    ReadFloat(aJson, "velocityDamping", s.velocityDamping, 1.0f);
}

// Values an emitter cannot use safely, mended with a warning each.
void Clamp(ParticleSystem& s, std::string_view aFile, ContentLog& aLog)
{
    auto warn = [&](const std::string& aText) { aLog.Warning(aFile, aText); };
    if (s.particleCount < 0)
    {
        warn("\"particleCount\" " + std::to_string(s.particleCount) + " is negative; 0 is used");
        s.particleCount = 0;
    }
    else if (s.particleCount > MAX_PARTICLES_PER_SYSTEM)
    {
        warn("\"particleCount\" " + std::to_string(s.particleCount) + " is more than " +
             std::to_string(MAX_PARTICLES_PER_SYSTEM) + "; that many are used");
        s.particleCount = MAX_PARTICLES_PER_SYSTEM;
    }
    for (auto [key, frames] : {std::pair{"framesX", &s.framesX}, std::pair{"framesY", &s.framesY}})
        if (*frames < 1)
        {
            warn(std::string("\"") + key + "\" " + std::to_string(*frames) + " is below 1; 1 is used");
            *frames = 1;
        }
        else if (*frames > 4096)
        {
            warn(std::string("\"") + key + "\" " + std::to_string(*frames) + " is above 4096; 4096 is used");
            *frames = 4096;
        }
    if (!(s.lifetimeRange.y > 0.0f))
    {
        warn("\"lifetimeRange\" ends at " + std::to_string(s.lifetimeRange.y) + "; a lifetime of 0.01 s is used");
        s.lifetimeRange.y = 0.01f;
    }
    if (s.lifetimeRange.x > s.lifetimeRange.y || s.lifetimeRange.x < 0.0f)
    {
        warn("\"lifetimeRange\" starts outside 0 to its end; its end is used");
        s.lifetimeRange.x = s.lifetimeRange.y;
    }
    if (s.blendState >= BLEND_STATE_COUNT)
    {
        warn("\"blendState\" is not a blend state (0 to " + std::to_string(BLEND_STATE_COUNT - 1) +
             "); 1 (alpha blend) is used");
        s.blendState = BLEND_STATE_ALPHA_BLEND;
    }
    if (s.depthStencilState >= DEPTH_STENCIL_STATE_COUNT)
    {
        warn("\"depthStencilState\" is not a depth-stencil state (0 to " + std::to_string(DEPTH_STENCIL_STATE_COUNT - 1) +
             "); 3 (read-only less-or-equal) is used");
        s.depthStencilState = DEPTH_STENCIL_STATE_READ_ONLY_LESS_OR_EQUAL;
    }
    if (!(s.warmupTime >= 0.0f) || s.warmupTime > MAX_PARTICLE_WARMUP)
    {
        warn("\"warmupTime\" " + std::to_string(s.warmupTime) + " is outside 0 to " +
             std::to_string(MAX_PARTICLE_WARMUP) + " s; it is held at the nearest end");
        s.warmupTime = s.warmupTime > 0.0f ? MAX_PARTICLE_WARMUP : 0.0f;
    }
    if (s.scaleEasing.attackCurve > EASE_BOUNCE || s.scaleEasing.releaseCurve > EASE_BOUNCE ||
        s.scaleEasing.attackMode > EASE_IN_OUT || s.scaleEasing.releaseMode > EASE_IN_OUT)
    {
        warn("\"scaleEasing\" names a curve or mode that does not exist; sine in is used for it");
        if (s.scaleEasing.attackCurve > EASE_BOUNCE)
            s.scaleEasing.attackCurve = EASE_SINE;
        if (s.scaleEasing.releaseCurve > EASE_BOUNCE)
            s.scaleEasing.releaseCurve = EASE_SINE;
        if (s.scaleEasing.attackMode > EASE_IN_OUT)
            s.scaleEasing.attackMode = EASE_IN;
        if (s.scaleEasing.releaseMode > EASE_IN_OUT)
            s.scaleEasing.releaseMode = EASE_IN;
    }
    if (s.velocityDamping < 0.0f)
    {
        warn("\"velocityDamping\" is negative; 0 is used");
        s.velocityDamping = 0.0f;
    }
}

}

bool ReadParticleSystem(std::string_view aText, std::string_view aFile, ParticleSystem& aOut, ContentLog& aLog)
{
    ParticleSystem read;
    try
    {
        const Json json = Json::parse(aText.begin(), aText.end());
        if (!json.is_object())
        {
            aLog.Error(aFile, std::string("cannot use value() with ") + json.type_name());
            return false;
        }
        ReadKeys(json, read);
    }
    catch (const Json::exception& error)
    {
        aLog.Error(aFile, error.what());
        return false;
    }
    catch (const ReadError& error)
    {
        aLog.Error(aFile, error.myText);
        return false;
    }
    Clamp(read, aFile, aLog);
    aOut = read;
    return true;
}
}
