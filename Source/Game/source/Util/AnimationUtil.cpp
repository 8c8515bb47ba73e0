#include "Util/AnimationUtil.h"

#include "core/Assert.h"

namespace AnimationUtil
{
void BlendPose(Qel::Pose& aSourcePose, const Qel::Pose& aBlendingPose, float aWeight)
{
    if (aSourcePose.myCount == 0)
    {
        aSourcePose = aBlendingPose;
        return;
    }
    QEL_ASSERT_TEXT(aSourcePose.myCount == aBlendingPose.myCount, "aSourcePose.Count == aBlendingPose.Count");
    for (Qel::u64 i = 0; i < aSourcePose.myCount && i < Qel::MAX_ANIMATION_BONES; ++i)
    {
        Qel::JointTransform& source = aSourcePose.myJoints[i];
        const Qel::JointTransform& blend = aBlendingPose.myJoints[i];
        source.myRotation = Qel::Quaternion::Slerp(source.myRotation, blend.myRotation, aWeight);
        source.myTranslation = source.myTranslation + (blend.myTranslation - source.myTranslation) * aWeight;
        source.myScale = source.myScale + (blend.myScale - source.myScale) * aWeight;
    }
}
}
