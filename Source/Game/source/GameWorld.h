#pragma once
#include "Player.h"
#include "TileMap.h"

#include <memory>

class Hud;
class InputMapper;
namespace Qel
{
class Camera;
class InputManager;
}

class GameWorld;

// What every game object's update (and the tile map's) receives each frame.
struct GameContext
{
    GameWorld* world = nullptr;
    InputMapper* actions = nullptr;
    Qel::InputManager* input = nullptr;
    float dt = 0.0f;
    Hud* hud = nullptr;
};

// Everything that lives in a level. Only the members the tile map and its blocks use are here
// yet; the play screen adds the object lists and the factory's other kinds.
class GameWorld
{
public:
    GameWorld();
    ~GameWorld();
    GameWorld(const GameWorld&) = delete;
    GameWorld& operator=(const GameWorld&) = delete;

    Player myPlayer;
    TileMap myTileMap;
    std::unique_ptr<Qel::Camera> myCamera;
};
