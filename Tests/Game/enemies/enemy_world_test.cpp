// The enemies inside the world: made by the factory from their tags, met by the player's
// contact pass, killed by bumped blocks, and kept playable when their content is broken.
#include "EnemyTestSupport.h"

#include "AudioManager.h"
#include "Go.h"
#include "Objects/BeetleTank.h"
#include "Player.h"
#include "TileBehavior.h"

#include <cmath>
#include <memory>

using namespace EnemyTest;
using GameplayTest::At;
using GameplayTest::Props;
using Qel::ObjectTag;

namespace
{
void PlaceAt(Player& aPlayer, float aX, float aBottom, float aVerticalVelocity)
{
    aPlayer.SetHitbox(Box(aX, aBottom + 85.0f, 70.0f, 170.0f));
    aPlayer.SetPosition({aX, aBottom, 0.0f});
    aPlayer.SetVerticalVelocity(aVerticalVelocity);
}

TEST(EnemyContacts, StompOrHurtByKindAndApproach)
{
    struct Case
    {
        ObjectTag tag;
        float playerBottom;
        float vy;
        bool stomp;
        float landedY;
    };
    const Case cases[] = {
        {ObjectTag::EnemyMiniOwl, 110.0f, -100.0f, true, 167.5f},
        {ObjectTag::EnemyMiniOwl, 60.0f, 100.0f, false, 0.0f},    // rising into it hurts
        {ObjectTag::EnemyBeetletank, 150.0f, -100.0f, true, 235.0f},
        {ObjectTag::EnemyBeetletank, 100.0f, 100.0f, false, 0.0f},
        {ObjectTag::EnemyFlyingMiniOwl, 100.0f, -100.0f, true, 165.0f},
        {ObjectTag::EnemyFlyingMiniOwl, 40.0f, -100.0f, false, 0.0f},   // below its centre
        {ObjectTag::EnemyPipeMole, -120.0f, -100.0f, false, 0.0f},      // never stomped
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(static_cast<int>(c.tag));
        SCOPED_TRACE(c.vy);
        GameplayTest::GameplayFixture game{DT};
        game.AddDefinition("QLO_BeetleTank_Projectile", Props().Float("MaxSpeed", 1000.0f));
        const Props props = Props().Tag(c.tag);
        game.myWorld.CreateObject(At(0, 0), props.Data(), props.Count());
        Player& player = game.myWorld.myPlayer;
        PlaceAt(player, 0, c.playerBottom, c.vy);
        game.ClearSounds();
        player.HandleEnemyContacts(game.myContext);
        EXPECT_EQ(player.IsHitPending(), !c.stomp);
        if (c.stomp)
        {
            EXPECT_NEAR(player.GetPosition().y, c.landedY, 1e-3f);
            EXPECT_EQ(player.GetVerticalVelocity(), 2000.0f);
            EXPECT_EQ(game.myHud.GetScore(), 1000);
            EXPECT_EQ(game.CountEffect(SFX_ENEMY_DEATH), 1u);
            // A dead enemy is neither stomped nor felt again on the way back down.
            PlaceAt(player, 0, c.playerBottom, -100.0f);
            player.HandleEnemyContacts(game.myContext);
            EXPECT_EQ(game.myHud.GetScore(), 1000);
            EXPECT_FALSE(player.IsHitPending());
        }
    }
}

TEST(EnemyContacts, TankShellHurtsOnlyWhileFlying)
{
    GameplayTest::GameplayFixture game{DT};
    game.AddDefinition("QLO_BeetleTank_Projectile", Props().Float("MaxSpeed", 1000.0f));
    const Props props = Props().Tag(ObjectTag::EnemyBeetletank);
    game.myWorld.CreateObject(At(0, 0), props.Data(), props.Count());
    BeetleTank& tank = game.myWorld.myBeetleTanks.at(0);
    Player& player = game.myWorld.myPlayer;
    // Standing where the barrel is, well above the body.
    PlaceAt(player, 0, tank.GetPipePosition().y - 20.0f, 0.0f);
    ASSERT_TRUE(player.GetHitbox().Contains({tank.GetPipePosition().x, tank.GetPipePosition().y}));
    ASSERT_FALSE(player.GetHitbox().Overlaps(tank.GetBodyBox()));
    player.HandleEnemyContacts(game.myContext);
    EXPECT_FALSE(player.IsHitPending()) << "a shell in the barrel does not hurt";
}

TEST(EnemyContacts, AShellAtItsTopSpeedMeetsThePlayerAtTheLongestFrame)
{
    const float dt = ClampFrameTime(1.0f);
    const PlayerSettings settings;
    // Standing, walking and sprinting at the shell; at every offset of the shot against the frames.
    for (const float speed : {0.0f, settings.myMaxWalkSpeed, settings.myMaxSprintSpeed})
        for (float offset = 0.0f; offset < 100.0f; offset += 3.0f)
        {
            SCOPED_TRACE(speed);
            SCOPED_TRACE(offset);
            GameplayTest::GameplayFixture game{dt};
            game.AddDefinition("QLO_BeetleTank_Projectile",
                               Props().Float("Acceleration", 1.0e9f).Float("MaxSpeed", BeetleTankProjectile::MAX_MAX_SPEED));
            for (float x = -1500.0f; x <= 3000.0f; x += 100.0f)
                game.myWorld.myTileMap.AddTile(At(x, 0.0f), TileDescription{}, nullptr);
            game.myWorld.myCamera = std::make_unique<Qel::Camera>();
            game.myWorld.myCamera->SetOrthographicProjection(1400.0f * 16.0f / 9.0f, 1400.0f, 10000.0f);
            game.myWorld.myCamera->SetPosition({0.0f, 700.0f, -1000.0f});
            const Props props = Props().Tag(ObjectTag::EnemyBeetletank).Float("MaxPatrolSpeed", 1.0f);
            game.myWorld.CreateObject(At(0.0f, 52.5f), props.Data(), props.Count());
            BeetleTank& tank = game.myWorld.myBeetleTanks.at(0);
            Player& player = game.myWorld.myPlayer;
            float x = 600.0f + offset;
            PlaceAt(player, x, 50.0f, 0.0f);
            bool flying = false;
            bool hit = false;
            for (int frame = 0; frame < 400 && !hit; ++frame)
            {
                // The play screen's order: the player meets the enemies where the last frame
                // left it, then moves; then the enemies move.
                player.HandleEnemyContacts(game.myContext);
                hit = player.IsHitPending();
                if (flying)
                {
                    x -= speed * dt;
                    PlaceAt(player, x, 50.0f, 0.0f);
                }
                tank.Update(game.myContext);
                const BeetleTankProjectile& shell = tank.GetShell();
                if (flying && shell.GetState() != BeetleTankProjectile::STATE_FLYING)
                    break;
                // Fired at its firing speed, at the top speed from its first flying frame on.
                ASSERT_TRUE(!flying || shell.GetSpeed() == BeetleTankProjectile::MAX_MAX_SPEED);
                flying = shell.GetState() == BeetleTankProjectile::STATE_FLYING;
                if (flying && shell.GetBox().GetMin().x > player.GetHitbox().GetMax().x)
                    break;   // passed
            }
            EXPECT_TRUE(hit);
        }
}

class EnemyWorldTest : public EnemyFixture
{
protected:
    void Create(const Props& aProps, float aX, float aY)
    {
        World().CreateObject(At(aX, aY), aProps.Data(), aProps.Count());
    }
};

TEST_F(EnemyWorldTest, FactoryBuildsEachKindIntoItsListWithItsPostInit)
{
    game.AddDefinition("QLO_BeetleTank_Projectile", Props().Float("MaxSpeed", 1000.0f));
    World().SetSpawnSource("levels/enemies.qls");
    Create(Props().Tag(ObjectTag::EnemyMiniOwl).Bool("InitialDirectionIsLeft", true), 100, 50);
    Create(Props().Tag(ObjectTag::EnemyMiniOwl), 200, 50);
    Create(Props().Tag(ObjectTag::EnemyFlyingMiniOwl), 300, 400);
    Create(Props().Tag(ObjectTag::EnemyBeetletank), 400, 50);
    Create(Props().Tag(ObjectTag::EnemyPipeMole), 500, 50);
    ASSERT_EQ(World().myMiniOwls.size(), 2u);
    ASSERT_EQ(World().myFlyingMiniOwls.size(), 1u);
    ASSERT_EQ(World().myBeetleTanks.size(), 1u);
    ASSERT_EQ(World().myPipeMoles.size(), 1u);
    EXPECT_EQ(World().myMiniOwls[0].GetDirection(), -1.0f);
    EXPECT_EQ(World().myMiniOwls[1].GetDirection(), 1.0f);
    EXPECT_TRUE(World().myMiniOwls[1].GetIdleSound().IsCreated()) << "sounds survive the move into the list";
    EXPECT_EQ(World().myFlyingMiniOwls[0].GetState(), FlyingMiniOwl::STATE_HOVERING);
    EXPECT_EQ(World().myBeetleTanks[0].GetReloadTimer(), 2.5f);
    EXPECT_EQ(World().myPipeMoles[0].GetPeekTimer(), 4.0f);
    EXPECT_TRUE(Messages().empty()) << (Messages().empty() ? "" : Messages()[0]);

    World().ClearLevel();
    EXPECT_TRUE(World().myMiniOwls.empty());
    EXPECT_TRUE(World().myBeetleTanks.empty());
    EXPECT_TRUE(World().myPipeMoles.empty());
}

TEST_F(EnemyWorldTest, BumpedBlockKillsWhatStandsOnItButNotAMole)
{
    game.AddDefinition("QLO_BeetleTank_Projectile", Props().Float("MaxSpeed", 1000.0f));
    struct Case
    {
        ObjectTag tag;
        float y;
        bool killed;
    };
    const Case cases[] = {
        {ObjectTag::EnemyMiniOwl, 47.5f, true},
        {ObjectTag::EnemyFlyingMiniOwl, 0.0f, true},
        {ObjectTag::EnemyBeetletank, 52.5f, true},
        {ObjectTag::EnemyPipeMole, 150.0f, false},
    };
    float x = 0.0f;
    for (const Case& c : cases)
    {
        SCOPED_TRACE(static_cast<int>(c.tag));
        Create(Props().Tag(ObjectTag::BlockBreakable), x, 0);
        Create(Props().Tag(c.tag), x, c.y);
        const Qel::i32 score = game.myHud.GetScore();
        Map().SweepPlayerBox({x, -105.0f, 50.0f, 100.0f}, 300.0f, false, 0.0f, 10.0f);
        game.StepTiles();
        bool dead = false;
        switch (c.tag)
        {
        case ObjectTag::EnemyMiniOwl: dead = World().myMiniOwls.back().IsKilledByPowerup(); break;
        case ObjectTag::EnemyFlyingMiniOwl: dead = World().myFlyingMiniOwls.back().IsDead(); break;
        case ObjectTag::EnemyBeetletank: dead = World().myBeetleTanks.back().IsKilledByPowerup(); break;
        default: dead = World().myPipeMoles.back().IsDead(); break;
        }
        EXPECT_EQ(dead, c.killed);
        EXPECT_EQ(game.myHud.GetScore() - score, c.killed ? 1000 : 0);
        x += 1000.0f;
    }
}

TEST_F(EnemyWorldTest, BrokenEnemySettingsAreMendedWithTheFileNamedAndTheLevelPlays)
{
    World().SetSpawnSource("levels/broken.qls");
    Create(Props()
               .Tag(ObjectTag::EnemyMiniOwl)
               .Float("MaxPatrolSpeed", -20.0f)
               .Float("PatrolSpeedAcceleration", 0.0f)
               .Float("Waypoint1", -90000.0f)
               .Float("Waypoint2", 1.0e9f)
               .Float("MaxVelocityY", std::nanf("")),
           0, 47.5f);
    Create(Props()
               .Tag(ObjectTag::EnemyFlyingMiniOwl)
               .Float("HorizontalSpeed", 0.0f)
               .Add("Waypoint1", Qel::Vector3f(-1.0e7f, 200.0f, 0.0f)),
           300, 400);
    Create(Props().Tag(ObjectTag::EnemyBeetletank).Float("MaxPatrolSpeed", 1.0e8f), 600, 52.5f);
    Create(Props().Tag(ObjectTag::EnemyPipeMole).Float("MaxVelocityY", -5.0f).Float("TimeInSecondsBetweenPeekaboos", -1.0f),
           900, 0);

    const auto mentions = [&](const char* aKey) {
        for (const std::string& message : Messages())
            if (message.find("levels/broken.qls") != std::string::npos && message.find(aKey) != std::string::npos)
                return true;
        return false;
    };
    for (const char* key : {"\"MaxPatrolSpeed\"", "\"PatrolSpeedAcceleration\"", "\"Waypoint1\"", "\"Waypoint2\"",
                            "\"MaxVelocityY\"", "\"HorizontalSpeed\"", "QLO_BeetleTank_Projectile",
                            "\"TimeInSecondsBetweenPeekaboos\""})
        EXPECT_TRUE(mentions(key)) << key;

    // The level still runs: every enemy moves, nothing becomes NaN, the tank holds its fire.
    Row(-2000, 2000, 0);
    PlacePlayer(450, 50);
    Camera(450, 700);
    for (int frame = 0; frame < 20 * 60; ++frame)
    {
        for (MiniOwl& owl : World().myMiniOwls)
            owl.Update(Context());
        for (FlyingMiniOwl& owl : World().myFlyingMiniOwls)
            owl.Update(Context());
        for (BeetleTank& tank : World().myBeetleTanks)
            tank.Update(Context());
        for (PipeMole& mole : World().myPipeMoles)
            mole.Update(Context());
    }
    const MiniOwl& owl = World().myMiniOwls.at(0);
    EXPECT_TRUE(std::isfinite(owl.GetPosition().x) && std::isfinite(owl.GetPosition().y));
    EXPECT_GE(owl.GetPosition().x, TileMap::GRID_MIN_X);
    EXPECT_LT(std::fabs(owl.GetSpeed()), 50.001f);
    const FlyingMiniOwl& flyer = World().myFlyingMiniOwls.at(0);
    EXPECT_LT(flyer.GetFlightPosition().x, 300.0f) << "flies toward the clamped waypoint";
    EXPECT_GE(flyer.GetTarget().x, TileMap::GRID_MIN_X);
    const BeetleTank& tank = World().myBeetleTanks.at(0);
    EXPECT_FALSE(tank.GetShell().CanFire());
    EXPECT_EQ(tank.GetShell().GetState(), BeetleTankProjectile::STATE_IN_BARREL);
    EXPECT_LE(std::fabs(tank.GetSpeed()), BeetleTank::MAX_SPEED_LIMIT);
    EXPECT_NE(World().myPipeMoles.at(0).GetState(), PipeMole::STATE_DEAD);
}
}
