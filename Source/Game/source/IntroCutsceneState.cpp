#include "IntroCutsceneState.h"

#include "AudioManager.h"
#include "GameGlobals.h"
#include "InputMapper.h"
#include "MenuWidgets.h"
#include "engine/Engine.h"
#include "graphics/GraphicsEngine.h"
#include "settings/Settings.h"

#include <cstdio>
#include <filesystem>

namespace
{
constexpr float MUSIC_FADE = 1.0f;
constexpr Qel::i32 STATUS_NOT_STARTED = 0;
constexpr Qel::i32 STATUS_FINISHED = 2;
}

void IntroCutsceneState::Init()
{
    std::error_code error;
    const std::filesystem::path workingDirectory = std::filesystem::current_path(error);
    InitWithPath(FindVideoPath(workingDirectory.string(), Qel::Settings::GetExecutableFolder().string()));
}

std::string IntroCutsceneState::FindVideoPath(const std::string& aWorkingDirectory, const std::string& aExecutableFolder)
{
    const std::string inWorkingDirectory = aWorkingDirectory + VIDEO_PATH;
    std::error_code error;
    if (std::filesystem::is_regular_file(inWorkingDirectory, error) || aExecutableFolder.empty())
        return inWorkingDirectory;
    const std::string besideExecutable = aExecutableFolder + VIDEO_PATH;
    return std::filesystem::is_regular_file(besideExecutable, error) ? besideExecutable : inWorkingDirectory;
}

void IntroCutsceneState::InitWithPath(const std::string& aPath)
{
    mySprite.myPivot = {0.0f, 0.0f};   // the top-left corner sits on the position
    myVideoValid = myVideo.Init(aPath.c_str(), true);
    if (!myVideoValid)
        std::fprintf(stderr, "The intro film %s cannot be played: the intro will go straight to the first level.\n",
                     aPath.c_str());
    FitVideoToScreen();
}

void IntroCutsceneState::FitVideoToScreen()
{
    const auto [width, height] = GetRenderSizeF();
    const float videoWidth = static_cast<float>(myVideo.GetVideoWidth());
    const float videoHeight = static_cast<float>(myVideo.GetVideoHeight());
    mySprite.myPosition = {0.0f, height};
    if (!myVideoValid || videoWidth <= 0.0f || videoHeight <= 0.0f)
    {
        mySprite.mySize = {width, height};
        return;
    }
    mySprite.mySize = {static_cast<float>(Qel::Video::NextPowerOfTwo(myVideo.GetVideoWidth())) * width / videoWidth,
                       static_cast<float>(Qel::Video::NextPowerOfTwo(myVideo.GetVideoHeight())) * height / videoHeight};
}

void IntroCutsceneState::Restart()
{
    if (myVideoValid)
        myVideo.Play(false);
    AudioManager& audio = GetAudioManager();
    audio.FadeOutMusic(MUSIC_MENU, MUSIC_FADE);
    audio.PlayMusic(MUSIC_INTRO);
    audio.PlaySfx(SFX_INTRO_CUTSCENE);
}

StateCommand IntroCutsceneState::Update(const UpdateContext& aContext)
{
    UpdateTimer(aContext.myDeltaTime);
    if (myVideoValid)
        myVideo.Update(aContext.myDeltaTime);
    FitVideoToScreen();

    const bool skip = aContext.myActions && aContext.myActions->IsActionPressed(ACTION_SKIP);
    const Qel::i32 status = myVideoValid ? myVideo.GetStatus() : STATUS_FINISHED;
    if (status != STATUS_NOT_STARTED && status != STATUS_FINISHED && !skip)
        return {};

    AudioManager& audio = GetAudioManager();
    if (skip)
    {
        audio.StopMusic(MUSIC_INTRO);
        audio.StopSfx(SFX_INTRO_CUTSCENE);
    }
    else
    {
        audio.FadeOutMusic(MUSIC_INTRO, MUSIC_FADE);
        audio.FadeOutSfx(SFX_INTRO_CUTSCENE, MUSIC_FADE);
    }
    if (myVideoValid)
        myVideo.Restart();
    return MakeLevelCommand(COMMAND_START_LEVEL, Qel::StringId("scenes/game_scenes/level1.qls"), true);
}

void IntroCutsceneState::Render()
{
    Qel::Engine* engine = Qel::Engine::GetInstance();
    if (!myVideoValid || !myVideo.GetTexture() || !engine || !engine->GetGraphicsEngine() ||
        !engine->GetGraphicsEngine()->GetSpriteDrawer())
        return;
    const MenuDrawScope scope;
    Qel::SpriteSharedData shared;
    shared.myColorTexture = myVideo.GetTexture();
    Qel::SpriteBatchScope batch = engine->GetGraphicsEngine()->GetSpriteDrawer()->BeginBatch(shared);
    batch.Draw(mySprite);
}
