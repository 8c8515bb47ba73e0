#include "Objects/FlyingMiniOwl.h"

#include "AudioManager.h"
#include "GameGlobals.h"
#include "GameWorld.h"

#include "scene/PropertyTypes.h"
#include "scene/PropertyValue.h"
#include "scene/SceneAssets.h"

#include <algorithm>
#include <cmath>

void FlyingMiniOwl::Init(const Qel::Matrix4x4& aTransform, const Qel::PropertyRecord* aProperties, std::size_t aCount,
                         ContentReport* aReport, std::string_view aSource)
{
    const Qel::Vector3f position = aTransform.GetTranslation();
    myRotation = Qel::Quaternion::FromMatrix(aTransform);
    myScale = Enemy::ScaleOf(aTransform);
    myModel.SetTransform(aTransform);
    myFlight = position;

    const Enemy::SettingsReader reader("EnemyFlyingMiniOwl", position, aReport, aSource);
    const Qel::ModelValue* model = nullptr;
    Qel::StringId flyClip;
    for (std::size_t i = 0; i < aCount; ++i)
    {
        const Qel::PropertyRecord& r = aProperties[i];
        if (!model && r.myType == Qel::GetPropertyType<Qel::ModelValue>())
        {
            model = r.myValue.TryGet<Qel::ModelValue>();
            continue;
        }
        reader.ReadClip(r, "FlyAnimation", flyClip) || reader.Read(r, "HorizontalSpeed", myHorizontalSpeed) ||
            reader.Read(r, "Waypoint1", myWaypoint1) || reader.Read(r, "Waypoint2", myWaypoint2) ||
            reader.Read(r, "StartPatrollingOnDistanceFromPlayer", myStartDistance) ||
            reader.Read(r, "InitialDirectionIsLeft", myStartsLeft) ||
            reader.Read(r, "RemoveAfterSeconds", myRemoveAfter);
    }
    reader.Positive(myHorizontalSpeed, "HorizontalSpeed", 100.0f, MAX_SPEED_LIMIT);
    reader.GridPoint(myWaypoint1, "Waypoint1");
    reader.GridPoint(myWaypoint2, "Waypoint2");
    reader.NonNegative(myStartDistance, "StartPatrollingOnDistanceFromPlayer", 1000.0f);
    reader.NonNegative(myRemoveAfter, "RemoveAfterSeconds", 4.0f);

    if (model)
        AnimatedModel::Load(myModel, model->Get(), aTransform);
    myHitbox.SetPosition({position.x, position.y + MODEL_BELOW + HIT_OFFSET});
    myStompEffect.Load();
    myFlyClip = Enemy::LoadClip(myModel.myInstance.myModel, flyClip, true, true);
}

void FlyingMiniOwl::SetListIndex(std::size_t aIndex)
{
    myTarget = myWaypoint1;
    myListIndex = aIndex;
    const Qel::Vector3f position = myModel.GetPosition();
    myFlight = {position.x, position.y + MODEL_BELOW, position.z};
    myHomeHeight = myFlight.y;
    const Qel::Vector3f zero{0.0f, 0.0f, 0.0f};
    if (!(myWaypoint1 == zero) || !(myWaypoint2 == zero))
    {
        myPatrols = true;
        myState = STATE_FLYING;
    }
    else
        myState = STATE_HOVERING;
    SetDirection(myStartsLeft);
    myRotation = Enemy::YawRotation(myYaw);
    ApplyFacing();
    for (int i = 0; i < 7; ++i)
        myWingSounds[i].Create(static_cast<Qel::u8>(INSTANCE_FLYING_OWL_1 + i), false);
}

void FlyingMiniOwl::SetDirection(bool aLeft)
{
    myYaw = aLeft ? YAW_LEFT : YAW_RIGHT;
    myDirection = aLeft ? -1.0f : 1.0f;
}

void FlyingMiniOwl::Flap(float aDeltaTime)
{
    myFlapTimer -= aDeltaTime;
    if (myFlapTimer <= 0.0f)
    {
        myFlapSpeed = myFlapImpulse;
        myFlapTimer = FLAP_PERIOD;
    }
    myFlapSpeed -= myFlapGravity * aDeltaTime;
    myFlight.y += myFlapSpeed * aDeltaTime;
}

void FlyingMiniOwl::Update(GameContext& aContext)
{
    const float dt = aContext.dt;
    const Qel::Vector3f player = aContext.world->myPlayer.GetPosition();
    const float distance = std::fabs(player.x - myFlight.x);
    switch (myState)
    {
    case STATE_FLYING:
        if (myPatrols && distance <= myStartDistance)
        {
            const Qel::Vector3f toTarget = myTarget - myFlight;
            const float remaining = toTarget.Length();
            Flap(dt);
            // A waypoint on the owl itself has no direction; and a step never passes the target.
            if (remaining > 1.0e-4f)
                myFlight += toTarget / remaining * std::min(myHorizontalSpeed * dt, remaining);
            if (remaining < WAYPOINT_REACH)
            {
                if (myWaypoint1.x != myWaypoint2.x)
                    SetDirection(myDirection > 0.0f);
                myState = STATE_WAITING;
            }
        }
        break;
    case STATE_WAITING:
        myWaitTimer -= dt;
        if (myWaitTimer < 0.0f)
        {
            myState = STATE_FLYING;
            myWaitTimer = WAIT_TIME;
            myTarget = myTarget == myWaypoint1 ? myWaypoint2 : myWaypoint1;
        }
        Flap(dt);
        break;
    case STATE_HOVERING:
        Flap(dt);
        if (std::fabs(myFlight.y - myHomeHeight) > HOVER_RANGE)
            myFlight.y = myHomeHeight;
        break;
    default:
        myDeathTimer += dt;
        if (myDeathTimer <= myRemoveAfter)
        {
            myFallSpeed -= myFallGravity * dt;
            myFlight.y += myFallSpeed * dt;
            myFlight.x += std::sin(myDeathTimer * myFallSwayRate) * myFallSwayAmplitude * dt;
            myFlight.z = -100.0f;
            TurnToward(Enemy::UpsideDown(), myTurnSpeed * dt);
        }
        else
            myRemoved = true;
        myStompEffect.Update(dt);
        break;
    }

    if (!myDead)
        myHitbox.SetPosition({myFlight.x, myFlight.y + HIT_OFFSET});
    Enemy::AdvanceClip(myFlyClip, myClipSpeed * dt);
    Enemy::ApplyClip(myModel.myInstance, myFlyClip);
    if (!myDead)
    {
        TurnToward(Enemy::YawRotation(myYaw), myTurnSpeed * dt);
        mySoundTimer += dt;
        const int frame = Enemy::ClipFrame(myFlyClip);
        if (distance < mySoundRange && mySoundTimer >= WING_INTERVAL && (frame == 5 || frame == 25))
        {
            mySoundTimer = 0.0f;
            myEffectsVolume = GetAudioManager().GetSfxVolume();
            Enemy::Sound& wing = myWingSounds[Enemy::RandomInt(0, 6)];
            wing.SetVolume(Enemy::Volume(myEffectsVolume, distance, mySoundRange, myActive));
            wing.Play();
        }
    }
    ApplyFacing();
}

void FlyingMiniOwl::ApplyFacing()
{
    myModel.SetTransform(Enemy::Compose(myScale, myRotation, {myFlight.x, myFlight.y - MODEL_BELOW, myFlight.z}));
}

void FlyingMiniOwl::TurnToward(const Qel::Quaternion& aTarget, float aAmount)
{
    myRotation = Qel::Quaternion::Slerp(myRotation, aTarget, std::clamp(aAmount, 0.0f, 1.0f));
}

void FlyingMiniOwl::Render()
{
    AnimatedModel::Render(myModel);
    myStompEffect.Render();
}

void FlyingMiniOwl::Kill()
{
    if (myDead)
        return;
    StopSounds();
    GetAudioManager().PlaySfx(SFX_ENEMY_DEATH);
    myDead = true;
    myState = STATE_DEAD;
    myHitbox.SetSize({0.0f, 0.0f});
    myClipSpeed = CLIP_SPEED_DEAD;
    const Qel::Vector3f position = myModel.GetPosition();
    myStompEffect.Start({position.x + 25.0f, position.y + 75.0f, position.z - 150.0f});
}

void FlyingMiniOwl::StopSounds()
{
    for (Enemy::Sound& wing : myWingSounds)
        wing.Release();
}
