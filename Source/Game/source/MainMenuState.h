#pragma once
// The title screen: background, a frame through the menu shader, the title logo through the
// glitch shader, and five buttons; returns the command of the button that was clicked.
#include "MenuWidgets.h"
#include "State.h"
#include "UiSprite.h"

#include <vector>

class MainMenuState final : public State
{
public:
    enum Button
    {
        BUTTON_START_GAME = 0,
        BUTTON_LEVEL_SELECT = 1,
        BUTTON_OPTIONS = 2,
        BUTTON_CREDITS = 3,
        BUTTON_QUIT = 4,
    };

    void Init() override;
    // Starts decoding what Init loads, on worker threads (before the engine may run).
    static void Prefetch();
    StateCommand Update(const UpdateContext& aContext) override;
    void Render() override;

    const std::vector<MenuButton>& GetButtons() const { return myButtons; }
    int GetSelected() const { return mySelected; }
    const UiSprite& GetTitleLogo() const { return myTitleLogo; }

private:
    void BuildButtons();
    void FitBackground();

    UiSprite myBackground;
    UiSprite myFrame;
    UiSprite myTitleLogo;
    MenuShader myFrameShader;
    MenuShader myLogoShader;
    std::vector<MenuButton> myButtons;
    int mySelected = 0;
};
