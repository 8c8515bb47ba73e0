#pragma once
// A particle system as described by a ".qlap" file: what an emitter spawns and how particles move,
// grow and look. Read once per path and shared by every emitter (ParticleSystemLoader).
#include "core/Types.h"
#include "math/Easings.h"
#include "math/Vector.h"
#include "stringRegistry/StringId.h"

namespace Qel
{
inline constexpr i32 PARTICLE_SPAWN_CONE_SHELL = 1;
inline constexpr i32 PARTICLE_SPAWN_BOX = 2;
inline constexpr i32 PARTICLE_VELOCITY_CONE = 0;
inline constexpr i32 PARTICLE_VELOCITY_BOX = 1;
// Most particles one emitter may hold; a file asking for more is clamped.
inline constexpr i32 MAX_PARTICLES_PER_SYSTEM = 100000;
// Longest warm-up simulated at Init, in seconds.
inline constexpr float MAX_PARTICLE_WARMUP = 30.0f;

// The defaults are those of a system whose file does not exist; a file's missing keys take the
// values ParticleSystemLoader documents.
struct ParticleSystem
{
    StringId texturePath;
    StringId vertexShader;
    StringId fragmentShader;
    Easing scaleEasing;
    Vector3f spawnMin{0.0f, 0.0f, 0.0f};
    Vector3f spawnMax{0.0f, 0.0f, 0.0f};
    Vector3f spawnDirection{0.0f, 0.0f, 1.0f};
    float spawnRadiusMin = 0.0f;
    float spawnRadiusMax = 100.0f;
    float spawnSpread = 0.0f;
    Vector3f spawnVelocityDirection{0.0f, 1.0f, 0.0f};
    float spawnVelocityMin = 100.0f;
    float spawnVelocityMax = 100.0f;
    float spawnVelocitySpread = 0.0f;
    Vector3f velocityMin{0.0f, -100.0f, 0.0f};
    Vector3f velocityMax{0.0f, -100.0f, 0.0f};
    Vector3f accelerationMin{0.0f, -100.0f, 0.0f};
    Vector3f accelerationMax{0.0f, -100.0f, 0.0f};
    Vector3f angularVelocityMin{0.0f, 0.0f, 0.0f};
    Vector3f angularVelocityMax{0.0f, 0.0f, 0.0f};
    Vector3f angularAccelerationMin{0.0f, 0.0f, 0.0f};
    Vector3f angularAccelerationMax{0.0f, 0.0f, 0.0f};
    Vector3f turbulenceNoiseVelocityMin{0.0f, 0.0f, 0.0f};
    Vector3f turbulenceNoiseVelocityMax{0.0f, 0.0f, 0.0f};
    Vector2f scaleRange{100.0f, 100.0f};
    Vector2f lifetimeRange{1.0f, 1.0f};
    i32 particleCount = 8;
    i32 framesX = 1;
    i32 framesY = 1;
    i32 turbulenceNoiseSeed = 0;
    float alphaTestThreshold = 0.0f;
    u32 depthStencilState = 3;
    u32 blendState = 1;
    float colliderRadius = 10.0f;
    float warmupTime = 0.0f;
    float affectedByPlayerMovementAmount = 0.0f;
    float tilemapFriction = 1.0f;
    float tilemapBounce = 1.0f;
    float turbulenceNoiseScale = 1.0f;
    float turbulenceIntensity = 1.0f;
    float velocityDamping = 1.0f;
    bool simulateInLocalSpace = false;
    bool isLoop = false;
    bool collideWithTilemap = false;
    bool useTurbulence = false;
    bool turbulenceRandomizeSeed = false;
    u8 spawnType = 0;
    u8 velocityType = 0;
};
}
