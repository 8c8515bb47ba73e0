#include "OptionsState.h"

void OptionsState::Init() {}

StateCommand OptionsState::Update(const UpdateContext& aContext)
{
    UpdateTimer(aContext.myDeltaTime);
    return {};
}

void OptionsState::Render() {}
