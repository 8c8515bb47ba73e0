#pragma once
// The walking owl: patrols under gravity between two x positions or freely (turning at walls
// and, if asked, at cliff edges) once the player is near; squished by a stomp, sent flying off
// by a power-up kill.
#include "AnimatedModel.h"
#include "Box.h"
#include "EnemyContacts.h"
#include "Objects/EnemyCommon.h"

#include <cstddef>
#include <string_view>

class ContentReport;
struct GameContext;
namespace Qel
{
struct PropertyRecord;
class Texture;
}

class MiniOwl
{
public:
    static constexpr float BODY_WIDTH = 50.0f, BODY_HEIGHT = 65.0f, BODY_OFFSET = 35.0f;
    static constexpr float TOP_WIDTH = 100.0f, TOP_HEIGHT = 35.0f, TOP_OFFSET = 100.0f;
    static constexpr float PROBE_WIDTH = 10.0f, PROBE_HEIGHT = 20.0f, PROBE_X = 40.0f, PROBE_Y = 55.0f;
    static constexpr float YAW_RIGHT = 120.0f, YAW_LEFT = 240.0f;
    static constexpr float CLIP_RATE = 1.95f;
    static constexpr float WAYPOINT_REACH = 5.0f;
    static constexpr float REMOVE_BELOW_Y = -400.0f;
    static constexpr float STEP_INTERVAL = 0.1f;
    // Faster than this, a move of one frame (at the longest frame) could pass a whole cell.
    static constexpr float MAX_SPEED_LIMIT = 3000.0f;
    static constexpr float MAX_FALL_LIMIT = 4000.0f;

    // aReport and aSource name the level file in messages about mended values.
    void Init(const Qel::Matrix4x4& aTransform, const Qel::PropertyRecord* aProperties, std::size_t aCount,
              ContentReport* aReport = nullptr, std::string_view aSource = {});
    void SetListIndex(std::size_t aIndex);
    void Update(GameContext& aContext);
    void Render();

    void KillByJumpOn();
    void KillByPowerup();
    void StopSounds();
    void SetActive(bool aActive) { myActive = aActive; }

    bool IsDead() const { return myDead; }
    bool IsRemoved() const { return myRemoved; }
    bool IsActive() const { return myActive; }
    bool IsKilledByPowerup() const { return myKilledByPowerup; }
    Box GetBodyBox() const { return myBodyBox; }
    Box GetTopBox() const { return myTopBox; }
    Box GetHitbox() const { return myBodyBox; }
    // The top box is stomped, the body hurts.
    EnemyContactBoxes GetContactBoxes() const { return {myTopBox, myBodyBox, Box()}; }
    Box GetCliffProbe() const { return myCliffProbe; }
    Qel::Vector3f GetPosition() const { return myPosition; }
    float GetDirection() const { return myDirection; }
    float GetSpeed() const { return mySpeed; }
    float GetTarget() const { return myTarget; }
    float GetDeathTimer() const { return myDeathTimer; }
    bool PatrolsWaypoints() const { return myPatrolsWaypoints; }
    bool TurnsAtCliffs() const { return myTurnsAtCliffs; }
    Qel::StringId GetCliffTexturePath() const { return myCliffTexturePath; }
    bool UsesCliffTexture() const { return myUsesCliffTexture; }
    const Qel::Quaternion& GetRotation() const { return myRotation; }
    const AnimatedModel& GetModel() const { return myModel; }
    const Enemy::Sound& GetIdleSound() const { return myIdleSound; }
    const Enemy::Sound& GetStepSound(int aIndex) const { return myStepSounds[aIndex]; }
    const Enemy::StompEffect& GetStompEffect() const { return myStompEffect; }
    // The clips, for tests that bind clips of their own.
    Qel::AnimationPlayer& GetWalkClip() { return myWalkClip; }
    Qel::AnimationPlayer& GetSquishClip() { return mySquishClip; }

    void SetPosition(const Qel::Vector3f& aPosition);

private:
    void Reverse();
    void PlaceBoxes();
    void PlaceModel();
    void FreePatrol(GameContext& aContext);
    void WaypointPatrol(GameContext& aContext);
    void PlayStep();
    void TurnToward(const Qel::Quaternion& aTarget, float aDeltaTime);
    void ZeroBoxes();

    AnimatedModel myModel;
    Qel::AnimationPlayer myWalkClip;
    Qel::AnimationPlayer mySquishClip;
    Qel::StringId myCliffTexturePath;
    Box myBodyBox{0.0f, 0.0f, BODY_WIDTH, BODY_HEIGHT};
    Box myTopBox{0.0f, 0.0f, TOP_WIDTH, TOP_HEIGHT};
    Box myCliffProbe{0.0f, 0.0f, PROBE_WIDTH, PROBE_HEIGHT};
    Qel::Vector3f myPosition{0.0f, 0.0f, 0.0f};
    Qel::Vector3f myScale{1.0f, 1.0f, 1.0f};
    Qel::Quaternion myRotation;
    float myDistanceToPlayer = 0.0f;
    float myStartDistance = 1000.0f;
    float myAcceleration = 50.0f;
    float mySpeed = 0.0f;
    float myMaxSpeed = 50.0f;
    float myMaxFallSpeed = 4000.0f;
    float myVerticalVelocity = 0.0f;
    float myGravity = 600.0f;
    bool myStartsLeft = false;
    float myDirection = 0.0f;
    bool myTurnsAtCliffs = false;
    float myTurnSpeed = 2.5f;
    float myWaypoint1 = 0.0f;
    float myWaypoint2 = 0.0f;
    float myTarget = 0.0f;
    float myYaw = YAW_RIGHT;
    bool myPatrolsWaypoints = false;
    bool myDead = false;
    bool myKilledByPowerup = false;
    bool myRemoved = false;
    bool myUsesCliffTexture = false;
    float myFlyOffSwayAmplitude = 200.0f;
    float myFlyOffSwayRate = 300.0f;
    float myDeathTimer = 0.0f;
    float myFlyOffGravity = 2000.0f;
    float myRemoveAfterPowerup = 4.0f;
    float myRemoveAfterStomp = 4.0f;
    float myFlyOffVerticalSpeed = 600.0f;
    std::size_t myListIndex = 0;
    Enemy::Sound myIdleSound;
    Enemy::Sound myStepSounds[4];
    float myStepTimer = 0.0f;
    float mySoundRange = 3000.0f;
    float myEffectsVolume = 1.0f;
    float myDistanceFactor = 1.0f;
    bool myActive = false;
    Enemy::StompEffect myStompEffect;
};
