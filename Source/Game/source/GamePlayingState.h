#pragma once
// The play screen: owns the game world and the HUD, loads a level in slices over several frames
// while the loading screen shows, then runs it: the level timer, every object in a fixed
// order, the camera, and the draw order from back to front.
#include "GameWorld.h"
#include "Hud.h"
#include "State.h"
#include "Util/PlayCamera.h"

#include "math/PerlinNoise.h"
#include "scene/Scene.h"
#include "stringRegistry/StringId.h"

#include <memory>
#include <unordered_map>
#include <vector>

class PlayFrameRecorder;
enum class PlayStep : Qel::u8;
enum class RenderStep : Qel::u8;

class GamePlayingState final : public State
{
public:
    static constexpr Qel::u32 OBJECTS_PER_LOAD_STEP = 100;
    static constexpr float DEFAULT_LEFT_BOUND = 500.0f;
    static constexpr float ZIPLINE_LEFT_MARGIN = 400.0f;
    static constexpr const char* VIGNETTE_TEXTURE_PATH = "art/2d/Textures/VignetteTexture.dds";

    GamePlayingState();
    ~GamePlayingState() override;

    void Init() override;
    StateCommand Update(const UpdateContext& aContext) override;
    void Render() override;

    // Empties the world and reads the requested scene; false (world left empty) when the scene
    // cannot be read.
    bool LoadLevel();
    // One slice of the load: the scene first, then up to 100 objects, then the after-load
    // steps. False when the level cannot be loaded (the cause, with the path, is printed and
    // nothing is pending any more).
    bool LoadStep();
    void SpawnNextObject();
    static Qel::Matrix4x4 BuildTransform(const Qel::SceneObject& aObject);
    void SetCameraZoom(float aZoom);

    Hud& GetHud() { return myHud; }
    Qel::i32 GetPlayerLives() const { return myWorld.myPlayer.GetLives(); }
    bool IsLoadPending() const { return myLoadPending != 0; }
    void RequestLevel(Qel::StringId aPath);
    // Forgets the current level, so that the next load counts as a change of level (music
    // and the level-start score).
    void ClearCurrentLevel() { myCurrentLevelPath = Qel::StringId(); }
    void ResetRun();
    // Also the world's checkpoint (it plays its sound when it turns active).
    void SetCheckpointActive(Qel::u8 aActive);
    bool IsCheckpointActive() const { return myCheckpointActive; }
    void MovePlayerToCheckpoint();
    void ClearPlayerPowerUp() { myWorld.myPlayer.SetPowerUp(0); }
    void StopAllSounds();

    GameWorld& GetWorld() { return myWorld; }
    const GameWorld& GetWorld() const { return myWorld; }
    Qel::i32 GetChapter() const { return myChapterNumber; }
    Qel::i32 GetLevel() const { return myLevelNumber; }
    Qel::StringId GetCurrentLevel() const { return myCurrentLevelPath; }
    Qel::StringId GetRequestedLevel() const { return myRequestedLevelPath; }
    const PlayCamera::Follow& GetCameraFollow() const { return myFollow; }
    const PlayCamera::Shake& GetCameraShake() const { return myShake; }
    float GetStartRunTime() const { return myStartRunTime; }
    void SetFrameRecorder(PlayFrameRecorder* aRecorder) { myRecorder = aRecorder; }

private:
    void Record(PlayStep aStep);
    void RecordRender(RenderStep aStep, Qel::i32 aItem = -1);
    void FinishLoad();
    bool IsLevelTimerFrozen() const;
    StateCommand UpdateLevel(const UpdateContext& aContext, GameContext& aGameContext);
    void UpdateSceneryParticles(float aDeltaTime);
    void UpdateCamera(float aDeltaTime);
    StateCommand Leave(StateCommand aCommand);

    GameWorld myWorld;
    Hud myHud;
    std::vector<Qel::PropertyRecord> mySpawnProperties;
    std::unordered_map<Qel::u32, std::shared_ptr<Qel::SceneObject>, Qel::GuidIndexHash> mySceneObjects;
    std::vector<Qel::u32> mySpawnStack;
    Qel::u8 myLoadPending = 0;
    Qel::u8 mySceneLoaded = 0;
    PlayCamera::Follow myFollow;
    Qel::StringId myCurrentLevelPath;
    Qel::StringId myRequestedLevelPath;
    Qel::i32 myLevelNumber = 0;
    Qel::i32 myChapterNumber = 0;
    Qel::PerlinNoise myShakeNoise;
    PlayCamera::Shake myShake;
    float myStartRunTime = 0.0f;

    bool myCheckpointActive = false;
    // A frame that ends the level (death, goal, ending) keeps returning its command until the
    // next level is requested, so nothing of it happens twice if the command is not taken.
    StateCommand myExitCommand;
    bool myHasExitCommand = false;
    PlayFrameRecorder* myRecorder = nullptr;
};
