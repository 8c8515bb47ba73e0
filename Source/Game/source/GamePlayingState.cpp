#include "GamePlayingState.h"

#include "AudioManager.h"
#include "GameGlobals.h"
#include "InputMapper.h"
#include "settings/Settings.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

namespace
{
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

void GamePlayingState::Init() {}

StateCommand GamePlayingState::Update(const UpdateContext& aContext)
{
    if (aContext.myActions && aContext.myActions->IsActionPressed(ACTION_PAUSE))
        return MakeCommand(COMMAND_PAUSE);
    return {};
}

void GamePlayingState::Render() {}

void GamePlayingState::RequestLevel(Qel::StringId aLevelPath)
{
    myRequestedLevel = aLevelPath;
    myLoadPending = true;
}

bool GamePlayingState::LoadStep()
{
    if (!myLoadPending)
        return true;
    myLoadPending = false;
    if (!CheckLevelFiles(std::string(myRequestedLevel.GetView())))
        return false;
    myCurrentLevel = myRequestedLevel;
    return true;
}

void GamePlayingState::StopAllSounds() { GetAudioManager().StopSfx(SFX_ZIPLINE_RIDING); }
