#include "InGameSettingsState.h"

#include "MenuWidgets.h"

namespace
{
constexpr const char* SHADE_TEXTURE = "art/2d/Textures/T_UI_BlackScreen.png";
constexpr const char* BACKGROUND_TEXTURE = "art/2d/Textures/T_UI_Background.png";
}

void InGameSettingsState::Prefetch()
{
    UiSprite::Prefetch(SHADE_TEXTURE);
    UiSprite::Prefetch(BACKGROUND_TEXTURE);
    MenuButton::Prefetch();
    MenuSlider::Prefetch();
}

void InGameSettingsState::Init()
{
    myShade.Init(SHADE_TEXTURE, 0.5f, 0.5f);
    myBackground.Init(BACKGROUND_TEXTURE, 0.5f, 0.5f);
    const auto [width, height] = GetRenderSizeF();
    InitTimerText(width, height);
    myPanel.Init({0.67f, 0.57f, 0.435f, 0.565f, 0.48f, {0.39f, 0.32f, 0.25f}, 0.16f});
    Relayout();
}

void InGameSettingsState::Relayout()
{
    const auto [width, height] = GetRenderSizeF();
    SetScreenSize(width, height);
    // A shade over the pause menu beneath, so its window does not show through the controls;
    // the paused game still does, faintly.
    myShade.CenterOnScreen();
    myShade.SetSize(width, height);
    myShade.SetColor({1.0f, 1.0f, 1.0f, 0.75f});
    myBackground.CenterOnScreen();
    myBackground.SetSize(width, height);
    myBackground.SetColor({1.0f, 1.0f, 1.0f, 0.86f});
    myPanel.Refresh();
}

StateCommand InGameSettingsState::Update(const UpdateContext& aContext)
{
    UpdateTimer(aContext.myDeltaTime);
    if (myPanel.Update(aContext))
        return MakeCommand(COMMAND_POP);
    if (GetScreenSize() != GetRenderSizeF())
        Relayout();
    return {};
}

void InGameSettingsState::Render()
{
    const MenuDrawScope scope;
    myShade.Render();
    myBackground.Render();
    RenderTimerText();
    myPanel.Render();
}
