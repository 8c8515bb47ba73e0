#include "PlayerRig.h"

#include "AudioManager.h"
#include "Objects/MovingPlatform.h"
#include "scene/ContentLog.h"

#include <cmath>
#include <functional>
#include <string>
#include <vector>

using namespace PlayerTest;

namespace
{
// Highest feet height above the floor over a run of frames with the given keys per frame.
float JumpApex(PlayerRig& aRig, const std::function<std::vector<Qel::u32>(int)>& aKeys, int aFrames,
               int* aAirFrames = nullptr)
{
    float apex = 0.0f;
    int air = 0;
    for (int i = 0; i < aFrames; ++i)
    {
        aRig.Frame(aKeys(i));
        apex = std::max(apex, aRig.Y() - FLOOR_TOP);
        if (aRig.Y() > FLOOR_TOP + 0.01f)
            ++air;
    }
    if (aAirFrames)
        *aAirFrames = air;
    return apex;
}
}

TEST(PlayerMovement, SpawnOnTheFloorStaysPut)
{
    // The first frame's box stands on the feet: it must not start inside the floor.
    PlayerRig rig;
    rig.Floor(-500.0f, 500.0f);
    rig.Spawn(0.0f, FLOOR_TOP);
    for (int i = 0; i < 10; ++i)
    {
        rig.Frame();
        EXPECT_FLOAT_EQ(rig.X(), 0.0f) << "frame " << i;
        EXPECT_NEAR(rig.Y(), FLOOR_TOP, 0.02f) << "frame " << i;
    }
    EXPECT_TRUE(rig.player.IsGrounded());
    const Box box = rig.player.GetHitbox();
    EXPECT_FLOAT_EQ(box.mySize.x, 70.0f);
    EXPECT_FLOAT_EQ(box.mySize.y, 170.0f);
    EXPECT_NEAR(box.myPosition.y, FLOOR_TOP + 85.0f, 0.02f);
    EXPECT_EQ(rig.CountEffect(SFX_FALL), 0u);
}

TEST(PlayerMovement, HorizontalTable)
{
    struct Row
    {
        const char* name;
        float startVelocity;
        bool inAir;
        std::vector<Qel::u32> keys;
        float seconds;
        float sprintAcceleration;
        float expectVelocity;
        float tolerance;
    };
    const Row rows[] = {
        {"walk 0.5 s reaches max walk", 0.0f, false, {KEY_RIGHT}, 0.5f, 0.0f, 500.0f, 0.5f},
        {"walk 2 s stays at max walk", 0.0f, false, {KEY_RIGHT}, 2.0f, 0.0f, 500.0f, 0.01f},
        {"walk left mirrors", 0.0f, false, {KEY_LEFT}, 2.0f, 0.0f, -500.0f, 0.01f},
        {"sprint snaps to 800 once at 500", 0.0f, false, {KEY_RIGHT, KEY_X}, 0.6f, 0.0f, 800.0f, 0.01f},
        {"sprint ramps with an acceleration", 500.0f, false, {KEY_RIGHT, KEY_X}, 0.5f, 400.0f, 700.0f, 8.0f},
        {"sprint ramp stops at 800", 500.0f, false, {KEY_RIGHT, KEY_X}, 2.0f, 400.0f, 800.0f, 0.01f},
        {"sprint released decays at 1000/s", 800.0f, false, {KEY_RIGHT}, 0.1f, 0.0f, 700.0f, 0.5f},
        {"sprint decay ends at max walk", 800.0f, false, {KEY_RIGHT}, 1.0f, 0.0f, 500.0f, 0.01f},
        {"friction brakes at 1000/s", 500.0f, false, {}, 0.25f, 0.0f, 250.0f, 0.5f},
        {"friction stops at 0 without crossing", 500.0f, false, {}, 1.0f, 0.0f, 0.0f, 0.0f},
        {"left and right together brake", 500.0f, false, {KEY_LEFT, KEY_RIGHT}, 0.25f, 0.0f, 250.0f, 0.5f},
        {"reversing brakes at 2000/s", 500.0f, false, {KEY_LEFT}, 0.1f, 0.0f, 300.0f, 0.5f},
        {"no input in the air coasts", 300.0f, true, {}, 0.2f, 0.0f, 300.0f, 0.0f},
        {"left and right in the air coast", -300.0f, true, {KEY_LEFT, KEY_RIGHT}, 0.2f, 0.0f, -300.0f, 0.0f},
    };
    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.name);
        PlayerRig rig;
        if (row.inAir)
            rig.Spawn(0.0f, 2000.0f);  // nothing below: the player is not grounded
        else
        {
            Props props;
            props.Float("SprintAcceleration", row.sprintAcceleration);
            rig.Floor(-2000.0f, 4000.0f);
            rig.Spawn(0.0f, FLOOR_TOP, props);
            rig.Frames(3);
        }
        // A key counts as held from its second frame: its first frame comes before the timing.
        rig.Frame(row.keys);
        rig.player.SetHorizontalVelocity(row.startVelocity);
        for (int i = 0; i < rig.FramesFor(row.seconds); ++i)
            rig.Frame(row.keys);
        EXPECT_NEAR(rig.Vx(), row.expectVelocity, row.tolerance);
    }
}

TEST(PlayerMovement, WalkDistanceAndFacing)
{
    PlayerRig rig;
    rig.StandOnFloor();
    // A key is pressed in its first frame and held from its second: 30 frames of walking.
    rig.Frames(31, {KEY_RIGHT});
    // v_k = k * 1000 / 60, x = sum v_k dt = (1000 / 3600) * 465.
    EXPECT_NEAR(rig.X(), 1000.0f / 3600.0f * 465.0f, 1.0f);
    EXPECT_FLOAT_EQ(rig.player.GetFacing(), 1.0f);
    rig.Frames(120, {KEY_LEFT});
    EXPECT_FLOAT_EQ(rig.player.GetFacing(), -1.0f);
    // The model turns toward the left yaw: its third row's x part is then positive.
    EXPECT_GT(rig.player.GetTransform()(3, 1), 0.5f);
}

TEST(PlayerMovement, JumpHeightAndLengthAtBothFrameTimes)
{
    for (float dt : {1.0f / 60.0f, 0.03f})
    {
        SCOPED_TRACE(dt);
        PlayerRig held(dt);
        held.StandOnFloor();
        int airFrames = 0;
        const float apex =
            JumpApex(held, [](int) -> std::vector<Qel::u32> { return {KEY_JUMP}; }, static_cast<int>(2.0f / dt),
                     &airFrames);
        EXPECT_GE(apex, 410.0f);
        EXPECT_LE(apex, 421.0f);
        EXPECT_NEAR(airFrames * dt, 1.0f, 0.1f);
        EXPECT_EQ(held.CountEffect(SFX_JUMP_1) + held.CountEffect(SFX_JUMP_2), 1u) << "one jump while held";

        // A tap: pressed, held one frame, released.
        PlayerRig tap(dt);
        tap.StandOnFloor();
        const float low = JumpApex(
            tap, [](int i) -> std::vector<Qel::u32> {
                if (i < 2)
                    return {KEY_JUMP};
                return {};
            },
            static_cast<int>(1.5f / dt));
        EXPECT_GT(low, 90.0f);
        EXPECT_LT(low, 200.0f);
    }

    // Sprinting jump reaches further than a walking one.
    auto reach = [](std::initializer_list<Qel::u32> aRunKeys, std::initializer_list<Qel::u32> aJumpKeys) {
        PlayerRig rig;
        rig.StandOnFloor();
        rig.Frames(60, aRunKeys);
        const float start = rig.X();
        rig.Frame(aJumpKeys);
        while (rig.Y() <= FLOOR_TOP + 0.01f)
            rig.Frame(aJumpKeys);
        while (rig.Y() > FLOOR_TOP + 0.01f)
            rig.Frame(aJumpKeys);
        return rig.X() - start;
    };
    const float walk = reach({KEY_RIGHT}, {KEY_RIGHT, KEY_JUMP});
    const float sprint = reach({KEY_RIGHT, KEY_X}, {KEY_RIGHT, KEY_X, KEY_JUMP});
    EXPECT_NEAR(walk, 500.0f, 40.0f);
    EXPECT_NEAR(sprint, 810.0f, 60.0f);
}

TEST(PlayerMovement, ReleasingJumpEndsTheRiseForGood)
{
    PlayerRig rig;
    rig.StandOnFloor();
    rig.Frames(6, {KEY_JUMP});
    rig.Frame();  // released
    EXPECT_GT(rig.Vy(), 0.0f);
    // Pressing again in the air adds nothing: the velocity only falls by gravity from here.
    float last = rig.Vy();
    for (int i = 0; i < 20; ++i)
    {
        rig.Frame({KEY_JUMP});
        if (rig.Y() <= FLOOR_TOP + 0.01f)
            break;
        EXPECT_NEAR(rig.Vy(), last - Player::GRAVITY / 60.0f, 0.01f) << "frame " << i;
        last = rig.Vy();
    }
}

TEST(PlayerMovement, CoyoteTimeAfterWalkingOffALedge)
{
    // The floor under the player goes away; a jump held within 0.12 s of falling still starts.
    struct Row
    {
        float heldAfter;
        bool jumps;
    };
    for (const Row& row : {Row{0.05f, true}, Row{0.1f, true}, Row{0.15f, false}, Row{0.3f, false}})
    {
        SCOPED_TRACE(row.heldAfter);
        PlayerRig rig;
        rig.Floor(-300.0f, 300.0f, 0.0f);
        rig.Spawn(0.0f, FLOOR_TOP);
        rig.Frames(3);
        rig.ClearSounds();
        for (float x = -300.0f; x <= 300.0f; x += 100.0f)
            rig.myWorld.myTileMap.RemoveTile(TileMap::WorldToCell({x, 0.0f}));
        // Frame 1 after removal: velocity 0 then gravity; from frame 2 the air timer runs.
        const int pressFrame = rig.FramesFor(row.heldAfter);
        bool rose = false;
        for (int i = 0; i < 40; ++i)
        {
            if (i == pressFrame - 1)
                rig.Frame({KEY_JUMP});  // pressed; held from the next frame
            else if (i >= pressFrame)
                rig.Frame({KEY_JUMP});
            else
                rig.Frame();
            rose = rose || rig.Vy() > 0.0f;
        }
        EXPECT_EQ(rose, row.jumps);
        // Walking off plays neither the fall nor the landing sound: grounded stays set.
        if (!row.jumps)
        {
            EXPECT_EQ(rig.CountEffect(SFX_FALL), 0u);
        }
    }
}

TEST(PlayerMovement, FallAndLandSoundsOnlyAfterAJump)
{
    PlayerRig rig;
    rig.StandOnFloor();
    rig.Frames(90, {KEY_JUMP});
    rig.Frames(30);
    EXPECT_EQ(rig.CountEffect(SFX_FALL), 1u);
    EXPECT_EQ(rig.CountEffect(SFX_LAND_1) + rig.CountEffect(SFX_LAND_2), 1u);
    EXPECT_EQ(rig.mySound.CountStops(AudioManager::GetSlot(SOUND_CATEGORY_EFFECTS, SFX_FALL)), 1u);
    const std::vector<Qel::u8> played = rig.PlayedEffects();
    const auto fall = std::find(played.begin(), played.end(), SFX_FALL);
    ASSERT_NE(fall, played.end());
    EXPECT_TRUE(std::find(fall, played.end(), SFX_LAND_1) != played.end() ||
                std::find(fall, played.end(), SFX_LAND_2) != played.end());
}

TEST(PlayerMovement, JumpBufferBeforeLanding)
{
    // A jump pressed 0.15 s before landing and held starts at the landing; 0.25 s before, not.
    // The fall (from 550 above the floor) is far longer than the coyote window.
    auto drop = [](PlayerRig& aRig) {
        aRig.Floor(-500.0f, 500.0f);
        aRig.Spawn(0.0f, FLOOR_TOP + 550.0f);
    };
    int landing = -1;
    {
        PlayerRig rig;
        drop(rig);
        for (int i = 0; i < 200 && landing < 0; ++i)
        {
            rig.Frame();
            if (rig.Y() <= FLOOR_TOP + 0.01f)
                landing = i;
        }
    }
    ASSERT_GT(landing, 20);
    for (const auto& [before, jumps] : {std::pair{0.15f, true}, std::pair{0.25f, false}})
    {
        SCOPED_TRACE(before);
        PlayerRig rig;
        drop(rig);
        const int press = landing - static_cast<int>(before * 60.0f + 0.5f);
        int jumpFrame = -1;
        for (int i = 0; i < landing + 20; ++i)
        {
            rig.Frame(i >= press ? std::vector<Qel::u32>{KEY_JUMP} : std::vector<Qel::u32>{});
            if (jumpFrame < 0 && rig.Vy() > 0.0f)
                jumpFrame = i;
        }
        if (jumps)
        {
            EXPECT_GE(jumpFrame, landing);
            EXPECT_LE(jumpFrame, landing + 1);
        }
        else
        {
            EXPECT_EQ(jumpFrame, -1);
        }
    }
}

TEST(PlayerMovement, DuckAndSlide)
{
    // Crouching still: the 70 box, the duck sound once, the crouch held, the rise sound on release.
    PlayerRig rig;
    rig.StandOnFloor();
    rig.Frames(20);  // the duck sound waits 0.2 s from the start
    rig.Frames(60, {KEY_DOWN});
    EXPECT_TRUE(rig.player.IsCrouched());
    EXPECT_FLOAT_EQ(rig.player.GetHitbox().mySize.y, 70.0f);
    EXPECT_NEAR(rig.player.GetHitbox().myPosition.y, FLOOR_TOP + 35.0f, 0.02f);
    EXPECT_EQ(rig.CountEffect(SFX_DUCK), 1u);
    EXPECT_FALSE(rig.player.IsGroundPounding()) << "Down on the ground ducks, it does not pound";
    rig.Frames(40, {KEY_DOWN, KEY_RIGHT});
    EXPECT_FLOAT_EQ(rig.Vx(), 0.0f) << "ducking blocks walking";
    rig.Frames(5);
    EXPECT_FALSE(rig.player.IsCrouched());
    EXPECT_FLOAT_EQ(rig.player.GetHitbox().mySize.y, 170.0f);
    EXPECT_EQ(rig.CountEffect(SFX_RISE), 1u);

    // Sliding: moving when Down is held keeps the tall box and brakes at 2000/s.
    PlayerRig slide;
    slide.StandOnFloor();
    slide.Frames(60, {KEY_RIGHT});
    ASSERT_NEAR(slide.Vx(), 500.0f, 0.01f);
    // The first frame of the key is not held yet: ground friction alone, then both.
    slide.Frames(6, {KEY_DOWN});
    EXPECT_NEAR(slide.Vx(), 500.0f - 1000.0f / 60.0f - 5.0f * 2000.0f / 60.0f, 0.5f);
    EXPECT_TRUE(slide.player.IsDucking());
    EXPECT_FALSE(slide.player.IsCrouched());
    EXPECT_FLOAT_EQ(slide.player.GetHitbox().mySize.y, 170.0f);
    slide.Frames(30, {KEY_DOWN});
    EXPECT_FLOAT_EQ(slide.Vx(), 0.0f);
    EXPECT_TRUE(slide.player.IsCrouched()) << "a slide that stops turns into a crouch";
}

TEST(PlayerMovement, StaysCrouchedUnderALowCeiling)
{
    PlayerRig rig;
    rig.Floor(-500.0f, 500.0f);
    rig.Spawn(0.0f, FLOOR_TOP);
    rig.Frames(3);
    rig.Frames(10, {KEY_DOWN});
    ASSERT_TRUE(rig.player.IsCrouched());
    // A block right above the crouched player: standing up would reach into it.
    rig.Floor(0.0f, 0.0f, 200.0f);
    rig.Frames(10);
    EXPECT_TRUE(rig.player.IsCrouched());
    EXPECT_NEAR(rig.Y(), FLOOR_TOP, 0.02f) << "not pushed up through the block";
    rig.myWorld.myTileMap.RemoveTile(TileMap::WorldToCell({0.0f, 200.0f}));
    rig.Frames(2);
    EXPECT_FALSE(rig.player.IsCrouched());
}

TEST(PlayerMovement, GroundPoundTimeline)
{
    PlayerRig rig;
    rig.StandOnFloor();
    rig.Frames(20, {KEY_JUMP});
    rig.Frame();
    const float y0 = rig.Y();
    rig.Frame({KEY_DOWN});  // pressed in the air: pounds
    ASSERT_TRUE(rig.player.IsGroundPounding());
    EXPECT_EQ(rig.CountEffect(SFX_GROUND_POUND_ACTIVATE), 1u);
    // The air pause: 0.4 s hanging still.
    int hang = 0;
    while (rig.Vy() == 0.0f && hang < 60)
    {
        EXPECT_NEAR(rig.Y(), y0, 0.5f);
        rig.Frame({KEY_DOWN});
        ++hang;
    }
    EXPECT_NEAR(hang / 60.0f, 0.4f, 0.04f);
    // The pound force, plus this frame's gravity.
    EXPECT_NEAR(rig.Vy(), -3000.0f - Player::GRAVITY / 60.0f, 0.01f);
    EXPECT_FLOAT_EQ(rig.player.GetHitbox().mySize.y, 70.0f);
    // The landing: the sound and rumble once, 0.25 s frozen while the button is still held.
    while (rig.Y() > FLOOR_TOP + 0.01f)
        rig.Frame({KEY_DOWN});
    rig.Frame({KEY_DOWN});
    EXPECT_EQ(rig.CountEffect(SFX_GROUND_POUND_LAND), 1u);
    EXPECT_TRUE(rig.RumbleQueued(0.5f, 0.5f, 0.3f));
    const float x = rig.X();
    rig.Frames(14, {KEY_DOWN, KEY_RIGHT});
    EXPECT_FLOAT_EQ(rig.X(), x);
    EXPECT_TRUE(rig.player.IsGroundPounding());
    rig.Frames(30, {KEY_DOWN});
    EXPECT_TRUE(rig.player.IsGroundPounding()) << "held on a solid floor: still pounding";
    EXPECT_EQ(rig.CountEffect(SFX_GROUND_POUND_LAND), 1u);
    rig.Frame();
    EXPECT_FALSE(rig.player.IsGroundPounding());
    rig.Frames(30, {KEY_RIGHT});
    EXPECT_GT(rig.X(), x);
}

TEST(PlayerMovement, GroundPoundOnHollowCarriesOn)
{
    PlayerRig rig;
    rig.Floor(-1000.0f, 1000.0f, 0.0f, TILE_MATERIAL_HOLLOW);
    rig.Spawn(0.0f, FLOOR_TOP);
    rig.Frames(3);
    rig.Frames(20, {KEY_JUMP});
    rig.Frame();
    rig.Frames(120, {KEY_DOWN});
    // Each ground pause on a hollow floor with the button held starts another pound.
    EXPECT_GE(rig.CountEffect(SFX_GROUND_POUND_LAND), 2u);
    EXPECT_TRUE(rig.player.IsGroundPounding());
}

TEST(PlayerMovement, RidesAMovingPlatform)
{
    PlayerRig rig;
    MovingPlatformSettings settings;
    settings.myHitboxWidth = 300.0f;
    settings.myTargetA = {0.0f, 0.0f};
    settings.myTargetB = {600.0f, 0.0f};
    settings.myStartsAtA = false;
    settings.myAcceleration = 400.0f;
    settings.myDeceleration = 400.0f;
    settings.myMaxSpeed = 200.0f;
    MovingPlatform platform;
    platform.Init(At(0.0f, 300.0f), settings);
    platform.InitTargets();
    rig.myWorld.myTileMap.AddMovingPlatform(platform);
    const Box box = rig.myWorld.myTileMap.GetMovingPlatforms()[0].GetHitbox();
    rig.Spawn(box.myPosition.x, box.myPosition.y + box.mySize.y / 2 + 50.0f);
    rig.Frames(30);
    ASSERT_EQ(rig.player.GetFloorMaterial(), TILE_MATERIAL_PLATFORM);
    const float startOffset = rig.X() - rig.myWorld.myTileMap.GetMovingPlatforms()[0].GetHitbox().myPosition.x;
    rig.Frames(120);
    const MovingPlatform& moved = rig.myWorld.myTileMap.GetMovingPlatforms()[0];
    ASSERT_GT(std::fabs(moved.GetHitbox().myPosition.x - box.myPosition.x), 50.0f);
    // Carried along, one frame behind the platform at most.
    EXPECT_NEAR(rig.X() - moved.GetHitbox().myPosition.x, startOffset, 200.0f / 60.0f + 0.1f);
    EXPECT_TRUE(rig.player.IsGrounded());
}

TEST(PlayerMovement, FallingOutCostsALifeEvenWithAPowerUp)
{
    PlayerRig rig;
    rig.Spawn(0.0f, 300.0f);
    rig.player.SetPowerUp(Player::POWER_UP_SHIELD);
    rig.player.SetHitPending();  // a touch in the same frame must not reach the next life
    bool died = false;
    int frames = 0;
    while (!died && frames < 300)
    {
        died = rig.Frame();
        ++frames;
    }
    ASSERT_TRUE(died);
    EXPECT_LT(rig.Y(), Player::FALL_OUT_Y);
    EXPECT_EQ(rig.player.GetLives(), 4);
    EXPECT_EQ(rig.player.GetPowerUp(), 0u);
    EXPECT_EQ(rig.CountEffect(SFX_UI_GAME_OVER), 1u);
    EXPECT_TRUE(rig.RumbleQueued(0.5f, 0.5f, 0.5f));

    // The next life starts clean.
    rig.Floor(-500.0f, 500.0f);
    rig.player.ResetForRespawn();
    rig.player.SetPosition({0.0f, FLOOR_TOP, 0.0f});
    rig.ClearSounds();
    for (int i = 0; i < 10; ++i)
        EXPECT_FALSE(rig.Frame());
    EXPECT_EQ(rig.player.GetLives(), 4);
    EXPECT_TRUE(rig.player.IsVulnerable());
    EXPECT_EQ(rig.CountEffect(SFX_UI_GAME_OVER), 0u);
    EXPECT_FLOAT_EQ(rig.player.GetFacing(), 1.0f);
}

TEST(PlayerMovement, ForcedRunAndRiding)
{
    PlayerRig rig;
    rig.StandOnFloor();
    rig.player.SetForcedRunTime(1.0f);
    rig.Frames(60);
    EXPECT_NEAR(rig.Vx(), 500.0f, 0.01f);
    EXPECT_GT(rig.X(), 300.0f);
    rig.Frames(2);
    EXPECT_FALSE(rig.player.IsForcedRunning());
    rig.Frames(60);
    EXPECT_FLOAT_EQ(rig.Vx(), 0.0f);

    // Riding: nothing moves the player; the sounds of the ride play; getting off stops it.
    rig.ClearSounds();
    rig.player.SetRiding(true, false);
    EXPECT_EQ(rig.CountEffect(SFX_ZIPLINE_ACTIVATE), 1u);
    EXPECT_EQ(rig.CountEffect(SFX_ZIPLINE_RIDING), 1u);
    const Qel::Vector3f at = rig.player.GetPosition();
    rig.player.SetPosition({at.x, at.y + 300.0f, at.z});
    rig.Frames(30, {KEY_RIGHT, KEY_JUMP});
    EXPECT_FLOAT_EQ(rig.Y(), at.y + 300.0f);
    EXPECT_FLOAT_EQ(rig.X(), at.x);
    rig.ClearSounds();
    rig.player.SetRiding(true, true);
    EXPECT_EQ(rig.CountEffect(SFX_ZIPLINE_ACTIVATE), 0u);
    rig.player.SetRiding(false, false);
    EXPECT_FALSE(rig.player.IsRiding());
    EXPECT_EQ(rig.player.GetVelocity().x, 0.0f);
    EXPECT_LT(rig.player.GetTransform()(3, 1), 0.0f) << "faces right at once";
}

TEST(PlayerMovement, EscapeIsNotAPlayerAction)
{
    // Escape is pause and skip for the play screen; on the ground and in the air the player
    // treats it as no input.
    for (bool inAir : {false, true})
    {
        SCOPED_TRACE(inAir);
        PlayerRig with, without;
        for (PlayerRig* rig : {&with, &without})
        {
            rig->StandOnFloor();
            if (inAir)
                rig->Frames(10, {KEY_JUMP});
        }
        with.Frames(20, {KEY_ESCAPE});
        without.Frames(20);
        EXPECT_FLOAT_EQ(with.X(), without.X());
        EXPECT_FLOAT_EQ(with.Y(), without.Y());
        EXPECT_EQ(with.player.IsGroundPounding(), without.player.IsGroundPounding());
        EXPECT_TRUE(with.myActions.IsActionHeld(ACTION_PAUSE));
    }
}

TEST(PlayerMovement, BadDefinitionValuesAreMendedWithTheFileNamed)
{
    Qel::ContentLog& log = Qel::GetDefaultContentLog();
    const std::size_t before = log.GetMessages().size();
    PlayerRig rig;
    Props props;
    props.Float("MaxWalkSpeed", -5.0f)
        .Float("WalkAcceleration", 0.0f)
        .Float("BaseJumpForce", std::nanf(""))
        .Float("JumpResistance", -1.0f)
        .Float("MaxSprintSpeed", 1.0e9f)
        .Float("GroundResistance", 0.0f)
        .Float("PoundForce", -3000.0f)
        .Int("MaxLives", 0)
        .Int("MaxAmountOfGrenades", -2);
    rig.Floor(-1000.0f, 3000.0f);
    rig.Spawn(0.0f, FLOOR_TOP, props);
    const PlayerSettings& s = rig.player.GetSettings();
    EXPECT_FLOAT_EQ(s.myMaxWalkSpeed, 500.0f);
    EXPECT_FLOAT_EQ(s.myWalkAcceleration, 1000.0f);
    EXPECT_FLOAT_EQ(s.myBaseJumpForce, 1150.0f);
    EXPECT_FLOAT_EQ(s.myJumpResistance, 5500.0f);
    EXPECT_FLOAT_EQ(s.myMaxSprintSpeed, 3000.0f);
    EXPECT_FLOAT_EQ(s.myGroundResistance, 1000.0f);
    EXPECT_FLOAT_EQ(s.myPoundForce, 3000.0f);
    EXPECT_EQ(s.myMaxLives, 5);
    EXPECT_EQ(s.myMaxGrenades, 0);
    const std::vector<Qel::ContentLog::Message>& messages = log.GetMessages();
    ASSERT_GE(messages.size(), before + 9);
    for (std::size_t i = before; i < messages.size(); ++i)
        EXPECT_EQ(messages[i].myFile, "QLO_Player.qlo");
    bool namesKey = false;
    for (std::size_t i = before; i < messages.size(); ++i)
        namesKey = namesKey || messages[i].myText.find("MaxWalkSpeed") != std::string::npos;
    EXPECT_TRUE(namesKey);

    // The level still plays: walking and jumping work with the mended values.
    rig.Frames(3);
    rig.Frames(60, {KEY_RIGHT, KEY_JUMP});
    EXPECT_GT(rig.X(), 200.0f);
    EXPECT_TRUE(std::isfinite(rig.Y()));
}
