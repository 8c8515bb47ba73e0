// The play screen headless: levels loaded end to end through the real load steps, the frame's
// fixed order, the level timer and deaths, the camera and the draw order.
#include "PlayFixture.h"

#include "AudioManager.h"
#include "math/Camera.h"
#include "platform/VirtualKeys.h"

#include <cfloat>

using namespace PlayTest;

namespace
{
int CountContaining(const ContentReport& aReport, const std::string& aText)
{
    int count = 0;
    for (const std::string& message : aReport.GetMessages())
        count += message.find(aText) != std::string::npos ? 1 : 0;
    return count;
}

Qel::u32 Music(Qel::u8 aId) { return AudioManager::GetSlot(SOUND_CATEGORY_MUSIC, aId); }
Qel::u32 Ambient(Qel::u8 aId) { return AudioManager::GetSlot(SOUND_CATEGORY_AMBIENT, aId); }
}

TEST_F(PlayFixture, ASmallLevelLoadsEndToEndAndEachProblemIsReportedOnce)
{
    WriteLevel("scenes/small/level2.qls",
               {
                   {"QLO_Scenery", 100.0f, 100.0f, 10.0f},
                   {"QLO_Scenery", 200.0f, 100.0f, -5.0f},
                   {"QLO_Scenery", 300.0f, 100.0f, 0.0f},
                   {"QLO_TwoModels", 400.0f, 0.0f, 2.0f},
                   {"QLO_Player", 0.0f, 100.0f, 0.0f, false, "hero"},
                   {"QLO_Player", 50.0f, 100.0f, 0.0f, false, "second hero"},
                   {"QLO_Goal", 9000.0f, 100.0f, 0.0f},
                   {"QLO_FireBar", 500.0f, 300.0f, 0.0f},
                   {"QLO_Tag30", 600.0f, 300.0f, 0.0f},
                   {"QLO_IntTag", 700.0f, 300.0f, 0.0f},
                   {"QLO_Scenery", 800.0f, 300.0f, 0.0f, true},   // hidden: never created
                   {"QLO_DoesNotExist", 900.0f, 300.0f, 0.0f, false, "ghost"},
                   {"QLO_DoesNotExist", 950.0f, 300.0f, 0.0f, false, "ghost 2"},
                   {"QLO_MissingModel", 1000.0f, 300.0f, 0.0f, false, "crate"},
                   {"QLO_Dust", 1100.0f, 300.0f, 0.0f, false, "dust"},
                   {"QLO_EmptyDust", 1200.0f, 300.0f, 0.0f, false, "sparks"},
               });
    EXPECT_EQ(Load("scenes/small/level2.qls"), 3);   // the scene, one slice of objects, the finish
    EXPECT_FALSE(myPlay.IsLoadPending());
    EXPECT_EQ(myPlay.GetCurrentLevel().GetView(), "scenes/small/level2.qls");
    EXPECT_EQ(myPlay.GetChapter(), 1);
    EXPECT_EQ(myPlay.GetLevel(), 2);

    // Scenery: three plain objects, two models of one object, the fire bar, a tag beyond the
    // table, a tag record of the wrong type, and the object whose model is missing.
    GameWorld& world = myPlay.GetWorld();
    ASSERT_EQ(world.myGenericModels.size(), 9u);
    for (size_t i = 1; i < world.myGenericModels.size(); ++i)
        EXPECT_GE(world.myGenericModels[i - 1].GetTransform()(4, 3), world.myGenericModels[i].GetTransform()(4, 3));
    EXPECT_FLOAT_EQ(world.myGenericModels.front().GetPosition().x, 100.0f);   // z 10 is drawn first
    EXPECT_FLOAT_EQ(world.myGenericModels.back().GetPosition().x, 200.0f);    // z -5 last

    const ContentReport& report = world.GetContentReport();
    // The player and the goal are built (each player object sets the one player up, where it stands).
    EXPECT_EQ(CountContaining(report, "kind Player (tag 1)"), 0);
    EXPECT_TRUE(world.myPlayer.GetPosition().x == 0.0f || world.myPlayer.GetPosition().x == 50.0f);
    EXPECT_FLOAT_EQ(world.myPlayer.GetPosition().y, 100.0f);
    EXPECT_EQ(CountContaining(report, "kind Goal (tag 2)"), 0);
    EXPECT_EQ(world.myGoals.size(), 1u);
    // Named by the level and the object (whichever of the two players came first).
    EXPECT_EQ(CountContaining(report, "scenes/small/level2.qls: object \""), static_cast<int>(report.GetMessages().size()));
    EXPECT_EQ(CountContaining(report, "objects of kind Player"), 0);
    EXPECT_EQ(CountContaining(report, "\"QLO_DoesNotExist\" does not exist"), 1);
    EXPECT_EQ(CountContaining(report, "object tag 30 is no known kind"), 1);
    EXPECT_EQ(CountContaining(report, "object \"crate\": the model \"models/none/SM_Nothing.fbx\""), 1);
    // A missing particle file runs the default system; an empty path adds no emitter.
    ASSERT_EQ(world.myGenericParticles.size(), 1u);
    EXPECT_TRUE(world.myGenericParticles[0].IsAlive());
    EXPECT_FLOAT_EQ(world.myGenericParticles[0].GetTransform()(4, 1), 1100.0f);
    EXPECT_EQ(CountContaining(report, "object \"sparks\": the particle system \"Sparks\" names no file"), 1);

    // Reloading reports the level's problems again, once each.
    EXPECT_EQ(Load("scenes/small/level2.qls"), 3);
    EXPECT_EQ(world.myGenericModels.size(), 9u);
    EXPECT_EQ(CountContaining(world.GetContentReport(), "\"QLO_DoesNotExist\" does not exist"), 1);
    EXPECT_EQ(world.myGoals.size(), 1u);
}

TEST_F(PlayFixture, ObjectsAreCreatedAtMostAHundredAStep)
{
    std::vector<Object> objects;
    for (int i = 0; i < 250; ++i)
        objects.push_back({"QLO_Scenery", 100.0f * static_cast<float>(i), 100.0f, 0.0f});
    WriteLevel("scenes/many/level1.qls", objects);
    myPlay.RequestLevel(Qel::StringId(std::string("scenes/many/level1.qls")));
    const size_t expected[] = {0, 100, 200, 250, 250};
    for (size_t step = 0; step < 5; ++step)
    {
        EXPECT_TRUE(myPlay.IsLoadPending()) << step;
        ASSERT_TRUE(myPlay.LoadStep());
        EXPECT_EQ(myPlay.GetWorld().myGenericModels.size(), expected[step]) << step;
    }
    EXPECT_FALSE(myPlay.IsLoadPending());
    // Level 1 without an active checkpoint starts with a one-second forced run.
    EXPECT_FLOAT_EQ(myPlay.GetStartRunTime(), 1.0f);
    EXPECT_FLOAT_EQ(myPlay.GetWorld().myPlayer.GetForcedRunTime(), 1.0f);
}

TEST_F(PlayFixture, MusicAmbienceAndLevelStartScoreChangeOnlyWithTheLevel)
{
    WriteLevel("scenes/music/level3.qls", {});
    WriteLevel("scenes/music/level4.qls", {});
    ASSERT_GT(Load("scenes/music/level3.qls"), 0);
    EXPECT_FLOAT_EQ(myPlay.GetStartRunTime(), 0.0f);
    TheHud().AddScore(500);
    myAudio->ClearEvents();

    ASSERT_GT(Load("scenes/music/level4.qls"), 0);
    EXPECT_EQ(myPlay.GetChapter(), 2);
    EXPECT_EQ(myPlay.GetLevel(), 1);
    EXPECT_EQ(myAudio->CountStops(Music(2)), 1u);
    EXPECT_EQ(myAudio->CountStops(Ambient(0)), 1u);
    EXPECT_EQ(myAudio->CountPlays(Music(3)), 1u);
    EXPECT_EQ(myAudio->CountPlays(Ambient(1)), 1u);
    EXPECT_EQ(myAudio->CountStops(Music(MUSIC_MENU)), 1u);
    EXPECT_EQ(TheHud().GetLevelStartScore(), 500);

    // The same level again: only the menu music is stopped; the level-start score stays.
    TheHud().AddScore(300);
    myAudio->ClearEvents();
    ASSERT_GT(Load("scenes/music/level4.qls"), 0);
    EXPECT_EQ(myAudio->CountStops(Music(MUSIC_MENU)), 1u);
    EXPECT_EQ(myAudio->CountPlays(Music(3)), 0u);
    EXPECT_EQ(myAudio->CountStops(Music(3)), 0u);
    EXPECT_EQ(TheHud().GetLevelStartScore(), 500);

    // Back from the menu the same level counts as new again.
    myPlay.ClearCurrentLevel();
    myAudio->ClearEvents();
    ASSERT_GT(Load("scenes/music/level4.qls"), 0);
    EXPECT_EQ(myAudio->CountPlays(Music(3)), 1u);
    EXPECT_EQ(TheHud().GetLevelStartScore(), 800);
}

TEST_F(PlayFixture, ALevelThatCannotLoadGoesBackToTheMenu)
{
    for (const char* path : {"scenes/missing/level1.qls", "", "scenes/music"})
    {
        myPlay.RequestLevel(Qel::StringId(std::string(path)));
        EXPECT_FALSE(myPlay.LoadStep()) << path;
        EXPECT_FALSE(myPlay.IsLoadPending()) << path;
        // Through the screen's own update the same failure returns to the menu behind a fade.
        myPlay.RequestLevel(Qel::StringId(std::string(path)));
        const StateCommand command = Frame();
        EXPECT_EQ(command.myCode, COMMAND_MAIN_MENU) << path;
        EXPECT_EQ(command.myUseTransition, 1) << path;
        EXPECT_FALSE(myPlay.IsLoadPending()) << path;
        EXPECT_TRUE(myPlay.GetWorld().myGenericModels.empty());
    }
}

TEST_F(PlayFixture, OneFrameRunsItsStepsInTheFixedOrder)
{
    WriteLevel("scenes/order/level2.qls", {{"QLO_Scenery", 0.0f, 0.0f, 0.0f}});
    ASSERT_GT(Load("scenes/order/level2.qls"), 0);
    StepLog log;
    myPlay.SetFrameRecorder(&log);
    EXPECT_EQ(Frame().myCode, COMMAND_NONE);
    using S = PlayStep;
    const std::vector<PlayStep> normal = {
        S::Timer,           S::Hud,        S::Player,         S::Tiles,          S::Checkpoint,
        S::Deaths,          S::FanTriggerTouch, S::EventFans, S::FanTriggers,    S::GoalUpdates,
        S::EntryZiplineUpdates, S::EndingCutscenes, S::MiniOwls, S::PipeMoles,   S::FlyingMiniOwls,
        S::BeetleTanks,     S::GoalScoring, S::EntryZiplineRides, S::BatterySpawns, S::Pickups,
        S::ChestGrenades,   S::SceneryParticles, S::Pause,    S::CameraShake,    S::CameraFollow,
        S::Parallax,        S::Vignette,
    };
    EXPECT_EQ(log.mySteps, normal);

    // The pause key ends the frame after the scoring steps, before the camera.
    log.mySteps.clear();
    myKeys.Down(Qel::VK_ESCAPE);
    EXPECT_EQ(Frame().myCode, COMMAND_PAUSE);
    myKeys.Up(Qel::VK_ESCAPE);
    const std::vector<PlayStep> paused(normal.begin(), normal.begin() + 23);
    EXPECT_EQ(log.mySteps, paused);

    // While a level loads, a frame only loads.
    myPlay.RequestLevel(Qel::StringId(std::string("scenes/order/level2.qls")));
    log.mySteps.clear();
    Frame();
    Frame();
    EXPECT_EQ(log.mySteps, (std::vector<PlayStep>{S::LoadLevel, S::LoadStep}));
    myPlay.SetFrameRecorder(nullptr);
}

TEST_F(PlayFixture, TheTimerRunningOutCostsALifeOnce)
{
    WriteLevel("scenes/timer/level2.qls", {});
    struct Row
    {
        int lives;
        int code;
        int livesAfter;
        int scoreAfter;
    };
    // 700 at the level start, 900 when the time runs out.
    const Row rows[] = {
        {2, COMMAND_OUT_OF_TIME, 1, 700},
        {1, COMMAND_OUT_OF_LIVES, Player::DEFAULT_MAX_LIVES, 0},
    };
    for (const Row& row : rows)
    {
        Player& player = myPlay.GetWorld().myPlayer;
        myPlay.ClearCurrentLevel();
        myPlay.ResetRun();
        player.ResetLives();
        while (player.GetLives() > row.lives)
            player.LoseLife();
        TheHud().AddScore(700);
        ASSERT_GT(Load("scenes/timer/level2.qls", 0.02f), 0);
        EXPECT_EQ(TheHud().GetLevelStartScore(), 700);
        TheHud().AddScore(200);
        TheHud().AddBattery();
        EXPECT_EQ(Frame().myCode, COMMAND_NONE);   // 0.0033 s left
        const StateCommand command = Frame();
        EXPECT_EQ(command.myCode, row.code);
        EXPECT_EQ(command.myUseTransition, 1);
        EXPECT_EQ(command.myArgument.GetView(), "scenes/timer/level2.qls");
        EXPECT_EQ(command.myAtCheckpoint, 0);
        EXPECT_EQ(player.GetLives(), row.livesAfter);
        EXPECT_EQ(TheHud().GetScore(), row.scoreAfter);
        EXPECT_EQ(TheHud().GetBatteryCount(), 0);
        // Until the level is loaded again the frame repeats its command and nothing more.
        const StateCommand again = Frame();
        EXPECT_EQ(again.myCode, row.code);
        EXPECT_EQ(player.GetLives(), row.livesAfter);
    }
    // After a game over the level-start score is the run's new start, not the old score.
    EXPECT_EQ(TheHud().GetLevelStartScore(), 0);
}

TEST_F(PlayFixture, TimeRunningOutDuringAStunCostsOneLifeWhenTheStunEnds)
{
    WriteLevel("scenes/stun/level2.qls", {});
    Player& player = myPlay.GetWorld().myPlayer;
    myPlay.ResetRun();
    ASSERT_GT(Load("scenes/stun/level2.qls", 0.02f), 0);
    const int lives = player.GetLives();
    ASSERT_GE(lives, 2);
    // A hit that takes the shield stuns the player; the clock runs out during the stun.
    player.SetPowerUp(Player::POWER_UP_SHIELD);
    player.SetHitPending();
    bool ranOutWhileStunned = false;
    StateCommand command = Frame();
    for (int frame = 0; player.IsStunned() && frame < 600; ++frame)
    {
        ASSERT_EQ(command.myCode, COMMAND_NONE) << "frame " << frame;
        ASSERT_EQ(player.GetLives(), lives) << "frame " << frame;
        ranOutWhileStunned |= myPlay.GetTimer() <= 0.0f;
        command = Frame();
    }
    ASSERT_TRUE(ranOutWhileStunned);
    ASSERT_FALSE(player.IsStunned());
    EXPECT_EQ(command.myCode, COMMAND_OUT_OF_TIME);
    EXPECT_EQ(player.GetLives(), lives - 1);
    EXPECT_EQ(Frame().myCode, COMMAND_OUT_OF_TIME);
    EXPECT_EQ(player.GetLives(), lives - 1);
}

TEST_F(PlayFixture, ACheckpointTakenInOneLevelIsGoneInTheNext)
{
    std::vector<Object> objects = BlockFloor(4000.0f);
    objects.push_back({"QLO_Player", 500.0f, 50.0f, 0.0f});
    WriteLevel("scenes/checkpoints/level3.qls", objects);
    objects.push_back({"QLO_Checkpoint", 2000.0f, 50.0f, 0.0f});
    WriteLevel("scenes/checkpoints/level2.qls", objects);
    GameWorld& world = myPlay.GetWorld();
    Player& player = world.myPlayer;
    myPlay.ResetRun();
    ASSERT_GT(Load("scenes/checkpoints/level2.qls"), 0);
    const Qel::Vector3f taken = world.myCheckpoint.GetSavedPosition();
    player.SetPosition(taken);
    ASSERT_EQ(Frame().myCode, COMMAND_NONE);
    ASSERT_TRUE(myPlay.IsCheckpointActive());

    // What the state stack does for the next level; there the player passes where the first
    // level's checkpoint stood and dies.
    myPlay.SetCheckpointActive(0);
    ASSERT_GT(Load("scenes/checkpoints/level3.qls"), 0);
    const Qel::Vector3f start = player.GetPosition();
    ASSERT_NE(start.x, taken.x);
    player.SetPosition(taken);
    ASSERT_EQ(Frame().myCode, COMMAND_NONE);
    EXPECT_FALSE(myPlay.IsCheckpointActive());
    player.SetPowerUp(Player::POWER_UP_NONE);
    player.SetHitPending();
    const StateCommand death = Frame();
    ASSERT_EQ(death.myCode, COMMAND_LIFE_LOST);
    EXPECT_EQ(death.myAtCheckpoint, 0);

    // The state stack's respawn: at the level's start.
    myPlay.SetCheckpointActive(death.myAtCheckpoint);
    if (death.myAtCheckpoint)
        myPlay.MovePlayerToCheckpoint();
    ASSERT_GT(Load("scenes/checkpoints/level3.qls"), 0);
    EXPECT_EQ(player.GetPosition(), start);
}

TEST_F(PlayFixture, TheCameraFollowsThePlayerOnlySidewaysWithinTheBounds)
{
    WriteLevel("scenes/camera/level2.qls", {});
    ASSERT_GT(Load("scenes/camera/level2.qls"), 0);
    // No entry zipline and no goal: from 500 to the largest float.
    EXPECT_FLOAT_EQ(myPlay.GetCameraFollow().myLeftBound, 500.0f);
    EXPECT_EQ(myPlay.GetCameraFollow().myRightBound, FLT_MAX);
    const Qel::Camera& camera = *myPlay.GetWorld().myCamera;
    EXPECT_NEAR(camera.GetOrthographicSize().x, 2488.89f, 0.01f);
    EXPECT_FLOAT_EQ(camera.GetOrthographicSize().y, 1400.0f);

    // The level has no floor: the player is held where the test puts it.
    Player& player = myPlay.GetWorld().myPlayer;
    player.Lock();
    player.SetPosition({3000.0f, 150.0f, 0.0f});
    for (int i = 0; i < 600; ++i)
        ASSERT_EQ(Frame().myCode, COMMAND_NONE);
    EXPECT_NEAR(myPlay.GetWorld().myCamera->GetPosition().x, 3400.0f, 1.0f);
    EXPECT_FLOAT_EQ(myPlay.GetWorld().myCamera->GetPosition().y, 700.0f);
    EXPECT_FLOAT_EQ(myPlay.GetWorld().myCamera->GetPosition().z, -1000.0f);

    player.SetPosition({-3000.0f, 1300.0f, 0.0f});
    for (int i = 0; i < 600; ++i)
        ASSERT_EQ(Frame().myCode, COMMAND_NONE);
    EXPECT_NEAR(myPlay.GetWorld().myCamera->GetPosition().x, 500.0f, 0.01f);
    EXPECT_FLOAT_EQ(myPlay.GetWorld().myCamera->GetPosition().y, 700.0f);
}

TEST_F(PlayFixture, ARespawnAtTheCheckpointStartsTheCameraThere)
{
    std::vector<Object> objects = BlockFloor(7000.0f);
    objects.push_back({"QLO_Checkpoint", 5000.0f, 50.0f, 0.0f});
    WriteLevel("scenes/respawn/level2.qls", objects);
    ASSERT_GT(Load("scenes/respawn/level2.qls"), 0);
    GameWorld& world = myPlay.GetWorld();
    Player& player = world.myPlayer;
    // The player took the checkpoint and died far beyond it, where the camera went with it.
    myPlay.SetCheckpointActive(1);
    player.Lock();
    player.SetPosition({6800.0f, 50.0f, 0.0f});
    for (int i = 0; i < 600; ++i)
        ASSERT_EQ(Frame().myCode, COMMAND_NONE);
    ASSERT_NEAR(world.myCamera->GetPosition().x, 7200.0f, 1.0f);

    // What the state stack does for a life lost with the checkpoint active.
    myPlay.SetCheckpointActive(1);
    myPlay.MovePlayerToCheckpoint();
    ASSERT_GT(Load("scenes/respawn/level2.qls", 120.0f), 0);
    const Qel::Vector3f respawn = world.myCheckpoint.GetSavedPosition();
    EXPECT_FLOAT_EQ(player.GetPosition().x, respawn.x);
    // The camera stands where it rests with the player at the checkpoint from the first frame:
    // it neither sweeps in from the level's start nor comes back from where the player died.
    for (int i = 0; i < 120; ++i)
    {
        ASSERT_EQ(Frame().myCode, COMMAND_NONE);
        ASSERT_NEAR(world.myCamera->GetPosition().x, player.GetPosition().x + 400.0f, 1.0f) << "frame " << i;
    }
}

TEST_F(PlayFixture, DrawsBackToFrontWithSceneryOnBothSidesOfTheTiles)
{
    WriteLevel("scenes/render/level2.qls", {
                                               {"QLO_Scenery", 0.0f, 0.0f, -5.0f},
                                               {"QLO_Scenery", 0.0f, 0.0f, 10.0f},
                                               {"QLO_Scenery", 0.0f, 0.0f, 0.0f},
                                           });
    StepLog log;
    myPlay.SetFrameRecorder(&log);
    myPlay.RequestLevel(Qel::StringId(std::string("scenes/render/level2.qls")));
    myPlay.Render();
    EXPECT_TRUE(log.myDraws.empty());   // nothing while a load is pending
    while (myPlay.IsLoadPending())
        myPlay.LoadStep();
    log.myDraws.clear();
    myPlay.Render();
    using R = RenderStep;
    const std::vector<std::pair<RenderStep, Qel::i32>> expected = {
        {R::ParallaxBehindFans, -1}, {R::EventFans, -1},  {R::ParallaxFront, -1}, {R::GenericModelsFront, -1},
        {R::GenericModelsFront, 0},  {R::GenericModelsFront, 1},                  {R::TilesPass0, -1},
        {R::Player, -1},             {R::EndingCutscenesWorld, -1},               {R::Checkpoint, -1},
        {R::Effects, -1},            {R::FanTriggers, -1}, {R::MiniOwls, -1},     {R::FlyingMiniOwls, -1},
        {R::BeetleTanks, -1},        {R::PipeMoles, -1},  {R::BatteryPickups, -1}, {R::BatterySpawns, -1},
        {R::ChestGrenadePickups, -1}, {R::ShieldPickups, -1}, {R::LifePickups, -1}, {R::ChestGrenades, -1},
        {R::GenericParticles, -1},   {R::Goals, -1},      {R::EntryZiplines, -1}, {R::GenericModelsBack, -1},
        {R::GenericModelsBack, 2},   {R::TilesPass1, -1}, {R::TilesPass2, -1},    {R::TilesPass3, -1},
        {R::ParallaxBack, -1},       {R::Vignette, -1},   {R::Hud, -1},           {R::EndingCutscenesOverlay, -1},
    };
    EXPECT_EQ(log.myDraws, expected);
    EXPECT_FLOAT_EQ(myPlay.GetWorld().myGenericModels[2].GetTransform()(4, 3), -5.0f);
    myPlay.SetFrameRecorder(nullptr);
}
