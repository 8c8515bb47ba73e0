#include "EnemyTestSupport.h"

#include "AudioManager.h"
#include "Objects/BeetleTank.h"

#include <algorithm>
#include <cmath>

using namespace EnemyTest;
using GameplayTest::Props;
using Qel::ObjectTag;

namespace
{
// On a floor of cells centred y = 0 the tank's feet are at 52.5 and its barrel at 202.5; a
// player standing at 127.5 is aimed at level (the aim point is 75 above the feet).
constexpr float FLOOR_Y = 52.5f;
constexpr float BARREL_Y = FLOOR_Y + 150.0f;
constexpr float LEVEL_PLAYER_Y = BARREL_Y - 75.0f;

class BeetleTankTest : public EnemyFixture
{
protected:
    BeetleTankTest()
    {
        game.AddDefinition("QLO_BeetleTank_Projectile", Props().Float("Acceleration", 500.0f).Float("MaxSpeed", 1000.0f));
        Row(-1500, 1500, 0);
        Camera(0, 700);
    }

    BeetleTank Tank(const Props& aProps, float aX, float aY = FLOOR_Y)
    {
        BeetleTank tank = Make<BeetleTank>(aProps, aX, aY);
        tank.SetListIndex(0);
        return tank;
    }

    // Frames (from now) on which the cannon sounded during aSeconds.
    std::vector<float> ShotTimes(BeetleTank& aTank, float aSeconds)
    {
        std::vector<float> times;
        game.ClearSounds();
        Qel::u32 shots = 0;
        const int frames = static_cast<int>(aSeconds / DT + 0.5f);
        for (int frame = 1; frame <= frames; ++frame)
        {
            aTank.Update(Context());
            const Qel::u32 now = game.CountEffect(SFX_BEETLE_CANNON);
            if (now != shots)
                times.push_back(static_cast<float>(frame) * DT);
            shots = now;
        }
        return times;
    }
};

TEST_F(BeetleTankTest, FiresEveryShellLifeAndReloadWhileOnScreenWithThePlayerInFront)
{
    PlacePlayer(600, LEVEL_PLAYER_Y);
    BeetleTank tank = Tank(Props(), 0);
    EXPECT_EQ(tank.GetReloadTimer(), 2.5f);
    EXPECT_EQ(tank.GetShell().GetState(), BeetleTankProjectile::STATE_IN_BARREL);
    EXPECT_FALSE(tank.GetShellBox().HasArea()) << "a shell in the barrel touches nothing";
    Run(tank, 1.8f);
    EXPECT_TRUE(tank.IsShotPlaying()) << "the recoil starts 0.75 s before the shot";
    EXPECT_EQ(tank.GetShotWeight(), 1.0f);

    const std::vector<float> shots = ShotTimes(tank, 8.5f - 1.8f);
    ASSERT_EQ(shots.size(), 2u);
    EXPECT_NEAR(shots[0] + 1.8f, 2.5f, 2.0f * DT);
    EXPECT_NEAR(shots[1] - shots[0], 5.0f, 3.0f * DT) << "2.5 s of flight, then 2.5 s of reload";
}

TEST_F(BeetleTankTest, FlyingShellSpeedsUpAndHurtsOnlyWhileFlying)
{
    PlacePlayer(600, LEVEL_PLAYER_Y);
    BeetleTank tank = Tank(Props(), 0);
    Run(tank, 2.55f);
    const BeetleTankProjectile& shell = tank.GetShell();
    ASSERT_EQ(shell.GetState(), BeetleTankProjectile::STATE_FLYING);
    EXPECT_EQ(tank.GetShellBox().GetSize(), Qel::Vector2f(25.0f, 25.0f));
    EXPECT_NEAR(shell.GetDirection().x, 1.0f, 1e-4f);
    EXPECT_NEAR(shell.GetDirection().y, 0.0f, 1e-4f);
    Run(tank, 1.6f);
    EXPECT_EQ(shell.GetSpeed(), 1000.0f) << "250 plus 500 per second, up to its maximum";
    EXPECT_NEAR(shell.GetBox().myPosition.x, shell.GetPosition().x, 1e-4f);
}

TEST_F(BeetleTankTest, PlayerBehindHoldsTheShotAndOffScreenHoldsTheReload)
{
    PlacePlayer(-600, LEVEL_PLAYER_Y);
    BeetleTank tank = Tank(Props(), 0);
    EXPECT_TRUE(ShotTimes(tank, 4.0f).empty());
    EXPECT_LT(tank.GetReloadTimer(), 0.0f) << "the reload runs down";
    EXPECT_FALSE(tank.IsShotPlaying());
    PlacePlayer(tank.GetPosition().x + 600.0f, LEVEL_PLAYER_Y);
    EXPECT_EQ(ShotTimes(tank, 0.1f).size(), 1u) << "fires as soon as the player is in front";

    Camera(10000, 700);
    BeetleTank hidden = Tank(Props(), 0);
    PlacePlayer(600, LEVEL_PLAYER_Y);
    EXPECT_TRUE(ShotTimes(hidden, 10.0f).empty());
    EXPECT_EQ(hidden.GetReloadTimer(), 2.5f);
    World().myCamera.reset();
    EXPECT_FALSE(BeetleTank::IsOnScreen({0, 0, 0}, nullptr)) << "no camera: nothing is on screen";
}

TEST_F(BeetleTankTest, ShellNeverFiresDownward)
{
    PlacePlayer(300, BARREL_Y - 75.0f - 500.0f);
    BeetleTank tank = Tank(Props(), 0);
    ASSERT_EQ(ShotTimes(tank, 2.6f).size(), 1u);
    const Qel::Vector3f direction = tank.GetShell().GetDirection();
    EXPECT_EQ(direction.y, 0.0f);
    EXPECT_NEAR(direction.Length(), 1.0f, 1e-5f);
    EXPECT_GT(direction.x, 0.99f);
}

TEST_F(BeetleTankTest, ShellBurstsOnAWallAndIsBackInTheBarrelSoonAfter)
{
    Map().AddTile(GameplayTest::At(400, 200), TileDescription{}, nullptr);
    PlacePlayer(600, LEVEL_PLAYER_Y);
    BeetleTank tank = Tank(Props().Float("MaxPatrolSpeed", 1.0f), 0);
    Run(tank, 2.5f);
    int frames = 0;
    while (tank.GetShell().GetState() != BeetleTankProjectile::STATE_BURST && frames < 120)
    {
        tank.Update(Context());
        ++frames;
    }
    ASSERT_EQ(tank.GetShell().GetState(), BeetleTankProjectile::STATE_BURST);
    EXPECT_LE(tank.GetShell().GetPosition().x, 350.0f - 12.5f + 1e-3f) << "stopped at the wall's face";
    EXPECT_FALSE(tank.GetShellBox().HasArea());
    Run(tank, 0.08f);
    EXPECT_EQ(tank.GetShell().GetState(), BeetleTankProjectile::STATE_BURST);
    Run(tank, 0.05f);
    EXPECT_EQ(tank.GetShell().GetState(), BeetleTankProjectile::STATE_IN_BARREL);
    EXPECT_NEAR(tank.GetShell().GetPosition().y, tank.GetPipePosition().y, 1e-3f);
}

TEST_F(BeetleTankTest, ShellAtItsFastestNeverPassesAWallAtTheLongestFrame)
{
    game.AddDefinition("QLO_BeetleTank_Projectile", Props().Float("Acceleration", 1.0e9f).Float("MaxSpeed", 1.0e6f));
    Map().AddTile(GameplayTest::At(1000, 200), TileDescription{}, nullptr);
    Context().dt = 0.03f;
    bool reported = false;
    for (float start = 0.0f; start < 130.0f; start += 3.0f)
    {
        BeetleTankProjectile shell{};
        shell.Init({start, 200.0f, 0.0f}, &World().GetContentReport(), "levels/enemies.qls");
        EXPECT_EQ(shell.GetMaxSpeed(), BeetleTankProjectile::MAX_MAX_SPEED);
        shell.Fire({1.0f, 0.0f, 0.0f});
        for (int frame = 0; frame < 100 && shell.GetState() == BeetleTankProjectile::STATE_FLYING; ++frame)
        {
            shell.Update(Context(), {start, 200.0f, 0.0f});
            ASSERT_LE(shell.GetPosition().x, 950.0f - 12.5f + 1e-3f) << "from " << start;
        }
        EXPECT_EQ(shell.GetState(), BeetleTankProjectile::STATE_BURST) << "from " << start;
    }
    for (const std::string& message : Messages())
        reported |= message.find("QLO_BeetleTank_Projectile.qlo") != std::string::npos &&
                    message.find("MaxSpeed") != std::string::npos && message.find("3000") != std::string::npos;
    EXPECT_TRUE(reported);
}

TEST_F(BeetleTankTest, StompHidesThePipeAndShellButAPowerUpKillKeepsThePipe)
{
    PlacePlayer(300, LEVEL_PLAYER_Y);
    BeetleTank stomped = Tank(Props(), 0);
    game.ClearSounds();
    stomped.KillByJumpOn();
    EXPECT_EQ(game.CountEffect(SFX_ENEMY_DEATH), 1u);
    EXPECT_TRUE(stomped.IsStomped());
    EXPECT_FALSE(stomped.IsPipeDrawn());
    EXPECT_FALSE(stomped.IsShellDrawn());
    for (const Box& box : {stomped.GetBodyBox(), stomped.GetTopBox(), stomped.GetFrontProbe(), stomped.GetShellBox()})
        EXPECT_FALSE(box.HasArea());
    EXPECT_FALSE(stomped.GetIdleSound().IsCreated());
    Run(stomped, 3.95f);
    EXPECT_FALSE(stomped.IsRemoved());
    Run(stomped, 0.1f);
    EXPECT_TRUE(stomped.IsRemoved());

    BeetleTank flown = Tank(Props(), 0);
    flown.KillByPowerup();
    EXPECT_TRUE(flown.IsPipeDrawn());
    Run(flown, 0.25f);
    EXPECT_EQ(flown.GetPosition().z, -200.0f);
    EXPECT_GT(flown.GetPosition().y, FLOOR_Y + 50.0f) << "jumps up";
    const Qel::Vector3f offset = flown.GetPipePosition() - flown.GetPosition();
    EXPECT_NEAR(offset.Length(), 150.0f, 0.01f) << "the pipe rides 150 up in the body's frame";
    Run(flown, 3.7f);
    EXPECT_FALSE(flown.IsRemoved()) << "a tank does not leave at the level's bottom";
    Run(flown, 0.1f);
    EXPECT_TRUE(flown.IsRemoved());
}

TEST_F(BeetleTankTest, PatrolTurnsAtWallsAndLedgesAndFacesThePlayerBetweenWaypoints)
{
    PlacePlayer(0, LEVEL_PLAYER_Y);
    Map().AddTile(GameplayTest::At(300, 100), TileDescription{}, nullptr);
    BeetleTank walled = Tank(Props().Float("MaxPatrolSpeed", 200.0f).Float("PatrolSpeedAcceleration", 200.0f), 0);
    bool turned = false;
    for (int frame = 0; frame < 600 && !turned; ++frame)
    {
        walled.Update(Context());
        turned = walled.GetDirection() < 0.0f;
    }
    ASSERT_TRUE(turned) << "faces away from the wall";
    EXPECT_NEAR(walled.GetPosition().x, 250.0f - 37.5f, 0.01f);
    EXPECT_NEAR(walled.GetReloadTimer(), 2.5f, DT + 1e-4f) << "the turn restarts the reload";

    // A ledge: the floor ends at x = 650 for a tank walking right from 500.
    Map().RemoveTile(TileMap::WorldToCell({700, 0}));
    BeetleTank edge = Tank(Props().Float("MaxPatrolSpeed", 200.0f).Float("PatrolSpeedAcceleration", 200.0f), 500);
    PlacePlayer(500, LEVEL_PLAYER_Y);
    float maxX = 500.0f;
    turned = false;
    for (int frame = 0; frame < 600 && !turned; ++frame)
    {
        edge.Update(Context());
        maxX = std::max(maxX, edge.GetPosition().x);
        turned = edge.GetDirection() < 0.0f;
    }
    ASSERT_TRUE(turned);
    EXPECT_LT(maxX, 625.0f);
    EXPECT_NEAR(edge.GetPosition().y, FLOOR_Y, 0.01f) << "never fell";

    PlacePlayer(-700, LEVEL_PLAYER_Y);
    BeetleTank patrol = Tank(Props().Float("Waypoint1", 200.0f).Float("Waypoint2", -200.0f), 0);
    ASSERT_TRUE(patrol.PatrolsWaypoints());
    patrol.Update(Context());
    EXPECT_EQ(patrol.GetDirection(), -1.0f) << "turns to the player behind it";
    float minX = 0.0f;
    maxX = 0.0f;
    for (int frame = 0; frame < 60 * 60; ++frame)
    {
        patrol.Update(Context());
        minX = std::min(minX, patrol.GetPosition().x);
        maxX = std::max(maxX, patrol.GetPosition().x);
        ASSERT_EQ(patrol.GetDirection(), -1.0f);
    }
    EXPECT_GT(maxX, 190.0f);
    EXPECT_LT(minX, -190.0f);
    EXPECT_LT(maxX, 205.0f);
    EXPECT_GT(minX, -205.0f);
}
}
