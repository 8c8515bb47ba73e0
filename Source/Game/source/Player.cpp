#include "Player.h"

bool Player::Update(GameContext& aContext)
{
    (void)aContext;
    return false;
}

bool Player::LoseLife()
{
    --myLives;
    return myLives < 1;
}

void Player::SetPosition(const Qel::Vector3f& aPosition)
{
    myPosition = aPosition;
    myHitbox.SetPosition({aPosition.x, aPosition.y + myHitbox.GetSize().y / 2.0f});
}

void Player::SetRiding(bool aRiding, bool aQuiet)
{
    myRiding = aRiding;
    myRidingQuiet = aRiding && aQuiet;
    if (!aRiding)
    {
        myHorizontalVelocity = 0.0f;
        myVerticalVelocity = 0.0f;
    }
}

void Player::ResetForRespawn()
{
    myFacing = 1.0f;
    myRiding = false;
    myRidingQuiet = false;
    myHorizontalVelocity = 0.0f;
    myVerticalVelocity = 0.0f;
}
