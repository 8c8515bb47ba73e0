#pragma once
// The play screen's frame steps for the scripted objects, pickups and grenades: which object
// the player touches, what each touch awards, and when the level moves on. GamePlayingState
// calls them in its update order; tests run them on a world alone.
#include "StateCommand.h"

#include <cstddef>

class EndingCutscene;
class GameWorld;
class Hud;
struct GameContext;

namespace PlayObjects
{
inline constexpr Qel::i32 PICKUP_SCORE = 200;
inline constexpr Qel::u32 POWER_UP_SHIELD = 1;
inline constexpr Qel::u32 POWER_UP_GRENADE = 2;

// The checkpoint follows its saved point; the player's touch activates it and the HUD saves the
// score and the level time.
void UpdateCheckpoint(GameContext& aContext, float aLevelTimer);
// The fan trigger's touch, then event fans, fan triggers, goals, entry ziplines and ending
// cutscenes. True when an ending has finished or was skipped (its music is stopped then).
bool UpdateScriptedObjects(GameContext& aContext);
// A goal touched: the ride starts and the height and time bonuses are paid. A finished ride
// moves on: code 5 with the next level, or code 6 (the menu) when it names none.
StateCommand UpdateGoals(GameContext& aContext, float aLevelTimer, float aRenderWidth, float aRenderHeight);
// A finished entry ride lets go of the player.
void UpdateEntryZiplineRides(GameContext& aContext);
void UpdateBatterySpawns(GameContext& aContext);
void UpdatePickups(GameContext& aContext);
// Grenades made during the loop are updated too; finished ones are erased in place.
void UpdateChestGrenades(GameContext& aContext);
void UpdateParallax(GameContext& aContext);

// The first fan trigger has fired and the first fan is breaking (the camera shakes then).
bool IsFanEventRunning(const GameWorld& aWorld);
// The ride to the next level and the ending stop the level clock.
bool IsLevelClockStopped(const GameWorld& aWorld);
// An ending that plays drives the camera (null when none does).
const EndingCutscene* FindPlayingEnding(const GameWorld& aWorld);

// After a level's objects are made: the same level with an active checkpoint puts the player
// there; otherwise every entry zipline takes the player on. Reports a fan without a trigger.
void FinishLoad(GameWorld& aWorld, bool aRespawnAtCheckpoint);

// Drawing, in the play screen's order.
float GetLastFanDepth(const GameWorld& aWorld);
void RenderParallaxBehindFans(GameWorld& aWorld, float aFanDepth);
void RenderEventFans(GameWorld& aWorld);
void RenderParallaxFront(GameWorld& aWorld, float aFanDepth);
void RenderEndingsWorld(GameWorld& aWorld);
void RenderCheckpoint(GameWorld& aWorld);
void RenderPickupsAndGrenades(GameWorld& aWorld);
void RenderRides(GameWorld& aWorld);
void RenderParallaxBack(GameWorld& aWorld);
void RenderEndingsOverlay(GameWorld& aWorld);
}
