#include "Objects/ObjectBuilders.h"

#include "GameWorld.h"
#include "Objects/ObjectProperties.h"
#include "Util/ObjectFactory.h"
#include "settings/Settings.h"

#include <cstdio>
#include <filesystem>
#include <string>

bool GameWorld::CheckInsideGrid(const char* aKind, const Qel::Matrix4x4& aTransform)
{
    const Qel::Vector3f position = aTransform.GetTranslation();
    if (TileMap::IsInside(TileMap::WorldToCell({position.x, position.y})))
        return true;
    char where[160];
    std::snprintf(where, sizeof(where), "%s at (%g, %g) lies outside the tile grid", aKind, position.x, position.y);
    myContentReport.Report("outside " + mySpawnSource + where, DescribeSource() + ": " + where + "; left out");
    return false;
}

namespace ObjectBuilders
{
void BuildGoal(GameWorld& aWorld, Qel::u32, const Qel::Matrix4x4& aTransform, const Qel::PropertyRecord* aProperties,
               std::size_t aCount)
{
    Goal& goal = AddToList(aWorld.myGoals, [&](Goal& aGoal) {
        aGoal.SetDefaultPath();
        aGoal.Init(aTransform, aProperties, aCount);
    });
    // A missing level is only found when the ride ends (the game then goes back to the menu);
    // say so while the level loads.
    const Qel::StringId next = goal.GetNextLevel();
    if (next.IsEmpty())
        return;
    std::error_code error;
    const std::filesystem::path scene = Qel::Settings::GetGameAssetsPath() / std::string(next.GetView());
    if (!std::filesystem::is_regular_file(scene, error))
        aWorld.GetContentReport().Report("next level " + aWorld.GetSpawnSource(),
                                         aWorld.DescribeSource() + ": the goal's next level \"" +
                                             std::string(next.GetView()) +
                                             "\" does not exist; finishing the level returns to the menu");
}

void BuildBatteryPickup(GameWorld& aWorld, Qel::u32, const Qel::Matrix4x4& aTransform,
                        const Qel::PropertyRecord* aProperties, std::size_t aCount)
{
    AddToList(aWorld.myBatteryPickups,
              [&](BatteryPickup& aPickup) { aPickup.Init(aTransform, aProperties, aCount); });
}

void BuildPickup(GameWorld& aWorld, Qel::u32 aTag, const Qel::Matrix4x4& aTransform,
                 const Qel::PropertyRecord* aProperties, std::size_t aCount)
{
    std::vector<Pickup>* list = &aWorld.myChestGrenadePickups;
    if (aTag == static_cast<Qel::u32>(Qel::ObjectTag::ShieldPickup))
        list = &aWorld.myShieldPickups;
    else if (aTag == static_cast<Qel::u32>(Qel::ObjectTag::LifePickup))
        list = &aWorld.myLifePickups;
    AddToList(*list, [&](Pickup& aPickup) { aPickup.Init(aTransform, aProperties, aCount); });
}

void BuildCheckpoint(GameWorld& aWorld, Qel::u32, const Qel::Matrix4x4& aTransform,
                     const Qel::PropertyRecord* aProperties, std::size_t aCount)
{
    // A respawn point outside the grid would put the player where nothing can stand.
    if (!aWorld.CheckInsideGrid("Checkpoint", aTransform))
        return;
    aWorld.myCheckpoint.Init(aTransform, aProperties, aCount);
}

void BuildChestGrenade(GameWorld& aWorld, Qel::u32, const Qel::Matrix4x4& aTransform,
                       const Qel::PropertyRecord* aProperties, std::size_t aCount)
{
    AddToList(aWorld.myChestGrenades, [&](ChestGrenade& aGrenade) {
        aGrenade.PreInit();
        aGrenade.Init(aTransform, aProperties, aCount);
    });
}

void BuildParallax(GameWorld& aWorld, Qel::u32, const Qel::Matrix4x4& aTransform,
                   const Qel::PropertyRecord* aProperties, std::size_t aCount)
{
    AddToList(
        aWorld.myParallaxLayers, [&](Parallax& aLayer) { aLayer.Init(aTransform, aProperties, aCount); },
        [](Parallax& aLayer, std::size_t) { aLayer.SetBasePosition(); });
}

void BuildEventFan(GameWorld& aWorld, Qel::u32, const Qel::Matrix4x4& aTransform,
                   const Qel::PropertyRecord* aProperties, std::size_t aCount)
{
    // Each fan sets up its own bases and sounds (a second fan must not redo the first's).
    AddToList(
        aWorld.myEventFans, [&](EventFan& aFan) { aFan.Init(aTransform, aProperties, aCount); },
        [](EventFan& aFan, std::size_t) { aFan.SetupSounds(); });
    if (aWorld.myEventFans.size() > 1)
        aWorld.GetContentReport().Report("second fan " + aWorld.GetSpawnSource(),
                                         aWorld.DescribeSource() +
                                             ": a level has one event fan; only the first shakes the camera");
}

void BuildFanTrigger(GameWorld& aWorld, Qel::u32, const Qel::Matrix4x4& aTransform,
                     const Qel::PropertyRecord* aProperties, std::size_t aCount)
{
    AddToList(
        aWorld.myFanTriggers, [&](FanTrigger& aTrigger) { aTrigger.Init(aTransform, aProperties, aCount); },
        [](FanTrigger& aTrigger, std::size_t) { aTrigger.SetupArea(); });
    if (!aWorld.myFanTriggers.back().GetArea().HasArea())
        aWorld.GetContentReport().Report("fan trigger area " + aWorld.GetSpawnSource(),
                                         aWorld.DescribeSource() +
                                             ": the fan trigger's HitboxWidth and HitboxHeight give it no area; "
                                             "it never fires");
}

void BuildEntryZipline(GameWorld& aWorld, Qel::u32, const Qel::Matrix4x4& aTransform,
                       const Qel::PropertyRecord* aProperties, std::size_t aCount)
{
    // Outside the grid the ride would leave the player where nothing can stand; the level
    // starts without it.
    if (!aWorld.CheckInsideGrid("EntryZipline", aTransform))
        return;
    AddToList(aWorld.myEntryZiplines, [&](EntryZipline& aZipline) {
        aZipline.SetDefaultPath();
        aZipline.Init(aTransform, aProperties, aCount);
    });
}

void BuildEndingCutscene(GameWorld& aWorld, Qel::u32, const Qel::Matrix4x4& aTransform,
                         const Qel::PropertyRecord* aProperties, std::size_t aCount)
{
    AddToList(
        aWorld.myEndingCutscenes, [&](EndingCutscene& aEnding) { aEnding.Init(aTransform, aProperties, aCount); },
        [](EndingCutscene& aEnding, std::size_t) { aEnding.LoadOverlay(); });
    if (ObjectProperties::FindClipPath(aProperties, aCount, "CutsceneAnimation").IsEmpty())
        aWorld.GetContentReport().Report("ending clip " + aWorld.GetSpawnSource(),
                                         aWorld.DescribeSource() +
                                             ": the ending cutscene has no \"CutsceneAnimation\" clip; it only moves "
                                             "the camera and then ends");
}

void BuildBatterySpawn(GameWorld& aWorld, Qel::u32, const Qel::Matrix4x4& aTransform, const Qel::PropertyRecord*,
                       std::size_t)
{
    AddToList(aWorld.myBatterySpawns, [&](BatterySpawn& aSpawn) { aSpawn.Init(aTransform); });
}
}
