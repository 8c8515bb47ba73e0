// The play camera's rules as arithmetic: follow, dead zone, bounds, shake, cutscene framing, zoom.
#include "Util/PlayCamera.h"

#include "math/PerlinNoise.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>

namespace
{
constexpr float DT = 1.0f / 60.0f;

Qel::Vector3f RunFollow(PlayCamera::Follow& aFollow, Qel::Vector3f aCamera, const Qel::Vector3f& aPlayer,
                        int aFrames, float aDt = DT)
{
    const PlayCamera::Shake still;
    for (int i = 0; i < aFrames; ++i)
        aCamera = PlayCamera::FollowPlayer(aFollow, aCamera, aPlayer, still, aDt);
    return aCamera;
}

TEST(PlayCamera, FollowsHorizontallyOnlyAndSettlesWithThePlayerLeftOfCentre)
{
    for (const float playerY : {150.0f, 1300.0f, -200.0f})
    {
        for (const float dt : {DT, 0.03f})
        {
            PlayCamera::Follow follow{{500.0f, 0.0f, 0.0f}, 500.0f, FLT_MAX};
            const Qel::Vector3f camera =
                RunFollow(follow, {500.0f, 700.0f, -1000.0f}, {3000.0f, playerY, 0.0f}, 600, dt);
            EXPECT_NEAR(camera.x, 3400.0f, 1.0f) << playerY;
            EXPECT_FLOAT_EQ(camera.y, 700.0f);
            EXPECT_FLOAT_EQ(camera.z, -1000.0f);
        }
    }
}

TEST(PlayCamera, StandsStillInsideTheDeadZone)
{
    PlayCamera::Follow follow{{1000.0f, 0.0f, 0.0f}, 500.0f, FLT_MAX};
    // d = (900 - 1000 + 400, 0): 300 units, inside the 400 dead zone.
    const Qel::Vector3f camera = RunFollow(follow, {1000.0f, 700.0f, -1000.0f}, {900.0f, 700.0f, 0.0f}, 60);
    EXPECT_FLOAT_EQ(camera.x, 1000.0f);
    EXPECT_FLOAT_EQ(follow.myTarget.x, 1000.0f);
}

TEST(PlayCamera, TargetIsClampedToTheLevelBounds)
{
    struct Row
    {
        float playerX, left, right, expected;
    };
    const Row rows[] = {
        {-5000.0f, 500.0f, 9000.0f, 500.0f},    // left of the zipline: held at the left bound
        {20000.0f, 500.0f, 9000.0f, 9000.0f},   // past the goal: held at the goal
        {4000.0f, 500.0f, 9000.0f, 4400.0f},
    };
    for (const Row& row : rows)
    {
        PlayCamera::Follow follow{{row.left, 0.0f, 0.0f}, row.left, row.right};
        const Qel::Vector3f camera = RunFollow(follow, {row.left, 700.0f, -1000.0f}, {row.playerX, 150.0f, 0.0f}, 900);
        EXPECT_NEAR(camera.x, row.expected, 1.0f) << row.playerX;
    }
    EXPECT_EQ(PlayCamera::ClampTargetX(10.0f, 20.0f, 5.0f), 5.0f);   // right bound wins a crossed pair
}

TEST(PlayCamera, ZoomSetsTheOrthographicSize)
{
    const Qel::Vector2f full = PlayCamera::ViewSize(2560.0f, 1440.0f, 1.0f);
    EXPECT_NEAR(full.x, 2488.89f, 0.01f);
    EXPECT_FLOAT_EQ(full.y, 1400.0f);
    const Qel::Vector2f zoomed = PlayCamera::ViewSize(1920.0f, 1080.0f, 0.55f);
    EXPECT_NEAR(zoomed.x, 2488.89f * 0.55f, 0.01f);
    EXPECT_FLOAT_EQ(zoomed.y, 770.0f);
    EXPECT_TRUE(std::isfinite(PlayCamera::ViewSize(1920.0f, 0.0f, 1.0f).x));
}

TEST(PlayCamera, ShakeBuildsDuringTheEventStopsAfterThirtyAndDecays)
{
    const Qel::PerlinNoise noise(1234u);
    PlayCamera::Shake shake;
    bool moved = false;
    for (int i = 0; i < 300; ++i)
    {
        PlayCamera::UpdateShake(shake, true, noise, DT);
        EXPECT_GE(shake.myOffsetX, 0.0);
        EXPECT_LE(shake.myOffsetX, 200.0 * shake.myAmplitude + 1e-9);
        moved |= shake.myOffsetX != 0.0;
    }
    EXPECT_TRUE(moved);
    EXPECT_NEAR(shake.myTime, 300 * DT * 5.0f, 1e-3);
    EXPECT_GT(shake.myAmplitude, 0.0f);
    EXPECT_LT(shake.myAmplitude, 1.0f);

    // Past 30 units of noise time the event no longer shakes the camera: the offsets decay.
    while (shake.myTime <= PlayCamera::MAX_SHAKE_TIME)
        PlayCamera::UpdateShake(shake, true, noise, DT);
    const double before = std::abs(shake.myOffsetX) + std::abs(shake.myOffsetY);
    for (int i = 0; i < 300; ++i)
        PlayCamera::UpdateShake(shake, true, noise, DT);
    EXPECT_LT(std::abs(shake.myOffsetX) + std::abs(shake.myOffsetY), before * 0.01 + 1e-9);

    PlayCamera::Shake rest;
    PlayCamera::UpdateShake(rest, false, noise, DT);
    EXPECT_EQ(rest.myOffsetX, 0.0);
    EXPECT_EQ(rest.myTime, 0.0f);
}

TEST(PlayCamera, CutsceneFramingEasesToTheCutsceneAndRaisesTheCamera)
{
    PlayCamera::Follow follow{{1000.0f, 0.0f, 0.0f}, 500.0f, 9000.0f};
    PlayCamera::Shake shake;
    const PlayCamera::CutsceneFraming framing{2000.0f, 150.0f, 300.0f, 0.55f};
    Qel::Vector3f camera{1000.0f, 700.0f, -1000.0f};
    camera = PlayCamera::FrameCutscene(follow, shake, camera, framing, 0.5f);
    EXPECT_FLOAT_EQ(follow.myTarget.x, 1500.0f);
    EXPECT_FLOAT_EQ(camera.x, 1650.0f);
    EXPECT_FLOAT_EQ(camera.y, 1000.0f);
    for (int i = 0; i < 600; ++i)
        camera = PlayCamera::FrameCutscene(follow, shake, camera, framing, DT);
    EXPECT_NEAR(camera.x, 2150.0f, 0.5f);
}
}
