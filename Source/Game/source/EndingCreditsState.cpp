#include "EndingCreditsState.h"

void EndingCreditsState::Init() {}

StateCommand EndingCreditsState::Update(const UpdateContext& aContext)
{
    UpdateTimer(aContext.myDeltaTime);
    return {};
}

void EndingCreditsState::Render() {}
