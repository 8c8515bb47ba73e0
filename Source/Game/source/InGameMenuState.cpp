#include "InGameMenuState.h"

void InGameMenuState::Init() {}

StateCommand InGameMenuState::Update(const UpdateContext& aContext)
{
    UpdateTimer(aContext.myDeltaTime);
    return {};
}

void InGameMenuState::Render() {}
