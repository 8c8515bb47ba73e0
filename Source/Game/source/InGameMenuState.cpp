#include "InGameMenuState.h"

#include "AudioManager.h"
#include "GameGlobals.h"
#include "InputMapper.h"
#include "input/InputManager.h"

namespace
{
constexpr const char* BLACK_TEXTURE = "art/2d/Textures/T_UI_BlackScreen.png";
constexpr const char* BACKGROUND_TEXTURE = "art/2d/Textures/T_UI_PauseBackground.png";
constexpr const char* WINDOW_TEXTURE = "art/2d/Textures/T_UI_PauseWindow.png";
constexpr float WINDOW_HEIGHT = 0.45f;
const Qel::Color DIMMED{1.0f, 1.0f, 1.0f, 0.75f};

struct ButtonEntry
{
    const char* myLabel;
    Qel::u8 myKind;
    float myY;
};
constexpr ButtonEntry BUTTONS[] = {
    {"Resume", MenuButton::KIND_ACCEPT, 0.6f},
    {"Options", MenuButton::KIND_ACCEPT, 0.475f},
    {"Main Menu", MenuButton::KIND_ACCEPT, 0.35f},
    {"Quit", MenuButton::KIND_SMALL, 0.18f},
};
}

void InGameMenuState::Prefetch()
{
    UiSprite::Prefetch(BLACK_TEXTURE);
    UiSprite::Prefetch(BACKGROUND_TEXTURE);
    UiSprite::Prefetch(WINDOW_TEXTURE);
    MenuButton::Prefetch();
}

void InGameMenuState::Init()
{
    myBlack.Init(BLACK_TEXTURE, 0.5f, 0.5f);
    myBackground.Init(BACKGROUND_TEXTURE, 0.5f, 0.5f);
    myWindow.Init(WINDOW_TEXTURE, 0.5f, WINDOW_HEIGHT);
    myShader.Init("art/shaders/MainMenu");
    const auto [width, height] = GetRenderSizeF();
    InitTimerText(width, height);
    BuildButtons();
    Relayout();
}

void InGameMenuState::BuildButtons()
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

void InGameMenuState::Relayout()
{
    const auto [width, height] = GetRenderSizeF();
    SetScreenSize(width, height);
    myBlack.CenterOnScreen();
    myBlack.SetSize(width, height);
    myBlack.SetColor(DIMMED);
    myBackground.CenterOnScreen();
    myBackground.SetSize(width, height);
    const Qel::Vector2f window = myWindow.GetTextureSize();
    myWindow.SetSize(window.x * height / 1000.0f, window.y * height / 1000.0f);
    myWindow.SetPosition(width * 0.5f, height * WINDOW_HEIGHT);
    myWindow.SetColor({1.0f, 1.0f, 1.0f, 1.0f});
}

StateCommand InGameMenuState::Update(const UpdateContext& aContext)
{
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

    for (int i = 0; i < count; ++i)
    {
        if (!myButtons[size_t(i)].IsClicked())
            continue;
        switch (i)
        {
        case BUTTON_RESUME: SetCursorVisible(false); return MakeCommand(COMMAND_POP);
        case BUTTON_OPTIONS:
            // Built afresh when the pause menu is next updated, with "Resume" selected.
            myButtons.clear();
            mySelected = 0;
            return MakeCommand(COMMAND_IN_GAME_SETTINGS);
        case BUTTON_MAIN_MENU: {
            AudioManager& audio = GetAudioManager();
            for (Qel::u8 music = MUSIC_CHAPTER1_LEVEL1; music <= MUSIC_CHAPTER2_LEVEL3; ++music)
                audio.StopMusic(music);
            for (Qel::u8 ambient = 0; ambient < AMBIENT_COUNT; ++ambient)
                audio.StopAmbient(ambient);
            audio.PlayMusic(MUSIC_MENU);
            return MakeCommand(COMMAND_MAIN_MENU, true);
        }
        default: return MakeCommand(COMMAND_QUIT);
        }
    }
    if (aContext.myActions && aContext.myActions->IsActionPressed(ACTION_BACK))
        return MakeCommand(COMMAND_POP);
    if (GetScreenSize() != GetRenderSizeF())
        Relayout();
    return {};
}

void InGameMenuState::Render()
{
    const MenuDrawScope scope;
    myBlack.Render();
    myBackground.Render();
    myWindow.Render(myShader.Get());
    RenderTimerText();
    for (MenuButton& button : myButtons)
        button.Render();
}
