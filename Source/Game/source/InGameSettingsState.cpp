#include "InGameSettingsState.h"

#include "MenuWidgets.h"

void InGameSettingsState::Init()
{
    myBackground.Init("art/2d/Textures/T_UI_Background.png", 0.5f, 0.5f);
    const auto [width, height] = GetRenderSizeF();
    InitTimerText(width, height);
    myPanel.Init({0.67f, 0.57f, 0.435f, 0.565f, 0.48f, {0.39f, 0.32f, 0.25f}, 0.16f});
    Relayout();
}

void InGameSettingsState::Relayout()
{
    const auto [width, height] = GetRenderSizeF();
    SetScreenSize(width, height);
    myBackground.CenterOnScreen();
    myBackground.SetSize(width, height);
    // The paused game shows through.
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
    myBackground.Render();
    RenderTimerText();
    myPanel.Render();
}
