#include "GamePlayingState.h"

#include "Objects/PlayObjects.h"

#include "AnimatedEffectPool.h"
#include "AudioManager.h"
#include "GameGlobals.h"
#include "InputMapper.h"
#include "PlayFrameRecorder.h"
#include "Util/LevelPath.h"
#include "Util/PlayRules.h"
#include "Util/RenderSize.h"
#include "Util/SceneryParticles.h"
#include "Util/SpawnQueue.h"
#include "Util/TransformUtil.h"

#include "engine/Engine.h"
#include "graphics/DX11.h"
#include "graphics/GraphicsEngine.h"
#include "graphics/GraphicsStateStack.h"
#include "graphics/RenderTarget.h"
#include "math/Camera.h"
#include "math/Random.h"
#include "scene/ObjectDefinition.h"
#include "scene/CopyOnWrite.h"
#include "scene/Scene.h"
#include "scene/SceneAssets.h"
#include "settings/Settings.h"
#include "texture/TextureManager.h"

#include <algorithm>
#include <cfloat>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

namespace
{
StateCommand MakePlayCommand(Qel::i32 aCode, Qel::StringId aPath, bool aTransition, bool aAtCheckpoint)
{
    StateCommand command = MakeLevelCommand(aCode, aPath, aTransition);
    command.myAtCheckpoint = aAtCheckpoint ? 1 : 0;
    return command;
}

// A level is its scene file and, beside it, the folder of its objects.
bool CheckLevelFiles(const std::string& aLevelPath)
{
    if (aLevelPath.empty())
    {
        std::printf("No level was given to load\n");
        return false;
    }
    const std::filesystem::path scene = Qel::Settings::GetGameAssetsPath() / aLevelPath;
    std::error_code error;
    if (!std::filesystem::is_regular_file(scene, error))
    {
        std::printf("Level \"%s\" cannot be loaded: the scene file is missing\n", scene.string().c_str());
        return false;
    }
    std::filesystem::path folder = scene;
    folder.replace_extension(".leveldata");
    if (!std::filesystem::is_directory(folder, error))
    {
        std::printf("Level \"%s\" cannot be loaded: its object folder \"%s\" is missing\n", scene.string().c_str(),
                    folder.string().c_str());
        return false;
    }
    return true;
}
}

GamePlayingState::GamePlayingState()
{
    // A breaking block's pieces play once in the effect pool (a second when the clip has no
    // length of its own).
    myWorld.mySpawnBlockBreakEffect = [](const Qel::CopyOnWriteWrapper<Qel::SceneModel>* aModel,
                                         const Qel::Matrix4x4& aTransform, const std::string& aClipPath)
    {
        AnimatedModel pieces;
        if (aModel)
            AnimatedModel::Load(pieces, aModel->Get(), aTransform);
        else
            pieces.SetTransform(aTransform);
        AnimatedEffectPool::Get().Spawn(aClipPath, pieces, 1.0f, false);
    };
}
GamePlayingState::~GamePlayingState() = default;

void GamePlayingState::Record(PlayStep aStep)
{
    if (myRecorder)
        myRecorder->OnStep(aStep);
}

void GamePlayingState::RecordRender(RenderStep aStep, Qel::i32 aItem)
{
    if (myRecorder)
        myRecorder->OnRender(aStep, aItem);
}

void GamePlayingState::Init()
{
    if (Qel::Engine* engine = Qel::Engine::GetInstance())
    {
        if (Qel::TextureManager* textures = engine->GetTextureManager())
            myWorld.myVignetteBatchData.myColorTexture =
                textures->GetTexture(VIGNETTE_TEXTURE_PATH, Qel::TEXTURE_COLOR_MODE_FORCE_SRGB);
    }
    const auto [width, height] = GetGameRenderSize();
    myWorld.myVignetteSprite.mySize = {width, height};
    myWorld.myVignetteSprite.myPivot = {0.0f, 1.0f};
    myHud.Init();
    myShakeNoise = Qel::PerlinNoise(static_cast<Qel::u32>(Qel::GetRandomInt(0, 2147483647)));
}

void GamePlayingState::RequestLevel(Qel::StringId aPath)
{
    myRequestedLevelPath = aPath;
    myLoadPending = 1;
    mySceneLoaded = 0;
    myHasExitCommand = false;
}

void GamePlayingState::ResetRun()
{
    myWorld.myPlayer.ResetLives();
    myWorld.myPlayer.SetPowerUp(0);
    myHud.Reset();
    myHud.SaveLevelStartScore();
    myHud.ClearBatteries();
}

void GamePlayingState::SetCheckpointActive(Qel::u8 aActive)
{
    myCheckpointActive = aActive != 0;
    myWorld.myCheckpoint.SetActive(aActive != 0);
}

void GamePlayingState::MovePlayerToCheckpoint()
{
    if (myWorld.myCheckpoint.IsPlaced())
        myWorld.myPlayer.SetPosition(myWorld.myCheckpoint.GetSavedPosition());
}

void GamePlayingState::StopAllSounds()
{
    GetAudioManager().StopSfx(SFX_ZIPLINE_RIDING);
    myWorld.StopEnemySounds();
    for (EventFan& fan : myWorld.myEventFans)
        fan.StopSounds();
}

bool GamePlayingState::LoadLevel()
{
    myStartRunTime = 0.0f;
    myShake = {};
    AudioManager& audio = GetAudioManager();
    audio.StopSfx(SFX_ZIPLINE_RIDING);
    myWorld.myPlayer.Unlock();
    myWorld.ClearLevel();
    // The checkpoint lives through a reload of its own level only.
    if (myRequestedLevelPath != myCurrentLevelPath)
        myWorld.myCheckpoint.Clear();

    // An empty path, or one without its scene file and object folder, is no level.
    const std::string path(myRequestedLevelPath.GetView());
    Qel::Scene scene;
    if (!CheckLevelFiles(path) || !Qel::LoadScene(path.c_str(), scene))
        return false;

    mySceneLoaded = 1;
    myWorld.GetContentReport().Clear();
    mySceneObjects = scene.myObjects;
    mySpawnStack.clear();
    mySpawnStack.reserve(mySceneObjects.size());
    for (const auto& entry : mySceneObjects)
        mySpawnStack.push_back(entry.first);

    // The bounds are still the previous level's; the first update clamps to the new ones. A
    // respawn at the checkpoint starts the camera where it rests with the player standing
    // there, not at the level's start.
    const bool atCheckpoint = myCheckpointActive && myWorld.myCheckpoint.IsPlaced();
    if (atCheckpoint)
    {
        const Qel::Vector3f saved = myWorld.myCheckpoint.GetSavedPosition();
        myFollow.myTarget = {PlayCamera::ClampTargetX(saved.x + PlayCamera::PLAYER_LEAD, myFollow.myLeftBound,
                                                      myFollow.myRightBound),
                             saved.y, saved.z};
    }
    else
    {
        myFollow.myTarget = {myFollow.myLeftBound, 0.0f, 0.0f};
    }
    SetCameraZoom(1.0f);
    if (atCheckpoint)
    {
        // The camera itself starts there too: it would otherwise come back from where the
        // player died.
        Qel::Vector3f position = myWorld.myCamera->GetPosition();
        position.x = myFollow.myTarget.x;
        myWorld.myCamera->SetPosition(position);
    }

    const Qel::i32 previousDigit = LevelPath::LevelDigit(myCurrentLevelPath.GetView());
    const Qel::i32 newDigit = LevelPath::LevelDigit(path);
    LevelPath::ChapterAndLevel(path, myChapterNumber, myLevelNumber);
    if (path.ends_with("level1.qls") && !myCheckpointActive)
        myStartRunTime = 1.0f;

    audio.StopMusic(MUSIC_MENU);
    const LevelPath::MusicChange change = LevelPath::PlanMusicChange(previousDigit, newDigit);
    if (change.myLevelChanged)
    {
        myHud.SaveLevelStartScore();
        if (change.myStopMusic >= 0)
        {
            audio.StopMusic(static_cast<Qel::u8>(change.myStopMusic));
            audio.StopAmbient(static_cast<Qel::u8>(change.myStopAmbience));
        }
        if (change.myPlayMusic >= 0)
        {
            audio.PlayMusic(static_cast<Qel::u8>(change.myPlayMusic));
            audio.PlayAmbient(static_cast<Qel::u8>(change.myPlayAmbience));
        }
    }
    return true;
}

bool GamePlayingState::LoadStep()
{
    if (!myLoadPending)
        return true;
    if (!mySceneLoaded)
    {
        Record(PlayStep::LoadLevel);
        if (!LoadLevel())
        {
            myLoadPending = 0;
            return false;
        }
        return true;
    }
    Record(PlayStep::LoadStep);
    if (!mySpawnStack.empty())
    {
        const size_t count = std::min<size_t>(mySpawnStack.size(), OBJECTS_PER_LOAD_STEP);
        for (size_t i = 0; i < count; ++i)
            SpawnNextObject();
        return true;
    }
    FinishLoad();
    return true;
}

void GamePlayingState::SpawnNextObject()
{
    const std::optional<Qel::u32> id = SpawnQueue::TakeNext(mySpawnStack, [this](Qel::u32 aId) {
        const auto found = mySceneObjects.find(aId);
        return found == mySceneObjects.end() || !found->second || found->second->myIsHidden;
    });
    if (!id)
        return;
    const std::shared_ptr<Qel::SceneObject> object = mySceneObjects[*id];
    myWorld.SetSpawnSource(std::string(myRequestedLevelPath.GetView()) + ": object \"" + object->myName + "\"");
    mySpawnProperties.clear();
    Qel::ObjectDefinitionManager& definitions = Qel::GetObjectDefinitionManager();
    if (!definitions.Find(object->myObjectDefinition))
    {
        const std::string name(object->myObjectDefinition.GetView());
        myWorld.GetContentReport().Report("definition " + name, myWorld.GetSpawnSource() +
                                                                     ": its object definition \"" + name +
                                                                     "\" does not exist; the object is scenery without properties");
    }
    Qel::ApplyPerInstanceProperties(*object, definitions, mySpawnProperties);
    myWorld.CreateObject(BuildTransform(*object), mySpawnProperties.data(), mySpawnProperties.size());
    myWorld.SetSpawnSource({});
}

Qel::Matrix4x4 GamePlayingState::BuildTransform(const Qel::SceneObject& aObject)
{
    return BuildTransformMatrix(aObject.myTransform.myTranslation, aObject.myTransform.myRotation,
                                aObject.myTransform.myScale);
}

void GamePlayingState::FinishLoad()
{
    std::stable_sort(myWorld.myGenericModels.begin(), myWorld.myGenericModels.end(),
                     [](const ModelVisual& a, const ModelVisual& b)
                     { return a.GetTransform()(4, 3) > b.GetTransform()(4, 3); });
    std::stable_sort(myWorld.myParallaxLayers.begin(), myWorld.myParallaxLayers.end(),
                     [](const Parallax& a, const Parallax& b)
                     { return a.GetTransform()(4, 3) > b.GetTransform()(4, 3); });
    const bool sameLevel = myCurrentLevelPath == myRequestedLevelPath;
    PlayObjects::FinishLoad(myWorld, sameLevel && myCheckpointActive);
    myCurrentLevelPath = myRequestedLevelPath;
    myFollow.myLeftBound = myWorld.myEntryZiplines.empty()
                               ? DEFAULT_LEFT_BOUND
                               : myWorld.myEntryZiplines.front().GetPosition().x + ZIPLINE_LEFT_MARGIN;
    myFollow.myRightBound =
        myWorld.myGoals.empty() ? FLT_MAX : myWorld.myGoals.front().GetModelTransform().GetTranslation().x;
    myWorld.myPlayer.SetForcedRunTime(myStartRunTime);
    myLoadPending = 0;
}

void GamePlayingState::SetCameraZoom(float aZoom)
{
    Qel::Vector3f kept{myFollow.myLeftBound, PlayCamera::DEFAULT_HEIGHT, PlayCamera::CAMERA_Z};
    if (myWorld.myCamera)
        kept = myWorld.myCamera->GetPosition();
    else
        myWorld.myCamera = std::make_unique<Qel::Camera>();
    // One camera, reconfigured in place: the ending changes the zoom every frame.
    const auto [width, height] = GetGameRenderSize();
    const Qel::Vector2f view = PlayCamera::ViewSize(width, height, aZoom);
    myWorld.myCamera->SetOrthographicProjection(view.x, view.y, PlayCamera::VIEW_DEPTH);
    myWorld.myCamera->SetPosition({kept.x, kept.y, PlayCamera::CAMERA_Z});
}

bool GamePlayingState::IsLevelTimerFrozen() const
{
    return PlayObjects::IsLevelClockStopped(myWorld);
}

StateCommand GamePlayingState::Leave(StateCommand aCommand)
{
    myExitCommand = aCommand;
    myHasExitCommand = true;
    return aCommand;
}

StateCommand GamePlayingState::Update(const UpdateContext& aContext)
{
    if (myLoadPending)
    {
        if (!LoadStep())
            return MakeCommand(COMMAND_MAIN_MENU, true);
        return {};
    }
    if (myHasExitCommand)
        return myExitCommand;

    GameContext context{&myWorld, aContext.myActions, aContext.myInput, aContext.myDeltaTime, &myHud};
    return UpdateLevel(aContext, context);
}

StateCommand GamePlayingState::UpdateLevel(const UpdateContext& aContext, GameContext& aGameContext)
{
    const float dt = aGameContext.dt;
    Player& player = myWorld.myPlayer;
    InputMapper* actions = aContext.myActions;

    Record(PlayStep::Timer);
    const bool timerFrozen = IsLevelTimerFrozen();
    if (!timerFrozen)
        UpdateTimer(-dt);
    Record(PlayStep::Hud);
    myHud.Update(aGameContext, GetTimer(), myChapterNumber, myLevelNumber);

    Record(PlayStep::Player);
    bool died = player.Update(aGameContext);
    bool outOfTime = false;
    // Out of time once: not again while the player is stunned, and not on a frame that has
    // already cost a life.
    if (!timerFrozen && GetTimer() <= 0.0f && !died && !player.IsStunned())
    {
        player.LoseLife();
        player.SetPowerUp(0);
        died = true;
        outOfTime = true;
    }
    if (player.IsStunned())
    {
        Record(PlayStep::Stunned);
        return {};
    }

    const Qel::i32 lives = player.GetLives();
    Record(PlayStep::Tiles);
    myWorld.myTileMap.UpdateTiles(aGameContext);
    Record(PlayStep::Checkpoint);
    PlayObjects::UpdateCheckpoint(aGameContext, GetTimer());
    if (myWorld.myCheckpoint.IsActive())
        myCheckpointActive = true;

    Record(PlayStep::Deaths);
    const PlayRules::DeathOutcome death = PlayRules::DecideDeath(died, outOfTime, lives, myCheckpointActive);
    if (death.myCode != PlayRules::CODE_NONE)
    {
        switch (death.myScore)
        {
        case PlayRules::ScoreAfterDeath::ResetRun:
            myHud.Reset();
            // The run starts over: a later death must not bring back the old level-start score.
            myHud.SaveLevelStartScore();
            player.ResetLives();
            player.ResetForRespawn();
            break;
        case PlayRules::ScoreAfterDeath::RestoreLevelStart: myHud.RestoreLevelStartScore(); break;
        case PlayRules::ScoreAfterDeath::RestoreCheckpoint: myHud.RestoreCheckpointScore(); break;
        case PlayRules::ScoreAfterDeath::Keep: break;
        }
        if (death.myClearBatteries)
            myHud.ClearBatteries();
        return Leave(MakePlayCommand(death.myCode, myCurrentLevelPath, true, death.myAtCheckpoint));
    }

    Record(PlayStep::FanTriggerTouch);
    Record(PlayStep::EventFans);
    Record(PlayStep::FanTriggers);
    Record(PlayStep::GoalUpdates);
    Record(PlayStep::EntryZiplineUpdates);
    Record(PlayStep::EndingCutscenes);
    if (PlayObjects::UpdateScriptedObjects(aGameContext))
        return Leave(MakeCommand(COMMAND_ENDING_CREDITS, true));
    Record(PlayStep::MiniOwls);
    for (MiniOwl& owl : myWorld.myMiniOwls)
        owl.Update(aGameContext);
    Record(PlayStep::PipeMoles);
    for (PipeMole& mole : myWorld.myPipeMoles)
        mole.Update(aGameContext);
    Record(PlayStep::FlyingMiniOwls);
    for (FlyingMiniOwl& owl : myWorld.myFlyingMiniOwls)
        owl.Update(aGameContext);
    Record(PlayStep::BeetleTanks);
    for (BeetleTank& tank : myWorld.myBeetleTanks)
        tank.Update(aGameContext);
    Record(PlayStep::GoalScoring);
    {
        const auto [renderWidth, renderHeight] = GetGameRenderSize();
        const StateCommand goal = PlayObjects::UpdateGoals(aGameContext, GetTimer(), renderWidth, renderHeight);
        if (goal.myCode != COMMAND_NONE)
            return Leave(goal);
    }
    Record(PlayStep::EntryZiplineRides);
    PlayObjects::UpdateEntryZiplineRides(aGameContext);
    Record(PlayStep::BatterySpawns);
    PlayObjects::UpdateBatterySpawns(aGameContext);
    Record(PlayStep::Pickups);
    PlayObjects::UpdatePickups(aGameContext);
    Record(PlayStep::ChestGrenades);
    PlayObjects::UpdateChestGrenades(aGameContext);
    Record(PlayStep::SceneryParticles);
    UpdateSceneryParticles(dt);

    Record(PlayStep::Pause);
    if (actions && actions->IsActionPressed(ACTION_PAUSE))
        return MakeCommand(COMMAND_PAUSE);

    UpdateCamera(dt);
    Record(PlayStep::Parallax);
    PlayObjects::UpdateParallax(aGameContext);
    Record(PlayStep::Vignette);
    const auto [width, height] = GetGameRenderSize();
    myWorld.myVignetteSprite.mySize = {width, height};
    return {};
}

void GamePlayingState::UpdateSceneryParticles(float aDeltaTime)
{
    const Player& player = myWorld.myPlayer;
    const Box hitbox = player.GetHitbox();
    const Qel::Vector2f velocity = player.GetVelocity();
    for (Qel::ParticleSystemInstance& emitter : myWorld.myGenericParticles)
    {
        emitter.Update(aDeltaTime);
        const Qel::ParticleSystem* system = emitter.GetSystemData();
        if (!system)
            continue;
        const bool pushed = system->affectedByPlayerMovementAmount > 0.00001f;
        if (!pushed && !system->collideWithTilemap)
            continue;
        const Qel::Vector3f origin =
            system->simulateInLocalSpace ? emitter.GetTransform().GetTranslation() : Qel::Vector3f();
        std::span<Qel::Particle> particles = emitter.GetParticles();
        for (size_t i = 0; i < particles.size(); ++i)
        {
            if (emitter.IsDead(i))
                continue;
            Qel::Particle& particle = particles[i];
            const Qel::Vector3f local = particle.myTransform.GetTranslation();
            Qel::Vector3f position = local + origin;
            if (pushed && hitbox.Contains({position.x, position.y}))
            {
                particle.myVelocity =
                    particle.myVelocity + SceneryParticles::PlayerPush(position, velocity, hitbox.GetPosition(),
                                                                       system->affectedByPlayerMovementAmount,
                                                                       Qel::GetRandomFloat(-1.0f, 1.0f),
                                                                       Qel::GetRandomFloat(-1.0f, 1.0f), aDeltaTime);
            }
            // Outside the grid there is nothing to collide with.
            const TileCell cell = TileMap::WorldToCell({position.x, position.y});
            if (system->collideWithTilemap && TileMap::IsInside(cell) && myWorld.myTileMap.IsSolid(cell))
            {
                SceneryParticles::PushOutOfCell(position, particle.myVelocity, system->tilemapBounce,
                                                system->tilemapFriction, aDeltaTime);
                particle.myTransform.SetTranslation(position - origin);
            }
        }
    }
}

void GamePlayingState::UpdateCamera(float aDeltaTime)
{
    Record(PlayStep::CameraShake);
    PlayCamera::UpdateShake(myShake, PlayObjects::IsFanEventRunning(myWorld), myShakeNoise, aDeltaTime);
    Record(PlayStep::CameraFollow);
    if (!myWorld.myCamera)
        SetCameraZoom(1.0f);
    const Qel::Vector3f camera = myWorld.myCamera->GetPosition();
    if (const EndingCutscene* ending = PlayObjects::FindPlayingEnding(myWorld))
    {
        const PlayCamera::CutsceneFraming framing{ending->GetPosition().x, ending->GetCameraSideOffset(),
                                                  ending->GetCameraRise(), ending->GetCameraZoom()};
        const Qel::Vector3f framed = PlayCamera::FrameCutscene(myFollow, myShake, camera, framing, aDeltaTime);
        SetCameraZoom(framing.myZoom);
        myWorld.myCamera->SetPosition(framed);
        return;
    }
    myWorld.myCamera->SetPosition(
        PlayCamera::FollowPlayer(myFollow, camera, myWorld.myPlayer.GetPosition(), myShake, aDeltaTime));
}

void GamePlayingState::Render()
{
    if (myLoadPending)
        return;
    Qel::Engine* engine = Qel::Engine::GetInstance();
    Qel::GraphicsEngine* graphics = engine ? engine->GetGraphicsEngine() : nullptr;
    Qel::GraphicsStateStack* states = graphics ? graphics->GetGraphicsStateStack() : nullptr;
    if (Qel::RenderTarget* target = Qel::DX11::GetActiveRenderTarget())
        target->SetAsActiveTarget(Qel::DX11::GetDepthBuffer());
    if (states && myWorld.myCamera)
        states->SetCamera(*myWorld.myCamera);

    const float fanZ = PlayObjects::GetLastFanDepth(myWorld);
    RecordRender(RenderStep::ParallaxBehindFans);
    PlayObjects::RenderParallaxBehindFans(myWorld, fanZ);
    RecordRender(RenderStep::EventFans);
    PlayObjects::RenderEventFans(myWorld);
    RecordRender(RenderStep::ParallaxFront);
    PlayObjects::RenderParallaxFront(myWorld, fanZ);
    RecordRender(RenderStep::GenericModelsFront);
    for (size_t i = 0; i < myWorld.myGenericModels.size(); ++i)
    {
        ModelVisual& visual = myWorld.myGenericModels[i];
        if (visual.GetTransform()(4, 3) >= 0.0f)
        {
            RecordRender(RenderStep::GenericModelsFront, static_cast<Qel::i32>(i));
            RenderModelInstance(visual, -1, true);
        }
    }
    RecordRender(RenderStep::TilesPass0);
    myWorld.myTileMap.Render(0);
    RecordRender(RenderStep::Player);
    myWorld.myPlayer.Render();
    RecordRender(RenderStep::EndingCutscenesWorld);
    PlayObjects::RenderEndingsWorld(myWorld);
    RecordRender(RenderStep::Checkpoint);
    PlayObjects::RenderCheckpoint(myWorld);
    RecordRender(RenderStep::Effects);
    AnimatedEffectPool::Get().Render();
    RecordRender(RenderStep::FanTriggers);
    RecordRender(RenderStep::MiniOwls);
    for (MiniOwl& owl : myWorld.myMiniOwls)
        owl.Render();
    RecordRender(RenderStep::FlyingMiniOwls);
    for (FlyingMiniOwl& owl : myWorld.myFlyingMiniOwls)
        owl.Render();
    RecordRender(RenderStep::BeetleTanks);
    for (BeetleTank& tank : myWorld.myBeetleTanks)
        tank.Render();
    RecordRender(RenderStep::PipeMoles);
    for (PipeMole& mole : myWorld.myPipeMoles)
        mole.Render();
    RecordRender(RenderStep::BatteryPickups);
    RecordRender(RenderStep::BatterySpawns);
    RecordRender(RenderStep::ChestGrenadePickups);
    RecordRender(RenderStep::ShieldPickups);
    RecordRender(RenderStep::LifePickups);
    RecordRender(RenderStep::ChestGrenades);
    PlayObjects::RenderPickupsAndGrenades(myWorld);
    RecordRender(RenderStep::GenericParticles);
    for (Qel::ParticleSystemInstance& emitter : myWorld.myGenericParticles)
        emitter.Render();
    RecordRender(RenderStep::Goals);
    RecordRender(RenderStep::EntryZiplines);
    PlayObjects::RenderRides(myWorld);
    RecordRender(RenderStep::GenericModelsBack);
    for (size_t i = 0; i < myWorld.myGenericModels.size(); ++i)
    {
        ModelVisual& visual = myWorld.myGenericModels[i];
        if (visual.GetTransform()(4, 3) < 0.0f)
        {
            RecordRender(RenderStep::GenericModelsBack, static_cast<Qel::i32>(i));
            RenderModelInstance(visual, -1, true);
        }
    }
    RecordRender(RenderStep::TilesPass1);
    myWorld.myTileMap.Render(1);
    RecordRender(RenderStep::TilesPass2);
    myWorld.myTileMap.Render(2);
    RecordRender(RenderStep::TilesPass3);
    myWorld.myTileMap.Render(3);
    RecordRender(RenderStep::ParallaxBack);
    PlayObjects::RenderParallaxBack(myWorld);

    RecordRender(RenderStep::Vignette);
    if (Qel::RenderTarget* target = Qel::DX11::GetActiveRenderTarget())
        target->SetAsActiveTarget(nullptr);
    if (states)
    {
        states->SetScreenSpaceCamera();
        if (Qel::SpriteDrawer* sprites = graphics->GetSpriteDrawer())
            sprites->BeginBatch(myWorld.myVignetteBatchData).Draw(myWorld.myVignetteSprite);
    }
    RecordRender(RenderStep::Hud);
    myHud.Render();
    RecordRender(RenderStep::EndingCutscenesOverlay);
    PlayObjects::RenderEndingsOverlay(myWorld);
}
