#include "GameWorld.h"

#include "math/Camera.h"

GameWorld::GameWorld()
{
    myVignetteSprite.myPivot = {0.5f, 0.5f};
}

GameWorld::~GameWorld() = default;

void GameWorld::ClearLevel()
{
    myGenericModels.clear();
    myTileMap.Clear();
    myPlayer.ResetForRespawn();
}
