#pragma once
// The play screen's scoring and death rules as plain arithmetic.
#include "core/Types.h"

namespace PlayRules
{
inline constexpr Qel::i32 CODE_NONE = 0;
inline constexpr Qel::i32 CODE_NEXT_LEVEL = 5;
inline constexpr Qel::i32 CODE_MAIN_MENU = 6;
inline constexpr Qel::i32 CODE_PAUSE = 9;
inline constexpr Qel::i32 CODE_LIFE_LOST = 13;
inline constexpr Qel::i32 CODE_OUT_OF_LIVES = 14;
inline constexpr Qel::i32 CODE_OUT_OF_TIME = 15;
inline constexpr Qel::i32 CODE_ENDING = 21;

inline constexpr Qel::i32 PICKUP_SCORE = 200;
inline constexpr Qel::i32 GOAL_FULL_HEIGHT_POINTS = 1000;

// What touching the goal earns: height points from how high the player entered it, ten
// points per second left (rounded up), and a life for entering at the very top.
struct GoalAward
{
    Qel::i32 myHeightPoints = 0;
    Qel::i32 myTimeBonus = 0;
    bool myExtraLife = false;
};
GoalAward ScoreGoalCapture(float aHeightFraction, float aLevelTimer);

// How a frame with a death ends. Score and batteries: out of lives resets the run (the
// level-start score too, so a later death cannot restore a score from before the game over);
// out of time restores the level-start score and clears the batteries; a lost life restores
// the checkpoint score when the checkpoint is active, else the level-start score.
enum class ScoreAfterDeath
{
    Keep,
    ResetRun,
    RestoreLevelStart,
    RestoreCheckpoint,
};
struct DeathOutcome
{
    Qel::i32 myCode = CODE_NONE;
    bool myAtCheckpoint = false;
    bool myClearBatteries = false;
    ScoreAfterDeath myScore = ScoreAfterDeath::Keep;
};
DeathOutcome DecideDeath(bool aDied, bool aOutOfTime, Qel::i32 aLives, bool aCheckpointActive);

// Power-up state after a pickup: 1 shield, 2 grenade, 0 none. A shield never replaces a grenade;
// a grenade replaces a shield.
inline constexpr Qel::i32 POWER_UP_NONE = 0;
inline constexpr Qel::i32 POWER_UP_SHIELD = 1;
inline constexpr Qel::i32 POWER_UP_GRENADE = 2;
inline Qel::i32 PowerUpAfterShield(Qel::i32 aCurrent) { return aCurrent == POWER_UP_NONE ? POWER_UP_SHIELD : aCurrent; }
inline Qel::i32 PowerUpAfterGrenade(Qel::i32) { return POWER_UP_GRENADE; }
}
