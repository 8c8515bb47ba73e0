#include "Objects/ChestGrenade.h"

#include "AudioManager.h"
#include "GameGlobals.h"
#include "GameWorld.h"
#include "Hud.h"
#include "Objects/GrenadeTargets.h"
#include "Objects/ObjectProperties.h"

#include <cmath>

void ChestGrenade::Init(const Qel::Matrix4x4& aTransform, const Qel::PropertyRecord* aProperties, std::size_t aCount)
{
    if (const Qel::SceneModel* model = ObjectProperties::FindModel(aProperties, aCount))
        SetupModelInstance(myModel, *model, aTransform);
    else
        myModel.SetTransform(aTransform);
    myExplosionSystem = ObjectProperties::FindParticleSystem(aProperties, aCount, "Explosion");
    // The transform's first row points the way the player faces; only its sign counts.
    myHorizontalVelocity = THROW_SPEED * (aTransform.GetRow(1).x < 0.0f ? -1.0f : 1.0f);
    myVerticalVelocity = THROW_LIFT;
    const Qel::Vector3f position = myModel.GetPosition();
    myBox = Box(position.x, position.y, BOX_SIZE, BOX_SIZE);
    myFuseTimer = 0.0f;
    myExploded = 0;
}

bool ChestGrenade::Update(const GameContext& aContext)
{
    const float dt = aContext.dt;
    if (myExploded)
    {
        if (myExplosion.IsAlive())
            myExplosion.Update(dt);
        // Done once the explosion has no particle left (or never had a system).
        return !myExplosion.IsRunning();
    }
    myFuseTimer += dt;
    if (myFuseTimer > FUSE)
    {
        Explode();
        return false;
    }
    myVerticalVelocity -= GRAVITY * dt;
    TileMoveResult move{myHorizontalVelocity * dt, myVerticalVelocity * dt};
    if (aContext.world)
        move = aContext.world->myTileMap.SweepBox(myBox, myHorizontalVelocity * dt, myVerticalVelocity * dt);
    Qel::Vector3f position = myModel.GetPosition();
    position.x += move.myDx;
    position.y += move.myDy;
    myModel.SetPosition(position);
    // The same spin whichever way it flies.
    const Qel::Matrix4x4 spin = Qel::Matrix4x4::CreateRotationAroundZ(-std::fabs(myHorizontalVelocity) * dt);
    myModel.SetTransform(spin * myModel.GetTransform());
    if (move.myHitX != 0)
    {
        Explode();
        return false;
    }
    if (move.myHitY != 0)
    {
        GetAudioManager().PlayRandomSfx(SFX_GRENADE_BOUNCE_1, SFX_GRENADE_BOUNCE_2);
        myVerticalVelocity = -static_cast<float>(move.myHitY) * BOUNCE_SPEED;
    }
    myBox.SetPosition({position.x, position.y});
    HitEnemy(aContext);
    return false;
}

bool ChestGrenade::HitEnemy(const GameContext& aContext)
{
    if (!aContext.world)
        return false;
    for (const auto& targets : aContext.world->myGrenadeTargets)
    {
        if (!targets)
            continue;
        for (std::size_t i = 0; i < targets->GetCount(); ++i)
        {
            if (targets->IsDead(i) || !myBox.Overlaps(targets->GetGrenadeBox(i)))
                continue;
            if (aContext.hud)
            {
                aContext.hud->AddScore1000();
                aContext.hud->SpawnScorePopup(targets->GetPosition(i), KILL_SCORE, aContext.world->myCamera.get(),
                                              0.0f, false);
            }
            targets->KillByPowerup(i);
            Explode();
            return true;
        }
    }
    return false;
}

void ChestGrenade::Explode()
{
    myExploded = 1;
    myHorizontalVelocity = 0.0f;
    myVerticalVelocity = 0.0f;
    GetAudioManager().PlayRandomSfx(SFX_GRENADE_EXPLODE_1, static_cast<Qel::u8>(SFX_GRENADE_EXPLODE_1 + 3));
    if (myExplosionSystem)
    {
        const Qel::Vector3f position = myModel.GetPosition();
        myExplosion.Init(myExplosionSystem,
                         Qel::Matrix4x4::CreateTranslation({position.x, position.y, position.z + EXPLOSION_Z_OFFSET}));
    }
}

void ChestGrenade::Render()
{
    if (!myExploded)
        RenderModelInstance(myModel, -1, true);
    else if (myExplosion.IsRunning())
        myExplosion.Render();
}
