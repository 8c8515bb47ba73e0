#pragma once
// Enemies on a real tile map at 60 frames a second, next to a scripted player.
#include "GameplayFixture.h"

#include "math/Camera.h"
#include "model/Animation.h"

#include <gtest/gtest.h>

#include <memory>

namespace EnemyTest
{
inline constexpr float DT = 1.0f / 60.0f;

class EnemyFixture : public testing::Test
{
protected:
    EnemyFixture() { Qel::GetObjectDefinitionManager(); }

    GameWorld& World() { return game.myWorld; }
    TileMap& Map() { return game.myWorld.myTileMap; }
    GameContext& Context() { return game.myContext; }

    // The player stands with its feet at (x, y), its hit box 70 × 170 above them.
    void PlacePlayer(float aX, float aY, float aVerticalVelocity = 0.0f)
    {
        Player& player = game.myWorld.myPlayer;
        player.SetHitbox(Box(aX, aY + 85.0f, 70.0f, 170.0f));
        player.SetPosition({aX, aY, 0.0f});
        player.SetVerticalVelocity(aVerticalVelocity);
    }

    // Solid cells centred x = aFrom .. aTo (every 100) at height aY.
    void Row(float aFrom, float aTo, float aY)
    {
        for (float x = aFrom; x <= aTo + 1.0f; x += 100.0f)
            Map().AddTile(GameplayTest::At(x, aY), TileDescription{}, nullptr);
    }

    // A world camera like the play screen's, looking at (x, y).
    void Camera(float aX, float aY)
    {
        World().myCamera = std::make_unique<Qel::Camera>();
        World().myCamera->SetOrthographicProjection(1400.0f * 16.0f / 9.0f, 1400.0f, 10000.0f);
        World().myCamera->SetPosition({aX, aY, -1000.0f});
    }

    template <class Enemy>
    Enemy Make(const GameplayTest::Props& aProps, float aX, float aY, float aZ = 0.0f)
    {
        Enemy enemy{};
        enemy.Init(GameplayTest::At(aX, aY, aZ), aProps.Data(), aProps.Count(), &World().GetContentReport(),
                   "levels/enemies.qls");
        return enemy;
    }

    template <class Enemy>
    void Run(Enemy& aEnemy, float aSeconds)
    {
        const int frames = static_cast<int>(aSeconds / DT + 0.5f);
        for (int i = 0; i < frames; ++i)
            aEnemy.Update(Context());
    }

    const std::vector<std::string>& Messages() { return World().GetContentReport().GetMessages(); }

    GameplayTest::GameplayFixture game{DT};
};

// A clip of aFrames frames at aFps with poses of no joints, enough to count frames.
inline std::shared_ptr<Qel::Animation> MakeClip(Qel::u32 aFrames, float aFps)
{
    auto clip = std::make_shared<Qel::Animation>();
    clip->myFrames.resize(aFrames);
    clip->myFrameCount = aFrames;
    clip->myFrameRate = aFps;
    clip->myDuration = static_cast<float>(aFrames - 1) / aFps;
    return clip;
}
}
