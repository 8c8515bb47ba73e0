#pragma once
// The pause menu over the play screen: the game darkened beneath a window with four buttons.
// The play screen stays beneath it and is still drawn, but no longer updated.
#include "MenuWidgets.h"
#include "State.h"
#include "UiSprite.h"

#include <vector>

class InGameMenuState final : public State
{
public:
    enum Button
    {
        BUTTON_RESUME = 0,
        BUTTON_OPTIONS = 1,
        BUTTON_MAIN_MENU = 2,
        BUTTON_QUIT = 3,
    };

    void Init() override;
    // Starts decoding what Init loads, on worker threads (before the engine may run).
    static void Prefetch();
    StateCommand Update(const UpdateContext& aContext) override;
    void Render() override;
    // Fits the sprites to the render size (on push, and when the size changes).
    void Relayout();

    const std::vector<MenuButton>& GetButtons() const { return myButtons; }
    int GetSelected() const { return mySelected; }
    const UiSprite& GetWindow() const { return myWindow; }

private:
    void BuildButtons();

    UiSprite myBlack;
    UiSprite myBackground;
    UiSprite myWindow;
    MenuShader myShader;
    std::vector<MenuButton> myButtons;
    int mySelected = 0;
};
