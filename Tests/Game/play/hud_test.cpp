// The HUD without an engine: texts keep their strings and positions, drawing does nothing.
#include "Hud.h"
#include "Util/RenderSize.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace
{
constexpr float DT = 1.0f / 60.0f;

struct HudFixture : ::testing::Test
{
    void SetUp() override { SetFallbackRenderSize(2560.0f, 1440.0f); }
    void TearDown() override { SetFallbackRenderSize(2560.0f, 1440.0f); }

    // Runs frames for aSeconds; returns the lives gained and the settle sounds requested.
    Hud::FrameEvents Run(float aSeconds, float aTimer = 100.0f, int aLives = 5)
    {
        Hud::FrameEvents total;
        for (float t = 0.0f; t < aSeconds - 1e-5f; t += DT)
        {
            const Hud::FrameEvents e = hud.Tick(DT, aTimer, 1, 1, aLives);
            total.myLivesGained += e.myLivesGained;
            total.myPlayLivesSettledSound |= e.myPlayLivesSettledSound;
        }
        return total;
    }

    Hud hud;
    Qel::Camera camera;
};

TEST_F(HudFixture, TextsForATableOfStates)
{
    struct Row
    {
        int score;
        float timer;
        int chapter, level, lives, batteries;
        const char *scoreText, *timeText, *chapterText, *livesText, *batteryText;
    };
    const Row rows[] = {
        {1234, 87.6f, 2, 1, 5, 3, "SCORE\n001234", "TIME\n  87", "CHAPTER\n     2-1", "x5", "x3"},
        {1234567, 300.0f, 1, 3, 1, 29, "SCORE\n1234567", "TIME\n  300", "CHAPTER\n     1-3", "x1", "x29"},
        {0, 0.4f, 1, 1, 0, 0, "SCORE\n000000", "TIME\n  0", "CHAPTER\n     1-1", "x0", "x0"},
    };
    for (const Row& row : rows)
    {
        Hud h;
        h.AddScore(row.score);
        for (int i = 0; i < row.batteries; ++i)
            h.AddBattery();
        for (int frame = 0; frame < 600; ++frame)
            h.Tick(DT, row.timer, row.chapter, row.level, row.lives);
        EXPECT_EQ(h.GetScoreText().GetText(), row.scoreText);
        EXPECT_EQ(h.GetTimeText().GetText(), row.timeText);
        EXPECT_EQ(h.GetChapterText().GetText(), row.chapterText);
        EXPECT_EQ(h.GetLivesText().GetText(), row.livesText);
        EXPECT_EQ(h.GetBatteryText().GetText(), row.batteryText);
        EXPECT_EQ(h.GetExtraLifeCount(), row.lives);
        EXPECT_EQ(h.GetScore(), row.score);
    }
}

TEST_F(HudFixture, LayoutFollowsTheRenderSize)
{
    SetFallbackRenderSize(1280.0f, 720.0f);
    hud.Tick(DT, 10.0f, 1, 1, 3);
    EXPECT_FLOAT_EQ(hud.GetPopupScale(), 0.5f);
    EXPECT_FLOAT_EQ(hud.GetScoreText().GetScale(), 0.5f);
    EXPECT_FLOAT_EQ(hud.GetTimeText().GetScale(), 0.5f);
    EXPECT_FLOAT_EQ(hud.GetScoreText().GetPosition().x, 128.0f);
    EXPECT_FLOAT_EQ(hud.GetScoreText().GetPosition().y, 648.0f);
    EXPECT_FLOAT_EQ(hud.GetTimeText().GetPosition().x, 0.88f * 1280.0f);
    EXPECT_FLOAT_EQ(hud.GetChapterText().GetPosition().x, 0.65f * 1280.0f);
    // The counters sit beside their icons, which follow a change of resolution.
    EXPECT_FLOAT_EQ(hud.GetLifeIcon().myPosition.x, 640.0f);
    EXPECT_FLOAT_EQ(hud.GetLivesText().GetPosition().x, 670.0f);
    EXPECT_FLOAT_EQ(hud.GetLivesText().GetPosition().y, 638.0f);
    EXPECT_FLOAT_EQ(hud.GetBatteryText().GetPosition().x, 0.3f * 1280.0f + 30.0f);
    SetFallbackRenderSize(2560.0f, 1440.0f);
    hud.Tick(DT, 10.0f, 1, 1, 3);
    EXPECT_FLOAT_EQ(hud.GetLifeIcon().myPosition.x, 1280.0f);
    EXPECT_FLOAT_EQ(hud.GetScoreText().GetScale(), 1.0f);
}

TEST_F(HudFixture, ScoreEasesUpButRestoresAndResetsShowAtOnce)
{
    hud.AddScore(1000);
    hud.Tick(DT, 10.0f, 1, 1, 5);
    EXPECT_GT(hud.GetShownScore(), 0.0f);
    EXPECT_LT(hud.GetShownScore(), 1000.0f);
    Run(5.0f);
    EXPECT_EQ(hud.GetShownScore(), 1000.0f);

    hud.SaveCheckpointScore();
    hud.AddScore(500);
    hud.RestoreCheckpointScore();
    EXPECT_EQ(hud.GetScore(), 1000);
    EXPECT_EQ(hud.GetShownScore(), 1000.0f);

    hud.SaveLevelStartScore();
    hud.AddScore(700);
    Run(5.0f);
    hud.RestoreLevelStartScore();
    EXPECT_EQ(hud.GetShownScore(), 1000.0f);

    hud.Reset();
    hud.Tick(DT, 10.0f, 1, 1, 5);
    EXPECT_EQ(hud.GetScore(), 0);
    EXPECT_EQ(hud.GetCheckpointScore(), 0);
    EXPECT_EQ(hud.GetScoreText().GetText(), "SCORE\n000000");
}

TEST_F(HudFixture, ThirtyBatteriesBecomeALifeThatLandsWithASound)
{
    for (int i = 0; i < 30; ++i)
        hud.AddBattery();
    Hud::FrameEvents first = hud.Tick(DT, 10.0f, 1, 1, 5);
    EXPECT_EQ(first.myLivesGained, 1);
    EXPECT_FALSE(first.myPlayLivesSettledSound);
    EXPECT_EQ(hud.GetBatteryCount(), 0);
    EXPECT_NEAR(hud.GetShownBatteries(), 29.0f, 0.01f);   // shows 30, eased down by one frame
    ASSERT_EQ(hud.GetBatteryLifePopups().size(), 1u);
    EXPECT_FLOAT_EQ(hud.GetBatteryLifePopups()[0].mySprite.myPosition.x, 0.32f * 2560.0f);
    EXPECT_GT(hud.GetBatteryLifePopups()[0].mySprite.myPosition.y, 0.85f * 1440.0f);   // rising

    // The player already has the life, but the counter waits for the icon to land.
    Hud::FrameEvents flight = Run(3.0f, 10.0f, 6);
    EXPECT_EQ(flight.myLivesGained, 0);
    EXPECT_FALSE(flight.myPlayLivesSettledSound);
    EXPECT_EQ(hud.GetLivesText().GetText(), "x5");
    EXPECT_EQ(hud.GetBatteryText().GetText(), "x0");
    Hud::FrameEvents landed = Run(0.1f, 10.0f, 6);
    EXPECT_TRUE(landed.myPlayLivesSettledSound);
    EXPECT_TRUE(hud.GetBatteryLifePopups().empty());
    EXPECT_EQ(hud.GetLivesText().GetText(), "x6");
    EXPECT_FALSE(Run(1.0f, 10.0f, 6).myPlayLivesSettledSound);   // once per landing
}

TEST_F(HudFixture, GoalPulseDrainsTheTimeWithinOneSecond)
{
    hud.Tick(DT, 87.6f, 1, 1, 5);
    EXPECT_EQ(hud.GetTimeText().GetText(), "TIME\n  87");
    hud.BeginGoalPulse();
    hud.Tick(0.5f, 87.6f, 1, 1, 5);
    EXPECT_EQ(hud.GetTimeText().GetText(), "TIME\n  43");
    hud.Tick(0.5f, 87.6f, 1, 1, 5);
    EXPECT_EQ(hud.GetTimeText().GetText(), "TIME\n  0");
    hud.StartPulse();
    hud.Tick(DT, 300.0f, 1, 2, 5);
    EXPECT_EQ(hud.GetTimeText().GetText(), "TIME\n  300");
}

TEST_F(HudFixture, PopupLifetimesAndPaths)
{
    hud.Tick(DT, 10.0f, 1, 1, 5);
    hud.SpawnScorePopup({0.85f * 2560.0f, 0.85f * 1440.0f, 0.0f}, 880, camera, 0.5f, true);
    ASSERT_EQ(hud.GetScorePopups().size(), 1u);
    EXPECT_EQ(hud.GetScorePopups()[0].myText.GetText(), "+880");
    const float startY = hud.GetScorePopups()[0].myPosition.y;
    Run(0.9f);
    EXPECT_GT(hud.GetScorePopups()[0].myPosition.y, startY);   // rises first
    Run(1.78f - 0.9f);
    ASSERT_EQ(hud.GetScorePopups().size(), 1u);
    EXPECT_NEAR(hud.GetScorePopups()[0].myPosition.x, 0.1f * 2560.0f, 60.0f);   // flown to the score
    EXPECT_LT(hud.GetScorePopups()[0].myText.GetColor().a, 0.1f);
    Run(0.05f);
    EXPECT_TRUE(hud.GetScorePopups().empty());

    // A life popup with 1 s hold lands after 3.45 s.
    hud.SpawnLifePopup({0.0f, 0.0f, 0.0f}, camera, 1.0f);
    Run(3.43f);
    EXPECT_EQ(hud.GetLifePopups().size(), 1u);
    Run(0.04f);
    EXPECT_TRUE(hud.GetLifePopups().empty());
}

TEST_F(HudFixture, WorldPopupsAreProjectedThroughThePlayCamera)
{
    camera.SetPosition({1000.0f, 700.0f, -1000.0f});
    const Qel::Vector2f centre = Hud::WorldToScreen({1000.0f, 700.0f, 0.0f}, camera.GetPosition(), 2560.0f, 1440.0f);
    EXPECT_FLOAT_EQ(centre.x, 1280.0f);
    EXPECT_FLOAT_EQ(centre.y, 720.0f);
    // 1400 world units are the screen's height; the top edge is y 1400 above the bottom one.
    const Qel::Vector2f top = Hud::WorldToScreen({1000.0f, 1400.0f, 0.0f}, camera.GetPosition(), 2560.0f, 1440.0f);
    EXPECT_FLOAT_EQ(top.y, 1440.0f);
    const Qel::Vector2f zeroHeight = Hud::WorldToScreen({0.0f, 0.0f, 0.0f}, camera.GetPosition(), 2560.0f, 0.0f);
    EXPECT_TRUE(std::isfinite(zeroHeight.x));
    hud.Tick(DT, 10.0f, 1, 1, 5);
    hud.SpawnScorePopup({1000.0f, 700.0f, 0.0f}, 200, camera, 0.0f, false);
    EXPECT_FLOAT_EQ(hud.GetScorePopups()[0].myPosition.x, 1280.0f);
}
}
