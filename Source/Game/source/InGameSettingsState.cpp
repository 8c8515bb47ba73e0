#include "InGameSettingsState.h"

void InGameSettingsState::Init() {}

StateCommand InGameSettingsState::Update(const UpdateContext& aContext)
{
    UpdateTimer(aContext.myDeltaTime);
    return {};
}

void InGameSettingsState::Render() {}
