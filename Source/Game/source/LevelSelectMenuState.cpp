#include "LevelSelectMenuState.h"

void LevelSelectMenuState::Init() {}

StateCommand LevelSelectMenuState::Update(const UpdateContext& aContext)
{
    UpdateTimer(aContext.myDeltaTime);
    return {};
}

void LevelSelectMenuState::Render() {}
