#include "Objects/EndingCutscene.h"

#include "AudioManager.h"
#include "GameGlobals.h"
#include "GameWorld.h"
#include "Objects/ObjectProperties.h"
#include "Util/RenderSize.h"
#include "engine/Engine.h"
#include "graphics/GraphicsEngine.h"
#include "graphics/GraphicsStateStack.h"
#include "model/ModelFactory.h"
#include "texture/TextureManager.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>

float EndingCutscene::Ease(float aTime)
{
    const float t = std::clamp(aTime, 0.0f, 1.0f);
    return (1.0f - std::cos(std::numbers::pi_v<float> * t)) / 2.0f;
}

void EndingCutscene::Init(const Qel::Matrix4x4& aTransform, const Qel::PropertyRecord* aProperties, std::size_t aCount)
{
    if (const Qel::SceneModel* model = ObjectProperties::FindModel(aProperties, aCount))
        AnimatedModel::Load(myCharacter, *model, aTransform);
    else
        myCharacter.SetTransform(aTransform);
    const Qel::Vector3f position = myCharacter.GetPosition();
    myTrigger = Box(position.x, position.y, TRIGGER_WIDTH, TRIGGER_HEIGHT);
    const Qel::StringId clip = ObjectProperties::FindClipPath(aProperties, aCount, "CutsceneAnimation");
    if (!clip.IsEmpty() && myCharacter.HasModel())
        myClip = Qel::GetModelFactory().GetAnimationPlayer(std::string(clip.GetView()), myCharacter.myInstance.myModel);
    myClip.myIsLooping = false;
    myBlinkSystem = ObjectProperties::FindParticleSystem(aProperties, aCount, "BlinkParticle");
    // The bars span the screen's width; with the pivot at (0, 0) each hangs below its position in
    // the y-up screen space, so both start just off-screen and slide in (see Update).
    const auto [width, height] = GetGameRenderSize();
    myTopBar.mySize = {width, BAR_FRACTION * height};
    myTopBar.myPivot = {0.0f, 0.0f};
    myBottomBar.mySize = {width, BAR_FRACTION * height};
    myBottomBar.myPivot = {0.0f, 0.0f};
    myTopBar.myPosition = {0.0f, 0.0f};
    myBottomBar.myPosition = {0.0f, height + BAR_FRACTION * height};
}

void EndingCutscene::LoadOverlay()
{
    if (Qel::Engine* engine = Qel::Engine::GetInstance())
    {
        if (Qel::TextureManager* textures = engine->GetTextureManager())
            myBlackTexture = textures->GetTexture(BLACK_TEXTURE, Qel::TEXTURE_COLOR_MODE_FORCE_SRGB);
    }
    myBarData.myColorTexture = myBlackTexture;
}

void EndingCutscene::SetCharacterTexture(Qel::Texture* aTexture)
{
    if (!aTexture)
        return;
    for (auto& mesh : myCharacter.myInstance.myTextures)
        mesh[0] = aTexture;
}

void EndingCutscene::Update(GameContext& aContext)
{
    const float dt = aContext.dt;
    if (myState == ENDING_WAITING)
    {
        if (!aContext.world || !aContext.world->myPlayer.GetHitbox().Overlaps(myTrigger))
            return;
        AudioManager& audio = GetAudioManager();
        audio.FadeOutMusic(MUSIC_CHAPTER2_LEVEL3, MUSIC_FADE);
        audio.PlayMusic(MUSIC_ENDING);
        aContext.world->myPlayer.Lock();
        SetCharacterTexture(aContext.world->myPlayer.GetCurrentTexture());
        myClip.myState = Qel::ANIMATION_STATE_PLAYING;
        myState = ENDING_PLAYING;
        myTimer = 0.0f;
        return;
    }
    if (myState != ENDING_PLAYING)
        return;

    // Without a clip the cutscene still runs its camera and ends; its length then counts as 0.
    const bool clipEndedBefore = !myClip.HasAnimation() || myClip.myState == Qel::ANIMATION_STATE_FINISHED;
    const float length = myClip.HasAnimation() ? myClip.myAnimation->myDuration : 0.0f;
    myTimer += dt;
    if (myClip.HasAnimation())
    {
        myClip.Update(dt);
        if (myCharacter.HasModel())
            myCharacter.myInstance.ApplyAnimationPlayer(myClip);
    }

    const auto [width, height] = GetGameRenderSize();
    const float bar = Ease(myTimer / 3.0f) * BAR_FRACTION * height;
    myTopBar.mySize = {width, BAR_FRACTION * height};
    myBottomBar.mySize = {width, BAR_FRACTION * height};
    myTopBar.myPosition = {0.0f, bar};
    myBottomBar.myPosition = {0.0f, height - bar + BAR_FRACTION * height};
    myCameraRise = Ease(myTimer / 2.0f) * CAMERA_RISE;
    myCameraZoom = 1.0f - (Ease((myTimer - 1.5f) / 3.5f) * 0.4f + Ease((myTimer - 25.0f) / 3.0f) * 0.05f);
    myCameraSideOffset = Ease(myTimer - 22.5f) * 200.0f - Ease((myTimer - 23.5f) / 5.0f) * 100.0f -
                         Ease((myTimer - 1.5f) / 3.5f) * 100.0f;

    if (myBlink.IsAlive())
        myBlink.Update(dt);
    if (myBlinkSystem && myClip.HasAnimation() && myClip.myTime > 0.98f * length && !myBlink.IsAlive())
    {
        Qel::Vector3f at = myCharacter.GetPosition();
        if (myClip.myPose.myCount > 0)
            at = (Qel::ToMatrix(myClip.myPose.myJoints[0]) * myCharacter.GetTransform()).GetTranslation();
        myBlink.Init(myBlinkSystem, Qel::Matrix4x4::CreateTranslation(at));
    }
    if (clipEndedBefore && !myBlink.IsRunning() && myTimer > length + END_HOLD)
        myState = ENDING_DONE;
}

void EndingCutscene::Render()
{
    if (myState == ENDING_WAITING)
        return;
    AnimatedModel::Render(myCharacter);
    if (myBlink.IsRunning())
        myBlink.Render();
}

void EndingCutscene::RenderOverlay()
{
    if (myState == ENDING_WAITING)
        return;
    Qel::Engine* engine = Qel::Engine::GetInstance();
    Qel::GraphicsEngine* graphics = engine ? engine->GetGraphicsEngine() : nullptr;
    Qel::SpriteDrawer* sprites = graphics ? graphics->GetSpriteDrawer() : nullptr;
    if (!sprites)
        return;
    if (Qel::GraphicsStateStack* states = graphics->GetGraphicsStateStack())
        states->SetScreenSpaceCamera();
    auto batch = sprites->BeginBatch(myBarData);
    batch.Draw(myTopBar);
    batch.Draw(myBottomBar);
}
