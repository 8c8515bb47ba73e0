#pragma once
#include "core/Types.h"
#include "math/Vector.h"

#include <vector>

namespace Qel
{
class Camera;
}

// The in-game HUD as game objects reach it: the score and the score popups they add. The HUD's
// texts, icons and drawing belong to the play screen.
class Hud
{
public:
    struct ScorePopup
    {
        Qel::Vector3f myPosition;  // world position, or screen position when in screen space
        Qel::i32 myAmount = 0;
        float myExtraHold = 0.0f;
        bool myScreenSpace = false;
    };

    void AddScore(Qel::i32 aAmount) { myScore += aAmount; }
    Qel::i32 GetScore() const { return myScore; }
    void SpawnScorePopup(const Qel::Vector3f& aPosition, Qel::i32 aAmount, const Qel::Camera* aCamera,
                         float aExtraHold, bool aScreenSpace);
    const std::vector<ScorePopup>& GetScorePopups() const { return myScorePopups; }

private:
    std::vector<ScorePopup> myScorePopups;
    Qel::i32 myScore = 0;
};
