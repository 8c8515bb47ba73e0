// The player's frame and its moves: running, sprinting, jumping, ducking and sliding, the ground
// pound, gravity, falling out of the level and the tile sweep.
#include "AudioManager.h"
#include "GameGlobals.h"
#include "GameWorld.h"
#include "InputMapper.h"
#include "Player.h"

#include <algorithm>
#include <cmath>

namespace
{
bool Held(const GameContext& aContext, Qel::u32 aAction)
{
    return aContext.actions && aContext.actions->IsActionHeld(aAction);
}

bool Pressed(const GameContext& aContext, Qel::u32 aAction)
{
    return aContext.actions && aContext.actions->IsActionPressed(aAction);
}

// Moves aValue toward 0 by aStep without crossing it.
float TowardZero(float aValue, float aStep)
{
    if (aValue > 0.0f)
        return std::max(aValue - aStep, 0.0f);
    if (aValue < 0.0f)
        return std::min(aValue + aStep, 0.0f);
    return aValue;
}

constexpr float CLIP_BLEND = 0.1f;
constexpr float SLIDE_BLEND = 0.05f;
constexpr float WALK_SPEED_SCALE = 0.004f;
constexpr float SPRINT_SPEED_SCALE = 0.002f;
constexpr float SOUND_REPEAT = 0.2f;
}

bool Player::Update(GameContext& aContext)
{
    const float dt = aContext.dt;

    for (Qel::ParticleSystemInstance& emitter : myEmitters)
        if (emitter.IsAlive())
            emitter.Update(dt);

    if (myVerticalVelocity < 0.0f)
        myAirTimer += dt;
    else
        myAirTimer = 0.0f;

    if (myRiding || myLocked)
    {
        QueueAnimation(CLIP_ZIPLINE, CLIP_BLEND);
        UpdateAnimation(aContext);
        return false;
    }

    if (myForcedRunTime > 0.0f)
    {
        myForcedRunTime -= dt;
        myForcedRun = myForcedRunTime > 0.0f;
    }

    // A press is remembered in every frame, so that a press made while falling can start the
    // jump on landing (the jump itself only runs near the ground).
    myJumpPressTimer += dt;
    if (Pressed(aContext, ACTION_JUMP))
        myJumpPressTimer = 0.0f;

    if (!myPounding)
    {
        if (myCanMove)
            UpdateHorizontalMovement(aContext);
        myRotation = Qel::Quaternion::Slerp(myRotation, myTargetRotation, std::min(TURN_SPEED * dt, 1.0f));
        ApplyRotation();
        UpdateJump(aContext);
    }

    UpdateGroundPound(aContext);

    if (!myPounding)
        UpdateDuckAndSlide(aContext);

    HandleEnemyContacts(aContext);
    if (myPowerUp == POWER_UP_GRENADE)
        ThrowGrenade(aContext);

    myVerticalVelocity -= GRAVITY * dt;

    if (GetPosition().y < FALL_OUT_Y)
    {
        Die(aContext);
        return true;
    }

    const bool died = UpdateDamage(dt);

    if (!myCanMove)
    {
        myHorizontalVelocity = 0.0f;
        myVerticalVelocity = 0.0f;
    }

    if (!myStunned && aContext.world)
    {
        const TileMoveResult move =
            aContext.world->myTileMap.SweepPlayerBox(*this, myHorizontalVelocity * dt, myVerticalVelocity * dt);
        const Qel::Vector3f p = GetPosition();
        myTransform.SetTranslation({p.x + move.myDx, p.y + move.myDy, p.z});
        myModel.SetTransform(myTransform);
        if (move.myHitX != 0)
            myHorizontalVelocity = 0.0f;
        if (move.myHitY != 0)
            myVerticalVelocity = 0.0f;
        if (move.myHitY < 0)
        {
            myFloorMaterial = move.mySurfaceMaterial;
            myGrounded = true;
            myJumpAllowed = true;
            if (myPounding)
                myPoundOnHollow = myFloorMaterial == TILE_MATERIAL_HOLLOW;
        }
    }

    const bool falling = !myGrounded && !myPounding && myVerticalVelocity < 0.0f;
    if (falling && !myFalling)
    {
        GetAudioManager().PlaySfx(SFX_FALL);
        myFallSoundOn = true;
    }
    else if (!falling && myFalling)
    {
        myFallSoundOn = false;
        GetAudioManager().PlayRandomSfx(SFX_LAND_1, SFX_LAND_2);
        GetAudioManager().StopSfx(SFX_FALL);
    }
    myFalling = falling;

    UpdateHitbox();
    UpdateClipChoice();
    UpdateAnimation(aContext);
    return died;
}

void Player::UpdateClipChoice()
{
    if (myHorizontalVelocity == 0.0f && myVerticalVelocity == 0.0f && myGrounded && !myCrouched && !myPounding &&
        myVulnerable)
    {
        QueueAnimation(CLIP_IDLE, CLIP_BLEND);
    }
    else if (myVerticalVelocity > 0.0f && !myCrouched && !myPounding)
    {
        QueueAnimation(CLIP_JUMP, CLIP_BLEND);
    }
    else if (myVerticalVelocity < 0.0f && !myPounding)
    {
        QueueAnimation(CLIP_FALL, CLIP_BLEND);
    }
    else if (std::fabs(myHorizontalVelocity) > 0.0f && myMovedThisFrame && myLeftHeld != myRightHeld && myGrounded)
    {
        const float along = myRightHeld ? myHorizontalVelocity : -myHorizontalVelocity;
        if (mySprinting && along > mySettings.myMaxWalkSpeed)
            QueueAnimation(CLIP_SPRINT, CLIP_BLEND, SPRINT_SPEED_SCALE);
        else if (along > 0.0f)
            QueueAnimation(CLIP_WALK, CLIP_BLEND, WALK_SPEED_SCALE);
    }
}

void Player::UpdateHorizontalMovement(GameContext& aContext)
{
    const float dt = aContext.dt;
    const PlayerSettings& s = mySettings;
    myRightHeld = Held(aContext, ACTION_MOVE_RIGHT) || myForcedRun;
    myLeftHeld = Held(aContext, ACTION_MOVE_LEFT);
    myMovedThisFrame = false;
    mySprinting = Held(aContext, ACTION_SPRINT) && !myDucking;
    float& v = myHorizontalVelocity;

    if (myRightHeld && !myLeftHeld && !myDucking)
    {
        if (v > 0.0f)
        {
            myTargetRotation = Qel::Quaternion::FromEulerDegrees({0.0f, RIGHT_YAW, 0.0f});
            myFacing = 1.0f;
        }
        if (mySprinting && v >= s.myMaxWalkSpeed)
        {
            v = s.mySprintAcceleration > 0.0f ? std::min(v + s.mySprintAcceleration * dt, s.myMaxSprintSpeed)
                                              : s.myMaxSprintSpeed;
        }
        else
        {
            v += s.myWalkAcceleration * dt;
            if (v > s.myMaxWalkSpeed)
                v = std::max(v - 2.0f * s.myGroundResistance * dt, s.myMaxWalkSpeed);
            else if (v < 0.0f)
                v += s.myGroundResistance * dt;
        }
        myMovedThisFrame = true;
    }
    else if (myLeftHeld && !myRightHeld && !myDucking)
    {
        if (v < 0.0f)
        {
            myTargetRotation = Qel::Quaternion::FromEulerDegrees({0.0f, LEFT_YAW, 0.0f});
            myFacing = -1.0f;
        }
        if (mySprinting && v <= -s.myMaxWalkSpeed)
        {
            v = s.mySprintAcceleration > 0.0f ? std::max(v - s.mySprintAcceleration * dt, -s.myMaxSprintSpeed)
                                              : -s.myMaxSprintSpeed;
        }
        else
        {
            v -= s.myWalkAcceleration * dt;
            if (v < -s.myMaxWalkSpeed)
                v = std::min(v + 2.0f * s.myGroundResistance * dt, -s.myMaxWalkSpeed);
            else if (v > 0.0f)
                v -= s.myGroundResistance * dt;
        }
        myMovedThisFrame = true;
    }

    if (!myMovedThisFrame && myGrounded)
    {
        v = TowardZero(v, s.myGroundResistance * dt);
        if (std::fabs(v) > s.myMaxWalkSpeed)
            QueueAnimation(CLIP_SLIDE, SLIDE_BLEND);
    }
}

void Player::UpdateJump(GameContext& aContext)
{
    if (!(myAirTimer < COYOTE_TIME))
        return;
    const float dt = aContext.dt;
    const bool held = Held(aContext, ACTION_JUMP);
    if (held && myJumpAllowed && !myDucking)
    {
        if (myGrounded && myJumpPressTimer < JUMP_BUFFER)
        {
            GetAudioManager().PlayRandomSfx(SFX_JUMP_1, SFX_JUMP_2);
            const Qel::Vector3f p = GetPosition();
            SpawnEffect(myJumpEffect, {p.x, p.y + 50.0f, p.z});
            myVerticalVelocity = mySettings.myBaseJumpForce;
            myJumpBoost = mySettings.myJumpForce;
            myGrounded = false;
        }
        if (myJumpBoost >= mySettings.myMinJumpResistance)
        {
            myVerticalVelocity += myJumpBoost * dt;
            myJumpBoost -= mySettings.myJumpResistance * dt;
        }
        else
        {
            myJumpBoost = 0.0f;
            myJumpAllowed = false;
        }
    }
    else if (!held && !myGrounded)
    {
        myJumpAllowed = false;
    }
}

void Player::UpdateDuckAndSlide(GameContext& aContext)
{
    const float dt = aContext.dt;
    myDuckSoundTimer += dt;
    myRiseSoundTimer += dt;
    const bool wasCrouched = myCrouched;

    if (myGrounded && Held(aContext, ACTION_CROUCH))
    {
        if (myHorizontalVelocity != 0.0f)
        {
            myCrouched = false;
            myDucking = true;
            myHorizontalVelocity = TowardZero(myHorizontalVelocity, mySettings.myCrouchResistance * dt);
        }
        else
        {
            if (!myCrouched && myDuckSoundTimer >= SOUND_REPEAT)
            {
                GetAudioManager().PlaySfx(SFX_DUCK);
                myDuckSoundTimer = 0.0f;
            }
            QueueAnimation(CLIP_CROUCH, CLIP_BLEND);
            myCrouched = true;
            myDucking = true;
        }
    }
    else
    {
        myCrouched = false;
        myDucking = false;
    }

    // Standing up under a low ceiling would push the player up through it: stay down instead.
    if (wasCrouched && !myCrouched && aContext.world)
    {
        const Qel::Vector3f p = GetPosition();
        const Box standing(p.x, p.y + BOX_HEIGHT / 2, BOX_WIDTH, BOX_HEIGHT);
        if (aContext.world->myTileMap.SweepBox(standing, 0.0f, 0.0f).myHitY != 0)
        {
            myCrouched = true;
            myDucking = true;
        }
    }

    if (wasCrouched && !myCrouched && myRiseSoundTimer >= SOUND_REPEAT)
    {
        GetAudioManager().PlaySfx(SFX_RISE);
        myRiseSoundTimer = 0.0f;
    }
}

void Player::UpdateGroundPound(GameContext& aContext)
{
    const float dt = aContext.dt;
    myCanMove = true;
    if (!myGrounded && !myPounding && Pressed(aContext, ACTION_GROUND_POUND))
    {
        GetAudioManager().PlaySfx(SFX_GROUND_POUND_ACTIVATE);
        myPounding = true;
    }
    if (!myPounding)
        return;

    const bool held = Held(aContext, ACTION_GROUND_POUND);
    if (myAirPauseTimer < mySettings.myAirPauseDuration)
    {
        myAirPauseTimer += dt;
        myCanMove = false;
    }
    else if (myGroundPauseTimer < mySettings.myGroundPauseDuration && myGrounded)
    {
        if (myGroundPauseTimer == 0.0f)
        {
            if (aContext.actions)
                aContext.actions->AddRumble(0.5f, 0.5f, 0.3f);
            GetAudioManager().PlaySfx(SFX_GROUND_POUND_LAND);
            const Qel::Vector3f p = GetPosition();
            SpawnEffect(myPoundEffect, {p.x, p.y + 25.0f, p.z - 100.0f});
        }
        myGroundPauseTimer += dt;
        myCanMove = false;
        myPoundLanded = true;
    }
    else if (myGroundPauseTimer >= mySettings.myGroundPauseDuration && !held)
    {
        myPounding = false;
        myAirPauseTimer = 0.0f;
        myGroundPauseTimer = 0.0f;
        myPoundLanded = false;
    }
    else if (myPoundLanded && myGroundPauseTimer >= mySettings.myGroundPauseDuration && held && myPoundOnHollow)
    {
        myGroundPauseTimer = 0.0f;
        myGrounded = false;
        myPoundLanded = false;
    }
    else
    {
        myVerticalVelocity = -mySettings.myPoundForce;
        myPoundLanded = false;
    }
    QueueAnimation(CLIP_GROUND_POUND, CLIP_BLEND);
}

void Player::Die(GameContext& aContext)
{
    myPowerUp = POWER_UP_NONE;
    ShowTexture(myNormalTexture);
    GetAudioManager().StopSfx(SFX_FALL);
    if (aContext.actions)
        aContext.actions->AddRumble(0.5f, 0.5f, 0.5f);
    GetAudioManager().PlaySfx(SFX_UI_GAME_OVER);
    --myLives;
    myVulnerable = true;
    // A touch in this frame, or the stun of an earlier one, is not carried into the next life.
    myHitPending = false;
    myStunned = false;
    myStunTimer = 0.0f;
    myInvulnerabilityTimer = 0.0f;
    myCanMove = true;
    myFalling = false;
    myFallSoundOn = false;
}
