#pragma once
// A logo shown for a moment at start; the state stack has three of them. Skip goes straight to
// the main menu, and the last logo starts the menu music as it hands over to the menu.
#include "State.h"
#include "UiSprite.h"

class SplashScreenState final : public State
{
public:
    // How long a logo shows before its next command.
    static constexpr float SHOW_TIME = 1.5f;

    void Init() override;
    StateCommand Update(const UpdateContext& aContext) override;
    void Render() override;
    // Reloads the logo from this texture, centred and sized to the screen.
    void SetTexture(const char* aTexturePath);
    void SetNextCommand(Qel::i32 aCode) { myNextCommand = aCode; }
    const char* GetTexturePath() const { return myTexturePath; }
    Qel::i32 GetNextCommand() const { return myNextCommand; }
    const UiSprite& GetLogo() const { return myLogo; }
    // Fits the logo to the render size when it changed.
    void Relayout();

    // The two flags all splash screens share for the run.
    static bool IsSplashSkipped();
    static bool IsMenuMusicStarted();
    // Tests: both flags back to their start.
    static void ResetSharedFlagsForTesting();

private:
    void FitLogo();

    UiSprite myLogo;
    const char* myTexturePath = "art/2d/Textures/T_UI_QELSplash.png";
    Qel::i32 myNextCommand = COMMAND_NONE;
};
