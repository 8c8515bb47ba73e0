#pragma once
// Helpers shared by the object tests: a floor row in the tile grid, a short non-looping
// particle system (the default record: 8 particles living 1 s), in-memory clips and a player
// placed by its feet.
#include "GameplayFixture.h"

#include "model/Animation.h"
#include "particles/ParticleSystem.h"

#include <memory>

namespace ObjectsTest
{
inline constexpr float DT = 1.0f / 60.0f;

// Row 1 of the grid spans y -50 to 50: a floor there has its top at 50.
inline constexpr float FLOOR_TOP = 50.0f;

inline void AddFloor(TileMap& aMap, Qel::i32 aFromColumn, Qel::i32 aToColumn, Qel::i32 aRow = 1)
{
    for (Qel::i32 cx = aFromColumn; cx <= aToColumn; ++cx)
    {
        TileDescription tile;
        const Qel::Vector2f c = TileMap::CellToWorld({cx, aRow});
        aMap.AddTile(Qel::Matrix4x4::CreateTranslation({c.x, c.y, 0.0f}), tile, nullptr);
    }
}

// A clip of aSeconds at 30 frames a second, one joint moving up by 10 a frame.
inline std::shared_ptr<Qel::Animation> MakeClip(float aSeconds)
{
    auto clip = std::make_shared<Qel::Animation>();
    clip->myFrameRate = 30.0f;
    clip->myDuration = aSeconds;
    clip->myFrameCount = static_cast<Qel::u32>(aSeconds * 30.0f) + 1;
    clip->myFrames.resize(clip->myFrameCount);
    for (Qel::u32 i = 0; i < clip->myFrameCount; ++i)
    {
        clip->myFrames[i].myCount = 1;
        clip->myFrames[i].myJoints[0].myTranslation = {0.0f, 10.0f * static_cast<float>(i), 0.0f};
    }
    return clip;
}

inline Qel::AnimationPlayer MakePlayer(float aSeconds, bool aLoop)
{
    Qel::AnimationPlayer player;
    player.Bind(MakeClip(aSeconds));
    player.myIsLooping = aLoop;
    return player;
}

// The player's hit box as the player keeps it: 70 × 170 standing on its feet.
inline void PlacePlayer(Player& aPlayer, float aX, float aY)
{
    aPlayer.SetPosition({aX, aY, 0.0f});
    aPlayer.SetHitbox(Box(aX, aY + 85.0f, 70.0f, 170.0f));
}
}
