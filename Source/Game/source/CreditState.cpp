#include "CreditState.h"

#include "InputMapper.h"
#include "input/InputManager.h"

namespace
{
constexpr const char* BACKGROUND_TEXTURE = "art/2d/Textures/T_UI_Background_Alt.png";
constexpr const char* NAMES_TEXTURE = "art/2d/Textures/T_UI_CreditsNames.png";
constexpr const char* LOGO_TEXTURE = "art/2d/Textures/T_UI_TitleLogo.png";
constexpr float NAMES_Y = 0.38f;
constexpr float LOGO_Y = 0.78f;
constexpr float LOGO_SCALE = 0.7f;
}

void CreditState::Prefetch()
{
    UiSprite::Prefetch(BACKGROUND_TEXTURE);
    UiSprite::Prefetch(NAMES_TEXTURE);
    UiSprite::Prefetch(LOGO_TEXTURE);
    MenuButton::Prefetch();
}

void CreditState::Init()
{
    myBackground.Init(BACKGROUND_TEXTURE, 0.5f, 0.5f);
    myNames.Init(NAMES_TEXTURE, 0.5f, NAMES_Y);
    myTitleLogo.Init(LOGO_TEXTURE, 0.5f, LOGO_Y);
    myLogoShader.Init("art/shaders/Glitch");
    myBack.SetRelativePosition(0.5f, 0.16f);
    myBack.Setup("Back", MenuButton::KIND_SMALL);
    const auto [width, height] = GetRenderSizeF();
    InitTimerText(width, height);
    Relayout();
}

void CreditState::Relayout()
{
    const auto [width, height] = GetRenderSizeF();
    SetScreenSize(width, height);
    myBackground.CenterOnScreen();
    myBackground.SetSize(width, height);
    // The names picture is drawn for 2560 x 1440, the logo like the main menu's.
    const float textScale = GetMenuTextScale();
    const Qel::Vector2f names = myNames.GetTextureSize();
    myNames.SetSize(names.x * textScale, names.y * textScale);
    myNames.SetPosition(width * 0.5f, height * NAMES_Y);
    const Qel::Vector2f logo = myTitleLogo.GetTextureSize();
    myTitleLogo.SetSize(logo.x * height / 1000.0f * LOGO_SCALE, logo.y * height / 1000.0f * LOGO_SCALE);
    myTitleLogo.SetPosition(width * 0.5f, height * LOGO_Y);
}

StateCommand CreditState::Update(const UpdateContext& aContext)
{
    UpdateTimer(aContext.myDeltaTime);
    if (aContext.myActions)
        aContext.myActions->UpdateCursorVisibility(aContext);
    const bool cursorShown = aContext.myInput && aContext.myInput->IsCursorVisible();
    if (aContext.myActions && (aContext.myActions->IsActionPressed(ACTION_MENU_UP) || aContext.myActions->IsActionPressed(ACTION_MENU_DOWN)))
        mySelected = 0;
    myBack.SetMouseAllowed(cursorShown);
    myBack.Update(aContext, mySelected == 0);
    if (myBack.IsClicked() || (aContext.myActions && aContext.myActions->IsActionPressed(ACTION_BACK)))
        return MakeCommand(COMMAND_MAIN_MENU, true);
    if (GetScreenSize() != GetRenderSizeF())
        Relayout();
    return {};
}

void CreditState::Render()
{
    const MenuDrawScope scope;
    myBackground.Render();
    myNames.Render();
    myTitleLogo.Render(myLogoShader.Get());
    RenderTimerText();
    myBack.Render();
}
