#include "model/AnimationPlayer.h"

#include <cmath>

namespace Qel
{
bool AnimationPlayer::Bind(const std::shared_ptr<Animation>& aAnimation)
{
    if (!aAnimation || aAnimation->myFrames.empty() || !(aAnimation->myFrameRate > 0.0f) ||
        !(aAnimation->myDuration >= 0.0f) || !std::isfinite(aAnimation->myDuration))
        return false;
    myAnimation = aAnimation;
    myFrameRate = aAnimation->myFrameRate;
    return true;
}

void AnimationPlayer::Update(float aDeltaTime)
{
    if (!myAnimation)
    {
        myPose.myCount = 0;
        return;
    }
    if (myState == ANIMATION_STATE_PLAYING)
    {
        const float duration = myAnimation->myDuration;
        myTime += aDeltaTime;
        if (myTime >= duration)
        {
            // A clip of zero length is a single frame: looping it holds time 0 instead of spinning.
            if (myIsLooping && duration > 0.0f)
                myTime = std::fmod(myTime, duration);
            else if (myIsLooping)
                myTime = 0.0f;
            else
            {
                myTime = duration;
                myState = ANIMATION_STATE_FINISHED;
            }
        }
    }
    UpdatePose();
}

void AnimationPlayer::UpdatePose()
{
    if (!myAnimation || myAnimation->myFrames.empty())
    {
        myPose.myCount = 0;
        return;
    }
    const std::vector<Pose>& frames = myAnimation->myFrames;
    const u32 frameCount = static_cast<u32>(frames.size());
    const float position = myTime > 0.0f ? myTime / (1.0f / myFrameRate) : 0.0f;
    u32 frame = std::isfinite(position) && position < static_cast<float>(frameCount)
                    ? static_cast<u32>(position)
                    : frameCount - 1;
    float alpha = position - static_cast<float>(frame);
    // Times at or past the end name the last frame, held without a blend.
    if (frame >= frameCount - 1)
    {
        frame = frameCount - 1;
        alpha = 0.0f;
    }
    u32 next = frame + 1;
    if (myState == ANIMATION_STATE_FINISHED)
        next = frame;
    else if (next >= frameCount)
        next = myIsLooping ? 0 : frame;

    const Pose& a = frames[frame];
    const Pose& b = frames[next];
    const u64 count = a.myCount < MAX_ANIMATION_BONES ? a.myCount : MAX_ANIMATION_BONES;
    if (myIsInterpolating)
    {
        for (u64 j = 0; j < count; ++j)
        {
            const JointTransform& ja = a.myJoints[j];
            const JointTransform& jb = b.myJoints[j];
            JointTransform& out = myPose.myJoints[j];
            out.myTranslation = ja.myTranslation + (jb.myTranslation - ja.myTranslation) * alpha;
            out.myScale = ja.myScale + (jb.myScale - ja.myScale) * alpha;
            out.myRotation = Quaternion::Slerp(ja.myRotation, jb.myRotation, alpha);
        }
    }
    else
    {
        for (u64 j = 0; j < count; ++j)
            myPose.myJoints[j] = a.myJoints[j];
    }
    myPose.myCount = count;
}
}
