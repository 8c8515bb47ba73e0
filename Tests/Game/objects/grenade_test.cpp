#include "ObjectsFixture.h"

#include "Objects/PlayObjects.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace ObjectsTest;
using GameplayTest::At;
using GameplayTest::GameplayFixture;
using GameplayTest::Props;

namespace
{
// An enemy list with plain boxes, counting the power-up kills it took.
struct FakeTargets final : GrenadeTargets
{
    struct Enemy
    {
        Box myBox;
        bool myDead = false;
        int myKills = 0;
    };
    std::vector<Enemy> myEnemies;

    std::size_t GetCount() const override { return myEnemies.size(); }
    bool IsDead(std::size_t aIndex) const override { return myEnemies[aIndex].myDead; }
    Box GetGrenadeBox(std::size_t aIndex) const override { return myEnemies[aIndex].myBox; }
    Qel::Vector3f GetPosition(std::size_t aIndex) const override
    {
        return {myEnemies[aIndex].myBox.myPosition.x, myEnemies[aIndex].myBox.myPosition.y, 0.0f};
    }
    void KillByPowerup(std::size_t aIndex) override
    {
        myEnemies[aIndex].myDead = true;
        ++myEnemies[aIndex].myKills;
    }
};

struct GrenadeRun : GameplayFixture
{
    Qel::ParticleSystem myExplosion;

    // Thrown from (x, y) facing right (aFacing 1) or left (-1).
    ChestGrenade& Throw(float aX, float aY, float aFacing)
    {
        Qel::Matrix4x4 transform = At(aX, aY);
        transform(1, 1) = aFacing;
        transform(3, 3) = aFacing;
        const Props props = Props().Tag(Qel::ObjectTag::ChestGrenade).Model("models/grenade.fbx");
        myWorld.CreateObject(transform, props.Data(), props.Count());
        myWorld.myChestGrenades.back().SetExplosionSystem(&myExplosion);
        return myWorld.myChestGrenades.back();
    }
    void Step(int aFrames = 1)
    {
        for (int i = 0; i < aFrames; ++i)
        {
            BeginFrame();
            PlayObjects::UpdateChestGrenades(myContext);
        }
    }
    GrenadeRun()
    {
        // The world's enemy lists give way to plain boxes.
        for (auto& slot : myWorld.myGrenadeTargets)
            slot = std::make_unique<FakeTargets>();
    }
    FakeTargets& Targets(GrenadeTargetKind aKind)
    {
        return static_cast<FakeTargets&>(*myWorld.myGrenadeTargets[static_cast<std::size_t>(aKind)]);
    }
    Qel::u32 Explosions() const
    {
        Qel::u32 n = 0;
        for (Qel::u8 id = 30; id <= 33; ++id)
            n += CountEffect(id);
        return n;
    }
    Qel::u32 Bounces() const { return CountEffect(28) + CountEffect(29); }
};

// The turn (degrees) from aBefore to aAfter about the object's own z axis.
float LocalTurn(const Qel::Matrix4x4& aBefore, const Qel::Matrix4x4& aAfter)
{
    const Qel::Vector4f x0 = aBefore.GetRow(1), y0 = aBefore.GetRow(2), x1 = aAfter.GetRow(1);
    const float c = x1.x * x0.x + x1.y * x0.y + x1.z * x0.z;
    const float s = x1.x * y0.x + x1.y * y0.y + x1.z * y0.z;
    return std::atan2(s, c) * 180.0f / 3.14159265f;
}
}

TEST(ChestGrenade, ArcsBouncesOnTheFloorAndExplodesWhenTheFuseEnds)
{
    GrenadeRun run;
    AddFloor(run.myWorld.myTileMap, 15, 60);
    ChestGrenade& thrown = run.Throw(0.0f, 200.0f, 1.0f);
    EXPECT_FLOAT_EQ(thrown.GetHorizontalVelocity(), 1000.0f);
    EXPECT_FLOAT_EQ(thrown.GetVerticalVelocity(), 100.0f);
    EXPECT_EQ(thrown.GetHitbox().GetSize(), Qel::Vector2f(50.0f, 50.0f));

    int firstBounce = -1;
    float peakAfterBounce = 0.0f;
    int frame = 0;
    for (; frame < 200 && !run.myWorld.myChestGrenades[0].IsExploded(); ++frame)
    {
        run.Step();
        const ChestGrenade& g = run.myWorld.myChestGrenades[0];
        if (firstBounce < 0 && run.Bounces() > 0)
        {
            firstBounce = frame;
            EXPECT_FLOAT_EQ(g.GetVerticalVelocity(), 700.0f);
        }
        if (firstBounce >= 0)
            peakAfterBounce = std::max(peakAfterBounce, g.GetHitbox().GetMin().y - FLOOR_TOP);
    }
    ASSERT_GE(firstBounce, 0);
    // Bounces of 700²/(2·4000) ≈ 61 units every 0.35 s until the 2 s fuse.
    EXPECT_NEAR(peakAfterBounce, 61.25f, 12.0f);
    EXPECT_GE(run.Bounces(), 4u);
    EXPECT_EQ(frame, 121);  // the first frame whose fuse exceeds 2.0
    EXPECT_EQ(run.Explosions(), 1u);
    const ChestGrenade& exploded = run.myWorld.myChestGrenades[0];
    EXPECT_FLOAT_EQ(exploded.GetHorizontalVelocity(), 0.0f);
    EXPECT_TRUE(exploded.GetExplosion().IsRunning());
    EXPECT_FLOAT_EQ(const_cast<Qel::ParticleSystemInstance&>(exploded.GetExplosion()).GetTransform().GetTranslation().z,
                    -75.0f);
}

TEST(ChestGrenade, ThrownLeftSpinsTheSameWayAndAWallSetsItOff)
{
    GrenadeRun run;
    ChestGrenade& left = run.Throw(1000.0f, 1500.0f, -1.0f);
    EXPECT_FLOAT_EQ(left.GetHorizontalVelocity(), -1000.0f);
    ChestGrenade& right = run.Throw(3000.0f, 1500.0f, 1.0f);
    (void)right;
    const Qel::Matrix4x4 leftStart = run.myWorld.myChestGrenades[0].myModel.GetTransform();
    const Qel::Matrix4x4 rightStart = run.myWorld.myChestGrenades[1].myModel.GetTransform();
    run.Step();
    const float leftTurn = LocalTurn(leftStart, run.myWorld.myChestGrenades[0].myModel.GetTransform());
    const float rightTurn = LocalTurn(rightStart, run.myWorld.myChestGrenades[1].myModel.GetTransform());
    EXPECT_NEAR(leftTurn, rightTurn, 1e-3f);
    EXPECT_NEAR(rightTurn, -1000.0f / 60.0f, 1e-2f);
    EXPECT_LT(run.myWorld.myChestGrenades[0].GetPosition().x, 1000.0f);

    // A wall 200 units ahead: the grenade explodes on the frame it reaches it.
    GrenadeRun wall;
    for (Qel::i32 row = 1; row < 10; ++row)
        AddFloor(wall.myWorld.myTileMap, 23, 23, row);
    wall.Throw(0.0f, 300.0f, 1.0f);
    wall.Step(20);
    EXPECT_TRUE(wall.myWorld.myChestGrenades[0].IsExploded());
    EXPECT_EQ(wall.Explosions(), 1u);
    EXPECT_LE(wall.myWorld.myChestGrenades[0].GetHitbox().GetMax().x, 250.0f + 1e-3f);
}

TEST(ChestGrenade, KillsOnlyTheFirstEnemyInOrderAndPaysForIt)
{
    GrenadeRun run;
    // A flying owl and a mini owl both where the grenade is; the mini owl's list comes later.
    FakeTargets& owls = run.Targets(GrenadeTargetKind::MiniOwl);
    owls.myEnemies.push_back({Box(30.0f, 1500.0f, 100.0f, 100.0f)});
    FakeTargets& flyers = run.Targets(GrenadeTargetKind::FlyingMiniOwl);
    flyers.myEnemies.push_back({Box(30.0f, 1500.0f, 100.0f, 100.0f), true});  // dead: skipped
    flyers.myEnemies.push_back({Box(30.0f, 1500.0f, 100.0f, 100.0f)});
    run.Throw(0.0f, 1500.0f, 1.0f);
    run.Step();
    EXPECT_EQ(flyers.myEnemies[1].myKills, 1);
    EXPECT_EQ(flyers.myEnemies[0].myKills, 0);
    EXPECT_EQ(owls.myEnemies[0].myKills, 0);
    EXPECT_EQ(run.myHud.GetScore(), 1000);
    ASSERT_EQ(run.myHud.GetScorePopups().size(), 1u);
    EXPECT_EQ(run.myHud.GetScorePopups()[0].myAmount, 1000);
    EXPECT_TRUE(run.myWorld.myChestGrenades[0].IsExploded());
    run.Step(5);
    EXPECT_EQ(owls.myEnemies[0].myKills, 0);
    EXPECT_EQ(run.myHud.GetScore(), 1000);
}

TEST(ChestGrenade, ErasedOnceItsExplosionEndsWithoutSkippingTheNext)
{
    GrenadeRun run;
    run.Throw(0.0f, 2500.0f, 1.0f);
    run.Throw(5000.0f, 2500.0f, 1.0f);
    run.myWorld.myChestGrenades[0].Explode();
    run.Step(59);
    ASSERT_EQ(run.myWorld.myChestGrenades.size(), 2u);
    const float secondX = run.myWorld.myChestGrenades[1].GetPosition().x;
    // The first's explosion (1 s) ends during this step: it goes, and the second still moves.
    run.Step(2);
    ASSERT_EQ(run.myWorld.myChestGrenades.size(), 1u);
    EXPECT_NEAR(run.myWorld.myChestGrenades[0].GetPosition().x, secondX + 2000.0f / 60.0f, 1e-2f);

    // Without an explosion system the grenade goes on the frame after it explodes.
    run.myWorld.myChestGrenades[0].SetExplosionSystem(nullptr);
    run.myWorld.myChestGrenades[0].Explode();
    run.Step();
    EXPECT_TRUE(run.myWorld.myChestGrenades.empty());
}

TEST(ChestGrenade, KillsTheWorldsEnemiesAndCountsTowardTheThrowLimit)
{
    GameplayFixture run;
    const Props owl = Props().Tag(Qel::ObjectTag::EnemyMiniOwl).Model("models/owl.fbx");
    run.myWorld.CreateObject(At(600.0f, 1000.0f), owl.Data(), owl.Count());
    ASSERT_EQ(run.myWorld.myMiniOwls.size(), 1u);
    const Box body = run.myWorld.myMiniOwls[0].GetHitbox();
    ASSERT_TRUE(body.HasArea());

    const Props grenade = Props().Tag(Qel::ObjectTag::ChestGrenade);
    run.myWorld.CreateObject(At(body.myPosition.x, body.myPosition.y), grenade.Data(), grenade.Count());
    run.myWorld.CreateObject(At(9000.0f, 2500.0f), grenade.Data(), grenade.Count());
    ASSERT_TRUE(run.myWorld.myCountLiveGrenades);
    EXPECT_EQ(run.myWorld.myCountLiveGrenades(), 2u);
    run.BeginFrame();
    PlayObjects::UpdateChestGrenades(run.myContext);
    EXPECT_TRUE(run.myWorld.myMiniOwls[0].IsDead());
    EXPECT_EQ(run.myHud.GetScore(), 1000);
    EXPECT_EQ(run.myWorld.myCountLiveGrenades(), 1u);
}
