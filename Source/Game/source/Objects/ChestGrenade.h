#pragma once
// The grenade the player throws: it flies in an arc, bounces off floors and ceilings, and
// explodes on a wall, on the first enemy it touches (killing it) or when its 2 s fuse ends.
#include "Box.h"
#include "ModelVisual.h"
#include "particles/ParticleSystemInstance.h"

#include <cstddef>

struct GameContext;
class GameWorld;
class Hud;
namespace Qel
{
struct PropertyRecord;
}

class ChestGrenade
{
public:
    static constexpr float THROW_SPEED = 1000.0f;
    static constexpr float THROW_LIFT = 100.0f;
    static constexpr float GRAVITY = 4000.0f;
    static constexpr float BOUNCE_SPEED = 700.0f;
    static constexpr float FUSE = 2.0f;
    static constexpr float BOX_SIZE = 50.0f;
    static constexpr float EXPLOSION_Z_OFFSET = -75.0f;
    static constexpr int KILL_SCORE = 1000;

    // The factory's step before Init.
    void PreInit() { myHorizontalVelocity = THROW_SPEED; }
    // Thrown along the transform's first row (to the right or the left).
    void Init(const Qel::Matrix4x4& aTransform, const Qel::PropertyRecord* aProperties, std::size_t aCount);
    // One frame. True once the explosion has played out: the caller erases the grenade then
    // (never the grenade itself, so a loop over the list stays valid).
    bool Update(const GameContext& aContext);
    void Explode();
    bool IsExploded() const { return myExploded != 0; }
    void Render();

    Qel::Vector3f GetPosition() const { return myModel.GetPosition(); }
    const Box& GetHitbox() const { return myBox; }
    float GetHorizontalVelocity() const { return myHorizontalVelocity; }
    float GetVerticalVelocity() const { return myVerticalVelocity; }
    const Qel::ParticleSystemInstance& GetExplosion() const { return myExplosion; }
    void SetExplosionSystem(Qel::ParticleSystem* aSystem) { myExplosionSystem = aSystem; }

    ModelVisual myModel;
    Qel::ParticleSystemInstance myExplosion;
    Qel::ParticleSystem* myExplosionSystem = nullptr;
    float myHorizontalVelocity = THROW_SPEED;
    float myVerticalVelocity = THROW_LIFT;
    Box myBox;
    float myFuseTimer = 0.0f;
    Qel::u8 myExploded = 0;

private:
    bool HitEnemy(const GameContext& aContext);
};
