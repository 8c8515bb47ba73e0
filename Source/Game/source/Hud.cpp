#include "Hud.h"

void Hud::SpawnScorePopup(const Qel::Vector3f& aPosition, Qel::i32 aAmount, const Qel::Camera* aCamera,
                          float aExtraHold, bool aScreenSpace)
{
    (void)aCamera;  // projects world positions once the popups are drawn
    myScorePopups.push_back({aPosition, aAmount, aExtraHold, aScreenSpace});
}
