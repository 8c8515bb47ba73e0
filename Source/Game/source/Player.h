#pragma once
#include "AnimatedModel.h"
#include "AnimationBlendQueue.h"
#include "Box.h"
#include "core/Types.h"
#include "math/Matrix4x4.h"
#include "math/Quaternion.h"
#include "math/Vector.h"
#include "model/AnimationPlayer.h"
#include "model/ModelInstance.h"
#include "particles/ParticleSystemInstance.h"
#include "stringRegistry/StringId.h"

#include <cstddef>
#include <string>

namespace Qel
{
class ModelShader;
class ParticleSystem;
class Texture;
struct PropertyRecord;
}
struct GameContext;

// The tunable values of the player, as its definition sets them (defaults otherwise).
struct PlayerSettings
{
    float myWalkAcceleration = 1000.0f;
    float mySprintAcceleration = 0.0f;  // 0: sprinting snaps to its top speed
    float myMaxWalkSpeed = 500.0f;
    float myMaxSprintSpeed = 800.0f;
    float myGroundResistance = 1000.0f;
    float myCrouchResistance = 1000.0f;
    float myBaseJumpForce = 1150.0f;
    float myJumpForce = 5600.0f;
    float myJumpResistance = 5500.0f;
    float myMinJumpResistance = 500.0f;
    float myPoundForce = 3000.0f;
    float myAirPauseDuration = 0.4f;
    float myGroundPauseDuration = 0.25f;
    float myStunDuration = 1.0f;
    float myInvulnerableDuration = 3.0f;
    Qel::i32 myMaxLives = 5;
    Qel::i32 myMaxGrenades = 2;
};

// The character the user steers: one per world. Movement (run, sprint, jump with its coyote
// window and press buffer, duck and slide, ground pound, gravity, the tile sweep), damage and
// power-ups, enemy contacts, grenade throws, the blended animation with footsteps and the
// player's one-shot particle effects. Its position is its feet.
class Player
{
public:
    static constexpr Qel::i32 DEFAULT_MAX_LIVES = 5;
    static constexpr float GRAVITY = 6000.0f;
    static constexpr float COYOTE_TIME = 0.12f;
    static constexpr float JUMP_BUFFER = 0.2f;
    static constexpr float TURN_SPEED = 15.0f;
    static constexpr float RIGHT_YAW = 295.0f;
    static constexpr float LEFT_YAW = 65.0f;
    static constexpr float FALL_OUT_Y = -250.0f;
    static constexpr float BOX_WIDTH = 70.0f;
    static constexpr float BOX_HEIGHT = 170.0f;
    static constexpr float CROUCHED_BOX_HEIGHT = 70.0f;
    static constexpr float STOMP_BOUNCE = 2000.0f;
    static constexpr Qel::i32 STOMP_SCORE = 1000;
    static constexpr Qel::u32 EFFECT_RING_SIZE = 10;

    enum PowerUp : Qel::u32
    {
        POWER_UP_NONE = 0,
        POWER_UP_SHIELD = 1,
        POWER_UP_GRENADE = 2,
    };

    // Clip slots.
    enum Clip : Qel::u8
    {
        CLIP_IDLE = 0,
        CLIP_WALK = 1,
        CLIP_SPRINT = 2,
        CLIP_SLIDE = 3,
        CLIP_JUMP = 4,
        CLIP_FALL = 5,
        CLIP_CROUCH = 6,
        CLIP_GROUND_POUND = 7,
        CLIP_DEATH = 10,
        CLIP_ZIPLINE = 11,
        CLIP_COUNT = 12,
    };

    Player() = default;
    Player(const Player&) = delete;
    Player& operator=(const Player&) = delete;

    // Set-up from the level's player object. aSource names the object's file in content
    // messages (values the player cannot run with are mended, each with a message).
    void Init(const Qel::Matrix4x4& aTransform, const Qel::PropertyRecord* aProperties, std::size_t aCount,
              const std::string& aSource = {});
    // One frame; true when the player died this frame.
    bool Update(GameContext& aContext);
    void Render();

    // Placement and motion.
    Qel::Vector3f GetPosition() const { return myTransform.GetTranslation(); }
    void SetPosition(const Qel::Vector3f& aPosition);
    Qel::Vector2f GetVelocity() const { return {myHorizontalVelocity, myVerticalVelocity}; }
    float GetVerticalVelocity() const { return myVerticalVelocity; }
    Box GetHitbox() const { return myHitbox; }
    float GetFacing() const { return myFacing; }
    float GetRightYaw() const { return RIGHT_YAW; }
    const Qel::Matrix4x4& GetTransform() const { return myTransform; }
    Qel::Quaternion GetRotation() const { return myRotation; }

    // States.
    bool IsGroundPounding() const { return myPounding; }
    bool IsGrounded() const { return myGrounded; }
    bool IsCrouched() const { return myCrouched; }
    bool IsDucking() const { return myDucking; }
    bool IsFalling() const { return myFalling; }
    bool CanMove() const { return myCanMove; }
    bool IsRiding() const { return myRiding; }
    bool IsRidingQuietly() const { return myRiding && myRidingQuiet; }
    bool IsStunned() const { return myStunned; }
    bool IsVulnerable() const { return myVulnerable; }
    bool IsHitPending() const { return myHitPending; }
    bool IsLocked() const { return myLocked; }
    Qel::u8 GetFloorMaterial() const { return myFloorMaterial; }
    float GetJumpBoost() const { return myJumpBoost; }
    float GetInvulnerabilityTimer() const { return myInvulnerabilityTimer; }

    // The goal and the entry zipline carry the player; quiet skips the activation sound.
    void SetRiding(bool aRiding, bool aQuiet);
    // A ride places the player itself: its rotation, swing and position (the player's own scale
    // is kept).
    void SetRideTransform(const Qel::Matrix4x4& aTransform);
    // The player runs right on its own for that long.
    void SetForcedRunTime(float aSeconds) { myForcedRunTime = aSeconds; }
    float GetForcedRunTime() const { return myForcedRunTime; }
    bool IsForcedRunning() const { return myForcedRun; }
    // Face right at once, not riding, standing still, with nothing pending from the last life.
    void ResetForRespawn();
    // Hidden and frozen (the ending cutscene); unlocking puts the power-up's look back.
    void Lock() { myLocked = true; }
    void Unlock();

    // Power-ups: 0 none, 1 shield, 2 grenade. SetPowerUp also shows its texture; the state
    // alone takes its texture on the next vulnerable frame.
    Qel::u32 GetPowerUp() const { return myPowerUp; }
    void SetPowerUp(Qel::u32 aPowerUp);
    void SetPowerUpState(Qel::u32 aPowerUp) { myPowerUp = aPowerUp; }
    Qel::Texture* GetCurrentTexture() const;

    // Lives.
    Qel::i32 GetLives() const { return myLives; }
    Qel::i32 GetMaxLives() const { return mySettings.myMaxLives; }
    void AddLife() { ++myLives; }
    void ResetLives() { myLives = mySettings.myMaxLives; }
    // Plays the game-over sound; true when no life is left.
    bool LoseLife();

    // The parts of one frame, in the order Update calls them.
    void UpdateHorizontalMovement(GameContext& aContext);
    void UpdateJump(GameContext& aContext);
    void UpdateGroundPound(GameContext& aContext);
    void UpdateDuckAndSlide(GameContext& aContext);
    void HandleEnemyContacts(GameContext& aContext);
    void ThrowGrenade(GameContext& aContext);
    bool UpdateDamage(float aDeltaTime);
    void QueueAnimation(Qel::u8 aSlot, float aBlendTime, float aSpeedScale = 0.0f);
    void UpdateAnimation(GameContext& aContext);
    void PlayFootstep();

    void LoadAnimations();
    void LoadEffects();

    const PlayerSettings& GetSettings() const { return mySettings; }
    // Takes aSettings, mended where the player cannot run with them (messages name aSource).
    void ApplySettings(const PlayerSettings& aSettings, const std::string& aSource);

    // Test access to the animation and effect state.
    const AnimationBlendQueue& GetBlendQueue() const { return myBlendQueue; }
    Qel::AnimationPlayer& GetAnimationPlayer(Qel::u8 aSlot) { return myAnimations[aSlot % CLIP_COUNT]; }
    void SetAnimationPlayer(Qel::u8 aSlot, const Qel::AnimationPlayer& aPlayer);
    const Qel::Pose& GetBlendedPose() const { return myBlendedPose; }
    const Qel::ParticleSystemInstance& GetEmitter(Qel::u32 aIndex) const { return myEmitters[aIndex % EFFECT_RING_SIZE]; }
    Qel::u64 GetEmitterIndex() const { return myEmitterIndex; }
    void SetEffects(Qel::ParticleSystem* aPound, Qel::ParticleSystem* aRun1, Qel::ParticleSystem* aRun2,
                    Qel::ParticleSystem* aJump);
    bool IsFlashing() const { return myFlashing; }
    Qel::StringId GetGrenadeDefinition() const { return myGrenadeDefinition; }

    // For the tile map's and blocks' tests: the values a sweep reads.
    void SetHitbox(const Box& aHitbox) { myHitbox = aHitbox; }
    void SetVerticalVelocity(float aVelocity) { myVerticalVelocity = aVelocity; }
    void SetHorizontalVelocity(float aVelocity) { myHorizontalVelocity = aVelocity; }
    void SetGroundPounding(bool aPounding) { myPounding = aPounding; }
    void SetHitPending() { myHitPending = true; }

private:
    void ReadProperty(const Qel::PropertyRecord& aRecord);
    void Die(GameContext& aContext);
    void SpawnEffect(Qel::ParticleSystem* aSystem, const Qel::Vector3f& aPosition);
    void ApplyRotation();
    void UpdateHitbox();
    void ShowTexture(Qel::Texture* aTexture);
    Qel::Texture* GetPowerUpTexture(Qel::u32 aPowerUp) const;
    void UpdateClipChoice();

    // The transform (position at the feet) and the model it is drawn with; the model's shaders
    // as it loaded them, and the flash shader that replaces them while invulnerable.
    Qel::Matrix4x4 myTransform;
    AnimatedModel myModel;
    Qel::ModelShader* myNormalShaders[MODEL_VISUAL_MESHES] = {};
    Qel::ModelShader* myFlashShader = nullptr;
    Qel::Texture* myGrenadeTexture = nullptr;
    Qel::Texture* myShieldTexture = nullptr;
    Qel::Texture* myNormalTexture = nullptr;
    Qel::Texture* myCurrentTexture = nullptr;
    Qel::StringId myGrenadeDefinition;
    Qel::StringId myClipPaths[CLIP_COUNT];

    Box myHitbox;
    Qel::Quaternion myRotation;
    Qel::Quaternion myTargetRotation;
    Qel::Vector3f myScale{1.0f, 1.0f, 1.0f};
    PlayerSettings mySettings;

    Qel::u32 myPowerUp = 0;
    Qel::u32 myPreviousPowerUp = 0;
    Qel::i32 myLives = DEFAULT_MAX_LIVES;
    float myAirTimer = 0.0f;
    float myInvulnerabilityTimer = 0.0f;
    float myStunTimer = 0.0f;
    float myFlashTimer = 0.1f;
    bool myHitPending = false;
    bool myVulnerable = true;
    bool myStunned = false;
    bool myFlashing = false;

    float myHorizontalVelocity = 0.0f;
    float myVerticalVelocity = 0.0f;
    float myFacing = 0.0f;
    float myFootstepTimer = 0.0f;
    bool myLeftHeld = false;
    bool myRightHeld = false;
    bool myMovedThisFrame = false;
    bool mySprinting = false;
    bool myForcedRun = false;
    float myForcedRunTime = 0.0f;

    float myJumpBoost = 0.0f;
    float myJumpPressTimer = 0.0f;
    bool myGrounded = false;
    bool myJumpAllowed = false;
    bool myFalling = false;
    bool myFallSoundOn = false;

    bool myCrouched = false;
    bool myDucking = false;
    float myDuckSoundTimer = 0.0f;
    float myRiseSoundTimer = 0.0f;

    float myAirPauseTimer = 0.0f;
    float myGroundPauseTimer = 0.0f;
    bool myPounding = false;
    bool myCanMove = true;
    bool myPoundLanded = false;
    bool myPoundOnHollow = false;

    bool myRiding = false;
    bool myRidingQuiet = false;
    bool myLocked = false;
    Qel::u8 myFloorMaterial = 0;

    Qel::AnimationPlayer myAnimations[CLIP_COUNT];
    AnimationBlendQueue myBlendQueue;
    Qel::Pose myBlendedPose;

    Qel::ParticleSystemInstance myEmitters[EFFECT_RING_SIZE];
    Qel::ParticleSystem* myPoundEffect = nullptr;
    Qel::ParticleSystem* myRun1Effect = nullptr;
    Qel::ParticleSystem* myRun2Effect = nullptr;
    Qel::ParticleSystem* myJumpEffect = nullptr;
    Qel::u64 myEmitterIndex = 0;
};
