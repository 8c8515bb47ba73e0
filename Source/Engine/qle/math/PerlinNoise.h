#pragma once
#include "core/Types.h"

#include <array>

namespace Qel
{
// Improved Perlin noise (2002) in double precision.
class PerlinNoise
{
public:
    // The reference permutation.
    PerlinNoise();
    // 0..255 shuffled by a std::mt19937 seeded with aSeed; the same seed gives the same table
    // on every platform.
    explicit PerlinNoise(u32 aSeed);

    // In 0..1; exactly 0.5 at integer coordinates.
    double Noise(double aX, double aY, double aZ) const;

    // A permutation of 0..255 followed by a copy of it.
    const std::array<u32, 512>& GetPermutation() const { return myPermutation; }

private:
    std::array<u32, 512> myPermutation;
};
}
