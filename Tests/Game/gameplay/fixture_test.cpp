#include "GameplayFixture.h"
#include "TileBehavior.h"
#include "platform/Platform.h"
#include "platform/VirtualKeys.h"

#include <gtest/gtest.h>

using namespace GameplayTest;
using Qel::ObjectTag;

TEST(GameplayFixture, ScriptedKeysDriveTheRealActionMap)
{
    GameplayFixture game;
    game.HoldKeys({'Z', Qel::VK_RIGHT});
    game.BeginFrame();
    EXPECT_TRUE(game.myActions.IsActionPressed(ACTION_JUMP));
    EXPECT_TRUE(game.myActions.IsActionPressed(ACTION_MOVE_RIGHT));
    game.BeginFrame();
    EXPECT_FALSE(game.myActions.IsActionPressed(ACTION_JUMP));
    EXPECT_TRUE(game.myActions.IsActionHeld(ACTION_JUMP));
    game.HoldKeys({Qel::VK_RIGHT});
    game.BeginFrame();
    EXPECT_TRUE(game.myActions.IsActionReleased(ACTION_JUMP));
    EXPECT_TRUE(game.myActions.IsActionHeld(ACTION_MOVE_RIGHT));

    // Rumble asked for by a game object reaches the scripted pad on the next frame.
    game.myActions.AddRumble(0.5f, 0.5f, 0.5f);
    game.BeginFrame();
    ASSERT_FALSE(game.myPad.myRumble.empty());
    EXPECT_GT(game.myPad.myRumble.back().wLeftMotorSpeed, 0);

    // The game's quit request is a flag here.
    EXPECT_FALSE(GameplayFixture::TakeQuit());
    Qel::Platform::PostQuitMessage(0);
    EXPECT_TRUE(GameplayFixture::TakeQuit());
    EXPECT_FALSE(GameplayFixture::TakeQuit());
}

TEST(GameplayFixture, ALevelRunsHeadlessAtAFixedFrameTime)
{
    // A floor, a lucky block over it and a platform, built through the world's factory from
    // in-memory properties; a box standing in for the player walks right on scripted keys, jumps
    // into the block and lands again.
    GameplayFixture game;
    std::vector<Qel::i32> created;
    game.myWorld.myCreateOtherKind = [&](Qel::i32 aTag, const Qel::Matrix4x4&, const Qel::PropertyRecord*,
                                         std::size_t) { created.push_back(aTag); };
    game.AddDefinition("Battery_Burst", Props().Tag(ObjectTag::BatterySpawn));
    game.AddDefinition("Used_Block", Props().Tag(ObjectTag::BlockIndestructible));
    const Props floor = Props().Tag(ObjectTag::BlockIndestructible).Int("TileWidth", 40).Material(Qel::TileMaterial::Metal);
    game.myWorld.CreateObject(At(-1000, 0), floor.Data(), floor.Count());
    const Props lucky = Props()
                            .Tag(ObjectTag::BlockLucky)
                            .Object("BatterySpawn", "Battery_Burst")
                            .Object("ReplaceBlock", "Used_Block");
    game.myWorld.CreateObject(At(0, 300), lucky.Data(), lucky.Count());
    const Props platform = Props()
                               .Tag(ObjectTag::PlatformMoving)
                               .Float("HitboxWidth", 300)
                               .Float2("TargetB", {0, 400})
                               .Float("Acceleration", 200)
                               .Float("Deacceleration", 200)
                               .Float("MaxSpeed", 200);
    game.myWorld.CreateObject(At(1500, 200), platform.Data(), platform.Count());

    Player& player = game.myWorld.myPlayer;
    Qel::Vector2f feet{-500, 50};
    float vy = 0.0f;
    bool grounded = false;
    int landings = 0;
    for (int frame = 0; frame < 240; ++frame)
    {
        if (frame == 100)
            game.HoldKeys({'Z'});
        else if (frame == 0)
            game.HoldKeys({Qel::VK_RIGHT});
        else if (frame >= 100)
            game.HoldKeys({});
        game.BeginFrame();
        const float dt = game.myContext.dt;
        const float vx = game.myActions.IsActionHeld(ACTION_MOVE_RIGHT) ? 300.0f : 0.0f;
        if (grounded && game.myActions.IsActionPressed(ACTION_JUMP))
            vy = 900.0f;
        vy -= 2000.0f * dt;
        player.SetHitbox(Box(feet.x, feet.y + 85.0f, 70, 170));
        player.SetVerticalVelocity(vy);
        const TileMoveResult r = game.myWorld.myTileMap.SweepPlayerBox(player, vx * dt, vy * dt);
        feet += Qel::Vector2f(r.myDx, r.myDy);
        if (r.myHitY != 0)
            vy = 0.0f;
        const bool wasGrounded = grounded;
        grounded = r.myHitY < 0;
        if (grounded && !wasGrounded)
        {
            ++landings;
            EXPECT_EQ(r.mySurfaceMaterial, TILE_MATERIAL_METAL);
        }
        game.myWorld.myTileMap.UpdateTiles(game.myContext);
        for (int pass = 0; pass < 4; ++pass)
            game.myWorld.myTileMap.Render(pass);  // no context: draws nothing, touches nothing
    }

    EXPECT_NEAR(feet.x, -5.0f, 0.01f);  // held from the second frame: 99 frames at 300
    EXPECT_NEAR(feet.y, 50.0f, 0.01f);   // back on the floor
    EXPECT_EQ(landings, 2);
    EXPECT_EQ(created, std::vector<Qel::i32>{static_cast<Qel::i32>(ObjectTag::BatterySpawn)});
    EXPECT_EQ(game.CountEffect(SFX_POWER_BLOCK_HIT), 1u);
    EXPECT_NE(dynamic_cast<const SolidTile*>(game.myWorld.myTileMap.GetBehavior(TileMap::WorldToCell({0, 300}))),
              nullptr);
    EXPECT_GT(game.myWorld.myTileMap.GetMovingPlatforms()[0].GetPosition().y, 300.0f);
}
