#include "Objects/MiniOwl.h"

#include "AudioManager.h"
#include "GameGlobals.h"
#include "GameWorld.h"

#include "engine/Engine.h"
#include "scene/PropertyTypes.h"
#include "scene/PropertyValue.h"
#include "scene/SceneAssets.h"
#include "texture/TextureManager.h"

#include <algorithm>
#include <cmath>

void MiniOwl::Init(const Qel::Matrix4x4& aTransform, const Qel::PropertyRecord* aProperties, std::size_t aCount,
                   ContentReport* aReport, std::string_view aSource)
{
    myPosition = aTransform.GetTranslation();
    myRotation = Qel::Quaternion::FromMatrix(aTransform);
    myScale = Enemy::ScaleOf(aTransform);
    myModel.SetTransform(aTransform);

    const Enemy::SettingsReader reader("EnemyMiniOwl", myPosition, aReport, aSource);
    const Qel::ModelValue* model = nullptr;
    Qel::StringId walkClip, squishClip;
    for (std::size_t i = 0; i < aCount; ++i)
    {
        const Qel::PropertyRecord& r = aProperties[i];
        if (!model && r.myType == Qel::GetPropertyType<Qel::ModelValue>())
        {
            model = r.myValue.TryGet<Qel::ModelValue>();
            continue;
        }
        reader.ReadClip(r, "WalkAnimation", walkClip) || reader.ReadClip(r, "Squish", squishClip) ||
            reader.Read(r, "ShouldWalkOffCliffsTexture", myCliffTexturePath) ||
            reader.Read(r, "StartMovingOnDistanceFromPlayer", myStartDistance) ||
            reader.Read(r, "PatrolSpeedAcceleration", myAcceleration) ||
            reader.Read(r, "MaxPatrolSpeed", myMaxSpeed) || reader.Read(r, "MaxVelocityY", myMaxFallSpeed) ||
            reader.Read(r, "GravityAcceleration", myGravity) || reader.Read(r, "InitialDirectionIsLeft", myStartsLeft) ||
            reader.Read(r, "ShouldSwapDirectionAtCliffs", myTurnsAtCliffs) ||
            reader.Read(r, "Waypoint1", myWaypoint1) || reader.Read(r, "Waypoint2", myWaypoint2) ||
            reader.Read(r, "RemoveAfterSecondsPowerup", myRemoveAfterPowerup) ||
            reader.Read(r, "RemoveAfterSecondsJumpOn", myRemoveAfterStomp);
    }
    reader.NonNegative(myStartDistance, "StartMovingOnDistanceFromPlayer", 1000.0f);
    reader.Positive(myAcceleration, "PatrolSpeedAcceleration", 50.0f);
    reader.Positive(myMaxSpeed, "MaxPatrolSpeed", 50.0f, MAX_SPEED_LIMIT);
    reader.Positive(myMaxFallSpeed, "MaxVelocityY", 4000.0f, MAX_FALL_LIMIT);
    reader.Positive(myGravity, "GravityAcceleration", 600.0f);
    reader.GridX(myWaypoint1, "Waypoint1");
    reader.GridX(myWaypoint2, "Waypoint2");
    reader.NonNegative(myRemoveAfterPowerup, "RemoveAfterSecondsPowerup", 4.0f);
    reader.NonNegative(myRemoveAfterStomp, "RemoveAfterSecondsJumpOn", 4.0f);

    if (model)
        AnimatedModel::Load(myModel, model->Get(), aTransform);
    PlaceBoxes();
    myStompEffect.Load();
    myWalkClip = Enemy::LoadClip(myModel.myInstance.myModel, walkClip, true, true);
    mySquishClip = Enemy::LoadClip(myModel.myInstance.myModel, squishClip, false, false);
}

void MiniOwl::SetListIndex(std::size_t aIndex)
{
    myTarget = myWaypoint1;
    myListIndex = aIndex;
    myPatrolsWaypoints = std::fabs(myWaypoint1 - myWaypoint2) > 0.0f;
    if (myTurnsAtCliffs)
    {
        myUsesCliffTexture = true;
        Qel::Engine* engine = Qel::Engine::GetInstance();
        Qel::TextureManager* textures = engine ? engine->GetTextureManager() : nullptr;
        if (textures && !myCliffTexturePath.IsEmpty() && myModel.HasModel())
            if (Qel::Texture* texture =
                    textures->TryLoadTexture(myCliffTexturePath.GetView(), Qel::TEXTURE_COLOR_MODE_FORCE_SRGB))
                for (auto& mesh : myModel.myInstance.myTextures)
                    mesh[0] = texture;
    }
    myDirection = myStartsLeft ? -1.0f : 1.0f;
    myYaw = myStartsLeft ? YAW_LEFT : YAW_RIGHT;
    for (int i = 0; i < 4; ++i)
        myStepSounds[i].Create(static_cast<Qel::u8>(INSTANCE_OWL_FOOTSTEPS_1 + i), false);
    myIdleSound.Create(INSTANCE_OWL_IDLE_LOOP, true);
    myIdleSound.SetVolume(0.0f);
    myIdleSound.Play();
}

void MiniOwl::SetPosition(const Qel::Vector3f& aPosition)
{
    myPosition = aPosition;
    PlaceBoxes();
    PlaceModel();
}

void MiniOwl::Update(GameContext& aContext)
{
    const float dt = aContext.dt;
    if (!myDead)
        TurnToward(Enemy::YawRotation(myYaw), myTurnSpeed * dt);
    if (myPosition.y < REMOVE_BELOW_Y && !myRemoved)
    {
        StopSounds();
        ZeroBoxes();
        myRemoved = true;
    }
    myStepTimer += dt;
    const Qel::Vector3f player = aContext.world->myPlayer.GetPosition();
    myDistanceToPlayer = std::fabs(player.x - myPosition.x);
    // Set every frame, also out of walking range, so an owl left behind (or no longer among the
    // audible ones) does not keep the volume it last had.
    myEffectsVolume = GetAudioManager().GetSfxVolume();
    myDistanceFactor = Enemy::Volume(1.0f, myDistanceToPlayer, mySoundRange, true);
    myIdleSound.SetVolume(Enemy::Volume(myEffectsVolume, myDistanceToPlayer, mySoundRange, myActive));
    if (myDistanceToPlayer > myStartDistance)
    {
        PlaceModel();
        return;
    }

    if (myDead && myKilledByPowerup)
    {
        myDeathTimer += dt;
        if (myDeathTimer <= myRemoveAfterPowerup)
        {
            myFlyOffVerticalSpeed -= myFlyOffGravity * dt;
            myPosition.x += std::sin(myDeathTimer * myFlyOffSwayRate) * myFlyOffSwayAmplitude * dt;
            myPosition.z = -100.0f;
            TurnToward(Enemy::UpsideDown(), myTurnSpeed * dt);
            myPosition.y += myFlyOffVerticalSpeed * dt;
        }
        else
            myRemoved = true;
    }
    else if (myDead)
    {
        Enemy::AdvanceClip(mySquishClip, CLIP_RATE * dt);
        Enemy::ApplyClip(myModel.myInstance, mySquishClip);
        myStompEffect.Update(dt);
        myDeathTimer += dt;
        if (myDeathTimer > myRemoveAfterStomp)
            myRemoved = true;
    }
    else
    {
        if (myPatrolsWaypoints)
            WaypointPatrol(aContext);
        else
            FreePatrol(aContext);
        PlaceBoxes();
        Enemy::AdvanceClip(myWalkClip, CLIP_RATE * dt);
        Enemy::ApplyClip(myModel.myInstance, myWalkClip);
    }
    PlaceModel();
}

void MiniOwl::FreePatrol(GameContext& aContext)
{
    const float dt = aContext.dt;
    const TileMap& tiles = aContext.world->myTileMap;
    myVerticalVelocity = std::clamp(myVerticalVelocity - myGravity * dt, -myMaxFallSpeed, myMaxFallSpeed);
    mySpeed = std::clamp(mySpeed + myAcceleration * myDirection * dt, -myMaxSpeed, myMaxSpeed);
    const float dx = mySpeed * dt;
    const float dy = myVerticalVelocity * dt;
    const TileMoveResult move = tiles.SweepBox(myBodyBox, dx, dy);
    myPosition.x += move.myDx;
    myPosition.y += move.myDy;
    if (move.myHitX != 0)
    {
        Reverse();
        mySpeed = 0.0f;
    }
    if (move.myHitY != 0)
    {
        myVerticalVelocity = 0.0f;
        PlayStep();
    }
    if (myTurnsAtCliffs && move.myHitX == 0)
    {
        // The probe sits in the ground ahead of the feet: while it keeps running into ground,
        // there is ground ahead.
        const TileMoveResult probe = tiles.SweepBox(myCliffProbe, dx, dy);
        if (probe.myHitX == 0 && move.myHitY < 0)
        {
            Reverse();
            mySpeed = 0.0f;
        }
    }
}

void MiniOwl::WaypointPatrol(GameContext& aContext)
{
    const float dt = aContext.dt;
    PlayStep();
    myVerticalVelocity = std::clamp(myVerticalVelocity - myGravity * dt, -myMaxFallSpeed, myMaxFallSpeed);
    const float dx = myTarget - myPosition.x;
    if (std::fabs(dx) > WAYPOINT_REACH)
    {
        mySpeed = std::clamp(mySpeed + myAcceleration * dt, -myMaxSpeed, myMaxSpeed);
        const float sign = dx > 0.0f ? 1.0f : -1.0f;
        const TileMoveResult move =
            aContext.world->myTileMap.SweepBox(myBodyBox, mySpeed * sign * dt, myVerticalVelocity * dt);
        myPosition.x += move.myDx;
        myPosition.y += move.myDy;
        if (move.myHitY != 0)
            myVerticalVelocity = 0.0f;
    }
    else
    {
        mySpeed = 0.0f;
        Reverse();
        myTarget = myTarget == myWaypoint1 ? myWaypoint2 : myWaypoint1;
    }
}

void MiniOwl::PlayStep()
{
    const int frame = Enemy::ClipFrame(myWalkClip);
    if ((frame != 5 && frame != 25) || !(myStepTimer > STEP_INTERVAL) || !(myDistanceToPlayer < mySoundRange))
        return;
    Enemy::Sound& step = myStepSounds[Enemy::RandomInt(0, 3)];
    step.SetVolume(Enemy::Volume(myEffectsVolume, myDistanceToPlayer, mySoundRange, myActive));
    step.Play();
    myStepTimer = 0.0f;
}

void MiniOwl::Reverse()
{
    myDirection = -myDirection;
    myYaw = myDirection < 0.0f ? YAW_LEFT : YAW_RIGHT;
}

void MiniOwl::TurnToward(const Qel::Quaternion& aTarget, float aAmount)
{
    myRotation = Qel::Quaternion::Slerp(myRotation, aTarget, std::clamp(aAmount, 0.0f, 1.0f));
}

void MiniOwl::PlaceBoxes()
{
    if (myDead || myRemoved)
        return;
    myBodyBox.SetPosition({myPosition.x, myPosition.y + BODY_OFFSET});
    myTopBox.SetPosition({myPosition.x, myPosition.y + TOP_OFFSET});
    myCliffProbe.SetPosition({myPosition.x + myDirection * PROBE_X, myPosition.y - PROBE_Y});
}

void MiniOwl::PlaceModel()
{
    myModel.SetTransform(Enemy::Compose(myScale, myRotation, myPosition));
}

void MiniOwl::ZeroBoxes()
{
    myBodyBox.SetSize({0.0f, 0.0f});
    myTopBox.SetSize({0.0f, 0.0f});
}

void MiniOwl::Render()
{
    AnimatedModel::Render(myModel);
    myStompEffect.Render();
}

void MiniOwl::KillByJumpOn()
{
    if (myDead)
        return;
    StopSounds();
    GetAudioManager().PlaySfx(SFX_ENEMY_DEATH);
    myDead = true;
    ZeroBoxes();
    mySquishClip.myTime = 0.0f;
    mySquishClip.myState = Qel::ANIMATION_STATE_PLAYING;
    myStompEffect.Start({myPosition.x, myPosition.y + 50.0f, myPosition.z - 75.0f});
}

void MiniOwl::KillByPowerup()
{
    if (myDead)
        return;
    StopSounds();
    GetAudioManager().PlaySfx(SFX_ENEMY_DEATH);
    myDead = true;
    myKilledByPowerup = true;
    ZeroBoxes();
}

void MiniOwl::StopSounds()
{
    myIdleSound.Release();
    for (Enemy::Sound& step : myStepSounds)
        step.Release();
}
