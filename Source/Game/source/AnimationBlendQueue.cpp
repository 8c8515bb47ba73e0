#include "AnimationBlendQueue.h"

#include "core/Assert.h"

#include <algorithm>
#include <cmath>

bool AnimationBlendQueue::Queue(Qel::u8 aSlot, float aBlendTime, float aSpeedScale)
{
    if (Contains(aSlot))
        return false;
    AnimationBlendEntry entry;
    entry.myBlendTime = aBlendTime;
    entry.myElapsed = 0.0f;
    entry.mySpeedScale = aSpeedScale;
    entry.mySlot = aSlot;
    entry.myFresh = 1;
    entry.mySpeedScaled = std::fabs(aSpeedScale) > SPEED_SCALE_EPSILON ? 1 : 0;
    myEntries.push_back(entry);
    return true;
}

bool AnimationBlendQueue::Contains(Qel::u8 aSlot) const
{
    return std::any_of(myEntries.begin(), myEntries.end(),
                       [aSlot](const AnimationBlendEntry& aEntry) { return aEntry.mySlot == aSlot; });
}

void AnimationBlendQueue::DropBlendedOut()
{
    for (std::size_t i = myEntries.size(); i-- > 0;)
    {
        const AnimationBlendEntry& entry = myEntries[i];
        if (entry.myElapsed > entry.myBlendTime - FULLY_BLENDED_MARGIN)
        {
            myEntries.erase(myEntries.begin(), myEntries.begin() + static_cast<std::ptrdiff_t>(i));
            return;
        }
    }
}

float AnimationBlendQueue::Advance(AnimationBlendEntry& aEntry, float aDeltaTime)
{
    QEL_ASSERT_TEXT(aEntry.myBlendTime > 0.0f, "anim.blendTime > 0.0f");
    aEntry.myElapsed = std::clamp(aEntry.myElapsed + aDeltaTime, 0.0f, aEntry.myBlendTime);
    return aEntry.myElapsed / aEntry.myBlendTime;
}

void AnimationBlendQueue::BlendPose(Qel::Pose& aPose, const Qel::Pose& aBlend, float aWeight)
{
    if (aPose.myCount != aBlend.myCount)
        return;
    for (Qel::u64 j = 0; j < aPose.myCount && j < aPose.myJoints.size(); ++j)
    {
        Qel::JointTransform& s = aPose.myJoints[j];
        const Qel::JointTransform& b = aBlend.myJoints[j];
        s.myRotation = Qel::Quaternion::Slerp(s.myRotation, b.myRotation, aWeight);
        s.myTranslation = s.myTranslation + (b.myTranslation - s.myTranslation) * aWeight;
        s.myScale = s.myScale + (b.myScale - s.myScale) * aWeight;
    }
}
