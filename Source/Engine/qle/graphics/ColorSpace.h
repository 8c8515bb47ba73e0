#pragma once
#include "math/Color.h"

#include <cmath>

namespace Qel
{
// Colours are authored in sRGB and blended in linear space on the GPU.
inline float SrgbToLinear(float aValue)
{
    return aValue >= 0.04045f ? std::pow((aValue + 0.055f) / 1.055f, 2.4f) : aValue / 12.92f;
}

namespace impl
{
// SrgbToLinear of the 256 values k / 255 that colours authored as bytes take, beside those
// values themselves.
struct SrgbByteTable
{
    float myInput[256];
    float myLinear[256];

    SrgbByteTable()
    {
        for (int k = 0; k < 256; ++k)
        {
            myInput[k] = static_cast<float>(k) / 255.0f;
            myLinear[k] = Qel::SrgbToLinear(myInput[k]);
        }
    }
};

inline const SrgbByteTable& GetSrgbByteTable()
{
    static const SrgbByteTable table;
    return table;
}

// SrgbToLinear, from the table when the value is one of its 256 (bit for bit the same result).
inline float SrgbToLinear(float aValue, const SrgbByteTable& aTable)
{
    if (aValue > 0.0f && aValue <= 1.0f)   // zero of either sign: the formula keeps its sign
    {
        const int k = static_cast<int>(aValue * 255.0f + 0.5f);
        if (aTable.myInput[k] == aValue)
            return aTable.myLinear[k];
    }
    return Qel::SrgbToLinear(aValue);
}
}

// The four floats a colour reaches the GPU as: r, g and b from sRGB to linear, alpha as it is.
// Every colour sent to the GPU goes through here (clear colour, constant blocks, vertices and
// sprite instances).
inline void PackLinearColor(float aR, float aG, float aB, float aA, float aOut[4])
{
    const impl::SrgbByteTable& table = impl::GetSrgbByteTable();
    aOut[0] = impl::SrgbToLinear(aR, table);
    aOut[1] = impl::SrgbToLinear(aG, table);
    aOut[2] = impl::SrgbToLinear(aB, table);
    aOut[3] = aA;
}

inline void PackLinearColor(const Color& aColor, float aOut[4])
{
    PackLinearColor(aColor.r, aColor.g, aColor.b, aColor.a, aOut);
}
}
