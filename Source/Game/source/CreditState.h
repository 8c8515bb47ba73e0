#pragma once
// The credits of the main menu: the names picture under the title logo, and "Back".
#include "MenuWidgets.h"
#include "State.h"
#include "UiSprite.h"

class CreditState final : public State
{
public:
    void Init() override;
    // Starts decoding what Init loads, on worker threads (before the engine may run).
    static void Prefetch();
    StateCommand Update(const UpdateContext& aContext) override;
    void Render() override;
    // Lays the sprites out for the render size (on push, and when it changes).
    void Relayout();
    const MenuButton& GetBackButton() const { return myBack; }

private:
    UiSprite myBackground;
    UiSprite myNames;
    UiSprite myTitleLogo;
    MenuShader myLogoShader;
    MenuButton myBack;
    int mySelected = 0;
};
