// The scripted objects inside the play screen's own frame: a goal reached in a loaded level
// stops the clock, carries the player and ends the level with its command.
#include "PlayFixture.h"

#include <gtest/gtest.h>

using namespace PlayTest;

TEST_F(PlayFixture, AGoalWithNoNextLevelRidesAndThenReturnsToTheMenu)
{
    WriteLevel("scenes/goal/level2.qls", {{"QLO_Player", 0.0f, 100.0f, 0.0f}, {"QLO_Goal", 1500.0f, 100.0f, 0.0f}});
    ASSERT_GT(Load("scenes/goal/level2.qls", 100.0f), 0);
    GameWorld& world = myPlay.GetWorld();
    ASSERT_EQ(world.myGoals.size(), 1u);
    EXPECT_FLOAT_EQ(myPlay.GetCameraFollow().myRightBound, 1500.0f);

    world.myPlayer.SetPosition({1580.0f, 100.0f, 0.0f});
    StateCommand command = Frame();
    EXPECT_EQ(command.myCode, COMMAND_NONE);
    ASSERT_TRUE(world.myPlayer.IsRiding());
    EXPECT_GT(TheHud().GetScore(), 0);  // the time bonus at least
    const float clock = myPlay.GetTimer();
    int frames = 0;
    while (command.myCode == COMMAND_NONE && frames < 600)
    {
        command = Frame();
        ++frames;
    }
    EXPECT_EQ(command.myCode, COMMAND_MAIN_MENU);
    EXPECT_NEAR(frames, 245, 3);
    // The ride stopped the level clock.
    EXPECT_FLOAT_EQ(myPlay.GetTimer(), clock);
}
