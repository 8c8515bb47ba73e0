#pragma once
// The pause menu over the play screen.
// Still an empty screen: it draws nothing and asks for nothing.
#include "State.h"

class InGameMenuState final : public State
{
public:
    void Init() override;
    StateCommand Update(const UpdateContext& aContext) override;
    void Render() override;
    void Relayout() {}
};
