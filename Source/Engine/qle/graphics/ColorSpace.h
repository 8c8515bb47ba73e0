#pragma once
#include <cmath>

namespace Qel
{
// Colours are authored in sRGB and blended in linear space on the GPU.
inline float SrgbToLinear(float aValue)
{
    return aValue >= 0.04045f ? std::pow((aValue + 0.055f) / 1.055f, 2.4f) : aValue / 12.92f;
}
}
