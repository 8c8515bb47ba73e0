#include "Objects/Pickup.h"

#include "GameWorld.h"

void Pickup::Init(const Qel::Matrix4x4& aTransform, const Qel::PropertyRecord* aProperties, std::size_t aCount)
{
    InitPickupVisual(myModel, myBox, mySplashSystem, aTransform, aProperties, aCount);
}

void Pickup::Update(const GameContext& aContext)
{
    const float dt = aContext.dt;
    myVerticalVelocity -= GRAVITY * dt;
    TileMoveResult move{0.0f, myVerticalVelocity * dt};
    if (aContext.world)
        move = aContext.world->myTileMap.SweepBox(myBox, 0.0f, myVerticalVelocity * dt);
    Qel::Vector3f position = myModel.GetPosition();
    position.x += move.myDx;
    position.y += move.myDy;
    myModel.SetPosition(position);
    if (move.myHitY != 0)
        myVerticalVelocity = 0.0f;
    myBox.SetPosition({position.x, position.y});
    if (myCollected)
        mySplash.Update(dt);
}

void Pickup::Collect()
{
    myCollected = 1;
    StartPickupSplash(mySplash, mySplashSystem, GetPosition());
}

void Pickup::Render()
{
    RenderPickup(myModel, mySplash, myCollected != 0);
}
