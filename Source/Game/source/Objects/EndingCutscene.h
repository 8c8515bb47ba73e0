#pragma once
// The last level's ending: when the player reaches it, the player is hidden, the cutscene's own
// character plays its clip, black bars close in and the camera rises, zooms and sways through
// the values the play screen reads. Done some seconds after the clip and the closing blink.
#include "AnimatedModel.h"
#include "Box.h"
#include "drawers/SpriteDrawer.h"
#include "model/AnimationPlayer.h"
#include "particles/ParticleSystemInstance.h"

#include <cstddef>

struct GameContext;
namespace Qel
{
struct PropertyRecord;
class Texture;
}

enum EndingState : Qel::u8
{
    ENDING_WAITING = 0,
    ENDING_PLAYING = 1,
    ENDING_DONE = 2,
};

class EndingCutscene
{
public:
    static constexpr const char* BLACK_TEXTURE = "art/2d/Textures/T_UI_BlackScreen.png";
    static constexpr float TRIGGER_WIDTH = 100.0f;
    static constexpr float TRIGGER_HEIGHT = 2000.0f;
    static constexpr float BAR_FRACTION = 0.15f;
    static constexpr float CAMERA_RISE = 1050.0f;
    static constexpr float END_HOLD = 2.0f;
    static constexpr float MUSIC_FADE = 2.0f;

    void Init(const Qel::Matrix4x4& aTransform, const Qel::PropertyRecord* aProperties, std::size_t aCount);
    // Post-init: the bars' texture.
    void LoadOverlay();
    void Update(GameContext& aContext);
    bool IsPlaying() const { return myState == ENDING_PLAYING; }
    bool IsDone() const { return myState == ENDING_DONE; }
    float GetCameraRise() const { return myCameraRise; }
    float GetCameraSideOffset() const { return myCameraSideOffset; }
    float GetCameraZoom() const { return myCameraZoom; }
    float GetTimer() const { return myTimer; }
    Qel::Vector3f GetPosition() const { return myCharacter.GetPosition(); }
    const Box& GetTrigger() const { return myTrigger; }
    const Qel::Sprite2DInstanceData& GetTopBar() const { return myTopBar; }
    const Qel::Sprite2DInstanceData& GetBottomBar() const { return myBottomBar; }
    const Qel::ParticleSystemInstance& GetBlink() const { return myBlink; }
    // The character wears the player's current look (set when the cutscene starts).
    void SetCharacterTexture(Qel::Texture* aTexture);
    void Render();
    void RenderOverlay();

    // (1 - cos(pi t)) / 2 of t clamped to [0, 1].
    static float Ease(float aTime);

    AnimatedModel myCharacter;
    Qel::AnimationPlayer myClip;
    Qel::ParticleSystemInstance myBlink;
    Qel::ParticleSystem* myBlinkSystem = nullptr;
    Qel::Texture* myBlackTexture = nullptr;
    Qel::SpriteSharedData myBarData;
    Qel::Sprite2DInstanceData myTopBar;
    Qel::Sprite2DInstanceData myBottomBar;
    Box myTrigger;
    float myCameraRise = 0.0f;
    float myCameraSideOffset = 0.0f;
    float myCameraZoom = 1.0f;
    Qel::u8 myState = ENDING_WAITING;
    float myTimer = 0.0f;
};
