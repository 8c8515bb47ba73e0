#include "GameWorld.h"

#include "math/Camera.h"

GameWorld::GameWorld() = default;
GameWorld::~GameWorld() = default;
