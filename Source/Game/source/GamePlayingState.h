#pragma once
// The play screen. The state stack requests a level, runs the loading steps while the loading
// screen stands over it, and applies the commands it returns.
// Still an empty screen: a requested level is only checked for its scene file and folder; nothing
// is created, drawn or played yet, and the update only answers the pause action.
#include "State.h"
#include "stringRegistry/StringId.h"

class GamePlayingState final : public State
{
public:
    void Init() override;
    StateCommand Update(const UpdateContext& aContext) override;
    void Render() override;

    void RequestLevel(Qel::StringId aLevelPath);
    // One slice of the level load. False when the level cannot be loaded; the cause, with the
    // path, has been printed and nothing is pending any more.
    bool LoadStep();
    bool IsLoadPending() const { return myLoadPending; }
    // Forgets the current level, so that the next load counts as a change of level.
    void ClearCurrentLevel() { myCurrentLevel = Qel::StringId(); }
    void ResetRun() {}
    void SetCheckpointActive(Qel::u8 aActive) { myCheckpointActive = aActive != 0; }
    bool IsCheckpointActive() const { return myCheckpointActive; }
    void MovePlayerToCheckpoint() {}
    void ClearPlayerPowerUp() {}
    // Stops every looping sound of the level (the zipline, enemies, fans).
    void StopAllSounds();

    Qel::StringId GetRequestedLevel() const { return myRequestedLevel; }
    Qel::StringId GetCurrentLevel() const { return myCurrentLevel; }

private:
    Qel::StringId myRequestedLevel;
    Qel::StringId myCurrentLevel;
    bool myLoadPending = false;
    bool myCheckpointActive = false;
};
