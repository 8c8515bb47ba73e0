#pragma once
// A battery that bobs in place until the player touches it; then its splash plays and the play
// screen removes it once the splash has finished.
#include "Box.h"
#include "ModelVisual.h"
#include "particles/ParticleSystemInstance.h"

#include <cstddef>

struct GameContext;
namespace Qel
{
struct PropertyRecord;
}

// The splash of every pickup: the "Splash" system of this definition.
inline constexpr const char* PICKUP_VFX_DEFINITION = "QLO_PickupVFX";
inline constexpr float PICKUP_BOX_SIZE = 100.0f;

class BatteryPickup
{
public:
    static constexpr float BOB_SPEED = 3.0f;
    static constexpr float BOB_HEIGHT = 5.0f;

    void Init(const Qel::Matrix4x4& aTransform, const Qel::PropertyRecord* aProperties, std::size_t aCount);
    void Update(const GameContext& aContext);
    void Collect();
    bool IsCollected() const { return myCollected != 0; }
    Qel::Vector3f GetPosition() const { return myModel.GetPosition(); }
    const Box& GetHitbox() const { return myBox; }
    const Qel::ParticleSystemInstance& GetEffect() const { return mySplash; }
    void Render();

    // Tests and tools: the splash taken in place of the definition's.
    void SetSplashSystem(Qel::ParticleSystem* aSystem) { mySplashSystem = aSystem; }

    ModelVisual myModel;
    Box myBox;
    float myRestHeight = 0.0f;
    float myBobPhase = 0.0f;
    Qel::ParticleSystem* mySplashSystem = nullptr;
    Qel::ParticleSystemInstance mySplash;
    Qel::u8 myCollected = 0;
};

// Shared by the pickups: the model and box from the first model property; the splash system.
void InitPickupVisual(ModelVisual& aModel, Box& aBox, Qel::ParticleSystem*& aSplashSystem,
                      const Qel::Matrix4x4& aTransform, const Qel::PropertyRecord* aProperties, std::size_t aCount);
// Starts the splash at aPosition with no rotation when there is a system.
void StartPickupSplash(Qel::ParticleSystemInstance& aSplash, Qel::ParticleSystem* aSystem,
                       const Qel::Vector3f& aPosition);
// The model unless collected, then the splash while it runs.
void RenderPickup(ModelVisual& aModel, Qel::ParticleSystemInstance& aSplash, bool aCollected);
