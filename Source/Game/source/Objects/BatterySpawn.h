#pragma once
// A battery bursting out of a bumped block: one particle burst. The play screen counts the
// battery as collected when the burst has finished, and removes the spawn.
#include "particles/ParticleSystemInstance.h"

struct GameContext;

inline constexpr const char* BATTERY_SPAWN_DEFINITION = "QLO_BatterySpawn";

class BatterySpawn
{
public:
    static constexpr float BURST_OFFSET = 80.0f;

    // Upright (the transform's up axis pointing up): "Battery", 80 below the origin; else
    // "BatteryDown", 80 above. The kept transform loses its rotation.
    void Init(const Qel::Matrix4x4& aTransform);
    // The same with the systems given (tests, tools).
    void Init(const Qel::Matrix4x4& aTransform, Qel::ParticleSystem* aUp, Qel::ParticleSystem* aDown);
    void Update(const GameContext& aContext);
    void Render();
    const Qel::ParticleSystemInstance& GetEffect() const { return myBurst; }
    Qel::Vector3f GetPosition() const { return myTransform.GetTranslation(); }
    const Qel::Matrix4x4& GetTransform() const { return myTransform; }
    Qel::ParticleSystem* GetSystem() const { return myBurstSystem; }

    Qel::Matrix4x4 myTransform;
    Qel::ParticleSystem* myBurstSystem = nullptr;
    Qel::ParticleSystemInstance myBurst;
};
