#pragma once
// Plays one clip: keeps the play time, advances it while playing and samples the clip's frames into
// its own pose, blending neighbouring frames. A plain value; sampling allocates nothing.
#include "model/Animation.h"

#include <memory>

namespace Qel
{
inline constexpr u8 ANIMATION_STATE_READY = 1;
inline constexpr u8 ANIMATION_STATE_PLAYING = 2;
inline constexpr u8 ANIMATION_STATE_FINISHED = 5;

class AnimationPlayer
{
public:
    // Shares the clip and copies its frame rate; time, flags and state stay. A clip without frames,
    // with a frame rate that is not positive or a negative duration is refused (the player keeps
    // its previous clip) and false returned.
    bool Bind(const std::shared_ptr<Animation>& aAnimation);
    // Advances the clock while playing, then samples. Without a clip only the pose count drops to 0.
    void Update(float aDeltaTime);
    void UpdatePose();

    bool HasAnimation() const { return myAnimation != nullptr; }

    std::shared_ptr<Animation> myAnimation;
    float myTime = 0.0f;
    bool myIsLooping = false;
    bool myIsInterpolating = true;
    float myFrameRate = 0.0f;
    u8 myState = ANIMATION_STATE_READY;
    Pose myPose;
};
}
