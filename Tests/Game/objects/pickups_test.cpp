#include "ObjectsFixture.h"

#include "AudioManager.h"
#include "Objects/PlayObjects.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace ObjectsTest;
using GameplayTest::At;
using GameplayTest::GameplayFixture;
using GameplayTest::Props;

namespace
{
Props PickupProps(Qel::ObjectTag aTag)
{
    return Props().Tag(aTag).Model("models/pickup.fbx");
}

struct PickupRun : GameplayFixture
{
    Qel::ParticleSystem mySplash;  // non-looping, 1 s

    PickupRun()
    {
        // Far from everything until a test moves it.
        PlacePlayer(myWorld.myPlayer, 5000.0f, 2000.0f);
    }
    void Step(int aFrames = 1)
    {
        for (int i = 0; i < aFrames; ++i)
        {
            BeginFrame();
            PlayObjects::UpdateBatterySpawns(myContext);
            PlayObjects::UpdatePickups(myContext);
        }
    }
    template <class Kind>
    Kind& Make(std::vector<Kind>& aList, Qel::ObjectTag aTag, float aX, float aY)
    {
        const Props props = PickupProps(aTag);
        myWorld.CreateObject(At(aX, aY), props.Data(), props.Count());
        aList.back().SetSplashSystem(&mySplash);
        return aList.back();
    }
};
}

TEST(BatteryPickup, BobsThenCollectsWithSoundScoreAndSplashThenGoes)
{
    PickupRun run;
    BatteryPickup& battery = run.Make(run.myWorld.myBatteryPickups, Qel::ObjectTag::BatteryPickup, 300.0f, 400.0f);
    EXPECT_EQ(battery.GetHitbox().GetSize(), Qel::Vector2f(100.0f, 100.0f));
    run.Step(30);
    EXPECT_NEAR(run.myWorld.myBatteryPickups[0].GetPosition().y, 400.0f + 5.0f * std::sin(3.0f * 0.5f), 1e-3f);
    EXPECT_FLOAT_EQ(run.myWorld.myBatteryPickups[0].GetPosition().x, 300.0f);

    PlacePlayer(run.myWorld.myPlayer, 300.0f, 380.0f);
    run.ClearSounds();
    run.Step();
    ASSERT_EQ(run.myWorld.myBatteryPickups.size(), 1u);
    EXPECT_TRUE(run.myWorld.myBatteryPickups[0].IsCollected());
    EXPECT_TRUE(run.myWorld.myBatteryPickups[0].GetEffect().IsRunning());
    EXPECT_EQ(run.myHud.GetBatteryCount(), 1);
    EXPECT_EQ(run.myHud.GetScore(), 200);
    EXPECT_EQ(run.PlayedEffects(), std::vector<Qel::u8>{static_cast<Qel::u8>(SFX_COLLECT_BATTERY)});
    ASSERT_EQ(run.myHud.GetScorePopups().size(), 1u);
    EXPECT_EQ(run.myHud.GetScorePopups()[0].myAmount, 200);

    // Still touching: nothing more is paid. Removed once the 1 s splash has finished.
    run.Step(30);
    EXPECT_EQ(run.myHud.GetBatteryCount(), 1);
    run.Step(40);
    EXPECT_TRUE(run.myWorld.myBatteryPickups.empty());
    EXPECT_EQ(run.myHud.GetScore(), 200);
}

TEST(Pickup, EachPowerUpPaysItsOwnWay)
{
    struct Case
    {
        Qel::ObjectTag myTag;
        Qel::u32 myHeld;
        Qel::u32 myAfter;
        Qel::i32 myScore;
        Qel::i32 myLives;
        Qel::u8 mySound;
    };
    const Case cases[] = {
        {Qel::ObjectTag::ShieldPickup, 0, 1, 200, 5, SFX_COLLECT_SHIELD},
        // A shield leaves the grenade power-up alone; the grenade replaces a shield.
        {Qel::ObjectTag::ShieldPickup, 2, 2, 200, 5, SFX_COLLECT_SHIELD},
        {Qel::ObjectTag::ChestGrenadePickup, 1, 2, 200, 5, SFX_COLLECT_GRENADE},
        {Qel::ObjectTag::ChestGrenadePickup, 0, 2, 200, 5, SFX_COLLECT_GRENADE},
        // A life adds no score.
        {Qel::ObjectTag::LifePickup, 1, 1, 0, 6, SFX_COLLECT_LIFE},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(static_cast<int>(c.myTag));
        PickupRun run;
        run.myWorld.myPlayer.SetPowerUp(c.myHeld);
        std::vector<Pickup>& list = c.myTag == Qel::ObjectTag::ShieldPickup ? run.myWorld.myShieldPickups
                                    : c.myTag == Qel::ObjectTag::LifePickup ? run.myWorld.myLifePickups
                                                                            : run.myWorld.myChestGrenadePickups;
        run.Make(list, c.myTag, 0.0f, 100.0f);
        PlacePlayer(run.myWorld.myPlayer, 0.0f, 60.0f);
        run.ClearSounds();
        run.Step();
        ASSERT_EQ(list.size(), 1u);
        EXPECT_TRUE(list[0].IsCollected());
        EXPECT_EQ(run.myWorld.myPlayer.GetPowerUp(), c.myAfter);
        EXPECT_EQ(run.myHud.GetScore(), c.myScore);
        EXPECT_EQ(run.myWorld.myPlayer.GetLives(), c.myLives);
        EXPECT_EQ(run.PlayedEffects(), std::vector<Qel::u8>{c.mySound});
        EXPECT_EQ(run.myHud.GetLifePopups().size(), c.myTag == Qel::ObjectTag::LifePickup ? 1u : 0u);
    }
}

TEST(Pickup, FallsUnderLightGravityOntoTheFirstFloor)
{
    PickupRun run;
    AddFloor(run.myWorld.myTileMap, 18, 22);
    Pickup& pickup = run.Make(run.myWorld.myShieldPickups, Qel::ObjectTag::ShieldPickup, 0.0f, 600.0f);
    (void)pickup;
    run.Step(60);
    // After 1 s of 300 u/s² (semi-implicit steps): v = -300, fallen about 152.5.
    const Pickup& falling = run.myWorld.myShieldPickups[0];
    EXPECT_NEAR(falling.GetVerticalVelocity(), -300.0f, 1e-2f);
    EXPECT_NEAR(falling.GetPosition().y, 600.0f - 300.0f * (61.0f / 120.0f), 0.1f);
    run.Step(240);
    const Pickup& rested = run.myWorld.myShieldPickups[0];
    EXPECT_FLOAT_EQ(rested.GetVerticalVelocity(), 0.0f);
    EXPECT_NEAR(rested.GetHitbox().GetMin().y, FLOOR_TOP, 1e-3f);
    EXPECT_FALSE(rested.IsCollected());
}

TEST(BatterySpawn, BurstsFromTheBlockByItsUpAxisAndCountsWhenDone)
{
    Qel::ParticleSystem up, down;
    struct Case
    {
        float myUpY;
        float myStartY;
        Qel::ParticleSystem* mySystem;
    };
    for (const Case& c : {Case{1.0f, 20.0f, &up}, Case{-1.0f, 180.0f, &down}})
    {
        SCOPED_TRACE(c.myUpY);
        Qel::Matrix4x4 transform = At(0.0f, 100.0f);
        transform(2, 2) = c.myUpY;
        BatterySpawn spawn;
        spawn.Init(transform, &up, &down);
        EXPECT_EQ(spawn.GetSystem(), c.mySystem);
        EXPECT_TRUE(spawn.GetEffect().IsRunning());
        EXPECT_FLOAT_EQ(const_cast<Qel::ParticleSystemInstance&>(spawn.GetEffect()).GetTransform().GetTranslation().y,
                        c.myStartY);
        EXPECT_EQ(spawn.GetTransform(), Qel::Matrix4x4::CreateTranslation({0.0f, 100.0f, 0.0f}));
    }

    PickupRun run;
    BatterySpawn& spawn = run.myWorld.myBatterySpawns.emplace_back();
    spawn.Init(At(0.0f, 100.0f), &up, &down);
    run.Step(30);
    EXPECT_EQ(run.myHud.GetBatteryCount(), 0);
    ASSERT_EQ(run.myWorld.myBatterySpawns.size(), 1u);
    run.Step(40);
    EXPECT_TRUE(run.myWorld.myBatterySpawns.empty());
    EXPECT_EQ(run.myHud.GetBatteryCount(), 1);
    EXPECT_EQ(run.myHud.GetScore(), 200);
    EXPECT_EQ(run.CountEffect(SFX_COLLECT_BATTERY), 1u);
}
