#pragma once
// The settings screen of the pause menu.
// Still an empty screen: it draws nothing and asks for nothing.
#include "State.h"

class InGameSettingsState final : public State
{
public:
    void Init() override;
    StateCommand Update(const UpdateContext& aContext) override;
    void Render() override;
    void Relayout() {}
};
