#include "CreditState.h"

void CreditState::Init() {}

StateCommand CreditState::Update(const UpdateContext& aContext)
{
    UpdateTimer(aContext.myDeltaTime);
    return {};
}

void CreditState::Render() {}
