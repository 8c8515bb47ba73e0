#pragma once
// A listener for the steps of the play screen's frame, in the order they run: tests pin the
// update and render order with it, tools can profile by step. Null by default (no cost).
#include "core/Types.h"

enum class PlayStep : Qel::u8
{
    LoadLevel,
    LoadStep,
    Timer,
    Hud,
    Player,
    Stunned,
    Tiles,
    Checkpoint,
    Deaths,
    FanTriggerTouch,
    EventFans,
    FanTriggers,
    GoalUpdates,
    EntryZiplineUpdates,
    EndingCutscenes,
    MiniOwls,
    PipeMoles,
    FlyingMiniOwls,
    BeetleTanks,
    GoalScoring,
    EntryZiplineRides,
    BatterySpawns,
    Pickups,
    ChestGrenades,
    SceneryParticles,
    Pause,
    CameraShake,
    CameraFollow,
    Parallax,
    Vignette,
};

enum class RenderStep : Qel::u8
{
    ParallaxBehindFans,
    EventFans,
    ParallaxFront,
    GenericModelsFront,
    TilesPass0,
    Player,
    EndingCutscenesWorld,
    Checkpoint,
    Effects,
    FanTriggers,
    MiniOwls,
    FlyingMiniOwls,
    BeetleTanks,
    PipeMoles,
    BatteryPickups,
    BatterySpawns,
    ChestGrenadePickups,
    ShieldPickups,
    LifePickups,
    ChestGrenades,
    GenericParticles,
    Goals,
    EntryZiplines,
    GenericModelsBack,
    TilesPass1,
    TilesPass2,
    TilesPass3,
    ParallaxBack,
    Vignette,
    Hud,
    EndingCutscenesOverlay,
};

class PlayFrameRecorder
{
public:
    virtual ~PlayFrameRecorder() = default;
    virtual void OnStep(PlayStep aStep) = 0;
    // One draw step; aItem is the element drawn (its index in its list) or -1 for a whole step.
    virtual void OnRender(RenderStep aStep, Qel::i32 aItem) = 0;
};
