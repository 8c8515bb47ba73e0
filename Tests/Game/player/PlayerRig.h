#pragma once
// The player on a real tile map at a fixed frame time, driven by scripted keys through the real
// action map: a key is pressed in its first frame and held from its second.
#include "GameplayFixture.h"
#include "Player.h"
#include "platform/VirtualKeys.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <vector>

namespace PlayerTest
{
using GameplayTest::At;
using GameplayTest::Props;

inline constexpr Qel::u32 KEY_JUMP = 'Z';
inline constexpr Qel::u32 KEY_DOWN = Qel::VK_DOWN;
inline constexpr Qel::u32 KEY_LEFT = Qel::VK_LEFT;
inline constexpr Qel::u32 KEY_RIGHT = Qel::VK_RIGHT;
inline constexpr Qel::u32 KEY_X = 'X';
inline constexpr Qel::u32 KEY_ESCAPE = Qel::VK_ESCAPE;

// Floor cells have their centre at y 0, so their top (where the player stands) is at 50.
inline constexpr float FLOOR_TOP = 50.0f;

struct PlayerRig : GameplayTest::GameplayFixture
{
    explicit PlayerRig(float aDeltaTime = 1.0f / 60.0f) : GameplayFixture(aDeltaTime) {}

    Player& player = myWorld.myPlayer;
    bool myDied = false;

    // Solid cells from aFirstX to aLastX (cell centres, step 100) at centre height aY.
    void Floor(float aFirstX, float aLastX, float aY = 0.0f, Qel::u8 aMaterial = TILE_MATERIAL_CONCRETE)
    {
        for (float x = aFirstX; x <= aLastX; x += 100.0f)
        {
            TileDescription tile;
            tile.myMaterial = aMaterial;
            myWorld.myTileMap.AddTile(At(x, aY), tile, nullptr);
        }
    }

    void Spawn(float aX, float aY, const Props& aProps = Props())
    {
        player.Init(At(aX, aY), aProps.Data(), aProps.Count(), "QLO_Player.qlo");
        player.Unlock();
    }

    // One frame: the keys reach the action map, then the player and the tile map update (the
    // play screen's order).
    bool Frame(std::initializer_list<Qel::u32> aKeys = {}) { return Frame(std::vector<Qel::u32>(aKeys)); }
    bool Frame(const std::vector<Qel::u32>& aKeys)
    {
        HoldKeys(aKeys);
        BeginFrame();
        const bool died = player.Update(myContext);
        myWorld.myTileMap.UpdateTiles(myContext);
        myDied = myDied || died;
        return died;
    }
    void Frames(int aCount, std::initializer_list<Qel::u32> aKeys = {})
    {
        for (int i = 0; i < aCount; ++i)
            Frame(aKeys);
    }
    int FramesFor(float aSeconds) const { return static_cast<int>(aSeconds / myContext.dt + 0.5f); }

    float X() const { return player.GetPosition().x; }
    float Y() const { return player.GetPosition().y; }
    float Vx() const { return player.GetVelocity().x; }
    float Vy() const { return player.GetVelocity().y; }

    // Spawns on a long floor and lets the player settle (grounded, standing still).
    void StandOnFloor(float aX = 0.0f)
    {
        Floor(-1500.0f, 3500.0f);
        Spawn(aX, FLOOR_TOP);
        Frames(3);
        ClearSounds();
    }

    bool RumbleQueued(float aLow, float aHigh, float aSeconds) const
    {
        for (const InputMapper::RumbleSlot& slot : PendingRumble())
            if (slot.myLow == aLow && slot.myHigh == aHigh && std::fabs(slot.mySecondsLeft - aSeconds) < 0.05f)
                return true;
        return false;
    }
};
}
