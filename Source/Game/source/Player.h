#pragma once
#include "Box.h"
#include "core/Types.h"
#include "math/Vector.h"

struct GameContext;

// The player as the tile map, the blocks and the platforms see it: its hit box, its vertical
// velocity, whether it is pounding, and the power-up it holds. Movement, damage and animation
// are the player's own code and keep these accessors; the setters are how that code (and a
// test) puts the values here.
class Player
{
public:
    Box GetHitbox() const { return myHitbox; }
    float GetVerticalVelocity() const { return myVerticalVelocity; }
    bool IsGroundPounding() const { return myGroundPounding; }
    Qel::u32 GetPowerUp() const { return myPowerUp; }

    void SetHitbox(const Box& aHitbox) { myHitbox = aHitbox; }
    void SetVerticalVelocity(float aVelocity) { myVerticalVelocity = aVelocity; }
    void SetGroundPounding(bool aPounding) { myGroundPounding = aPounding; }
    void SetPowerUp(Qel::u32 aPowerUp) { myPowerUp = aPowerUp; }

    // What the play screen keeps of the player between lives and levels: lives, placement,
    // riding (the goal and the entry zipline carry the player), the forced run at a level's
    // start and the lock. Moving, damage and animation are the player's own Update; until that
    // lands the player stands where the level or the play screen put it, and Update reports no
    // death.
    static constexpr Qel::i32 DEFAULT_MAX_LIVES = 5;

    bool Update(GameContext& aContext);

    Qel::i32 GetLives() const { return myLives; }
    void AddLife() { ++myLives; }
    void ResetLives() { myLives = myMaxLives; }
    // One life less; true when none is left.
    bool LoseLife();

    // The position is the bottom centre of the hit box.
    Qel::Vector3f GetPosition() const { return myPosition; }
    void SetPosition(const Qel::Vector3f& aPosition);
    Qel::Vector2f GetVelocity() const { return {myHorizontalVelocity, myVerticalVelocity}; }
    float GetFacing() const { return myFacing; }

    bool IsRiding() const { return myRiding; }
    bool IsRidingQuietly() const { return myRidingQuiet; }
    void SetRiding(bool aRiding, bool aQuiet);
    bool IsStunned() const { return myStunned; }
    void SetForcedRunTime(float aSeconds) { myForcedRunTime = aSeconds; }
    float GetForcedRunTime() const { return myForcedRunTime; }
    void ResetForRespawn();
    void Lock() { myLocked = true; }
    void Unlock() { myLocked = false; }
    bool IsLocked() const { return myLocked; }

private:
    Box myHitbox;
    Qel::Vector3f myPosition;
    float myHorizontalVelocity = 0.0f;
    float myFacing = 1.0f;
    Qel::i32 myLives = DEFAULT_MAX_LIVES;
    Qel::i32 myMaxLives = DEFAULT_MAX_LIVES;
    float myForcedRunTime = 0.0f;
    bool myRiding = false;
    bool myRidingQuiet = false;
    bool myStunned = false;
    bool myLocked = false;
    float myVerticalVelocity = 0.0f;
    bool myGroundPounding = false;
    Qel::u32 myPowerUp = 0;
};
