#include "MainMenuState.h"

#include "InputMapper.h"
#include "input/InputManager.h"

namespace
{
constexpr const char* BACKGROUND_TEXTURE = "art/2d/Textures/T_UI_Background.png";
constexpr const char* FRAME_TEXTURE = "art/2d/Textures/T_UI_MainMenuFrame.png";
constexpr const char* LOGO_TEXTURE = "art/2d/Textures/T_UI_TitleLogo.png";
constexpr float LOGO_HEIGHT = 0.78f;
constexpr float LOGO_SCALE = 0.7f;

struct ButtonEntry
{
    const char* myLabel;
    Qel::u8 myKind;
    float myY;
};
constexpr ButtonEntry BUTTONS[] = {
    {"Start Game", MenuButton::KIND_START, 0.625f},
    {"Level Select", MenuButton::KIND_ACCEPT, 0.525f},
    {"Options", MenuButton::KIND_ACCEPT, 0.425f},
    {"Credits", MenuButton::KIND_ACCEPT, 0.325f},
    {"Quit", MenuButton::KIND_SMALL, 0.2f},
};
}

void MainMenuState::Prefetch()
{
    UiSprite::Prefetch(BACKGROUND_TEXTURE);
    UiSprite::Prefetch(FRAME_TEXTURE);
    UiSprite::Prefetch(LOGO_TEXTURE);
    MenuButton::Prefetch();
}

void MainMenuState::Init()
{
    const auto [width, height] = GetRenderSizeF();
    SetScreenSize(width, height);
    myBackground.Init(BACKGROUND_TEXTURE, 0.5f, 0.5f);
    myFrame.Init(FRAME_TEXTURE, 0.5f, 0.5f);
    FitBackground();
    myTitleLogo.Init(LOGO_TEXTURE, 0.5f, LOGO_HEIGHT);
    myTitleLogo.Scale(LOGO_SCALE);
    myFrameShader.Init("art/shaders/MainMenu");
    myLogoShader.Init("art/shaders/Glitch");
    InitTimerText(width, height);
    BuildButtons();
}

void MainMenuState::BuildButtons()
{
    myButtons.clear();
    myButtons.resize(std::size(BUTTONS));
    for (size_t i = 0; i < std::size(BUTTONS); ++i)
    {
        myButtons[i].SetRelativePosition(0.5f, BUTTONS[i].myY);
        myButtons[i].Setup(BUTTONS[i].myLabel, BUTTONS[i].myKind);
    }
    mySelected = 0;
}

void MainMenuState::FitBackground()
{
    const auto [width, height] = GetScreenSize();
    myBackground.CenterOnScreen();
    myBackground.SetSize(width, height);
    myFrame.CenterOnScreen();
    myFrame.SetSize(width, height);
}

StateCommand MainMenuState::Update(const UpdateContext& aContext)
{
    const auto [width, height] = GetRenderSizeF();
    const Qel::Vector2f logo = myTitleLogo.GetTextureSize();
    myTitleLogo.SetSize(logo.x * height / 1000.0f * LOGO_SCALE, logo.y * height / 1000.0f * LOGO_SCALE);
    myTitleLogo.SetPosition(width * 0.5f, height * LOGO_HEIGHT);

    UpdateTimer(aContext.myDeltaTime);
    if (aContext.myActions)
        aContext.myActions->UpdateCursorVisibility(aContext);
    if (myButtons.empty())
    {
        BuildButtons();
        return {};
    }

    const bool cursorShown = aContext.myInput && aContext.myInput->IsCursorVisible();
    const int count = static_cast<int>(myButtons.size());
    if (aContext.myActions && aContext.myActions->IsActionPressed(ACTION_MENU_UP))
        mySelected = StepSelection(mySelected, count, -1);
    if (aContext.myActions && aContext.myActions->IsActionPressed(ACTION_MENU_DOWN))
        mySelected = StepSelection(mySelected, count, +1);
    for (int i = 0; i < count; ++i)
    {
        myButtons[size_t(i)].SetMouseAllowed(cursorShown);
        myButtons[size_t(i)].Update(aContext, i == mySelected);
        if (cursorShown && myButtons[size_t(i)].IsHovered())
            mySelected = i;
    }

    // Acted on after the loop: "Options" destroys the buttons.
    for (int i = 0; i < count; ++i)
    {
        if (!myButtons[size_t(i)].IsClicked())
            continue;
        switch (i)
        {
        case BUTTON_START_GAME: SetCursorVisible(false); return MakeCommand(COMMAND_INTRO, true);
        case BUTTON_LEVEL_SELECT: return MakeCommand(COMMAND_OPEN_LEVEL_SELECT, true);
        case BUTTON_OPTIONS:
            // Built afresh when the menu is next updated, with "Start Game" selected.
            myButtons.clear();
            mySelected = 0;
            myTitleLogo.SetSize(0.0f, 0.0f);
            return MakeCommand(COMMAND_OPTIONS, true);
        case BUTTON_CREDITS: return MakeCommand(COMMAND_CREDITS, true);
        default: return MakeCommand(COMMAND_QUIT, false);
        }
    }

    if (GetScreenSize() != std::pair<float, float>{width, height})
    {
        SetScreenSize(width, height);
        FitBackground();
    }
    return {};
}

void MainMenuState::Render()
{
    const MenuDrawScope scope;
    myBackground.Render();
    myFrame.Render(myFrameShader.Get());
    myTitleLogo.Render(myLogoShader.Get());
    RenderTimerText();
    for (MenuButton& button : myButtons)
        button.Render();
}
