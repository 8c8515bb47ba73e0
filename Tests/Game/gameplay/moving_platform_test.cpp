#include "GameWorld.h"
#include "Objects/MovingPlatform.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
constexpr float DT = 1.0f / 60.0f;

Qel::Matrix4x4 At(float aX, float aY, float aZ = 0.0f)
{
    return Qel::Matrix4x4::CreateTranslation({aX, aY, aZ});
}

MovingPlatformSettings Shuttle(float aAcceleration, float aDeceleration, float aMaxSpeed, Qel::Vector2f aTargetB)
{
    MovingPlatformSettings s;
    s.myHitboxWidth = 300.0f;
    s.myAcceleration = aAcceleration;
    s.myDeceleration = aDeceleration;
    s.myMaxSpeed = aMaxSpeed;
    s.myTargetB = aTargetB;
    return s;
}

struct PlatformRun
{
    GameWorld world;
    GameContext context{&world, nullptr, nullptr, DT, nullptr};
};
}

TEST(MovingPlatform, AcceleratesBrakesAndSnapsOntoItsPoint)
{
    // Acceleration 100, deceleration 100, max speed 200 over 1000 units: it reaches 200 and no
    // more, starts braking about 200 units out and stops exactly on the point.
    PlatformRun run;
    MovingPlatform p;
    p.Init(At(0, 500, 200), Shuttle(100, 100, 200, {1000, 0}));
    p.InitTargets();
    EXPECT_EQ(p.GetTarget(), Qel::Vector3f(1000, 500, 200));

    float topSpeed = 0.0f, brakeStart = -1.0f, time = 0.0f, lastSpeed = 0.0f;
    bool snapped = false;
    for (int frame = 0; frame < 60 * 10 && !snapped; ++frame)
    {
        const float before = p.GetSpeed();
        p.Update(run.context);
        time += DT;
        topSpeed = std::max(topSpeed, p.GetSpeed());
        if (brakeStart < 0.0f && p.GetSpeed() < before)
            brakeStart = 1000.0f - p.GetPosition().x;
        if (p.GetTarget() == p.GetPointA())
            snapped = true;
        else
            lastSpeed = p.GetSpeed();
    }
    ASSERT_TRUE(snapped);
    EXPECT_FLOAT_EQ(topSpeed, 200.0f);
    EXPECT_NEAR(brakeStart, 200.0f, 5.0f);
    EXPECT_NEAR(time, 6.87f, 0.1f);
    EXPECT_LT(lastSpeed, 20.0f);
    EXPECT_EQ(p.GetPosition(), Qel::Vector3f(1000, 500, 200));
    EXPECT_EQ(p.GetSpeed(), 0.0f);
    EXPECT_EQ(p.GetModel().GetPosition().z, 200.0f);

    // Then it heads back to A.
    for (int i = 0; i < 60; ++i)
        p.Update(run.context);
    EXPECT_LT(p.GetPosition().x, 1000.0f);
    EXPECT_EQ(p.GetPosition().y, 500.0f);
}

TEST(MovingPlatform, SameTargetsSnapEveryFrameAndNeverMove)
{
    PlatformRun run;
    MovingPlatform p;
    p.Init(At(300, 200), Shuttle(100, 100, 200, {0, 0}));
    p.InitTargets();
    for (int i = 0; i < 120; ++i)
    {
        p.Update(run.context);
        EXPECT_EQ(p.GetPosition(), Qel::Vector3f(300, 200, 0));
        EXPECT_EQ(p.GetSpeed(), 0.0f);
    }
}

TEST(MovingPlatform, WaitsForTheFirstTouchThenMovesForGood)
{
    PlatformRun run;
    MovingPlatformSettings s = Shuttle(100, 100, 200, {1000, 0});
    s.myWaits = true;
    MovingPlatform p;
    p.Init(At(0, 500), s);
    p.InitTargets();
    run.world.myPlayer.SetHitbox({-500, 500, 70, 170});
    for (int i = 0; i < 30 * 60; ++i)
        p.Update(run.context);
    EXPECT_EQ(p.GetPosition(), Qel::Vector3f(0, 500, 0));
    EXPECT_FALSE(p.IsTouched());

    run.world.myPlayer.SetHitbox({0, 580, 70, 170});
    p.Update(run.context);
    EXPECT_TRUE(p.IsTouched());
    run.world.myPlayer.SetHitbox({-500, 500, 70, 170});
    for (int i = 0; i < 120; ++i)
        p.Update(run.context);
    EXPECT_GT(p.GetPosition().x, 10.0f);
}

TEST(MovingPlatform, UnusableSettingsAreMendedWithAMessage)
{
    struct Case
    {
        const char* name;
        MovingPlatformSettings settings;
        const char* message;
        bool arrives;
    } cases[] = {
        {"no deceleration", Shuttle(100, 0, 200, {1000, 0}), "Deacceleration 0 cannot brake", true},
        {"no acceleration", Shuttle(0, 100, 200, {1000, 0}), "Acceleration 0 cannot start it", true},
        {"too fast", Shuttle(4000, 4000, 2000, {1000, 0}), "MaxSpeed 2000", true},
        {"no speed at all", Shuttle(0, 0, 200, {1000, 0}), "neither Acceleration nor Deacceleration", false},
        {"NaN deceleration", Shuttle(100, NAN, 200, {1000, 0}), "Deacceleration 0 cannot brake", true},
    };
    for (const Case& c : cases)
    {
        PlatformRun run;
        MovingPlatform p;
        testing::internal::CaptureStdout();
        p.Init(At(0, 500), c.settings, "Lift");
        const std::string out = testing::internal::GetCapturedStdout();
        EXPECT_NE(out.find("Moving platform \"Lift\""), std::string::npos) << c.name << ": " << out;
        EXPECT_NE(out.find(c.message), std::string::npos) << c.name << ": " << out;
        p.InitTargets();
        bool arrived = false;
        float topSpeed = 0.0f;
        for (int i = 0; i < 60 * 30 && !arrived; ++i)
        {
            p.Update(run.context);
            ASSERT_TRUE(std::isfinite(p.GetPosition().x)) << c.name;
            topSpeed = std::max(topSpeed, p.GetSpeed());
            arrived = p.GetTarget() == p.GetPointA();
        }
        EXPECT_EQ(arrived, c.arrives) << c.name;
        EXPECT_LE(topSpeed, MovingPlatform::MAX_CARRY_SPEED) << c.name;
        if (c.arrives)
        {
            EXPECT_EQ(p.GetPosition().x, 1000.0f) << c.name;
        }
    }
}

TEST(MovingPlatform, NeverOvershootsItsPoint)
{
    // A step far longer than the snap distance at the last frame would pass the point; the
    // platform lands on it instead and turns back.
    PlatformRun run;
    run.context.dt = 0.03f;
    MovingPlatform p;
    p.Init(At(0, 0), Shuttle(10000, 100000, 500, {1000, 0}));
    p.InitTargets();
    float maxX = 0.0f;
    for (int i = 0; i < 200; ++i)
    {
        p.Update(run.context);
        maxX = std::max(maxX, p.GetPosition().x);
    }
    EXPECT_EQ(maxX, 1000.0f);
}

TEST(MovingPlatform, CarriesItsRiderBetweenTargets)
{
    // The tile map's update moves the platform and records its frame delta; a box that sweeps
    // down onto it every frame rides it from one end to the other, up and right, and back.
    GameWorld world;
    GameContext context{&world, nullptr, nullptr, DT, nullptr};
    TileMap& map = world.myTileMap;
    MovingPlatform& p = map.AddMovingPlatform([] {
        MovingPlatform platform;
        platform.Init(At(1000, 500), Shuttle(200, 200, 150, {600, 300}));
        platform.InitTargets();
        return platform;
    }());
    Box rider(1000, 600, 50, 50);
    float vy = 0.0f;
    int offFrames = 0;
    float furthestX = 0.0f;
    bool turnedBack = false;
    for (int frame = 0; frame < 60 * 12; ++frame)
    {
        vy -= 2000.0f * DT;
        const TileMoveResult r = map.SweepBox(rider, 0.0f, vy * DT);
        rider.myPosition += Qel::Vector2f(r.myDx, r.myDy);
        if (r.myHitY < 0)
            vy = 0.0f;
        else if (frame > 30)
            ++offFrames;
        map.UpdateTiles(context);
        furthestX = std::max(furthestX, rider.myPosition.x);
        turnedBack = turnedBack || p.GetTarget() == p.GetPointA();
        // The rider stays over the platform and on its top.
        if (frame > 30)
        {
            EXPECT_NEAR(rider.myPosition.x - p.GetPosition().x, 0.0f, 15.0f) << frame;
            EXPECT_NEAR(rider.myPosition.y - (p.GetHitbox().myPosition.y + 72.0f), 0.0f, 15.0f) << frame;
        }
    }
    EXPECT_EQ(offFrames, 0);
    EXPECT_TRUE(turnedBack);
    EXPECT_GT(furthestX, 1550.0f);
}
