#include "Hud.h"

#include "AudioManager.h"
#include "GameGlobals.h"
#include "GameWorld.h"
#include "Util/RenderSize.h"

#include "engine/Engine.h"
#include "graphics/DX11.h"
#include "graphics/GraphicsEngine.h"
#include "graphics/GraphicsStateStack.h"
#include "graphics/RenderTarget.h"
#include "texture/Texture.h"
#include "texture/TextureManager.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace
{
constexpr const char* DEFAULT_FONT_PATH = "Text/arial.ttf";
constexpr Qel::u32 DEFAULT_FONT_SIZE = 14;
constexpr Qel::u32 HUD_FONT_SIZE = 36;
constexpr Qel::u32 POPUP_FONT_SIZE = 30;
constexpr float REFERENCE_WIDTH = 2560.0f;
constexpr float PLAY_VIEW_HEIGHT = 1400.0f;

// Score popups: rise for hold + 0.5 s, then fly into the score for 0.8 s.
constexpr float SCORE_RISE_TIME = 0.5f;
constexpr float SCORE_FLY_TIME = 0.8f;
constexpr float SCORE_RISE_SPEED = 120.0f;
// Life popups: rise for hold + 1.2 s, then fly into the lives icon for 1.25 s.
constexpr float LIFE_RISE_TIME = 1.2f;
constexpr float LIFE_RISE_SPEED = 40.0f;
// Lives made from batteries: rise for 1.8 s, then the same flight.
constexpr float BATTERY_LIFE_RISE_TIME = 1.8f;
constexpr float BATTERY_LIFE_RISE_SPEED = 60.0f;
constexpr float ICON_FLY_TIME = 1.25f;

float Lerp(float aFrom, float aTo, float aT) { return std::lerp(aFrom, aTo, aT); }

Qel::Texture* LoadColorTexture(const char* aPath)
{
    Qel::Engine* engine = Qel::Engine::GetInstance();
    Qel::TextureManager* textures = engine ? engine->GetTextureManager() : nullptr;
    return textures ? textures->GetTexture(aPath, Qel::TEXTURE_COLOR_MODE_FORCE_SRGB) : nullptr;
}

Qel::Vector2f TextureSize(const Qel::Texture* aTexture)
{
    if (!aTexture)
        return {1.0f, 1.0f};
    return {static_cast<float>(aTexture->GetWidth()), static_cast<float>(aTexture->GetHeight())};
}

// One icon popup's frame: rise, then fly to the target while shrinking and fading.
// True when it has lived out its time.
bool AdvanceIconPopup(Hud::IconPopup& aPopup, float aDeltaTime, float aRiseTime, float aRiseSpeed,
                      const Qel::Vector2f& aTarget, float aPopupScale)
{
    aPopup.myAge += aDeltaTime;
    const float riseEnd = aPopup.myExtraHold + aRiseTime;
    Qel::Sprite2DInstanceData& sprite = aPopup.mySprite;
    if (aPopup.myAge < riseEnd)
    {
        sprite.myPosition.y += aRiseSpeed * aDeltaTime;
        sprite.myScale = {aPopupScale, aPopupScale};
    }
    else
    {
        const float p = (aPopup.myAge - riseEnd) / ICON_FLY_TIME;
        sprite.myPosition.x = Lerp(sprite.myPosition.x, aTarget.x, 3.0f * aDeltaTime);
        sprite.myPosition.y = Lerp(sprite.myPosition.y, aTarget.y, 3.0f * aDeltaTime);
        const float scale = Lerp(1.0f, 0.2f, p) * aPopupScale;
        sprite.myScale = {scale, scale};
        sprite.myColor.a = Lerp(1.0f, 0.0f, p);
    }
    return aPopup.myAge >= riseEnd + ICON_FLY_TIME;
}

// Erases the popups that are done, keeping the others in order.
template <typename Popup, typename Done>
void EraseDone(std::vector<Popup>& aPopups, Done aDone)
{
    for (size_t i = aPopups.size(); i-- > 0;)
    {
        if (aDone(aPopups[i]))
            aPopups.erase(aPopups.begin() + static_cast<std::ptrdiff_t>(i));
    }
}
}

Hud::Hud()
    : myTimeText(DEFAULT_FONT_PATH, DEFAULT_FONT_SIZE),
      myChapterText(DEFAULT_FONT_PATH, DEFAULT_FONT_SIZE),
      myLivesText(DEFAULT_FONT_PATH, DEFAULT_FONT_SIZE),
      myBatteryText(DEFAULT_FONT_PATH, DEFAULT_FONT_SIZE),
      myScoreText(DEFAULT_FONT_PATH, DEFAULT_FONT_SIZE)
{
    myLifeIcon.myPivot = {0.5f, 0.5f};
    myBatteryIcon.myPivot = {0.5f, 0.5f};
}

void Hud::Init()
{
    for (Qel::Text* text : {&myTimeText, &myChapterText, &myLivesText, &myBatteryText, &myScoreText})
    {
        *text = Qel::Text(FONT_PATH, HUD_FONT_SIZE);
        text->SetColor(myTextColor);
    }
    myLifeIconData.myColorTexture = LoadColorTexture(LIFE_ICON_PATH);
    myBatteryIconData.myColorTexture = LoadColorTexture(BATTERY_ICON_PATH);
    myLifeGainIconTexture = LoadColorTexture(LIFE_GAIN_ICON_PATH);
    myLifeIcon.mySize = TextureSize(myLifeIconData.myColorTexture);
    myBatteryIcon.mySize = TextureSize(myBatteryIconData.myColorTexture);
    const auto [width, height] = GetGameRenderSize();
    LayOutIcons(width, height);
}

void Hud::LayOutIcons(float aWidth, float aHeight)
{
    myLifeIcon.myPosition = {0.5f * aWidth, 0.9f * aHeight};
    myBatteryIcon.myPosition = {0.3f * aWidth, 0.9f * aHeight};
}

void Hud::Reset()
{
    myPulseTime = 1.0f;
    myScore = 0;
    myCheckpointScore = 0;
    myGoalPulse = 0;
}

void Hud::RestoreCheckpointScore()
{
    myScore = myCheckpointScore;
    myShownScore = static_cast<float>(myScore);
}

void Hud::RestoreLevelStartScore()
{
    myScore = myLevelStartScore;
    myShownScore = static_cast<float>(myScore);
}

void Hud::BeginGoalPulse()
{
    myGoalPulse = 1;
    myPulseTime = 1.0f;
}

void Hud::StartPulse()
{
    myPulseTime = 1.0f;
    myGoalPulse = 0;
}

Qel::Vector2f Hud::WorldToScreen(const Qel::Vector3f& aPosition, const Qel::Vector3f& aCameraPosition, float aWidth,
                                 float aHeight)
{
    const float height = std::max(aHeight, 1.0f);
    return {((aPosition.x - aCameraPosition.x) / (aWidth / height * PLAY_VIEW_HEIGHT) + 0.5f) * aWidth,
            ((aPosition.y - aCameraPosition.y) / PLAY_VIEW_HEIGHT + 0.5f) * aHeight};
}

void Hud::SpawnScorePopup(const Qel::Vector3f& aPosition, Qel::i32 aAmount, const Qel::Camera& aCamera,
                          float aExtraHold, bool aScreenSpace)
{
    ScorePopup popup{Qel::Text(FONT_PATH, POPUP_FONT_SIZE), {}, aAmount, 0.0f, aExtraHold};
    popup.myText.SetText("+" + std::to_string(aAmount));
    popup.myText.SetColor(myTextColor);
    if (aScreenSpace)
    {
        popup.myPosition = {aPosition.x, aPosition.y};
    }
    else
    {
        const auto [width, height] = GetGameRenderSize();
        popup.myPosition = WorldToScreen(aPosition, aCamera.GetPosition(), width, height);
    }
    popup.myText.SetPosition(popup.myPosition);
    popup.myText.SetScale(myPopupScale);
    myScorePopups.push_back(std::move(popup));
}

void Hud::SpawnScorePopup(const Qel::Vector3f& aPosition, Qel::i32 aAmount, const Qel::Camera* aCamera,
                          float aExtraHold, bool aScreenSpace)
{
    SpawnScorePopup(aPosition, aAmount, aCamera ? *aCamera : Qel::Camera(), aExtraHold, aScreenSpace);
}

Hud::IconPopup Hud::MakeLifeGainPopup(const Qel::Vector2f& aScreenPosition, float aExtraHold) const
{
    IconPopup popup;
    popup.mySharedData.myColorTexture = myLifeGainIconTexture;
    popup.mySprite.myPivot = {0.5f, 0.5f};
    popup.mySprite.mySize = TextureSize(myLifeGainIconTexture);
    popup.mySprite.myPosition = aScreenPosition;
    popup.mySprite.myScale = {myPopupScale, myPopupScale};
    popup.myExtraHold = aExtraHold;
    return popup;
}

void Hud::SpawnLifePopup(const Qel::Vector3f& aWorldPosition, const Qel::Camera& aCamera, float aExtraHold)
{
    const auto [width, height] = GetGameRenderSize();
    myLifePopups.push_back(MakeLifeGainPopup(WorldToScreen(aWorldPosition, aCamera.GetPosition(), width, height),
                                             aExtraHold));
}

Hud::FrameEvents Hud::Tick(float aDeltaTime, float aLevelTimer, Qel::i32 aChapter, Qel::i32 aLevel,
                           Qel::i32 aPlayerLives)
{
    FrameEvents events;
    const auto [w, h] = GetGameRenderSize();
    myPopupScale = w / REFERENCE_WIDTH;
    // The icons follow the render size, so a resolution change in the settings moves them too.
    LayOutIcons(w, h);
    char buffer[64];

    // Time; after the goal it drains to 0 within one second.
    Qel::i32 time = static_cast<Qel::i32>(std::trunc(aLevelTimer));
    if (myGoalPulse)
    {
        myPulseTime = std::clamp(myPulseTime - aDeltaTime, 0.0f, 1.0f);
        time = static_cast<Qel::i32>(std::trunc(static_cast<float>(time) * myPulseTime));
    }
    std::snprintf(buffer, sizeof(buffer), "TIME\n  %d", time);
    myScratch.assign(buffer);
    myTimeText.SetText(myScratch);
    myTimeText.SetPosition({0.88f * w, 0.9f * h});
    myTimeText.SetScale(myPopupScale);

    std::snprintf(buffer, sizeof(buffer), "CHAPTER\n     %d-%d", aChapter, aLevel);
    myScratch.assign(buffer);
    myChapterText.SetText(myScratch);
    myChapterText.SetPosition({0.65f * w, 0.9f * h});
    myChapterText.SetScale(myPopupScale);

    // Lives: the count changes only once every life icon has landed.
    myLivesText.SetPosition({myLifeIcon.myPosition.x + 30.0f, myLifeIcon.myPosition.y - 10.0f});
    myLivesText.SetScale(myPopupScale);
    if (myLifePopups.empty() && myBatteryLifePopups.empty())
    {
        if (!myLivesSettled)
        {
            events.myPlayLivesSettledSound = true;
            myLivesSettled = 1;
        }
        myLivesShown = aPlayerLives;
        std::snprintf(buffer, sizeof(buffer), "x%d", myLivesShown);
        myScratch.assign(buffer);
        myLivesText.SetText(myScratch);
    }
    else
    {
        myLivesSettled = 0;
    }

    // Batteries: every 30 become a life that rises from beside the counter.
    myBatteryText.SetPosition({myBatteryIcon.myPosition.x + 30.0f, myBatteryIcon.myPosition.y - 10.0f});
    myBatteryText.SetScale(myPopupScale);
    if (myBatteries >= BATTERIES_PER_LIFE)
    {
        myShownBatteries = static_cast<float>(BATTERIES_PER_LIFE);
        myBatteries -= BATTERIES_PER_LIFE;
        myBatteryLifePopups.push_back(MakeLifeGainPopup({0.32f * w, 0.85f * h}, 0.0f));
        ++events.myLivesGained;
    }
    const float batteries = static_cast<float>(myBatteries);
    if (myShownBatteries > batteries)
        myShownBatteries -= 2.0f * aDeltaTime * (myShownBatteries - batteries);
    if (myShownBatteries - batteries < 1.0f || myShownBatteries < batteries)
        myShownBatteries = batteries;
    std::snprintf(buffer, sizeof(buffer), "x%d", static_cast<Qel::i32>(std::trunc(myShownBatteries)));
    myScratch.assign(buffer);
    myBatteryText.SetText(myScratch);

    // Score, eased up toward the run's score.
    const float score = static_cast<float>(myScore);
    if (score > myShownScore)
    {
        const float eased = myShownScore + 2.0f * aDeltaTime * (score - myShownScore);
        // Large scores: a step below the float's resolution would never arrive.
        myShownScore = eased > score - 1.0f || eased == myShownScore ? score : eased;
    }
    else if (score < myShownScore)
    {
        // A reset or a restore lowers the score: show it at once rather than the old one.
        myShownScore = score;
    }
    std::snprintf(buffer, sizeof(buffer), "SCORE\n%06d", static_cast<Qel::i32>(std::trunc(myShownScore)));
    myScratch.assign(buffer);
    myScoreText.SetText(myScratch);
    myScoreText.SetPosition({0.1f * w, 0.9f * h});
    myScoreText.SetScale(myPopupScale);

    // Score popups rise, then fly into the score while shrinking and fading.
    for (ScorePopup& popup : myScorePopups)
    {
        popup.myAge += aDeltaTime;
        const float riseEnd = popup.myExtraHold + SCORE_RISE_TIME;
        if (popup.myAge < riseEnd)
        {
            popup.myPosition.y += SCORE_RISE_SPEED * aDeltaTime;
            popup.myText.SetScale(myPopupScale);
        }
        else
        {
            const float p = (popup.myAge - riseEnd) / SCORE_FLY_TIME;
            popup.myPosition.x = Lerp(popup.myPosition.x, 0.1f * w, 8.0f * aDeltaTime);
            popup.myPosition.y = Lerp(popup.myPosition.y, 0.9f * h, 8.0f * aDeltaTime);
            popup.myText.SetScale(Lerp(1.0f, 0.2f, p) * myPopupScale);
            Qel::Color color = myTextColor;
            color.a = Lerp(1.0f, 0.0f, p);
            popup.myText.SetColor(color);
        }
        popup.myText.SetPosition(popup.myPosition);
    }
    EraseDone(myScorePopups, [](const ScorePopup& aPopup)
              { return aPopup.myAge >= aPopup.myExtraHold + SCORE_RISE_TIME + SCORE_FLY_TIME; });

    const Qel::Vector2f livesTarget{0.5f * w, 0.9f * h};
    const float dt = aDeltaTime;
    const float scale = myPopupScale;
    EraseDone(myLifePopups, [&](IconPopup& aPopup)
              { return AdvanceIconPopup(aPopup, dt, LIFE_RISE_TIME, LIFE_RISE_SPEED, livesTarget, scale); });
    EraseDone(myBatteryLifePopups,
              [&](IconPopup& aPopup) {
                  return AdvanceIconPopup(aPopup, dt, BATTERY_LIFE_RISE_TIME, BATTERY_LIFE_RISE_SPEED, livesTarget,
                                          scale);
              });
    return events;
}

void Hud::Update(const GameContext& aContext, float aLevelTimer, Qel::i32 aChapter, Qel::i32 aLevel)
{
    Player* player = aContext.world ? &aContext.world->myPlayer : nullptr;
    const FrameEvents events = Tick(aContext.dt, aLevelTimer, aChapter, aLevel, player ? player->GetLives() : 0);
    if (events.myPlayLivesSettledSound)
        GetAudioManager().PlayRandomSfx(LIVES_SETTLED_SOUND_FIRST, LIVES_SETTLED_SOUND_LAST);
    for (Qel::i32 i = 0; player && i < events.myLivesGained; ++i)
        player->AddLife();
}

void Hud::Render()
{
    Qel::Engine* engine = Qel::Engine::GetInstance();
    Qel::GraphicsEngine* graphics = engine ? engine->GetGraphicsEngine() : nullptr;
    if (!graphics)
        return;
    if (Qel::RenderTarget* target = Qel::DX11::GetActiveRenderTarget())
        target->SetAsActiveTarget(nullptr);
    if (Qel::GraphicsStateStack* states = graphics->GetGraphicsStateStack())
        states->SetScreenSpaceCamera();

    myTimeText.Render();
    myChapterText.Render();
    myLivesText.Render();
    myBatteryText.Render();
    myScoreText.Render();

    Qel::SpriteDrawer* sprites = graphics->GetSpriteDrawer();
    if (sprites)
    {
        sprites->BeginBatch(myLifeIconData).Draw(myLifeIcon);
        sprites->BeginBatch(myBatteryIconData).Draw(myBatteryIcon);
    }
    for (ScorePopup& popup : myScorePopups)
        popup.myText.Render();
    if (!sprites)
        return;
    for (const IconPopup& popup : myLifePopups)
        sprites->BeginBatch(popup.mySharedData).Draw(popup.mySprite);
    for (const IconPopup& popup : myBatteryLifePopups)
        sprites->BeginBatch(popup.mySharedData).Draw(popup.mySprite);
}
