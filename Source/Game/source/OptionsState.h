#pragma once
// The options screen of the main menu: volumes, window mode and resolution over the menu's
// background and frame. "Back" fades back to the main menu.
#include "MenuWidgets.h"
#include "SettingsPanel.h"
#include "State.h"
#include "UiSprite.h"

class OptionsState final : public State
{
public:
    void Init() override;
    // Starts decoding what Init loads, on worker threads (before the engine may run).
    static void Prefetch();
    StateCommand Update(const UpdateContext& aContext) override;
    void Render() override;
    // On push and when the render size changes: backgrounds for the size, sliders to the volumes.
    void Relayout();
    const SettingsPanel& GetPanel() const { return myPanel; }

private:
    UiSprite myBackground;
    UiSprite myFrame;
    MenuShader myFrameShader;
    SettingsPanel myPanel;
};
