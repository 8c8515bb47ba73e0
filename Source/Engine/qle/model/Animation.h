#pragma once
// One clip sampled for one model: a pose per frame in that model's joint order.
#include "model/ModelData.h"

#include <string>
#include <vector>

namespace Qel
{
struct Animation
{
    std::vector<Pose> myFrames;
    u32 myFrameCount = 0;
    float myFrameRate = 0.0f;
    float myDuration = 0.0f;
    std::wstring myName;
};
}
