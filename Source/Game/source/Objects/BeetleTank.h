#pragma once
// The beetle tank: a beetle on treads that patrols under gravity (freely, turning at walls and
// ledges, or between two x positions facing the player), with a cannon on its back that aims
// at the player and fires its shell every 2.5 s while the tank is on screen and the player is
// in front of it. Stomped it is squished; killed by a power-up it flies off.
#include "AnimatedModel.h"
#include "Box.h"
#include "EnemyContacts.h"
#include "Objects/BeetleTankProjectile.h"
#include "Objects/EnemyCommon.h"

#include <cstddef>
#include <string>
#include <string_view>

class ContentReport;
struct GameContext;
struct TileMoveResult;
namespace Qel
{
class Camera;
struct PropertyRecord;
}

class BeetleTank
{
public:
    static constexpr float BODY_WIDTH = 75.0f, BODY_HEIGHT = 125.0f, BODY_OFFSET = 60.0f;
    static constexpr float TOP_WIDTH = 90.0f, TOP_HEIGHT = 50.0f, TOP_PLACEMENT = 160.0f;
    static constexpr float PROBE_SIZE = 10.0f;
    static constexpr float PIPE_HEIGHT = 150.0f;
    static constexpr float CANNON_YAW_RIGHT = 295.0f, CANNON_YAW_LEFT = 65.0f;
    static constexpr float BODY_YAW_RIGHT = 120.0f, BODY_YAW_LEFT = 240.0f;
    static constexpr float TURN_RATE = 3.5f;
    static constexpr float RELOAD_TIME = 2.5f;
    static constexpr float SHOT_WINDUP = 0.75f;
    static constexpr int SHOT_REST_FRAME = 33;
    static constexpr float AIM_HEIGHT = 75.0f;
    static constexpr float WAYPOINT_REACH = 5.0f;
    static constexpr float CLIP_RATE = 1.95f;
    static constexpr float GRAVITY = 600.0f;
    static constexpr float MAX_SPEED_LIMIT = 3000.0f;

    void Init(const Qel::Matrix4x4& aTransform, const Qel::PropertyRecord* aProperties, std::size_t aCount,
              ContentReport* aReport = nullptr, std::string_view aSource = {});
    void SetListIndex(std::size_t aIndex);
    void Update(GameContext& aContext);
    void Render();

    void KillByJumpOn();
    void KillByPowerup();
    void SetFacing(bool aLeft);
    void StopSounds();
    void SetActive(bool aActive) { myActive = aActive; }

    bool IsDead() const { return myDead; }
    bool IsRemoved() const { return myRemoved; }
    bool IsActive() const { return myActive; }
    bool IsStomped() const { return myStomped; }
    bool IsKilledByPowerup() const { return myKilledByPowerup; }
    Box GetBodyBox() const { return myBodyBox; }
    Box GetTopBox() const { return myTopBox; }
    Box GetHitbox() const { return myBodyBox; }
    EnemyContactBoxes GetContactBoxes() const { return {myTopBox, myBodyBox, GetShellBox()}; }
    // The flying shell's box; empty while the shell is in the barrel or burst, and once the
    // tank is dead (a shell still in the air flies on harmlessly).
    Box GetShellBox() const { return myDead ? Box(myShell.GetBox().myPosition.x, myShell.GetBox().myPosition.y, 0.0f, 0.0f) : myShell.GetBox(); }
    Box GetFrontProbe() const { return myFrontProbe; }
    Box GetRearProbe() const { return myRearProbe; }
    Qel::Vector3f GetPosition() const { return myPosition; }
    Qel::Vector3f GetPipePosition() const { return myPipe.GetPosition(); }
    float GetDirection() const { return myDirection; }
    float GetSpeed() const { return mySpeed; }
    float GetTarget() const { return myTarget; }
    float GetReloadTimer() const { return myReloadTimer; }
    float GetShotWeight() const { return myShotWeight; }
    bool IsShotPlaying() const { return myShotPlaying; }
    Qel::Vector3f GetAim() const { return myAim; }
    float GetDeathTimer() const { return myDeathTimer; }
    bool IsPipeDrawn() const { return !myStomped; }
    bool IsShellDrawn() const
    {
        return !(myShell.IsHidden() && myShell.GetState() == BeetleTankProjectile::STATE_IN_BARREL);
    }
    bool PatrolsWaypoints() const { return myPatrolsWaypoints; }
    const BeetleTankProjectile& GetShell() const { return myShell; }
    const AnimatedModel& GetBody() const { return myModel; }
    const AnimatedModel& GetPipe() const { return myPipe; }
    const Enemy::Sound& GetIdleSound() const { return myIdleSound; }
    const Enemy::StompEffect& GetStompEffect() const { return myStompEffect; }
    Qel::AnimationPlayer& GetWalkClip() { return myWalkClip; }
    Qel::AnimationPlayer& GetShotClip() { return myShotClip; }

    // The point through the camera's view and projection lies inside the clip volume.
    static bool IsOnScreen(const Qel::Vector3f& aPoint, const Qel::Camera* aCamera);

private:
    void FreePatrol(GameContext& aContext);
    void WaypointPatrol(GameContext& aContext, float aPlayerX);
    void Aim(const Qel::Vector3f& aPlayer, float aDeltaTime);
    void Fire(float aDeltaTime);
    void PlaceBoxes();
    void PlaceModels();
    void ZeroBoxes();
    void Move(const TileMoveResult& aMove);
    void UpdatePipePose(float aDeltaTime);

    AnimatedModel myModel;
    Qel::AnimationPlayer myWalkClip;
    Qel::AnimationPlayer mySquishClip;
    Qel::AnimationPlayer myShotClip;
    AnimatedModel myPipe;
    float myCannonYaw = CANNON_YAW_RIGHT;
    bool myShotPlaying = false;
    float myShotWeight = 0.0f;
    float myShotFadeRate = 4.0f;
    Qel::Pose myPipeRestPose;
    Qel::Pose myPipePose;
    float myWalkClipLength = 0.0f;
    float myPreviousX = 0.0f;
    float myReloadTimer = RELOAD_TIME;
    BeetleTankProjectile myShell;
    Qel::Vector3f myAim{1.0f, 0.0f, 0.0f};
    Box myBodyBox{0.0f, 0.0f, BODY_WIDTH, BODY_HEIGHT};
    Box myTopBox{0.0f, 0.0f, TOP_WIDTH, TOP_HEIGHT};
    Box myFrontProbe{0.0f, 0.0f, PROBE_SIZE, PROBE_SIZE};
    Box myRearProbe{0.0f, 0.0f, PROBE_SIZE, PROBE_SIZE};
    float myTopOffset = 100.0f;
    float myBodyOffset = 60.0f;
    float myProbeOffsetX = 40.0f;
    float myProbeOffsetY = 55.0f;
    Qel::Vector3f myPosition{0.0f, 0.0f, 0.0f};
    Qel::Vector3f myScale{1.0f, 1.0f, 1.0f};
    Qel::Vector3f myPipeScale{1.0f, 1.0f, 1.0f};
    Qel::Quaternion myRotation;
    Qel::Quaternion myPipeRotation;
    float myDistanceToPlayer = 0.0f;
    float myStartDistance = 1000.0f;
    float myAcceleration = 20.0f;
    float mySpeed = 0.0f;
    float myMaxSpeed = 50.0f;
    float myVerticalVelocity = 0.0f;
    float myGravity = GRAVITY;
    bool myStartsLeft = false;
    float myDirection = 1.0f;
    float myBodyYaw = BODY_YAW_RIGHT;
    float myWaypoint1 = 0.0f;
    float myWaypoint2 = 0.0f;
    float myTarget = 0.0f;
    bool myPatrolsWaypoints = false;
    bool myDead = false;
    bool myKilledByPowerup = false;
    bool myStomped = false;
    bool myRemoved = false;
    float myFlyOffSwayAmplitude = 200.0f;
    float myFlyOffSwayRate = 300.0f;
    float myDeathTimer = 0.0f;
    float myFlyOffGravity = 2000.0f;
    float myRemoveAfterPowerup = 4.0f;
    float myRemoveAfterStomp = 4.0f;
    float myFlyOffVerticalSpeed = 600.0f;
    std::size_t myListIndex = 0;
    Enemy::Sound myIdleSound;
    float mySoundRange = 3000.0f;
    bool myActive = false;
    Enemy::StompEffect myStompEffect;
    ContentReport* myReport = nullptr;
    std::string mySource;
};
