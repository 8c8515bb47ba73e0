// Level paths (chapter, level, the digit that drives music) and scene transforms.
#include "Util/LevelPath.h"
#include "Util/TransformUtil.h"

#include "math/Matrix4x4.h"
#include "math/Quaternion.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
TEST(LevelPath, ChapterLevelAndDigitForATableOfPaths)
{
    struct Row
    {
        const char* path;
        bool known;
        int chapter, level, digit;
    };
    const Row rows[] = {
        {"scenes/game_scenes/level1.qls", true, 1, 1, 1}, {"scenes/game_scenes/level2.qls", true, 1, 2, 2},
        {"scenes/game_scenes/level3.qls", true, 1, 3, 3}, {"scenes/game_scenes/level4.qls", true, 2, 1, 4},
        {"scenes/game_scenes/level5.qls", true, 2, 2, 5}, {"scenes/game_scenes/level6.qls", true, 2, 3, 6},
        {"scenes/test/level7.qls", false, 9, 9, 7},       {"x.qls", false, 9, 9, 'x' - '0'},
        {"abc", false, 9, 9, -1},                         {"", false, 9, 9, -1},
    };
    for (const Row& row : rows)
    {
        int chapter = 9, level = 9;
        EXPECT_EQ(LevelPath::ChapterAndLevel(row.path, chapter, level), row.known) << row.path;
        EXPECT_EQ(chapter, row.chapter) << row.path;
        EXPECT_EQ(level, row.level) << row.path;
        EXPECT_EQ(LevelPath::LevelDigit(row.path), row.digit) << row.path;
    }
}

TEST(LevelPath, MusicChangesOnlyWithTheLevel)
{
    struct Row
    {
        int previous, next;
        bool changed;
        int stopMusic, stopAmbience, playMusic, playAmbience;
    };
    const Row rows[] = {
        {3, 4, true, 2, 0, 3, 1},      // chapter change: music 2 and ambience 0 give way to 3 and 1
        {4, 4, false, -1, -1, -1, -1},  // the same level again
        {-1, 1, true, -1, -1, 0, 0},    // first level of the run
        {5, 6, true, 4, 1, 5, 2},
        {6, -1, true, 5, 2, -1, -1},    // to a path without a level digit
        {2, 9, true, 1, 0, -1, -1},
    };
    for (const Row& row : rows)
    {
        const LevelPath::MusicChange change = LevelPath::PlanMusicChange(row.previous, row.next);
        EXPECT_EQ(change.myLevelChanged, row.changed);
        EXPECT_EQ(change.myStopMusic, row.stopMusic);
        EXPECT_EQ(change.myStopAmbience, row.stopAmbience);
        EXPECT_EQ(change.myPlayMusic, row.playMusic);
        EXPECT_EQ(change.myPlayAmbience, row.playAmbience);
    }
}

TEST(TransformUtil, ScalesThenRotatesThenTranslates)
{
    const Qel::Vector3f t{100.0f, -50.0f, 20.0f}, r{10.0f, 20.0f, 30.0f}, s{2.0f, 3.0f, 4.0f};
    const Qel::Matrix4x4 m = BuildTransformMatrix(t, r, s);
    const Qel::Matrix4x4 expected =
        Qel::Matrix4x4::CreateScale(s) * Qel::Matrix4x4::CreateFromEulerDegrees(r) * Qel::Matrix4x4::CreateTranslation(t);
    for (int row = 1; row <= 4; ++row)
        for (int column = 1; column <= 4; ++column)
            EXPECT_NEAR(m(row, column), expected(row, column), 1e-5f) << row << "," << column;

    Qel::Vector3f translation, scale;
    Qel::Quaternion rotation;
    Qel::DecomposeTransform(m, translation, rotation, scale);
    const Qel::Quaternion q = Qel::Quaternion::FromEulerDegrees(r);
    EXPECT_NEAR(std::abs(rotation.w * q.w + rotation.x * q.x + rotation.y * q.y + rotation.z * q.z), 1.0f, 1e-5f);
    EXPECT_NEAR(scale.y, 3.0f, 1e-4f);
    EXPECT_FLOAT_EQ(translation.x, 100.0f);
}
}

#include "Util/PlayRules.h"

namespace
{
TEST(PlayRules, GoalCaptureAwards)
{
    struct Row
    {
        float fraction, timer;
        int height, bonus;
        bool life;
    };
    const Row rows[] = {
        {1.0f, 123.4f, 1000, 1240, true},
        {0.999f, 87.6f, 999, 880, false},
        {0.25f, 0.2f, 250, 10, false},
        {0.0f, 0.0f, 0, 0, false},
    };
    for (const Row& row : rows)
    {
        const PlayRules::GoalAward award = PlayRules::ScoreGoalCapture(row.fraction, row.timer);
        EXPECT_EQ(award.myHeightPoints, row.height);
        EXPECT_EQ(award.myTimeBonus, row.bonus);
        EXPECT_EQ(award.myExtraLife, row.life);
    }
}

TEST(PlayRules, DeathsForATableOfCauses)
{
    using S = PlayRules::ScoreAfterDeath;
    struct Row
    {
        bool died, outOfTime;
        int lives;
        bool checkpoint;
        int code;
        bool atCheckpoint, clearBatteries;
        S score;
    };
    const Row rows[] = {
        {false, false, 3, true, 0, false, false, S::Keep},
        {true, true, 1, false, 15, false, true, S::RestoreLevelStart},   // timer ran out, a life left
        {true, true, 0, true, 14, false, true, S::ResetRun},             // timer ran out on the last life
        {true, false, 2, true, 13, true, false, S::RestoreCheckpoint},
        {true, false, 2, false, 13, false, false, S::RestoreLevelStart},
        {true, false, 0, false, 14, false, true, S::ResetRun},
    };
    for (const Row& row : rows)
    {
        const PlayRules::DeathOutcome outcome = PlayRules::DecideDeath(row.died, row.outOfTime, row.lives, row.checkpoint);
        EXPECT_EQ(outcome.myCode, row.code);
        EXPECT_EQ(outcome.myAtCheckpoint, row.atCheckpoint);
        EXPECT_EQ(outcome.myClearBatteries, row.clearBatteries);
        EXPECT_EQ(outcome.myScore, row.score);
    }
    EXPECT_EQ(PlayRules::PowerUpAfterShield(PlayRules::POWER_UP_GRENADE), PlayRules::POWER_UP_GRENADE);
    EXPECT_EQ(PlayRules::PowerUpAfterShield(PlayRules::POWER_UP_NONE), PlayRules::POWER_UP_SHIELD);
    EXPECT_EQ(PlayRules::PowerUpAfterGrenade(PlayRules::POWER_UP_SHIELD), PlayRules::POWER_UP_GRENADE);
}
}
