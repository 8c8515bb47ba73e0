#pragma once
// The flying owl: flies between two points with a flapping bob, waiting at each, or hovers
// about its home height; falls away when killed.
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
}

class FlyingMiniOwl
{
public:
    enum State : Qel::u8
    {
        STATE_FLYING = 0,
        STATE_WAITING = 1,
        STATE_HOVERING = 2,
        STATE_DEAD = 3,
    };
    static constexpr float HIT_WIDTH = 60.0f, HIT_HEIGHT = 100.0f, HIT_OFFSET = 15.0f;
    static constexpr float MODEL_BELOW = 50.0f;
    static constexpr float YAW_RIGHT = 120.0f, YAW_LEFT = 240.0f;
    static constexpr float WAIT_TIME = 2.5f;
    static constexpr float FLAP_PERIOD = 0.5f;
    static constexpr float HOVER_RANGE = 50.0f;
    static constexpr float WAYPOINT_REACH = 5.0f;
    static constexpr float CLIP_SPEED_ALIVE = 1.65f, CLIP_SPEED_DEAD = 0.35f;
    static constexpr float WING_INTERVAL = 0.2f;
    static constexpr float MAX_SPEED_LIMIT = 3000.0f;

    void Init(const Qel::Matrix4x4& aTransform, const Qel::PropertyRecord* aProperties, std::size_t aCount,
              ContentReport* aReport = nullptr, std::string_view aSource = {});
    void SetListIndex(std::size_t aIndex);
    void Update(GameContext& aContext);
    void Render();

    void Kill();
    void KillByJumpOn() { Kill(); }
    void KillByPowerup() { Kill(); }
    void SetDirection(bool aLeft);
    void StopSounds();
    void SetActive(bool aActive) { myActive = aActive; }

    bool IsDead() const { return myDead; }
    bool IsRemoved() const { return myRemoved; }
    bool IsActive() const { return myActive; }
    Box GetHitbox() const { return myHitbox; }
    // One box: stomped from above its centre, otherwise it hurts.
    EnemyContactBoxes GetContactBoxes() const { return {myHitbox, Box(), Box()}; }
    // The model's position (50 below the flight position).
    Qel::Vector3f GetPosition() const { return myModel.GetPosition(); }
    Qel::Vector3f GetFlightPosition() const { return myFlight; }
    float GetHomeHeight() const { return myHomeHeight; }
    Qel::u8 GetState() const { return myState; }
    float GetDirection() const { return myDirection; }
    Qel::Vector3f GetTarget() const { return myTarget; }
    float GetClipSpeed() const { return myClipSpeed; }
    float GetDeathTimer() const { return myDeathTimer; }
    const AnimatedModel& GetModel() const { return myModel; }
    const Enemy::Sound& GetWingSound(int aIndex) const { return myWingSounds[aIndex]; }
    const Enemy::StompEffect& GetStompEffect() const { return myStompEffect; }
    Qel::AnimationPlayer& GetFlyClip() { return myFlyClip; }

private:
    void Flap(float aDeltaTime);
    void TurnToward(const Qel::Quaternion& aTarget, float aAmount);
    void ApplyFacing();

    AnimatedModel myModel;
    Qel::AnimationPlayer myFlyClip;
    float myYaw = YAW_RIGHT;
    float myClipSpeed = CLIP_SPEED_ALIVE;
    Box myHitbox{0.0f, 0.0f, HIT_WIDTH, HIT_HEIGHT};
    Qel::Vector3f myFlight{0.0f, 0.0f, 0.0f};
    Qel::Vector3f myScale{1.0f, 1.0f, 1.0f};
    Qel::Quaternion myRotation;
    float myHomeHeight = 0.0f;
    float myHorizontalSpeed = 100.0f;
    Qel::Vector3f myWaypoint1{0.0f, 0.0f, 0.0f};
    Qel::Vector3f myWaypoint2{0.0f, 0.0f, 0.0f};
    Qel::Vector3f myTarget{0.0f, 0.0f, 0.0f};
    bool myPatrols = false;
    float myStartDistance = 1000.0f;
    float myWaitTimer = WAIT_TIME;
    float myFlapSpeed = 0.0f;
    float myDirection = 0.0f;
    float myFlapImpulse = 255.0f;
    float myFlapGravity = 1000.0f;
    float myFlapTimer = 0.0f;
    float myTurnSpeed = 2.5f;
    bool myStartsLeft = false;
    float myFallSwayAmplitude = 4.0f;
    float myFallSwayRate = 3.0f;
    float myDeathTimer = 0.0f;
    float myFallGravity = 1000.0f;
    bool myDead = false;
    bool myRemoved = false;
    float myRemoveAfter = 4.0f;
    float myFallSpeed = 0.0f;
    std::size_t myListIndex = 0;
    Qel::u8 myState = STATE_FLYING;
    Enemy::Sound myWingSounds[7];
    float mySoundRange = 3000.0f;
    float myEffectsVolume = 1.0f;
    float myDistanceFactor = 1.0f;
    float mySoundTimer = 0.0f;
    bool myActive = false;
    Enemy::StompEffect myStompEffect;
};
