#pragma once
// The intro video before the first level.
// Still an empty screen: it draws nothing and asks for nothing.
#include "State.h"

class IntroCutsceneState final : public State
{
public:
    void Init() override;
    StateCommand Update(const UpdateContext& aContext) override;
    void Render() override;
    // Plays the video from its start with its music.
    void Restart() {}
};
