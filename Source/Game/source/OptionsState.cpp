#include "OptionsState.h"

namespace
{
constexpr const char* BACKGROUND_TEXTURE = "art/2d/Textures/T_UI_Background.png";
constexpr const char* FRAME_TEXTURE = "art/2d/Textures/T_UI_MainMenuFrame.png";
}

void OptionsState::Prefetch()
{
    UiSprite::Prefetch(BACKGROUND_TEXTURE);
    UiSprite::Prefetch(FRAME_TEXTURE);
    MenuButton::Prefetch();
    MenuSlider::Prefetch();
}

void OptionsState::Init()
{
    myBackground.Init(BACKGROUND_TEXTURE, 0.5f, 0.5f);
    myFrame.Init(FRAME_TEXTURE, 0.5f, 0.5f);
    myFrameShader.Init("art/shaders/MainMenu");
    const auto [width, height] = GetRenderSizeF();
    InitTimerText(width, height);
    myPanel.Init({0.78f, 0.68f, 0.42f, 0.58f, 0.58f, {0.48f, 0.38f, 0.28f}, 0.16f});
    Relayout();
}

void OptionsState::Relayout()
{
    const auto [width, height] = GetRenderSizeF();
    SetScreenSize(width, height);
    myBackground.CenterOnScreen();
    myBackground.SetSize(width, height);
    myFrame.CenterOnScreen();
    myFrame.SetSize(width, height);
    myPanel.Refresh();
}

StateCommand OptionsState::Update(const UpdateContext& aContext)
{
    UpdateTimer(aContext.myDeltaTime);
    if (myPanel.Update(aContext))
        return MakeCommand(COMMAND_POP, true);
    if (GetScreenSize() != GetRenderSizeF())
        Relayout();
    return {};
}

void OptionsState::Render()
{
    const MenuDrawScope scope;
    myBackground.Render();
    myFrame.Render(myFrameShader.Get());
    RenderTimerText();
    myPanel.Render();
}
