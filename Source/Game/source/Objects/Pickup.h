#pragma once
// The grenade, shield and life power-ups: they fall under a light gravity onto the tiles
// (usually out of a lucky block) until the player takes them; then the splash plays.
#include "Objects/BatteryPickup.h"

class Pickup
{
public:
    static constexpr float GRAVITY = 300.0f;

    void Init(const Qel::Matrix4x4& aTransform, const Qel::PropertyRecord* aProperties, std::size_t aCount);
    // The fall goes on after collection, the splash with it.
    void Update(const GameContext& aContext);
    void Collect();
    bool IsCollected() const { return myCollected != 0; }
    Qel::Vector3f GetPosition() const { return myModel.GetPosition(); }
    const Box& GetHitbox() const { return myBox; }
    const Qel::ParticleSystemInstance& GetEffect() const { return mySplash; }
    float GetVerticalVelocity() const { return myVerticalVelocity; }
    void Render();

    void SetSplashSystem(Qel::ParticleSystem* aSystem) { mySplashSystem = aSystem; }

    ModelVisual myModel;
    Box myBox;
    Qel::ParticleSystem* mySplashSystem = nullptr;
    Qel::ParticleSystemInstance mySplash;
    Qel::u8 myCollected = 0;
    float myVerticalVelocity = 0.0f;
};
