#pragma once
// A logo shown for a moment at start; the state stack has three of them.
// Still an empty screen: it draws nothing and asks for nothing.
#include "State.h"

class SplashScreenState final : public State
{
public:
    void Init() override;
    StateCommand Update(const UpdateContext& aContext) override;
    void Render() override;
    // The logo texture and the command returned when the logo has been shown.
    void SetTexture(const char* aTexturePath) { myTexturePath = aTexturePath; }
    void SetNextCommand(Qel::i32 aCode) { myNextCommand = aCode; }
    const char* GetTexturePath() const { return myTexturePath; }
    Qel::i32 GetNextCommand() const { return myNextCommand; }
    void Relayout() {}

private:
    const char* myTexturePath = "art/2d/Textures/T_UI_QELSplash.png";
    Qel::i32 myNextCommand = COMMAND_NONE;
};
