#pragma once
// Blending of skeleton poses.
#include "model/ModelData.h"

namespace AnimationUtil
{
// Moves every joint of aSourcePose toward aBlendingPose by aWeight (0 keeps the source, 1 takes
// the blend): rotations by spherical interpolation, translation and scale linearly. A source
// with no joints yet (nothing played before) takes the blending pose as it is; otherwise the
// two must have the same joints.
void BlendPose(Qel::Pose& aSourcePose, const Qel::Pose& aBlendingPose, float aWeight);
}
