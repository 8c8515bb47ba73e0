#pragma once
// The intro film before the first level, with its music and sound; skip or its end starts the
// first level. A film that cannot be played ends the intro at once.
#include "State.h"
#include "drawers/SpriteDrawer.h"
#include "video/Video.h"

#include <string>

class IntroCutsceneState final : public State
{
public:
    // Below the working directory the game runs in (or, when it is not there, below the
    // executable's folder, so a game started from elsewhere still shows its film).
    static constexpr const char* VIDEO_PATH = "/art/2d/Videos/Cutscene_Intro.mp4";
    static constexpr const char* FIRST_LEVEL = "scenes/game_scenes/level1.qls";

    void Init() override;
    StateCommand Update(const UpdateContext& aContext) override;
    void Render() override;
    // Plays the video from its start with its music.
    void Restart();
    // The video's own pixels cover the render area from its top-left corner.
    void FitVideoToScreen();

    bool IsVideoValid() const { return myVideoValid; }
    const Qel::Sprite2DInstanceData& GetVideoSprite() const { return mySprite; }
    // The film's path: below the working directory when the file is there, else below the
    // executable's folder.
    static std::string FindVideoPath(const std::string& aWorkingDirectory, const std::string& aExecutableFolder);
    // Tests: open another file in place of the intro film.
    void InitWithPath(const std::string& aPath);

private:
    Qel::Video myVideo;
    Qel::Sprite2DInstanceData mySprite;
    bool myVideoValid = false;
};
