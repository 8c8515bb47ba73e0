#pragma once
// The play screen's overlay: level time, chapter and level, lives, batteries and the six-digit
// score, with "+n" popups that rise and fly into the score and life icons that fly into the
// lives. It keeps the run's score and batteries and the scores saved at the last checkpoint and
// level start; every 30 batteries become an extra life. The ending screen reads its counters.
#include "core/Types.h"
#include "drawers/SpriteDrawer.h"
#include "math/Camera.h"
#include "math/Color.h"
#include "math/Vector.h"
#include "text/Text.h"

#include <string>
#include <vector>

namespace Qel
{
class Texture;
}
struct GameContext;

class Hud
{
public:
    struct ScorePopup
    {
        Qel::Text myText;
        Qel::Vector2f myPosition;
        Qel::i32 myAmount = 0;
        float myAge = 0.0f;
        float myExtraHold = 0.0f;
    };

    struct IconPopup
    {
        Qel::Sprite2DInstanceData mySprite;
        Qel::SpriteSharedData mySharedData;
        float myAge = 0.0f;
        float myExtraHold = 0.0f;
    };

    // What one update asks of the world and the speakers; applied by Update.
    struct FrameEvents
    {
        Qel::i32 myLivesGained = 0;
        bool myPlayLivesSettledSound = false;
    };

    static constexpr const char* FONT_PATH = "art/2d/Fonts/Nippo/Nippo-Medium.otf";
    static constexpr const char* LIFE_ICON_PATH = "art/2d/Textures/T_UI_LifeIcon.png";
    static constexpr const char* BATTERY_ICON_PATH = "art/2d/Textures/T_UI_BatteryIcon.png";
    static constexpr const char* LIFE_GAIN_ICON_PATH = "art/2d/Textures/T_UI_LifeIncreaseIcon.dds";
    static constexpr Qel::i32 BATTERIES_PER_LIFE = 30;
    static constexpr Qel::i32 LIVES_SETTLED_SOUND_FIRST = 34;
    static constexpr Qel::i32 LIVES_SETTLED_SOUND_LAST = 37;

    Hud();

    // Fonts and icon textures (through the engine; without one the texts have no font and the
    // icons no texture, which draws nothing).
    void Init();

    void AddScore(Qel::i32 aAmount) { myScore += aAmount; }
    void AddScore1000() { AddScore(1000); }
    void AddScore200() { AddScore(200); }
    void AddBattery() { ++myBatteries; }
    void ClearBatteries() { myBatteries = 0; }
    void Reset();
    void SaveCheckpointScore() { myCheckpointScore = myScore; }
    void SaveLevelStartScore() { myLevelStartScore = myScore; }
    void RestoreCheckpointScore();
    void RestoreLevelStartScore();
    void SaveCheckpointTime(float aLevelTimer) { myCheckpointTime = aLevelTimer; }
    void BeginGoalPulse();
    void StartPulse();

    Qel::i32 GetScore() const { return myScore; }
    Qel::i32 GetBatteryCount() const { return myBatteries; }
    Qel::i32 GetExtraLifeCount() const { return myLivesShown; }
    float GetCheckpointTime() const { return myCheckpointTime; }
    Qel::i32 GetCheckpointScore() const { return myCheckpointScore; }
    Qel::i32 GetLevelStartScore() const { return myLevelStartScore; }
    float GetShownScore() const { return myShownScore; }
    float GetShownBatteries() const { return myShownBatteries; }
    float GetPopupScale() const { return myPopupScale; }
    bool IsGoalPulseOn() const { return myGoalPulse != 0; }

    // A "+amount" text at the position: a world position projected through the camera, or a
    // screen position when aScreenSpace.
    void SpawnScorePopup(const Qel::Vector3f& aPosition, Qel::i32 aAmount, const Qel::Camera& aCamera,
                         float aExtraHold, bool aScreenSpace);
    // The same with the camera by pointer; without one a world position is taken relative to
    // the world's origin.
    void SpawnScorePopup(const Qel::Vector3f& aPosition, Qel::i32 aAmount, const Qel::Camera* aCamera,
                         float aExtraHold, bool aScreenSpace);
    // A life-gain icon at the projected world position.
    void SpawnLifePopup(const Qel::Vector3f& aWorldPosition, const Qel::Camera& aCamera, float aExtraHold);

    // One frame: texts, easing, popups; adds the lives earned by batteries to the world's player
    // and plays the sound of the lives display settling.
    void Update(const GameContext& aContext, float aLevelTimer, Qel::i32 aChapter, Qel::i32 aLevel);
    // The same frame without a world: the player's lives in, what the world must do out.
    FrameEvents Tick(float aDeltaTime, float aLevelTimer, Qel::i32 aChapter, Qel::i32 aLevel,
                     Qel::i32 aPlayerLives);

    void Render();

    // Screen position of a world point through a play camera (1400 units tall).
    static Qel::Vector2f WorldToScreen(const Qel::Vector3f& aPosition, const Qel::Vector3f& aCameraPosition,
                                       float aWidth, float aHeight);

    const Qel::Text& GetTimeText() const { return myTimeText; }
    const Qel::Text& GetChapterText() const { return myChapterText; }
    const Qel::Text& GetLivesText() const { return myLivesText; }
    const Qel::Text& GetBatteryText() const { return myBatteryText; }
    const Qel::Text& GetScoreText() const { return myScoreText; }
    const std::vector<ScorePopup>& GetScorePopups() const { return myScorePopups; }
    const std::vector<IconPopup>& GetLifePopups() const { return myLifePopups; }
    const std::vector<IconPopup>& GetBatteryLifePopups() const { return myBatteryLifePopups; }
    const Qel::Sprite2DInstanceData& GetLifeIcon() const { return myLifeIcon; }
    const Qel::Sprite2DInstanceData& GetBatteryIcon() const { return myBatteryIcon; }

private:
    void LayOutIcons(float aWidth, float aHeight);
    IconPopup MakeLifeGainPopup(const Qel::Vector2f& aScreenPosition, float aExtraHold) const;

    std::vector<ScorePopup> myScorePopups;
    std::vector<IconPopup> myLifePopups;
    std::vector<IconPopup> myBatteryLifePopups;
    Qel::Text myTimeText;
    Qel::Text myChapterText;
    Qel::Text myLivesText;
    Qel::Text myBatteryText;
    Qel::Text myScoreText;
    Qel::Color myTextColor{0.94f, 0.94f, 0.94f, 1.0f};
    Qel::Sprite2DInstanceData myLifeIcon;
    Qel::SpriteSharedData myLifeIconData;
    Qel::Texture* myLifeGainIconTexture = nullptr;
    Qel::Sprite2DInstanceData myBatteryIcon;
    Qel::SpriteSharedData myBatteryIconData;
    Qel::i32 myLivesShown = 0;
    Qel::i32 myBatteries = 0;
    Qel::i32 myScore = 0;
    float myShownScore = 0.0f;
    float myShownBatteries = 0.0f;
    Qel::i32 myCheckpointScore = 0;
    Qel::i32 myLevelStartScore = 0;
    float myCheckpointTime = 0.0f;
    float myPopupScale = 0.0f;
    Qel::u8 myLivesSettled = 1;
    Qel::u8 myGoalPulse = 0;
    float myPulseTime = 1.0f;
    std::string myScratch;
};
