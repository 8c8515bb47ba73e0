#pragma once
#include "EnemyContacts.h"
#include "ModelVisual.h"
#include "Objects/BatteryPickup.h"
#include "Objects/BeetleTank.h"
#include "Objects/BatterySpawn.h"
#include "Objects/Checkpoint.h"
#include "Objects/ChestGrenade.h"
#include "Objects/EndingCutscene.h"
#include "Objects/EntryZipline.h"
#include "Objects/EventFan.h"
#include "Objects/FanTrigger.h"
#include "Objects/FlyingMiniOwl.h"
#include "Objects/Goal.h"
#include "Objects/GrenadeTargets.h"
#include "Objects/MiniOwl.h"
#include "Objects/Parallax.h"
#include "Objects/Pickup.h"
#include "Objects/PipeMole.h"
#include "Player.h"
#include "TileMap.h"
#include "TileStandingEnemies.h"
#include "Util/ContentReport.h"

#include "drawers/SpriteDrawer.h"
#include "particles/ParticleSystemInstance.h"
#include "graphics/SpriteShader.h"

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

// Everything that lives in a level: the player, the tile map, one list per kind of object, the
// plain scenery, the world camera and the full-screen vignette. The play screen holds one for
// the whole run and empties it before each load. Lists hold their records by value and keep
// their order when an element is erased.
//
// Every tag has a row with a builder in the factory's table (GameWorldFactory.cpp); a new kind
// adds its list at its place in the order below, its row there, and its calls in the play
// screen's update and render.
class GameWorld
{
public:
    // Builds the non-tile kinds in place of the factory's own builders (tests plug small kinds in).
    using OtherKindFactory = std::function<void(Qel::i32 aTag, const Qel::Matrix4x4& aTransform,
                                                const Qel::PropertyRecord* aProperties, std::size_t aCount)>;
    // Shows a breaking block's pieces: aModel (may be null) at aTransform, playing aClipPath once.
    using BlockBreakEffectSpawner = std::function<void(const Qel::CopyOnWriteWrapper<Qel::SceneModel>* aModel,
                                                       const Qel::Matrix4x4& aTransform, const std::string& aClipPath)>;

    GameWorld();
    ~GameWorld();
    GameWorld(const GameWorld&) = delete;
    GameWorld& operator=(const GameWorld&) = delete;

    // The object factory: one scene object (its world transform and merged property list) made
    // into a game object by its ObjectTag. Also used while a level runs (drops, grenades).
    void CreateObject(const Qel::Matrix4x4& aTransform, const Qel::PropertyRecord* aProperties, std::size_t aCount);
    // Plain scenery: every model of the list becomes a generic model, every particle system a
    // generic emitter.
    void CreateDefaultObject(const Qel::Matrix4x4& aTransform, const Qel::PropertyRecord* aProperties,
                             std::size_t aCount);

    // Empties every object list and the tile map and readies the player for a new level.
    void ClearLevel();
    // Stops and releases every enemy's own sounds (the level is being left).
    void StopEnemySounds();

    // Which file the objects being created come from, named in the content messages; empty
    // for objects made while the level runs.
    void SetSpawnSource(std::string aSource) { mySpawnSource = std::move(aSource); }
    const std::string& GetSpawnSource() const { return mySpawnSource; }
    ContentReport& GetContentReport() { return myContentReport; }
    // The factory's name of a tag, and whether the tag has a builder (every row has one, checked
    // when the table compiles; tags outside the table are scenery).
    static const char* GetKindName(Qel::i32 aTag);
    static bool IsKindBuilt(Qel::i32 aTag);
    // Whether the position lies in the tile grid (objects placed outside it are reported).
    bool CheckInsideGrid(const char* aKind, const Qel::Matrix4x4& aTransform);
    std::string DescribeSource() const;

    Player myPlayer;
    TileMap myTileMap;
    // One per level; kept through a reload of the same level (a respawn), cleared otherwise.
    Checkpoint myCheckpoint;
    std::vector<EventFan> myEventFans;
    std::vector<FanTrigger> myFanTriggers;
    std::vector<EndingCutscene> myEndingCutscenes;
    std::unique_ptr<Qel::Camera> myCamera;
    std::vector<ModelVisual> myGenericModels;
    std::vector<Qel::ParticleSystemInstance> myGenericParticles;
    std::vector<MiniOwl> myMiniOwls;
    std::vector<FlyingMiniOwl> myFlyingMiniOwls;
    std::vector<BeetleTank> myBeetleTanks;
    std::vector<Goal> myGoals;
    std::vector<EntryZipline> myEntryZiplines;
    std::vector<BatteryPickup> myBatteryPickups;
    std::vector<BatterySpawn> myBatterySpawns;
    std::vector<Pickup> myChestGrenadePickups;
    std::vector<Pickup> myShieldPickups;
    std::vector<Pickup> myLifePickups;
    std::vector<ChestGrenade> myChestGrenades;
    std::vector<PipeMole> myPipeMoles;
    std::vector<Parallax> myParallaxLayers;
    Qel::Sprite2DInstanceData myVignetteSprite;
    Qel::SpriteSharedData myVignetteBatchData;

    // The enemy lists a bumped block reaches, in the order it walks them: walking owls, flying
    // owls, beetle tanks. Each enemy kind adds its list here.
    std::vector<std::unique_ptr<TileStandingEnemies>> myTileStandingEnemies;
    // When set, every non-tile kind goes here instead of to its builder.
    OtherKindFactory myCreateOtherKind;
    // The enemy lists a thrown grenade hits, by GrenadeTargetKind; each enemy kind sets its own.
    std::unique_ptr<GrenadeTargets> myGrenadeTargets[GRENADE_TARGET_KIND_COUNT];
    BlockBreakEffectSpawner mySpawnBlockBreakEffect;
    // The enemy lists the player's contact pass walks, by EnemyContactKind; each enemy kind sets
    // its own. The thrown grenades not exploded yet; the grenade kind sets it (unset: none).
    std::unique_ptr<EnemyContacts> myEnemyContacts[ENEMY_CONTACT_KIND_COUNT];
    std::function<std::size_t()> myCountLiveGrenades;

private:
    void ReportModelProblem(const ModelVisual& aVisual, const Qel::SceneModel& aModel);

    std::string mySpawnSource;
    ContentReport myContentReport;
};

// The tag of a property list: the first record declared as an object tag (its name is not
// looked at); 0 when none, or when that record holds another type.
Qel::i32 ReadObjectTag(const Qel::PropertyRecord* aProperties, std::size_t aCount);
