#pragma once
// The main menu.
// Still an empty screen: it draws nothing and asks for nothing.
#include "State.h"

class MainMenuState final : public State
{
public:
    void Init() override;
    StateCommand Update(const UpdateContext& aContext) override;
    void Render() override;
};
