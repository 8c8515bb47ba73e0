#include "Objects/BeetleTank.h"

#include "AudioManager.h"
#include "GameGlobals.h"
#include "GameWorld.h"
#include "Util/AnimationUtil.h"

#include "math/Camera.h"
#include "scene/PropertyTypes.h"
#include "scene/PropertyValue.h"
#include "scene/SceneAssets.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace
{
constexpr float RAD_TO_DEG = 180.0f / Enemy::PI;

Qel::Quaternion ZRotation(float aDegrees)
{
    const float half = aDegrees * Enemy::PI / 360.0f;
    return {std::cos(half), 0.0f, 0.0f, std::sin(half)};
}

// The model value's file stem, as in "art/3d/SK_BeetleTank_Pipe.fbx".
std::string_view Stem(const Qel::ModelValue& aModel)
{
    std::string_view path = aModel.Get().myPath.GetView();
    const std::size_t slash = path.find_last_of("/\\");
    if (slash != std::string_view::npos)
        path.remove_prefix(slash + 1);
    const std::size_t dot = path.find_last_of('.');
    return dot == std::string_view::npos ? path : path.substr(0, dot);
}
}

void BeetleTank::Init(const Qel::Matrix4x4& aTransform, const Qel::PropertyRecord* aProperties, std::size_t aCount,
                      ContentReport* aReport, std::string_view aSource)
{
    myPosition = aTransform.GetTranslation();
    myPreviousX = myPosition.x;
    myRotation = Qel::Quaternion::FromMatrix(aTransform);
    myPipeRotation = myRotation;
    myScale = Enemy::ScaleOf(aTransform);
    myPipeScale = myScale;
    myReport = aReport;
    mySource = std::string(aSource);
    myModel.SetTransform(aTransform);
    Qel::Matrix4x4 pipeTransform = aTransform;
    pipeTransform.SetTranslation({myPosition.x, myPosition.y + PIPE_HEIGHT, myPosition.z});
    myPipe.SetTransform(pipeTransform);

    const Enemy::SettingsReader reader("EnemyBeetletank", myPosition, aReport, aSource);
    const Qel::ModelValue* body = nullptr;
    const Qel::ModelValue* pipe = nullptr;
    const Qel::ModelValue* unnamed[2] = {};
    Qel::StringId walkClip, squishClip, shotClip;
    for (std::size_t i = 0; i < aCount; ++i)
    {
        const Qel::PropertyRecord& r = aProperties[i];
        if (r.myType == Qel::GetPropertyType<Qel::ModelValue>())
        {
            // The body and the pipe by the property's name or the model's file name; otherwise
            // the first model is the body and the second the pipe.
            const Qel::ModelValue* model = r.myValue.TryGet<Qel::ModelValue>();
            if (!model)
                continue;
            const std::string_view name = r.myName.GetView();
            const std::string_view stem = Stem(*model);
            if (name == "SK_BeetleTank_Pipe" || stem == "SK_BeetleTank_Pipe")
                pipe = pipe ? pipe : model;
            else if (name == "SK_BeetleTank" || stem == "SK_BeetleTank")
                body = body ? body : model;
            else if (!unnamed[0])
                unnamed[0] = model;
            else if (!unnamed[1])
                unnamed[1] = model;
            continue;
        }
        reader.ReadClip(r, "WalkAnimation", walkClip) || reader.ReadClip(r, "Squish", squishClip) ||
            reader.ReadClip(r, "CannonShot", shotClip) ||
            reader.Read(r, "StartMovingOnDistanceFromPlayer", myStartDistance) ||
            reader.Read(r, "PatrolSpeedAcceleration", myAcceleration) ||
            reader.Read(r, "MaxPatrolSpeed", myMaxSpeed) || reader.Read(r, "InitialDirectionIsLeft", myStartsLeft) ||
            reader.Read(r, "Waypoint1", myWaypoint1) || reader.Read(r, "Waypoint2", myWaypoint2) ||
            reader.Read(r, "RemoveAfterSecondsPowerup", myRemoveAfterPowerup) ||
            reader.Read(r, "RemoveAfterSecondsJumpOn", myRemoveAfterStomp);
    }
    if (!body)
        body = unnamed[0] ? unnamed[0] : nullptr;
    if (!pipe)
        pipe = body == unnamed[0] ? unnamed[1] : unnamed[0];
    reader.NonNegative(myStartDistance, "StartMovingOnDistanceFromPlayer", 1000.0f);
    reader.Positive(myAcceleration, "PatrolSpeedAcceleration", 20.0f);
    reader.Positive(myMaxSpeed, "MaxPatrolSpeed", 50.0f, MAX_SPEED_LIMIT);
    reader.GridX(myWaypoint1, "Waypoint1");
    reader.GridX(myWaypoint2, "Waypoint2");
    reader.NonNegative(myRemoveAfterPowerup, "RemoveAfterSecondsPowerup", 4.0f);
    reader.NonNegative(myRemoveAfterStomp, "RemoveAfterSecondsJumpOn", 4.0f);

    if (body)
        AnimatedModel::Load(myModel, body->Get(), aTransform);
    if (pipe)
        AnimatedModel::Load(myPipe, pipe->Get(), pipeTransform);
    PlaceBoxes();
    myStompEffect.Load();
    myWalkClip = Enemy::LoadClip(myModel.myInstance.myModel, walkClip, true, true);
    mySquishClip = Enemy::LoadClip(myModel.myInstance.myModel, squishClip, false, false);
    myShotClip = Enemy::LoadClip(myPipe.myInstance.myModel, shotClip, false, false);
    myWalkClipLength = myWalkClip.myAnimation ? myWalkClip.myAnimation->myDuration : 0.0f;
    if (myPipe.myInstance.myModel)
        myPipeRestPose = myPipe.myInstance.myModel->mySkeleton.myBindPose;
}

void BeetleTank::SetListIndex(std::size_t aIndex)
{
    myTarget = myWaypoint1;
    myListIndex = aIndex;
    myPatrolsWaypoints = std::fabs(myWaypoint1 - myWaypoint2) > 0.0f;
    SetFacing(myStartsLeft);
    myReloadTimer = RELOAD_TIME;
    myShell.Init(myPipe.GetPosition(), myReport, mySource);
    myIdleSound.Create(INSTANCE_BEETLE_IDLE_LOOP, true);
    myIdleSound.SetVolume(0.0f);
    myIdleSound.Play();
}

void BeetleTank::SetFacing(bool aLeft)
{
    myDirection = aLeft ? -1.0f : 1.0f;
    myCannonYaw = aLeft ? CANNON_YAW_LEFT : CANNON_YAW_RIGHT;
    myBodyYaw = aLeft ? BODY_YAW_LEFT : BODY_YAW_RIGHT;
    myReloadTimer = RELOAD_TIME;
    myShotPlaying = false;
}

bool BeetleTank::IsOnScreen(const Qel::Vector3f& aPoint, const Qel::Camera* aCamera)
{
    if (!aCamera)
        return false;
    const Qel::Matrix4x4 viewProjection = aCamera->GetTransform().GetInverse() * aCamera->GetProjection();
    const Qel::Vector4f clip = Qel::Vector4f(aPoint.x, aPoint.y, aPoint.z, 1.0f) * viewProjection;
    if (!(clip.w > 0.0f))
        return false;
    const float x = clip.x / clip.w, y = clip.y / clip.w, z = clip.z / clip.w;
    return x >= -1.0f && x <= 1.0f && y >= -1.0f && y <= 1.0f && z >= 0.0f && z <= 1.0f;
}

void BeetleTank::Update(GameContext& aContext)
{
    const float dt = aContext.dt;
    GameWorld& world = *aContext.world;
    myShell.Update(aContext, myPipe.GetPosition());
    if (!myDead)
        myRotation = Qel::Quaternion::Slerp(myRotation, Enemy::YawRotation(myBodyYaw), std::min(1.0f, TURN_RATE * dt));
    const Qel::Vector3f player = world.myPlayer.GetPosition();
    myDistanceToPlayer = std::fabs(player.x - myPosition.x);
    // Every frame, also out of range, so a tank left behind falls silent.
    myIdleSound.SetVolume(Enemy::Volume(GetAudioManager().GetSfxVolume(), myDistanceToPlayer, mySoundRange, myActive));
    if (myDistanceToPlayer > myStartDistance)
    {
        PlaceModels();
        return;
    }

    if (!myDead)
    {
        if (myPatrolsWaypoints)
            WaypointPatrol(aContext, player.x);
        else
            FreePatrol(aContext);
        Aim(player, dt);
        const bool onScreen = IsOnScreen(myPosition, world.myCamera.get());
        if (onScreen && myShell.GetState() == BeetleTankProjectile::STATE_IN_BARREL && myShell.CanFire())
            Fire(dt);
        PlaceBoxes();
        // The treads run backwards while the tank backs up.
        const float treads = (myPosition.x >= myPreviousX ? 1.0f : -1.0f) * myDirection * dt;
        if (myWalkClipLength > 0.0f)
        {
            myWalkClip.myTime = std::fmod(myWalkClip.myTime + treads, myWalkClipLength);
            if (myWalkClip.myTime < 0.0f)
                myWalkClip.myTime += myWalkClipLength;
            myWalkClip.UpdatePose();
            Enemy::ApplyClip(myModel.myInstance, myWalkClip);
        }
        if (onScreen)
            UpdatePipePose(dt);
    }
    else if (myStomped)
    {
        Enemy::AdvanceClip(mySquishClip, CLIP_RATE * dt);
        Enemy::ApplyClip(myModel.myInstance, mySquishClip);
        myStompEffect.Update(dt);
        myDeathTimer += dt;
        if (myDeathTimer > myRemoveAfterStomp)
            myRemoved = true;
    }
    else if (myKilledByPowerup)
    {
        myDeathTimer += dt;
        if (myDeathTimer <= myRemoveAfterPowerup)
        {
            myFlyOffVerticalSpeed -= myFlyOffGravity * dt;
            myPosition.y += myFlyOffVerticalSpeed * dt;
            myPosition.x += std::sin(myDeathTimer * myFlyOffSwayRate) * myFlyOffSwayAmplitude * dt;
            myPosition.z = -200.0f;
            const Qel::Quaternion over = Enemy::YawRotation(360.0f - myBodyYaw) * ZRotation(180.0f);
            myRotation = Qel::Quaternion::Slerp(myRotation, over, std::min(1.0f, 2.5f * dt));
        }
        else
            myRemoved = true;
    }
    myPreviousX = myPosition.x;
    PlaceModels();
}

void BeetleTank::Move(const TileMoveResult& aMove)
{
    myPosition.x += aMove.myDx;
    myPosition.y += aMove.myDy;
}

void BeetleTank::FreePatrol(GameContext& aContext)
{
    const float dt = aContext.dt;
    const TileMap& tiles = aContext.world->myTileMap;
    myVerticalVelocity -= myGravity * dt;
    mySpeed = std::clamp(mySpeed + myAcceleration * myDirection * dt, -myMaxSpeed, myMaxSpeed);
    const float dx = mySpeed * dt, dy = myVerticalVelocity * dt;
    const TileMoveResult move = tiles.SweepBox(myBodyBox, dx, dy);
    Move(move);
    if (move.myHitX != 0)
        SetFacing(move.myHitX > 0);
    if (move.myHitY != 0)
        myVerticalVelocity = 0.0f;
    if (move.myHitX == 0)
    {
        const TileMoveResult probe = tiles.SweepBox(myFrontProbe, dx, dy);
        if (probe.myHitX == 0 && move.myHitY < 0)
        {
            mySpeed = 0.0f;
            SetFacing(myDirection > 0.0f);
        }
    }
}

void BeetleTank::WaypointPatrol(GameContext& aContext, float aPlayerX)
{
    const float dt = aContext.dt;
    const TileMap& tiles = aContext.world->myTileMap;
    myVerticalVelocity -= myGravity * dt;
    const float toTarget = myTarget - myPosition.x;
    if (std::fabs(toTarget) > WAYPOINT_REACH)
    {
        mySpeed = std::clamp(mySpeed + myAcceleration * dt, -myMaxSpeed, myMaxSpeed);
        const float dx = mySpeed * (toTarget > 0.0f ? 1.0f : -1.0f) * dt, dy = myVerticalVelocity * dt;
        const TileMoveResult move = tiles.SweepBox(myBodyBox, dx, dy);
        Move(move);
        // Faces the player, not the way it drives.
        if ((aPlayerX - myPosition.x) * myDirection < 0.0f)
            SetFacing(myDirection > 0.0f);
        if (move.myHitY != 0)
            myVerticalVelocity = 0.0f;
        const TileMoveResult front = tiles.SweepBox(myFrontProbe, dx, dy);
        const TileMoveResult rear = tiles.SweepBox(myRearProbe, dx, dy);
        if (front.myHitX == 0 || rear.myHitX == 0)
            myTarget = myTarget == myWaypoint1 ? myWaypoint2 : myWaypoint1;
    }
    else
        myTarget = myTarget == myWaypoint1 ? myWaypoint2 : myWaypoint1;
}

void BeetleTank::Aim(const Qel::Vector3f& aPlayer, float aDeltaTime)
{
    const Qel::Vector3f pipe = myPipe.GetPosition();
    const Qel::Vector3f toPlayer = Qel::Vector3f(aPlayer.x, aPlayer.y + AIM_HEIGHT, aPlayer.z) - pipe;
    const float length = toPlayer.Length();
    // A player exactly at the aim point leaves the last aim.
    if (length > 1.0e-4f && std::isfinite(length))
        myAim = toPlayer / length;
    const float pitch = std::clamp(std::atan2(myAim.y, myDirection * myAim.x) * RAD_TO_DEG, 0.0f, 90.0f);
    const Qel::Quaternion target = Enemy::YawRotation(myCannonYaw) * ZRotation(pitch * myDirection);
    myPipeRotation = Qel::Quaternion::Slerp(myPipeRotation, target, std::min(1.0f, TURN_RATE * aDeltaTime));
    if (myShell.GetState() == BeetleTankProjectile::STATE_IN_BARREL)
        myShell.SetRotation(myPipeRotation);
}

void BeetleTank::Fire(float aDeltaTime)
{
    myReloadTimer -= aDeltaTime;
    const bool inFront = myDirection * myAim.x > 0.0f;
    // The recoil clip starts once it is back at rest: on its last frame, or not playing at all.
    const bool shotResting = Enemy::ClipFrame(myShotClip) == SHOT_REST_FRAME ||
                             myShotClip.myState != Qel::ANIMATION_STATE_PLAYING;
    if (myReloadTimer <= SHOT_WINDUP && inFront && shotResting && !myShotPlaying)
    {
        myShotClip.myTime = 0.0f;
        myShotClip.myState = Qel::ANIMATION_STATE_PLAYING;
        myShotPlaying = true;
        myShotWeight = 1.0f;
    }
    if (myReloadTimer < 0.0f && inFront)
    {
        // Never downward: a player below the barrel gets a level shot.
        Qel::Vector3f aim = myAim;
        aim.y = std::max(aim.y, 0.0f);
        const float length = aim.Length();
        aim = length > 1.0e-6f ? aim / length : Qel::Vector3f(myDirection, 0.0f, 0.0f);
        myShell.SetRotation(myPipeRotation);
        GetAudioManager().PlaySfx(SFX_BEETLE_CANNON);
        myShell.Fire(aim);
        myReloadTimer = RELOAD_TIME;
        myShotPlaying = false;
    }
}

void BeetleTank::UpdatePipePose(float aDeltaTime)
{
    Enemy::AdvanceClip(myShotClip, aDeltaTime);
    if (!myShotPlaying)
        myShotWeight = std::max(0.0f, myShotWeight - myShotFadeRate * aDeltaTime);
    if (!myPipe.myInstance.myModel)
        return;
    myPipePose = myPipeRestPose;
    if (myShotWeight > 0.0f && myShotClip.myPose.myCount == myPipePose.myCount)
        AnimationUtil::BlendPose(myPipePose, myShotClip.myPose, myShotWeight);
    myPipe.myInstance.SetPose(myPipePose);
}

void BeetleTank::PlaceBoxes()
{
    if (myDead)
        return;
    myBodyBox.SetPosition({myPosition.x, myPosition.y + myBodyOffset});
    myTopBox.SetPosition({myPosition.x, myPosition.y + TOP_PLACEMENT});
    myFrontProbe.SetPosition({myPosition.x + myDirection * myProbeOffsetX, myPosition.y - myProbeOffsetY});
    myRearProbe.SetPosition({myPosition.x - myDirection * myProbeOffsetX, myPosition.y - myProbeOffsetY});
}

void BeetleTank::PlaceModels()
{
    myModel.SetTransform(Enemy::Compose(myScale, myRotation, myPosition));
    if (myKilledByPowerup)
    {
        // The pipe rides on the tumbling body: 150 up in the body's frame.
        const Qel::Matrix4x4 body = Qel::Matrix4x4::CreateFromQuaternion(myRotation);
        const Qel::Vector4f up = Qel::Vector4f(0.0f, PIPE_HEIGHT, 0.0f, 0.0f) * body;
        const Qel::Quaternion pipe = Enemy::YawRotation(myCannonYaw - myBodyYaw) * myRotation;
        myPipe.SetTransform(Enemy::Compose(myPipeScale, pipe, myPosition + Qel::Vector3f(up.x, up.y, up.z)));
        return;
    }
    myPipe.SetTransform(
        Enemy::Compose(myPipeScale, myPipeRotation, {myPosition.x, myPosition.y + PIPE_HEIGHT, myPosition.z}));
}

void BeetleTank::ZeroBoxes()
{
    for (Box* box : {&myBodyBox, &myTopBox, &myFrontProbe, &myRearProbe})
        box->SetSize({0.0f, 0.0f});
}

void BeetleTank::Render()
{
    if (IsShellDrawn())
        myShell.Render();
    if (!myStomped)
        AnimatedModel::Render(myPipe);
    AnimatedModel::Render(myModel);
    myStompEffect.Render();
}

void BeetleTank::KillByJumpOn()
{
    if (myDead)
        return;
    StopSounds();
    GetAudioManager().PlaySfx(SFX_ENEMY_DEATH);
    myDead = true;
    myStomped = true;
    ZeroBoxes();
    mySquishClip.myTime = 0.0f;
    mySquishClip.myState = Qel::ANIMATION_STATE_PLAYING;
    myShell.SetHidden(true);
    const Qel::Vector3f pipe = myPipe.GetPosition();
    myStompEffect.Start({pipe.x, pipe.y - 100.0f, pipe.z - 75.0f});
}

void BeetleTank::KillByPowerup()
{
    if (myDead)
        return;
    StopSounds();
    GetAudioManager().PlaySfx(SFX_ENEMY_DEATH);
    myDead = true;
    myKilledByPowerup = true;
    ZeroBoxes();
}

void BeetleTank::StopSounds()
{
    myIdleSound.Release();
}
