#include "Util/PlayRules.h"

#include <cmath>

namespace PlayRules
{
GoalAward ScoreGoalCapture(float aHeightFraction, float aLevelTimer)
{
    GoalAward award;
    award.myHeightPoints = static_cast<Qel::i32>(std::trunc(aHeightFraction * 1000.0f));
    award.myTimeBonus = static_cast<Qel::i32>(std::trunc(std::ceil(aLevelTimer))) * 10;
    award.myExtraLife = award.myHeightPoints == GOAL_FULL_HEIGHT_POINTS;
    return award;
}

DeathOutcome DecideDeath(bool aDied, bool aOutOfTime, Qel::i32 aLives, bool aCheckpointActive)
{
    DeathOutcome outcome;
    if (aDied && aLives <= 0)
    {
        outcome.myCode = CODE_OUT_OF_LIVES;
        outcome.myClearBatteries = true;
        outcome.myScore = ScoreAfterDeath::ResetRun;
    }
    else if (aOutOfTime && aLives > 0)
    {
        outcome.myCode = CODE_OUT_OF_TIME;
        outcome.myClearBatteries = true;
        outcome.myScore = ScoreAfterDeath::RestoreLevelStart;
    }
    else if (aDied)
    {
        outcome.myCode = CODE_LIFE_LOST;
        outcome.myAtCheckpoint = aCheckpointActive;
        outcome.myScore = aCheckpointActive ? ScoreAfterDeath::RestoreCheckpoint : ScoreAfterDeath::RestoreLevelStart;
    }
    return outcome;
}
}
