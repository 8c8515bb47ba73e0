#pragma once
// The settings over the paused game: the same controls as the options screen on a see-through
// background. "Back" returns to the pause menu at once.
#include "SettingsPanel.h"
#include "State.h"
#include "UiSprite.h"

class InGameSettingsState final : public State
{
public:
    void Init() override;
    // Starts decoding what Init loads, on worker threads (before the engine may run).
    static void Prefetch();
    StateCommand Update(const UpdateContext& aContext) override;
    void Render() override;
    // On push and when the render size changes: background for the size, sliders to the volumes.
    void Relayout();
    const SettingsPanel& GetPanel() const { return myPanel; }

private:
    UiSprite myShade;
    UiSprite myBackground;
    SettingsPanel myPanel;
};
