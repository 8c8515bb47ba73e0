#include "ObjectsFixture.h"

#include "AudioManager.h"
#include "Objects/PlayObjects.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

using namespace ObjectsTest;
using GameplayTest::At;
using GameplayTest::GameplayFixture;
using GameplayTest::Props;

namespace
{
struct RideRun : GameplayFixture
{
    Goal& MakeGoal(float aX, float aY, const char* aNextLevel)
    {
        const Props props = Props()
                                .Tag(Qel::ObjectTag::Goal)
                                .Model("models/goal.fbx")
                                .Clip("ActiveAnimation", "models/goal_active.fbx")
                                .Add("next_level", Qel::StringId(std::string(aNextLevel)));
        myWorld.CreateObject(At(aX, aY), props.Data(), props.Count());
        return myWorld.myGoals.back();
    }
    EntryZipline& MakeZipline(float aX, float aY)
    {
        const Props props = Props().Tag(Qel::ObjectTag::EntryZipline).Model("models/zipline.fbx");
        myWorld.CreateObject(At(aX, aY), props.Data(), props.Count());
        return myWorld.myEntryZiplines.back();
    }
    // The play screen's steps for the rides, in its order.
    StateCommand Step(float aLevelTimer = 100.0f)
    {
        BeginFrame();
        PlayObjects::UpdateCheckpoint(myContext, aLevelTimer);
        PlayObjects::UpdateScriptedObjects(myContext);
        const StateCommand command = PlayObjects::UpdateGoals(myContext, aLevelTimer, 1920.0f, 1080.0f);
        PlayObjects::UpdateEntryZiplineRides(myContext);
        return command;
    }
    Qel::u32 ZiplineStops() const
    {
        return mySound.CountStops(AudioManager::GetSlot(SOUND_CATEGORY_EFFECTS, 48));
    }
};

Qel::PropertyRecord ModelRecord(const char* aName, const char* aPath)
{
    Qel::SceneModel model;
    model.myPath = Qel::StringId(std::string(aPath));
    Qel::PropertyRecord record;
    record.myName = Qel::StringId(std::string(aName));
    record.myType = Qel::GetPropertyType<Qel::ModelValue>();
    record.myValue = Qel::PropertyValue::Make(Qel::ModelValue(model));
    return record;
}
}

TEST(Checkpoint, ActivatesOnceSavesScoreAndTimeAndRespawnsThePlayerThere)
{
    RideRun run;
    const Qel::PropertyRecord records[] = {ModelRecord("SM_Checkpoint_Off", "models/cp_off.fbx"),
                                           ModelRecord("SM_Checkpoint_On", "models/cp_on.fbx")};
    run.myWorld.myCheckpoint.Init(At(1500.0f, 50.0f, -40.0f), records, 2);
    const Checkpoint& checkpoint = run.myWorld.myCheckpoint;
    EXPECT_EQ(checkpoint.GetSavedPosition(), Qel::Vector3f(1500.0f, 50.0f, -40.0f));
    EXPECT_EQ(checkpoint.GetHitbox().GetPosition(), Qel::Vector2f(1500.0f, 150.0f));
    EXPECT_EQ(checkpoint.GetHitbox().GetSize(), Qel::Vector2f(100.0f, 3000.0f));

    PlacePlayer(run.myWorld.myPlayer, 1000.0f, 50.0f);
    run.myHud.AddScore(700);
    run.Step(250.0f);
    EXPECT_FALSE(checkpoint.IsActive());
    EXPECT_FLOAT_EQ(checkpoint.myOffModel.GetPosition().z, 200.0f);
    EXPECT_FLOAT_EQ(checkpoint.myOnModel.GetPosition().z, 200.0f);

    PlacePlayer(run.myWorld.myPlayer, 1490.0f, 50.0f);
    run.Step(240.0f);
    run.Step(239.0f);
    EXPECT_TRUE(checkpoint.IsActive());
    EXPECT_EQ(run.CountEffect(46), 1u);  // touching an active checkpoint again is silent
    EXPECT_EQ(run.myHud.GetCheckpointScore(), 700);
    EXPECT_FLOAT_EQ(run.myHud.GetCheckpointTime(), 239.0f);

    // The player dies and the level is made again: the checkpoint stays active and the player
    // starts on it, not on the entry zipline.
    run.myWorld.myCheckpoint.Init(At(1500.0f, 50.0f), records, 2);
    run.MakeZipline(0.0f, 500.0f);
    PlacePlayer(run.myWorld.myPlayer, 0.0f, 0.0f);
    PlayObjects::FinishLoad(run.myWorld, true);
    EXPECT_TRUE(checkpoint.IsActive());
    EXPECT_EQ(run.myWorld.myPlayer.GetPosition(), Qel::Vector3f(1500.0f, 50.0f, 0.0f));
    EXPECT_FALSE(run.myWorld.myPlayer.IsRiding());
    EXPECT_EQ(run.myWorld.myEntryZiplines[0].GetState(), ZIPLINE_WAITING);
    EXPECT_EQ(run.CountEffect(46), 1u);

    // A level without a checkpoint keeps nothing of the last one's.
    run.myWorld.myCheckpoint.Clear();
    PlacePlayer(run.myWorld.myPlayer, 1490.0f, 50.0f);
    run.Step();
    EXPECT_FALSE(checkpoint.IsActive());
}

TEST(Goal, HeightPointsTimeBonusAndTheLifeAtTheTop)
{
    struct Case
    {
        float myPlayerY;
        Qel::i32 myHeightPoints;
        bool myLife;
    };
    const Case cases[] = {{150.0f, 0, false}, {370.0f, 500, false}, {590.0f, 1000, true}, {2000.0f, 1000, true},
                          {100.0f, 0, false}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.myPlayerY);
        RideRun run;
        Goal& goal = run.MakeGoal(0.0f, 0.0f, "scenes/game_scenes/level2.qls");
        EXPECT_EQ(static_cast<Qel::i32>(goal.GetHeightFraction(c.myPlayerY) * 1000.0f), c.myHeightPoints);
        PlacePlayer(run.myWorld.myPlayer, 80.0f, c.myPlayerY);
        // 123.4 s left: a bonus of 124 × 10.
        const StateCommand command = run.Step(123.4f);
        EXPECT_EQ(command.myCode, COMMAND_NONE);
        EXPECT_TRUE(run.myWorld.myPlayer.IsRiding());
        EXPECT_EQ(goal.GetState(), ZIPLINE_START);
        EXPECT_EQ(run.myHud.GetScore(), c.myHeightPoints + 1240);
        EXPECT_EQ(run.myWorld.myPlayer.GetLives(), c.myLife ? 6 : 5);
        EXPECT_EQ(run.myHud.GetLifePopups().size(), c.myLife ? 1u : 0u);
        EXPECT_TRUE(run.myHud.IsGoalPulseOn());
        EXPECT_TRUE(PlayObjects::IsLevelClockStopped(run.myWorld));
        // Riding, it is not scored again.
        run.Step(123.0f);
        EXPECT_EQ(run.myHud.GetScore(), c.myHeightPoints + 1240);
    }
}

TEST(Goal, RidesThePathAndThenNamesTheNextLevelOrTheMenu)
{
    for (const char* next : {"scenes/game_scenes/level2.qls", ""})
    {
        SCOPED_TRACE(next);
        RideRun run;
        Goal& goal = run.MakeGoal(0.0f, 0.0f, next);
        PlacePlayer(run.myWorld.myPlayer, 80.0f, 0.0f);
        run.Step();
        int frames = 0;
        StateCommand command;
        // The frame the ride ends already names the next step.
        while (command.myCode == COMMAND_NONE && frames < 600)
        {
            command = run.Step();
            ++frames;
            EXPECT_EQ(goal.GetState() == ZIPLINE_FINISHED, command.myCode != COMMAND_NONE);
        }
        // About 2025 units at 500 a second, after the frame that starts the ride.
        EXPECT_NEAR(frames, 1 + 2025.1f / 500.0f * 60.0f, 2.0f);
        EXPECT_EQ(goal.GetRide().myRidePoint, Qel::Vector3f(1250.0f, 1425.0f, 0.0f));
        if (*next)
        {
            EXPECT_EQ(command.myCode, COMMAND_NEXT_LEVEL);
            EXPECT_EQ(command.myArgument, Qel::StringId(std::string(next)));
        }
        else
            EXPECT_EQ(command.myCode, COMMAND_MAIN_MENU);
        EXPECT_EQ(command.myUseTransition, 1);
        // It stays there until the level changes.
        run.Step();
        EXPECT_EQ(run.myWorld.myPlayer.GetPosition(), Qel::Vector3f(1250.0f, 1275.0f, 0.0f));
    }
}

TEST(Goal, LargeStepsPassPointsFromWhereTheRideStoodAndTheSwingDecays)
{
    EXPECT_FLOAT_EQ(Goal::CaptureSwing(800.0f), 1.2f);
    EXPECT_FLOAT_EQ(Goal::CaptureSwing(2000.0f), std::numbers::pi_v<float> / 2.0f);
    EXPECT_FLOAT_EQ(Goal::CaptureSwing(-2000.0f), -std::numbers::pi_v<float> / 2.0f);

    RideRun run;
    Goal& goal = run.MakeGoal(0.0f, 0.0f, "");
    PlacePlayer(run.myWorld.myPlayer, 80.0f, 0.0f);
    run.Step();
    run.Step();
    ASSERT_EQ(goal.GetState(), ZIPLINE_RIDING);
    EXPECT_EQ(goal.GetRide().myRidePoint, Qel::Vector3f(-5.0f, 150.0f, 0.0f));
    goal.myRide.mySwingAmplitude = 1.2f;
    // One step of 2 s: 1000 units. Point 1 is 590 away and is passed; point 2 is measured from
    // the ride point where it still stands (600.19 away) and the 410 left move toward it.
    run.myContext.dt = 2.0f;
    run.Step();
    const float toPoint2 = std::sqrt(15.0f * 15.0f + 600.0f * 600.0f);
    EXPECT_EQ(goal.GetRide().myNextPoint, 2u);
    EXPECT_NEAR(goal.GetRide().myRidePoint.x, -5.0f + 15.0f * 410.0f / toPoint2, 1e-3f);
    EXPECT_NEAR(goal.GetRide().myRidePoint.y, 150.0f + 600.0f * 410.0f / toPoint2, 1e-3f);
    // The pull is complete, so the swing ran on that frame and decayed by 0.7².
    EXPECT_NEAR(goal.GetRide().mySwingAmplitude, 1.2f * 0.49f, 1e-4f);
    // The player swings about the point of the rope it hangs from: 150 up its own axis is the
    // ride point, whatever the angle; the swing did turn it.
    const Qel::Matrix4x4& rider = run.myWorld.myPlayer.GetTransform();
    EXPECT_EQ(rider, goal.GetRiderTransform());
    const Qel::Vector4f pivot = Qel::Vector4f{0.0f, 150.0f, 0.0f, 1.0f} * rider;
    EXPECT_NEAR(pivot.x, goal.GetRide().myRidePoint.x, 1e-2f);
    EXPECT_NEAR(pivot.y, goal.GetRide().myRidePoint.y, 1e-2f);
    EXPECT_GT(std::fabs(rider.GetRow(2).z), 0.05f);
}

TEST(EntryZipline, CarriesThePlayerInAndLetsGoAtTheEnd)
{
    RideRun run;
    EntryZipline& zipline = run.MakeZipline(2000.0f, 1000.0f);
    PlacePlayer(run.myWorld.myPlayer, 0.0f, 0.0f);
    PlayObjects::FinishLoad(run.myWorld, false);
    EXPECT_TRUE(run.myWorld.myPlayer.IsRiding());
    EXPECT_TRUE(run.myWorld.myPlayer.IsRidingQuietly());
    EXPECT_EQ(zipline.GetState(), ZIPLINE_START);

    run.Step();
    EXPECT_EQ(run.myWorld.myPlayer.GetPosition(), Qel::Vector3f(2000.0f - 973.0f, 1000.0f - 454.0f - 150.0f, 0.0f));
    EXPECT_FLOAT_EQ(zipline.GetRide().mySwingAmplitude, std::numbers::pi_v<float> / 4.0f);
    int frames = 0;
    float previousX = zipline.GetRide().myRidePoint.x;
    bool alwaysRight = true;
    while (zipline.GetState() == ZIPLINE_RIDING && frames < 600)
    {
        EXPECT_EQ(run.ZiplineStops(), 0u);
        run.Step();
        ++frames;
        // The rope point only moves on; the player swings below it.
        const Qel::Vector3f at = zipline.GetRide().myRidePoint;
        alwaysRight = alwaysRight && at.x >= previousX;
        previousX = at.x;
    }
    EXPECT_TRUE(alwaysRight);
    // About 1312 units at 500 a second; the riding sound stops on the last frame.
    EXPECT_NEAR(frames, 1312.0f / 500.0f * 60.0f, 2.0f);
    EXPECT_EQ(run.ZiplineStops(), 1u);
    // The play screen let go of the player that same frame; the zipline waits again.
    EXPECT_FALSE(run.myWorld.myPlayer.IsRiding());
    EXPECT_EQ(zipline.GetState(), ZIPLINE_WAITING);
    EXPECT_EQ(run.myWorld.myPlayer.GetPosition(), Qel::Vector3f(2044.0f, 1185.0f, 0.0f));
}

TEST(EntryZipline, ThePlayerRunsOnByItselfAfterTheRide)
{
    RideRun run;
    // A floor under the end of the rope (its top at 1150; the rider hangs at 1185).
    AddFloor(run.myWorld.myTileMap, 35, 60, 12);
    run.MakeZipline(2000.0f, 1000.0f);
    PlacePlayer(run.myWorld.myPlayer, 0.0f, 0.0f);
    run.myWorld.myPlayer.SetForcedRunTime(1.0f);
    PlayObjects::FinishLoad(run.myWorld, false);
    int frames = 0;
    while (run.myWorld.myPlayer.IsRiding() && frames < 600)
    {
        run.myWorld.myPlayer.Update(run.myContext);
        run.Step();
        ++frames;
    }
    ASSERT_FALSE(run.myWorld.myPlayer.IsRiding());
    // The forced run's clock only starts once the ride is over.
    EXPECT_FLOAT_EQ(run.myWorld.myPlayer.GetForcedRunTime(), 1.0f);
    const float releasedAt = run.myWorld.myPlayer.GetPosition().x;
    for (int i = 0; i < 30; ++i)
    {
        run.myWorld.myPlayer.Update(run.myContext);
        run.Step();
    }
    EXPECT_TRUE(run.myWorld.myPlayer.IsForcedRunning());
    EXPECT_GT(run.myWorld.myPlayer.GetPosition().x, releasedAt + 20.0f);
    for (int i = 0; i < 40; ++i)
    {
        run.myWorld.myPlayer.Update(run.myContext);
        run.Step();
    }
    EXPECT_FALSE(run.myWorld.myPlayer.IsForcedRunning());
}
