#pragma once
// The pipe mole: hides in a pipe and peeks out at intervals (up out of a standing pipe, down out
// of one hanging from a ceiling), stays a while and goes back; never while the player is close
// to the pipe. It hurts to touch and cannot be stomped.
#include "AnimatedModel.h"
#include "Box.h"
#include "EnemyContacts.h"
#include "Objects/EnemyCommon.h"

#include <array>
#include <cstddef>
#include <string_view>

class ContentReport;
struct GameContext;
namespace Qel
{
struct PropertyRecord;
}

class PipeMole
{
public:
    enum State : Qel::u8
    {
        STATE_HIDDEN = 0,
        STATE_MOVING = 1,
        STATE_OUT = 2,
        STATE_DEAD = 3,
    };
    enum Clip : Qel::u8
    {
        CLIP_IDLE = 0,
        CLIP_APPEAR = 1,
        CLIP_IDLE_STAY = 2,
        CLIP_DEATH = 3,
        CLIP_COUNT = 4,
    };
    static constexpr float MOLE_SIZE = 75.0f;
    static constexpr float TRIGGER_SIZE = 300.0f;
    static constexpr float PEEK_HEIGHT = 100.0f;
    static constexpr float HIDE_MARGIN = 5.0f;
    static constexpr float BLEND_TIME = 0.25f;
    static constexpr float SINK_DELAY = 0.5f;
    static constexpr float SINK_SPEED = 100.0f;

    void Init(const Qel::Matrix4x4& aTransform, const Qel::PropertyRecord* aProperties, std::size_t aCount,
              ContentReport* aReport = nullptr, std::string_view aSource = {});
    void SetTimers();
    void Update(GameContext& aContext);
    void Render();

    void Kill();
    void KillByPowerup() { Kill(); }
    void StopSounds();
    // Nothing for a slot without a clip or one already queued.
    void QueueAnimation(Qel::u8 aSlot, float aBlendTime);
    void SetActive(bool aActive) { myActive = aActive; }

    bool IsDead() const { return myDead; }
    bool IsRemoved() const { return myRemoved; }
    bool IsActive() const { return myActive; }
    bool IsHanging() const { return myHanging; }
    Box GetHitbox() const { return myMoleBox; }
    // It only hurts; nothing stomps it.
    EnemyContactBoxes GetContactBoxes() const { return {Box(), myMoleBox, Box()}; }
    Box GetTriggerBox() const { return myTriggerBox; }
    Qel::Vector3f GetPosition() const { return myPosition; }
    Qel::Vector3f GetHome() const { return myHome; }
    Qel::u8 GetState() const { return myState; }
    float GetPeekTimer() const { return myPeekTimer; }
    float GetStayTimer() const { return myStayTimer; }
    float GetDeathTimer() const { return myDeathTimer; }
    const AnimatedModel& GetModel() const { return myModel; }
    const Enemy::Sound& GetIdleSound(int aIndex) const { return myIdleSounds[aIndex]; }
    const Enemy::Sound& GetUpSound() const { return myUpSound; }
    const Enemy::Sound& GetDownSound() const { return myDownSound; }
    Qel::AnimationPlayer& GetClip(Qel::u8 aSlot) { return myClips[aSlot]; }
    std::size_t GetQueuedCount() const { return myQueueCount; }
    const Qel::Pose& GetBlendedPose() const { return myBlendedPose; }
    // Binds the four clips from their paths for the model (empty paths leave a slot empty).
    void LoadAnimations(const Qel::StringId (&aPaths)[CLIP_COUNT]);

private:
    struct Blend
    {
        float myBlendTime = 0.0f;
        float myElapsed = 0.0f;
        Qel::u8 mySlot = 0;
        bool myFresh = false;
    };

    void UpdateMoving(float aDeltaTime);
    void PlaySound(Enemy::Sound& aSound, bool aStopIdleLoops);
    void UpdateAnimationBlends(float aDeltaTime);
    void PlaceBoxes();

    AnimatedModel myModel;
    Box myMoleBox{0.0f, 0.0f, MOLE_SIZE, MOLE_SIZE};
    Box myTriggerBox{0.0f, 0.0f, TRIGGER_SIZE, TRIGGER_SIZE};
    float myTriggerOffset = 75.0f;
    float mySideOffset = 40.0f;
    Qel::Vector3f myPosition{0.0f, 0.0f, 0.0f};
    Qel::Vector3f myHome{0.0f, 0.0f, 0.0f};
    Qel::Vector3f myScale{1.0f, 1.0f, 1.0f};
    Qel::Quaternion myRotation;
    float myPeekTimer = 4.0f;
    float myFirstPeek = 4.0f;
    float myBetweenPeeks = 4.0f;
    float myStayTimer = 3.0f;
    float myStayTime = 3.0f;
    float myAcceleration = 25.0f;
    float myMaxStep = 50.0f;
    float myStep = 0.0f;
    float myVerticalDirection = 1.0f;
    bool myDead = false;
    float myDeathTimer = 0.0f;
    float myRemoveTime = 2.0f;
    bool myRemoved = false;
    Qel::u8 myState = STATE_HIDDEN;
    bool myHanging = false;
    Qel::AnimationPlayer myClips[CLIP_COUNT];
    std::array<Blend, CLIP_COUNT> myQueue{};
    std::size_t myQueueCount = 0;
    Qel::Pose myBlendedPose;
    Enemy::Sound myIdleSounds[2];
    Enemy::Sound myUpSound;
    Enemy::Sound myDownSound;
    float mySoundRange = 2500.0f;
    float myEffectsVolume = 1.0f;
    float myDistanceFactor = 1.0f;
    float myDistanceToPlayer = 0.0f;
    bool myActive = false;
};
