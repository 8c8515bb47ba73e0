#include "MainMenuState.h"

void MainMenuState::Init() {}

StateCommand MainMenuState::Update(const UpdateContext& aContext)
{
    UpdateTimer(aContext.myDeltaTime);
    return {};
}

void MainMenuState::Render() {}
