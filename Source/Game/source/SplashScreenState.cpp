#include "SplashScreenState.h"

void SplashScreenState::Init() {}

StateCommand SplashScreenState::Update(const UpdateContext& aContext)
{
    UpdateTimer(aContext.myDeltaTime);
    return {};
}

void SplashScreenState::Render() {}
