#include "IntroCutsceneState.h"

void IntroCutsceneState::Init() {}

StateCommand IntroCutsceneState::Update(const UpdateContext& aContext)
{
    UpdateTimer(aContext.myDeltaTime);
    return {};
}

void IntroCutsceneState::Render() {}
