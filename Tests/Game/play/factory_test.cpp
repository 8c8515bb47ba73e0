// The object factory by tag, on the gameplay fixture's world: which list each tag reaches,
// scenery from every model and particle record, kinds not built yet reported once, and the way a
// listed kind's record is made.
#include "GameplayFixture.h"
#include "Util/ObjectFactory.h"

#include "scene/PropertyTypes.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <functional>
#include <string>

using GameplayTest::At;
using GameplayTest::Props;

namespace
{
int CountContaining(const ContentReport& aReport, const std::string& aText)
{
    int count = 0;
    for (const std::string& message : aReport.GetMessages())
        count += message.find(aText) != std::string::npos ? 1 : 0;
    return count;
}

TEST(ObjectFactory, EveryTagReachesItsKind)
{
    GameplayTest::GameplayFixture game;
    GameWorld& world = game.myWorld;
    world.SetSpawnSource("level: object");
    for (int tag = 0; tag <= 25; ++tag)
    {
        const size_t models = world.myGenericModels.size();
        const size_t messages = world.GetContentReport().GetMessages().size();
        const float x = 100.0f * static_cast<float>(tag);
        Props props = Props().Add("Kind", static_cast<Qel::ObjectTag>(tag)).Model("");
        if (tag == 10)
            props.Float("HitboxWidth", 200.0f).Float("Acceleration", 100.0f).Float("Deacceleration", 100.0f).Float("MaxSpeed", 100.0f);
        world.CreateObject(At(x, 0.0f), props.Data(), props.Count());
        world.CreateObject(At(x, 500.0f), props.Data(), props.Count());   // a second of the same kind

        const bool scenery = tag == 0 || tag == 17 || tag >= 24;
        const bool block = tag >= 7 && tag <= 9;
        EXPECT_EQ(world.myGenericModels.size() - models, scenery ? 2u : 0u) << tag;
        EXPECT_EQ(world.myTileMap.IsSolid(TileMap::WorldToCell({x, 0.0f})), block) << tag;
        // Every other kind has a list of its own (its content messages aside).
        const size_t reported = world.GetContentReport().GetMessages().size() - messages;
        // Unknown tags are reported once, however many objects of them come.
        if (scenery || block || tag == 10)
        {
            EXPECT_EQ(reported, tag >= 24 ? 1u : 0u) << tag;
        }
        EXPECT_EQ(CountContaining(world.GetContentReport(), "(tag " + std::to_string(tag) + ") are not part"), 0) << tag;
        EXPECT_TRUE(GameWorld::IsKindBuilt(tag)) << tag;
    }
    EXPECT_EQ(world.myTileMap.GetMovingPlatforms().size(), 2u);
    EXPECT_EQ(world.myMiniOwls.size(), 2u);
    EXPECT_EQ(world.myPipeMoles.size(), 2u);
    EXPECT_EQ(world.myBeetleTanks.size(), 2u);
    EXPECT_EQ(world.myFlyingMiniOwls.size(), 2u);
    EXPECT_EQ(world.myGoals.size(), 2u);
    EXPECT_STREQ(GameWorld::GetKindName(21), "EntryZipline");
}

// One object of each tag, each at its own place: every tag makes exactly one object where its
// kind lives (a tag without a builder would make nothing).
TEST(ObjectFactory, EachTagMakesOneObjectOfItsKind)
{
    GameplayTest::GameplayFixture game;
    GameWorld& world = game.myWorld;
    const auto x = [](int aTag) { return 150.0f + 200.0f * static_cast<float>(aTag); };
    const auto list = [](auto aMember) {
        return [aMember](const GameWorld& aWorld, int) { return (aWorld.*aMember).size(); };
    };
    const auto tile = [&](const GameWorld& aWorld, int aTag) {
        return std::size_t{aWorld.myTileMap.IsSolid(TileMap::WorldToCell({x(aTag), 0.0f}))};
    };
    using Count = std::function<std::size_t(const GameWorld&, int)>;
    const Count counts[Qel::OBJECT_TAG_COUNT] = {
        list(&GameWorld::myGenericModels),
        [&](const GameWorld& aWorld, int aTag) { return std::size_t{aWorld.myPlayer.GetPosition().x == x(aTag)}; },
        list(&GameWorld::myGoals),
        list(&GameWorld::myMiniOwls),
        list(&GameWorld::myPipeMoles),
        list(&GameWorld::myBeetleTanks),
        list(&GameWorld::myFlyingMiniOwls),
        tile,
        tile,
        tile,
        [](const GameWorld& aWorld, int) { return aWorld.myTileMap.GetMovingPlatforms().size(); },
        list(&GameWorld::myBatteryPickups),
        list(&GameWorld::myChestGrenadePickups),
        list(&GameWorld::myShieldPickups),
        list(&GameWorld::myLifePickups),
        [](const GameWorld& aWorld, int) { return std::size_t{aWorld.myCheckpoint.IsPlaced()}; },
        list(&GameWorld::myChestGrenades),
        list(&GameWorld::myGenericModels),
        list(&GameWorld::myParallaxLayers),
        list(&GameWorld::myEventFans),
        list(&GameWorld::myFanTriggers),
        list(&GameWorld::myEntryZiplines),
        list(&GameWorld::myEndingCutscenes),
        list(&GameWorld::myBatterySpawns),
    };
    for (int tag = 0; tag < Qel::OBJECT_TAG_COUNT; ++tag)
    {
        const std::size_t before = counts[tag](world, tag);
        const Props props = Props()
                                .Add("Kind", static_cast<Qel::ObjectTag>(tag))
                                .Model("")
                                .Float("HitboxWidth", 200.0f)
                                .Float("HitboxHeight", 200.0f)
                                .Float("Acceleration", 100.0f)
                                .Float("Deacceleration", 100.0f)
                                .Float("MaxSpeed", 100.0f);
        world.CreateObject(At(x(tag), 0.0f), props.Data(), props.Count());
        EXPECT_EQ(counts[tag](world, tag), before + 1) << GameWorld::GetKindName(tag) << " (tag " << tag << ")";
    }
}

TEST(ObjectFactory, TheTagComesFromTheFirstRecordOfTagType)
{
    GameplayTest::GameplayFixture game;
    GameWorld& world = game.myWorld;
    // No tag, a tag-named record of another type, and a block tag after a scenery one.
    const Props lists[] = {
        Props().Model(""),
        Props().Int("Object Tag", 9).Model(""),
        Props().Add("First", Qel::ObjectTag::Default).Add("Second", Qel::ObjectTag::BlockIndestructible).Model(""),
    };
    for (const Props& props : lists)
        world.CreateObject(At(300.0f, 0.0f), props.Data(), props.Count());
    EXPECT_EQ(world.myGenericModels.size(), 3u);
    EXPECT_FALSE(world.myTileMap.IsSolid(TileMap::WorldToCell({300.0f, 0.0f})));
    EXPECT_TRUE(world.GetContentReport().GetMessages().empty());

    // Scenery takes every model and every particle system of its list, and nothing else.
    world.CreateObject(At(0.0f, 0.0f), Props().Model("").Float("Speed", 2.0f).Model("").Data(), 3);
    EXPECT_EQ(world.myGenericModels.size(), 5u);
    EXPECT_FLOAT_EQ(world.myGenericModels.back().GetPosition().x, 0.0f);
}

TEST(ObjectFactory, BlocksOutsideTheGridAreReportedWithTheirObject)
{
    GameplayTest::GameplayFixture game;
    GameWorld& world = game.myWorld;
    world.SetSpawnSource("scenes/x/level1.qls: object \"far block\"");
    const Props block = Props().Tag(Qel::ObjectTag::BlockIndestructible).Model("");
    world.CreateObject(At(60000.0f, 0.0f), block.Data(), block.Count());
    world.CreateObject(At(0.0f, 0.0f), block.Data(), block.Count());
    EXPECT_EQ(CountContaining(world.GetContentReport(),
                              "object \"far block\": BlockIndestructible at (60000, 0) lies outside the tile grid"), 1);
    EXPECT_TRUE(world.myTileMap.IsSolid(TileMap::WorldToCell({0.0f, 0.0f})));
}

struct Counted
{
    int myValue = 7;   // the kind's own default
    int myInitValue = 0;
    size_t myIndex = 99;
};

TEST(ObjectFactory, AListedKindIsMadeInitialisedIndexedAndAppended)
{
    std::vector<Counted> list(2);
    Counted& made = AddToList(list, [](Counted& aRecord) { aRecord.myInitValue = aRecord.myValue + 1; },
                              [](Counted& aRecord, size_t aIndex) { aRecord.myIndex = aIndex; });
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(&made, &list.back());
    EXPECT_EQ(made.myInitValue, 8);
    EXPECT_EQ(made.myIndex, 2u);
    AddToList(list, [](Counted&) {});
    EXPECT_EQ(list.back().myIndex, 99u);
}
}
