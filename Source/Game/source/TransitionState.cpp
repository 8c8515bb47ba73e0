#include "TransitionState.h"

#include "engine/Engine.h"
#include "graphics/DX11.h"
#include "graphics/GraphicsEngine.h"
#include "graphics/GraphicsStateStack.h"
#include "graphics/RenderTarget.h"
#include "math/Easings.h"

namespace
{
constexpr const char* BLACK_TEXTURE = "art/2d/Textures/T_UI_BlackScreen.png";
constexpr Qel::u8 EASE_IN_OUT = 2;

StateCommand AdvanceCommand() { return MakeCommand(COMMAND_ADVANCE_TRANSITION); }
}

void TransitionState::Prefetch() { UiSprite::Prefetch(BLACK_TEXTURE); }

void TransitionState::Init()
{
    myBlackSprite.Init(BLACK_TEXTURE, 0.5f, 0.5f);
    // The game always starts in full screen; only the options switch it back.
    if (Qel::Engine* engine = Qel::Engine::GetInstance())
        engine->SetFullscreen(true);
    const auto [width, height] = GetRenderSizeF();
    SetScreenSize(width, height);
    myBlackSprite.CenterOnScreen();
    myBlackSprite.SetSize(width, height);
}

void TransitionState::Relayout()
{
    const auto [width, height] = GetRenderSizeF();
    if (GetScreenSize() == std::pair<float, float>{width, height})
        return;
    SetScreenSize(width, height);
    myBlackSprite.CenterOnScreen();
    myBlackSprite.SetSize(width, height);
}

void TransitionState::SetPendingCommand(const StateCommand& aCommand)
{
    myPendingCommand = aCommand;
    myPendingCommand.myUseTransition = 0;
    myPendingCommand.myKeepOnTop = 0;
}

StateCommand TransitionState::Update(const UpdateContext& aContext)
{
    Relayout();
    UpdateTimer(aContext.myDeltaTime);
    const float t = GetTimer();
    switch (myPhase)
    {
    case PHASE_FADING_OUT:
        if (t > FADE_TIME)
        {
            myAlpha = 1.0f;
            myPhase = PHASE_BLACK;
        }
        else
            myAlpha = t / FADE_TIME;
        return AdvanceCommand();
    case PHASE_BLACK: {
        myPhase = PHASE_FADING_IN;
        ResetTimer();
        StateCommand command = myPendingCommand;
        command.myKeepOnTop = 1;
        return command;
    }
    case PHASE_FADING_IN:
        if (t > FADE_TIME)
        {
            myAlpha = 0.0f;
            myPhase = PHASE_DONE;
        }
        else
            myAlpha = 1.0f - t / FADE_TIME;
        return AdvanceCommand();
    default: return AdvanceCommand();
    }
}

float TransitionState::GetDrawnAlpha() const { return Qel::EaseSine(myAlpha, EASE_IN_OUT); }

void TransitionState::Render()
{
    Qel::Engine* engine = Qel::Engine::GetInstance();
    if (!engine || !engine->GetGraphicsEngine())
        return;
    Qel::GraphicsStateStack* states = engine->GetGraphicsEngine()->GetGraphicsStateStack();
    if (Qel::RenderTarget* backBuffer = Qel::DX11::GetActiveRenderTarget())
        backBuffer->SetAsActiveTarget(nullptr);
    if (!states)
        return;
    states->Push();
    states->SetScreenSpaceCamera();
    states->SetBlendState(1);   // alpha blend
    myBlackSprite.SetColor({1.0f, 1.0f, 1.0f, GetDrawnAlpha()});
    myBlackSprite.Render();
    states->Pop();
}
