#pragma once
#include "Player.h"
#include "TileMap.h"
#include "TileStandingEnemies.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class Hud;
class InputMapper;
namespace Qel
{
class Camera;
class InputManager;
struct PropertyRecord;
struct SceneModel;
template <class T>
class CopyOnWriteWrapper;
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

// Everything that lives in a level. Only what the tile map, its blocks and platforms use is
// here yet; the play screen adds the object lists and the factory's other kinds.
class GameWorld
{
public:
    // Builds an object kind the world does not build itself (aTag as read from the properties).
    using OtherKindFactory = std::function<void(Qel::i32 aTag, const Qel::Matrix4x4& aTransform,
                                                const Qel::PropertyRecord* aProperties, std::size_t aCount)>;
    // Shows a breaking block's pieces: aModel (may be null) at aTransform, playing aClipPath once.
    using BlockBreakEffectSpawner = std::function<void(const Qel::CopyOnWriteWrapper<Qel::SceneModel>* aModel,
                                                       const Qel::Matrix4x4& aTransform, const std::string& aClipPath)>;

    GameWorld();
    ~GameWorld();
    GameWorld(const GameWorld&) = delete;
    GameWorld& operator=(const GameWorld&) = delete;

    // Turns one scene object into a game object by its object tag. Blocks and platforms go to
    // the tile map; every other kind to myCreateOtherKind, or, without one, is reported once
    // per tag and skipped.
    void CreateObject(const Qel::Matrix4x4& aTransform, const Qel::PropertyRecord* aProperties, std::size_t aCount);

    Player myPlayer;
    TileMap myTileMap;
    std::unique_ptr<Qel::Camera> myCamera;
    // The enemy lists a bumped block reaches, in the order it walks them: walking owls, flying
    // owls, beetle tanks. Each enemy kind adds its list here.
    std::vector<std::unique_ptr<TileStandingEnemies>> myTileStandingEnemies;
    OtherKindFactory myCreateOtherKind;
    BlockBreakEffectSpawner mySpawnBlockBreakEffect;

private:
    std::vector<Qel::i32> myReportedKinds;
};

// The tag of a property list: the first record declared as an object tag (0 when none).
Qel::i32 ReadObjectTag(const Qel::PropertyRecord* aProperties, std::size_t aCount);
