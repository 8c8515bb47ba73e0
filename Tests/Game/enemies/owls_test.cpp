#include "EnemyTestSupport.h"

#include "AudioManager.h"
#include "Objects/FlyingMiniOwl.h"
#include "Objects/MiniOwl.h"

#include <algorithm>
#include <cmath>

using namespace EnemyTest;
using GameplayTest::Props;
using Qel::ObjectTag;

namespace
{
// An owl standing on a floor of cells centred y = 0 has its feet at 47.5 (body box bottom 50).
constexpr float FLOOR_Y = 47.5f;

class OwlTest : public EnemyFixture
{
protected:
    MiniOwl Owl(const Props& aProps, float aX, float aY = FLOOR_Y)
    {
        MiniOwl owl = Make<MiniOwl>(aProps, aX, aY);
        owl.SetListIndex(0);
        return owl;
    }
    FlyingMiniOwl Flyer(const Props& aProps, float aX, float aY)
    {
        FlyingMiniOwl owl = Make<FlyingMiniOwl>(aProps, aX, aY);
        owl.SetListIndex(0);
        return owl;
    }
};

TEST_F(OwlTest, MiniOwlWaitsUntilThePlayerIsNearAndSoDoesItsRemoval)
{
    Row(-1500, 1500, 0);
    PlacePlayer(1001, 50);
    MiniOwl owl = Owl(Props(), 0);
    Run(owl, 2.0f);
    EXPECT_EQ(owl.GetPosition().x, 0.0f);
    EXPECT_EQ(owl.GetSpeed(), 0.0f);

    MiniOwl squished = Owl(Props(), 0);
    squished.KillByJumpOn();
    Run(squished, 10.0f);
    EXPECT_FALSE(squished.IsRemoved()) << "a far owl does not finish dying";

    PlacePlayer(999, 50);
    Run(owl, 1.0f);
    EXPECT_NEAR(owl.GetSpeed(), 50.0f, 1e-3f) << "50 per second squared for one second";
    EXPECT_GT(owl.GetPosition().x, 20.0f);
    EXPECT_NEAR(owl.GetPosition().y, FLOOR_Y, 0.01f) << "walks on the floor";

    Run(squished, 3.9f);
    EXPECT_FALSE(squished.IsRemoved());
    Run(squished, 0.2f);
    EXPECT_TRUE(squished.IsRemoved()) << "removed 4 s after the stomp once the player is near";
}

TEST_F(OwlTest, MiniOwlPatrolsBetweenItsWaypointsOrWalksFree)
{
    Row(-1500, 1500, 0);
    PlacePlayer(0, 50);
    MiniOwl free = Owl(Props(), 0);
    EXPECT_FALSE(free.PatrolsWaypoints());
    Run(free, 3.0f);
    EXPECT_GT(free.GetPosition().x, 50.0f) << "no waypoints: walks on in its direction";

    MiniOwl owl = Owl(Props().Float("Waypoint1", -100.0f).Float("Waypoint2", 100.0f), 0);
    ASSERT_TRUE(owl.PatrolsWaypoints());
    EXPECT_EQ(owl.GetTarget(), -100.0f);
    int turns = 0;
    float target = owl.GetTarget();
    float direction = owl.GetDirection();
    float minX = 0.0f, maxX = 0.0f;
    for (int frame = 0; frame < 20 * 60; ++frame)
    {
        const float before = owl.GetPosition().x;
        owl.Update(Context());
        minX = std::min(minX, owl.GetPosition().x);
        maxX = std::max(maxX, owl.GetPosition().x);
        if (owl.GetTarget() != target)
        {
            ++turns;
            EXPECT_LE(std::fabs(before - target), 5.0f) << "turns within 5 of the waypoint";
            EXPECT_EQ(owl.GetDirection(), -direction);
            EXPECT_EQ(owl.GetSpeed(), 0.0f);
            target = owl.GetTarget();
            direction = owl.GetDirection();
        }
    }
    EXPECT_GE(turns, 4);
    EXPECT_GT(minX, -100.0f);
    EXPECT_LT(maxX, 100.0f);
    EXPECT_LT(minX, -94.0f);
    EXPECT_GT(maxX, 94.0f);
}

TEST_F(OwlTest, CliffTurningOwlStaysOnItsLedgeAndOthersWalkOffAndAreErased)
{
    Row(0, 400, 0);
    PlacePlayer(200, 50);
    MiniOwl careful = Owl(Props()
                              .Bool("ShouldSwapDirectionAtCliffs", true)
                              .Add("ShouldWalkOffCliffsTexture", Qel::StringId("art/3d/T_Cliff_C.dds")),
                          200);
    EXPECT_TRUE(careful.UsesCliffTexture());
    EXPECT_EQ(careful.GetCliffTexturePath().GetView(), "art/3d/T_Cliff_C.dds");
    float minX = 200.0f, maxX = 200.0f;
    int turns = 0;
    float direction = careful.GetDirection();
    for (int frame = 0; frame < 30 * 60; ++frame)
    {
        careful.Update(Context());
        minX = std::min(minX, careful.GetPosition().x);
        maxX = std::max(maxX, careful.GetPosition().x);
        turns += careful.GetDirection() != direction;
        direction = careful.GetDirection();
    }
    EXPECT_GE(minX, -50.0f);
    EXPECT_LE(maxX, 450.0f);
    EXPECT_GE(turns, 2);
    EXPECT_NEAR(careful.GetPosition().y, FLOOR_Y, 0.01f);

    const Props plain = Props().Tag(ObjectTag::EnemyMiniOwl).Float("MaxPatrolSpeed", 200.0f);
    World().CreateObject(GameplayTest::At(300, FLOOR_Y), plain.Data(), plain.Count());
    ASSERT_EQ(World().myMiniOwls.size(), 1u);
    bool removed = false;
    for (int frame = 0; frame < 20 * 60 && !removed; ++frame)
    {
        World().myMiniOwls[0].Update(Context());
        removed = World().myMiniOwls[0].IsRemoved();
    }
    ASSERT_TRUE(removed) << "walked off the ledge and fell below -400";
    EXPECT_LT(World().myMiniOwls[0].GetPosition().y, -400.0f);
    World().myPlayer.HandleEnemyContacts(Context());
    EXPECT_TRUE(World().myMiniOwls.empty()) << "the contact pass erases a removed owl";
}

TEST_F(OwlTest, WallTurnsTheOwlWithItsSpeedZeroed)
{
    Row(-500, 500, 0);
    Map().AddTile(GameplayTest::At(300, 100), TileDescription{}, nullptr);
    PlacePlayer(0, 50);
    MiniOwl owl = Owl(Props().Float("MaxPatrolSpeed", 100.0f), 0);
    bool turned = false;
    for (int frame = 0; frame < 10 * 60 && !turned; ++frame)
    {
        owl.Update(Context());
        turned = owl.GetDirection() < 0.0f;
    }
    ASSERT_TRUE(turned);
    EXPECT_EQ(owl.GetSpeed(), 0.0f);
    EXPECT_NEAR(owl.GetPosition().x, 300.0f - 50.0f - 25.0f, 0.01f) << "stopped against the wall";
}

TEST_F(OwlTest, StompSquishesAndPowerUpSendsTheOwlFlyingOff)
{
    Row(-500, 500, 0);
    PlacePlayer(100, 50);
    MiniOwl stomped = Owl(Props(), 0);
    game.ClearSounds();
    stomped.KillByJumpOn();
    EXPECT_EQ(game.CountEffect(SFX_ENEMY_DEATH), 1u);
    EXPECT_TRUE(stomped.IsDead());
    EXPECT_FALSE(stomped.GetBodyBox().HasArea());
    EXPECT_FALSE(stomped.GetTopBox().HasArea());
    EXPECT_FALSE(stomped.GetIdleSound().IsCreated()) << "its sounds are released";
    stomped.KillByJumpOn();
    EXPECT_EQ(game.CountEffect(SFX_ENEMY_DEATH), 1u) << "a dead owl does not die again";
    Run(stomped, 3.95f);
    EXPECT_FALSE(stomped.IsRemoved());
    Run(stomped, 0.1f);
    EXPECT_TRUE(stomped.IsRemoved());

    MiniOwl flown = Owl(Props(), 0);
    flown.KillByPowerup();
    EXPECT_TRUE(flown.IsKilledByPowerup());
    float peak = flown.GetPosition().y;
    Run(flown, 0.25f);
    EXPECT_EQ(flown.GetPosition().z, -100.0f);
    EXPECT_GT(flown.GetPosition().y, FLOOR_Y + 50.0f) << "rises first";
    for (int frame = 0; frame < 120; ++frame)
    {
        flown.Update(Context());
        peak = std::max(peak, flown.GetPosition().y);
    }
    EXPECT_LT(flown.GetPosition().y, peak) << "then falls";
    Run(flown, 1.7f);
    EXPECT_TRUE(flown.IsRemoved()) << "fell out of the level before its 4 s were up";
    EXPECT_LT(flown.GetPosition().y, -400.0f);
}

TEST_F(OwlTest, OnlyTheTwoNearestOwlsAreHeardAndStepsFollowTheWalkClip)
{
    Row(-500, 1500, 0);
    PlacePlayer(0, 50);
    for (float x : {100.0f, 200.0f, 300.0f})
    {
        const Props props = Props().Tag(ObjectTag::EnemyMiniOwl);
        World().CreateObject(GameplayTest::At(x, FLOOR_Y), props.Data(), props.Count());
    }
    ASSERT_EQ(World().myMiniOwls.size(), 3u);
    for (MiniOwl& owl : World().myMiniOwls)
        ASSERT_TRUE(owl.GetWalkClip().Bind(MakeClip(30, 30.0f)));
    World().myPlayer.HandleEnemyContacts(Context());
    EXPECT_TRUE(World().myMiniOwls[0].IsActive());
    EXPECT_TRUE(World().myMiniOwls[1].IsActive());
    EXPECT_FALSE(World().myMiniOwls[2].IsActive());
    for (MiniOwl& owl : World().myMiniOwls)
        owl.Update(Context());
    const float effects = GetAudioManager().GetSfxVolume();
    EXPECT_NEAR(World().myMiniOwls[0].GetIdleSound().GetVolume(), effects * (1.0f - 100.0f / 3000.0f), 1e-3f);
    EXPECT_EQ(World().myMiniOwls[2].GetIdleSound().GetVolume(), 0.0f) << "not among the two nearest";

    // Steps land on walk frames 5 and 25, at most one every 0.1 s.
    MiniOwl& walker = World().myMiniOwls[0];
    Qel::u32 plays = 0;
    for (int frame = 0; frame < 5 * 60; ++frame)
    {
        World().myPlayer.HandleEnemyContacts(Context());
        const int clipFrame = static_cast<int>(walker.GetWalkClip().myTime * 30.0f);
        walker.Update(Context());
        Qel::u32 now = 0;
        for (int i = 0; i < 4; ++i)
            now += walker.GetStepSound(i).GetPlayCount();
        if (now != plays)
        {
            EXPECT_TRUE(clipFrame == 5 || clipFrame == 25) << clipFrame;
        }
        plays = now;
    }
    // 30 frames at 30 fps advanced 1.95 times as fast: about 2 steps a cycle, ~0.5 s a cycle.
    EXPECT_GE(plays, 12u);
    EXPECT_LE(plays, 25u);

    // Left behind beyond its walking range, an owl's volume still follows the distance (it
    // does not keep the volume it had when near), and an inaudible one is silent.
    const float x = walker.GetPosition().x;
    PlacePlayer(x + 2700.0f, 50);
    walker.SetActive(true);
    walker.Update(Context());
    EXPECT_EQ(walker.GetPosition().x, x) << "too far to walk";
    EXPECT_NEAR(walker.GetIdleSound().GetVolume(), effects * (1.0f - 2700.0f / 3000.0f), 1e-3f);
    walker.SetActive(false);
    walker.Update(Context());
    EXPECT_EQ(walker.GetIdleSound().GetVolume(), 0.0f);
}

TEST_F(OwlTest, FlyingOwlHoversNearItsHomeHeight)
{
    PlacePlayer(0, 0);
    FlyingMiniOwl owl = Flyer(Props(), 0, 500);
    EXPECT_EQ(owl.GetState(), FlyingMiniOwl::STATE_HOVERING);
    EXPECT_EQ(owl.GetHomeHeight(), 550.0f);
    float drift = 0.0f;
    for (int frame = 0; frame < 60 * 60; ++frame)
    {
        owl.Update(Context());
        drift = std::max(drift, std::fabs(owl.GetFlightPosition().y - owl.GetHomeHeight()));
        ASSERT_EQ(owl.GetFlightPosition().x, 0.0f);
    }
    EXPECT_LE(drift, 55.0f);
    EXPECT_GT(drift, 5.0f) << "it bobs";
    EXPECT_EQ(owl.GetState(), FlyingMiniOwl::STATE_HOVERING);
    EXPECT_NEAR(owl.GetHitbox().myPosition.y, owl.GetFlightPosition().y + 15.0f, 1e-3f);
    EXPECT_NEAR(owl.GetPosition().y, owl.GetFlightPosition().y - 50.0f, 1e-3f);
}

TEST_F(OwlTest, FlyingOwlFliesToItsWaypointWaitsAndTurns)
{
    PlacePlayer(0, 0);
    const Props props = Props()
                            .Add("Waypoint1", Qel::Vector3f(-100.0f, 550.0f, 0.0f))
                            .Add("Waypoint2", Qel::Vector3f(100.0f, 550.0f, 0.0f));
    FlyingMiniOwl owl = Flyer(props, 0, 500);
    ASSERT_EQ(owl.GetState(), FlyingMiniOwl::STATE_FLYING);
    EXPECT_EQ(owl.GetDirection(), 1.0f);
    int frames = 0;
    while (owl.GetState() == FlyingMiniOwl::STATE_FLYING && frames < 600)
    {
        owl.Update(Context());
        ++frames;
    }
    EXPECT_EQ(owl.GetState(), FlyingMiniOwl::STATE_WAITING);
    EXPECT_GT(frames * DT, 0.8f) << "100 units at 100 per second, bobbing";
    EXPECT_LT(frames * DT, 2.0f);
    EXPECT_EQ(owl.GetDirection(), -1.0f) << "turned at the waypoint";
    Run(owl, 2.4f);
    EXPECT_EQ(owl.GetState(), FlyingMiniOwl::STATE_WAITING);
    Run(owl, 0.2f);
    EXPECT_EQ(owl.GetState(), FlyingMiniOwl::STATE_FLYING);
    EXPECT_EQ(owl.GetTarget(), Qel::Vector3f(100.0f, 550.0f, 0.0f));

    // Far from the player it stays where it is.
    FlyingMiniOwl far = Flyer(props, 5000, 500);
    Run(far, 2.0f);
    EXPECT_EQ(far.GetFlightPosition().x, 5000.0f);
}

TEST_F(OwlTest, FlyingOwlKillFallsAwayAndIsRemovedAfterFourSeconds)
{
    PlacePlayer(0, 0);
    FlyingMiniOwl owl = Flyer(Props(), 0, 500);
    for (int i = 0; i < 7; ++i)
        EXPECT_TRUE(owl.GetWingSound(i).IsCreated());
    game.ClearSounds();
    owl.Kill();
    EXPECT_EQ(game.CountEffect(SFX_ENEMY_DEATH), 1u);
    EXPECT_EQ(owl.GetState(), FlyingMiniOwl::STATE_DEAD);
    EXPECT_FLOAT_EQ(owl.GetClipSpeed(), 0.35f);
    EXPECT_FALSE(owl.GetHitbox().HasArea());
    EXPECT_FALSE(owl.GetWingSound(0).IsCreated());
    const float y = owl.GetFlightPosition().y;
    Run(owl, 1.0f);
    EXPECT_LT(owl.GetFlightPosition().y, y - 400.0f) << "falls at 1000 per second squared";
    EXPECT_EQ(owl.GetFlightPosition().z, -100.0f);
    Run(owl, 2.95f);
    EXPECT_FALSE(owl.IsRemoved());
    Run(owl, 0.1f);
    EXPECT_TRUE(owl.IsRemoved());
}
}
