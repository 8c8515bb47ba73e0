// The object factory: a scene object (its transform and merged property list) becomes a game
// object by its ObjectTag. Each kind has one row in the table below, and every row a builder.
#include "GameWorld.h"
#include "Util/ObjectFactory.h"

#include "particles/ParticleSystemLoader.h"
#include "Objects/ObjectBuilders.h"

#include "scene/PropertyTypes.h"
#include "scene/PropertyValue.h"

#include <cstdio>
#include <string>

namespace
{
using BuildObject = void (*)(GameWorld& aWorld, Qel::u32 aTag, const Qel::Matrix4x4& aTransform,
                             const Qel::PropertyRecord* aProperties, std::size_t aCount);

void BuildTile(GameWorld& aWorld, Qel::u32 aTag, const Qel::Matrix4x4& aTransform,
               const Qel::PropertyRecord* aProperties, std::size_t aCount)
{
    aWorld.myTileMap.AddTileFromSceneObject(aTransform, aProperties, aCount, aTag);
}

void BuildPlayer(GameWorld& aWorld, Qel::u32, const Qel::Matrix4x4& aTransform,
                 const Qel::PropertyRecord* aProperties, std::size_t aCount)
{
    aWorld.myPlayer.Init(aTransform, aProperties, aCount, aWorld.GetSpawnSource());
    aWorld.myPlayer.Unlock();
}

void BuildScenery(GameWorld& aWorld, Qel::u32, const Qel::Matrix4x4& aTransform,
                  const Qel::PropertyRecord* aProperties, std::size_t aCount)
{
    aWorld.CreateDefaultObject(aTransform, aProperties, aCount);
}

void BuildMiniOwl(GameWorld& aWorld, Qel::u32, const Qel::Matrix4x4& aTransform,
                  const Qel::PropertyRecord* aProperties, std::size_t aCount)
{
    AddToList(
        aWorld.myMiniOwls,
        [&](MiniOwl& aOwl) {
            aOwl.Init(aTransform, aProperties, aCount, &aWorld.GetContentReport(), aWorld.GetSpawnSource());
        },
        [](MiniOwl& aOwl, std::size_t aIndex) { aOwl.SetListIndex(aIndex); });
}

void BuildFlyingMiniOwl(GameWorld& aWorld, Qel::u32, const Qel::Matrix4x4& aTransform,
                        const Qel::PropertyRecord* aProperties, std::size_t aCount)
{
    AddToList(
        aWorld.myFlyingMiniOwls,
        [&](FlyingMiniOwl& aOwl) {
            aOwl.Init(aTransform, aProperties, aCount, &aWorld.GetContentReport(), aWorld.GetSpawnSource());
        },
        [](FlyingMiniOwl& aOwl, std::size_t aIndex) { aOwl.SetListIndex(aIndex); });
}

void BuildBeetleTank(GameWorld& aWorld, Qel::u32, const Qel::Matrix4x4& aTransform,
                     const Qel::PropertyRecord* aProperties, std::size_t aCount)
{
    AddToList(
        aWorld.myBeetleTanks,
        [&](BeetleTank& aTank) {
            aTank.Init(aTransform, aProperties, aCount, &aWorld.GetContentReport(), aWorld.GetSpawnSource());
        },
        [](BeetleTank& aTank, std::size_t aIndex) { aTank.SetListIndex(aIndex); });
}

void BuildPipeMole(GameWorld& aWorld, Qel::u32, const Qel::Matrix4x4& aTransform,
                   const Qel::PropertyRecord* aProperties, std::size_t aCount)
{
    AddToList(
        aWorld.myPipeMoles,
        [&](PipeMole& aMole) {
            aMole.Init(aTransform, aProperties, aCount, &aWorld.GetContentReport(), aWorld.GetSpawnSource());
        },
        [](PipeMole& aMole, std::size_t) { aMole.SetTimers(); });
}

struct ObjectKind
{
    const char* myName;
    BuildObject myBuild;
};

// By tag, 0 to 23.
constexpr ObjectKind KINDS[Qel::OBJECT_TAG_COUNT] = {
    {"Default", &BuildScenery},
    {"Player", &BuildPlayer},
    {"Goal", &ObjectBuilders::BuildGoal},
    {"EnemyMiniOwl", &BuildMiniOwl},
    {"EnemyPipeMole", &BuildPipeMole},
    {"EnemyBeetletank", &BuildBeetleTank},
    {"EnemyFlyingMiniOwl", &BuildFlyingMiniOwl},
    {"BlockBreakable", &BuildTile},
    {"BlockLucky", &BuildTile},
    {"BlockIndestructible", &BuildTile},
    {"PlatformMoving", &BuildTile},
    {"BatteryPickup", &ObjectBuilders::BuildBatteryPickup},
    {"ChestGrenadePickup", &ObjectBuilders::BuildPickup},
    {"ShieldPickup", &ObjectBuilders::BuildPickup},
    {"LifePickup", &ObjectBuilders::BuildPickup},
    {"Checkpoint", &ObjectBuilders::BuildCheckpoint},
    {"ChestGrenade", &ObjectBuilders::BuildChestGrenade},
    {"RotatingFireBar", &BuildScenery},
    {"Parallax", &ObjectBuilders::BuildParallax},
    {"EventFan", &ObjectBuilders::BuildEventFan},
    {"FanTrigger", &ObjectBuilders::BuildFanTrigger},
    {"EntryZipline", &ObjectBuilders::BuildEntryZipline},
    {"EndingCutscene", &ObjectBuilders::BuildEndingCutscene},
    {"BatterySpawn", &ObjectBuilders::BuildBatterySpawn},
};

constexpr bool EveryKindHasABuilder()
{
    for (const ObjectKind& kind : KINDS)
        if (!kind.myName || !kind.myBuild)
            return false;
    return true;
}
static_assert(EveryKindHasABuilder(), "every object tag needs a name and a builder");

}

const char* GameWorld::GetKindName(Qel::i32 aTag)
{
    return aTag >= 0 && aTag < Qel::OBJECT_TAG_COUNT ? KINDS[aTag].myName : "Default";
}

bool GameWorld::IsKindBuilt(Qel::i32 aTag)
{
    return aTag < 0 || aTag >= Qel::OBJECT_TAG_COUNT || KINDS[aTag].myBuild != nullptr;
}

void GameWorld::CreateObject(const Qel::Matrix4x4& aTransform, const Qel::PropertyRecord* aProperties,
                             std::size_t aCount)
{
    const Qel::i32 tag = ReadObjectTag(aProperties, aCount);
    const bool isTile = tag >= static_cast<Qel::i32>(Qel::ObjectTag::BlockBreakable) &&
                        tag <= static_cast<Qel::i32>(Qel::ObjectTag::PlatformMoving);
    // A test may take every kind but the blocks (which the tile map builds) for its own.
    if (myCreateOtherKind && !isTile)
    {
        myCreateOtherKind(tag, aTransform, aProperties, aCount);
        return;
    }
    // Tags outside the table are scenery, as Default is.
    if (tag < 0 || tag >= Qel::OBJECT_TAG_COUNT)
    {
        myContentReport.Report("unknown tag " + std::to_string(tag),
                               DescribeSource() + ": object tag " + std::to_string(tag) +
                                   " is no known kind; the object is plain scenery");
        CreateDefaultObject(aTransform, aProperties, aCount);
        return;
    }
    const ObjectKind& kind = KINDS[tag];
    if (isTile)
    {
        const Qel::Vector3f position = aTransform.GetTranslation();
        if (!TileMap::IsInside(TileMap::WorldToCell({position.x, position.y})))
        {
            char where[160];
            std::snprintf(where, sizeof(where), "%s at (%g, %g) lies outside the tile grid", kind.myName, position.x,
                          position.y);
            myContentReport.Report("outside " + mySpawnSource + where, DescribeSource() + ": " + where + "; left out");
            return;
        }
    }
    kind.myBuild(*this, static_cast<Qel::u32>(tag), aTransform, aProperties, aCount);
}

void GameWorld::CreateDefaultObject(const Qel::Matrix4x4& aTransform, const Qel::PropertyRecord* aProperties,
                                    std::size_t aCount)
{
    const Qel::PropertyTypeBase* modelType = Qel::GetPropertyType<Qel::ModelValue>();
    const Qel::PropertyTypeBase* particleType = Qel::GetPropertyType<Qel::ParticleSystemValue>();
    for (std::size_t i = 0; i < aCount; ++i)
    {
        const Qel::PropertyRecord& record = aProperties[i];
        if (record.myType == modelType)
        {
            if (const Qel::ModelValue* model = record.myValue.TryGet<Qel::ModelValue>())
            {
                ModelVisual& visual = myGenericModels.emplace_back();
                SetupModelInstance(visual, model->Get(), aTransform);
                ReportModelProblem(visual, model->Get());
            }
        }
        else if (record.myType == particleType)
        {
            const Qel::ParticleSystemValue* reference = record.myValue.TryGet<Qel::ParticleSystemValue>();
            if (!reference)
                continue;
            // An empty path names no file: no emitter (a missing file still runs the default system).
            const Qel::StringId path = reference->Get().myPath;
            if (path.IsEmpty())
            {
                myContentReport.Report("empty particles " + mySpawnSource,
                                       DescribeSource() + ": the particle system \"" +
                                           std::string(record.myName.GetView()) + "\" names no file; left out");
                continue;
            }
            Qel::ParticleSystemInstance& emitter = myGenericParticles.emplace_back();
            emitter.Init(Qel::ParticleSystemLoader::Get(path), aTransform);
        }
    }
}

std::string GameWorld::DescribeSource() const
{
    return mySpawnSource.empty() ? std::string("an object made during play") : mySpawnSource;
}

void GameWorld::ReportModelProblem(const ModelVisual& aVisual, const Qel::SceneModel& aModel)
{
    if (aModel.myPath.IsEmpty() || aVisual.HasModel())
        return;
    const std::string path(aModel.myPath.GetView());
    myContentReport.Report("model " + path,
                           DescribeSource() + ": the model \"" + path + "\" cannot be loaded; the object is not drawn");
}
