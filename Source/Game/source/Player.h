#pragma once
#include "Box.h"
#include "core/Types.h"

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

private:
    Box myHitbox;
    float myVerticalVelocity = 0.0f;
    bool myGroundPounding = false;
    Qel::u32 myPowerUp = 0;
};
