#include "ObjectsFixture.h"

#include "Objects/PlayObjects.h"
#include "math/Camera.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace ObjectsTest;
using GameplayTest::At;
using GameplayTest::GameplayFixture;
using GameplayTest::Props;

namespace
{
std::size_t CountMessages(const GameWorld& aWorld, const char* aText)
{
    const auto& messages = const_cast<GameWorld&>(aWorld).GetContentReport().GetMessages();
    return static_cast<std::size_t>(std::count_if(messages.begin(), messages.end(), [&](const std::string& m) {
        return m.find(aText) != std::string::npos;
    }));
}
}

TEST(ObjectFactory, EachTagLandsInItsOwnList)
{
    GameplayFixture run;
    GameWorld& world = run.myWorld;
    const Qel::ObjectTag tags[] = {
        Qel::ObjectTag::Goal,          Qel::ObjectTag::BatteryPickup, Qel::ObjectTag::ChestGrenadePickup,
        Qel::ObjectTag::ShieldPickup,  Qel::ObjectTag::LifePickup,    Qel::ObjectTag::Checkpoint,
        Qel::ObjectTag::ChestGrenade,  Qel::ObjectTag::Parallax,      Qel::ObjectTag::EventFan,
        Qel::ObjectTag::FanTrigger,    Qel::ObjectTag::EntryZipline,  Qel::ObjectTag::EndingCutscene,
        Qel::ObjectTag::BatterySpawn,
    };
    for (Qel::ObjectTag tag : tags)
    {
        EXPECT_TRUE(GameWorld::IsKindBuilt(static_cast<Qel::i32>(tag)));
        const Props props = Props().Tag(tag).Model("models/thing.fbx");
        world.CreateObject(At(400.0f, 300.0f, 10.0f), props.Data(), props.Count());
    }
    for (std::size_t size : {world.myGoals.size(), world.myBatteryPickups.size(), world.myChestGrenadePickups.size(),
                             world.myShieldPickups.size(), world.myLifePickups.size(), world.myChestGrenades.size(),
                             world.myParallaxLayers.size(), world.myEventFans.size(), world.myFanTriggers.size(),
                             world.myEntryZiplines.size(), world.myEndingCutscenes.size(), world.myBatterySpawns.size()})
        EXPECT_EQ(size, 1u);
    EXPECT_TRUE(world.myCheckpoint.IsPlaced());
    EXPECT_EQ(world.myGoals[0].GetTrigger().GetPosition(), Qel::Vector2f(485.0f, 300.0f));
    EXPECT_EQ(world.myEntryZiplines[0].GetRide().myPath[4], Qel::Vector2f(444.0f, 635.0f));
    EXPECT_EQ(world.myBatteryPickups[0].GetPosition(), Qel::Vector3f(400.0f, 300.0f, 10.0f));
    EXPECT_FLOAT_EQ(world.myParallaxLayers[0].GetScale(), 1.0f);

    // A new level empties every list.
    world.ClearLevel();
    EXPECT_TRUE(world.myGoals.empty());
    EXPECT_TRUE(world.myEventFans.empty());
    EXPECT_TRUE(world.myChestGrenades.empty());
}

TEST(ObjectFactory, BadContentIsReportedOnceAndTheLevelStillPlays)
{
    GameplayFixture run;
    GameWorld& world = run.myWorld;
    world.SetSpawnSource("scenes/game_scenes/level9.qls: object \"Bad\"");
    for (int i = 0; i < 2; ++i)
    {
        // Outside the grid (it starts at x = -2050).
        const Props checkpoint = Props().Tag(Qel::ObjectTag::Checkpoint).Model("cp.fbx");
        world.CreateObject(At(-5000.0f, 100.0f), checkpoint.Data(), checkpoint.Count());
        const Props zipline = Props().Tag(Qel::ObjectTag::EntryZipline).Model("zip.fbx");
        world.CreateObject(At(0.0f, 9000.0f), zipline.Data(), zipline.Count());
        const Props goal = Props()
                               .Tag(Qel::ObjectTag::Goal)
                               .Model("goal.fbx")
                               .Add("next_level", Qel::StringId("scenes/game_scenes/nowhere.qls"));
        world.CreateObject(At(3000.0f, 0.0f), goal.Data(), goal.Count());
        const Props ending = Props().Tag(Qel::ObjectTag::EndingCutscene).Model("end.fbx");
        world.CreateObject(At(4000.0f, 0.0f), ending.Data(), ending.Count());
        const Props fan = Props().Tag(Qel::ObjectTag::EventFan);
        world.CreateObject(At(0.0f, 0.0f, 3000.0f), fan.Data(), fan.Count());
    }
    PlayObjects::FinishLoad(world, false);
    EXPECT_FALSE(world.myCheckpoint.IsPlaced());
    EXPECT_TRUE(world.myEntryZiplines.empty());
    EXPECT_EQ(CountMessages(world, "Checkpoint at (-5000, 100) lies outside the tile grid"), 1u);
    EXPECT_EQ(CountMessages(world, "EntryZipline at (0, 9000) lies outside the tile grid"), 1u);
    EXPECT_EQ(CountMessages(world, "nowhere.qls\" does not exist"), 1u);
    EXPECT_EQ(CountMessages(world, "no \"CutsceneAnimation\" clip"), 1u);
    EXPECT_EQ(CountMessages(world, "no fan trigger"), 1u);
    for (const std::string& message : world.GetContentReport().GetMessages())
        EXPECT_NE(message.find("level9.qls"), std::string::npos) << message;

    // It plays: no ride, so the player is free; the ending still runs its timeline and ends;
    // the fans stand still; the goal to a missing level still asks for it (the load then fails
    // and the game goes back to the menu).
    PlacePlayer(world.myPlayer, 4000.0f, 0.0f);
    world.myCamera = std::make_unique<Qel::Camera>();
    bool credits = false;
    for (int i = 0; i < 60 * 3 && !credits; ++i)
    {
        run.BeginFrame();
        credits = PlayObjects::UpdateScriptedObjects(run.myContext);
    }
    EXPECT_TRUE(credits);
    EXPECT_FALSE(world.myPlayer.IsRiding());
}
