#pragma once
#include "core/Types.h"

namespace Qel
{
struct AspectFactors
{
    float myRatio = 1.0f;
    float myInverseRatio = 1.0f;
    float myScaleX = 1.0f;
    float myScaleY = 1.0f;
    float myInverseScaleX = 1.0f;
    float myInverseScaleY = 1.0f;
};

// Larger over smaller side, whichever way the screen is turned. A zero side keeps aPrevious.
inline AspectFactors ComputeAspectFactors(u32 aWidth, u32 aHeight, const AspectFactors& aPrevious = {})
{
    if (aWidth == 0 || aHeight == 0)
        return aPrevious;
    const float large = static_cast<float>(aWidth > aHeight ? aWidth : aHeight);
    const float small = static_cast<float>(aWidth > aHeight ? aHeight : aWidth);
    AspectFactors factors;
    factors.myRatio = large / small;
    factors.myInverseRatio = small / large;
    factors.myScaleX = 1.0f;
    factors.myScaleY = large / small;
    factors.myInverseScaleX = 1.0f;
    factors.myInverseScaleY = small / large;
    return factors;
}
}
