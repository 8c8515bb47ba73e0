#include "math/PerlinNoise.h"

#include "math/Random.h"

#include <cmath>
#include <random>

namespace Qel
{
namespace
{
constexpr u32 REFERENCE_PERMUTATION[256] = {
    151, 160, 137, 91,  90,  15,  131, 13,  201, 95,  96,  53,  194, 233, 7,   225, 140, 36,  103, 30,  69,  142,
    8,   99,  37,  240, 21,  10,  23,  190, 6,   148, 247, 120, 234, 75,  0,   26,  197, 62,  94,  252, 219, 203,
    117, 35,  11,  32,  57,  177, 33,  88,  237, 149, 56,  87,  174, 20,  125, 136, 171, 168, 68,  175, 74,  165,
    71,  134, 139, 48,  27,  166, 77,  146, 158, 231, 83,  111, 229, 122, 60,  211, 133, 230, 220, 105, 92,  41,
    55,  46,  245, 40,  244, 102, 143, 54,  65,  25,  63,  161, 1,   216, 80,  73,  209, 76,  132, 187, 208, 89,
    18,  169, 200, 196, 135, 130, 116, 188, 159, 86,  164, 100, 109, 198, 173, 186, 3,   64,  52,  217, 226, 250,
    124, 123, 5,   202, 38,  147, 118, 126, 255, 82,  85,  212, 207, 206, 59,  227, 47,  16,  58,  17,  182, 189,
    28,  42,  223, 183, 170, 213, 119, 248, 152, 2,   44,  154, 163, 70,  221, 153, 101, 155, 167, 43,  172, 9,
    129, 22,  39,  253, 19,  98,  108, 110, 79,  113, 224, 232, 178, 185, 112, 104, 218, 246, 97,  228, 251, 34,
    242, 193, 238, 210, 144, 12,  191, 179, 162, 241, 81,  51,  145, 235, 249, 14,  239, 107, 49,  192, 214, 31,
    181, 199, 106, 157, 184, 84,  204, 176, 115, 121, 50,  45,  127, 4,   150, 254, 138, 236, 205, 93,  222, 114,
    67,  29,  24,  72,  243, 141, 128, 195, 78,  66,  215, 61,  156, 180};

double Fade(double t)
{
    return t * t * t * (t * (t * 6.0 - 15.0) + 10.0);
}

double Lerp(double t, double a, double b)
{
    return a + t * (b - a);
}

double Gradient(u32 aHash, double x, double y, double z)
{
    const u32 h = aHash & 15;
    const double u = h < 8 ? x : y;
    const double v = h < 4 ? y : (h == 12 || h == 14 ? x : z);
    return ((h & 1) ? -u : u) + ((h & 2) ? -v : v);
}

// Lattice cell masked to 0..255, defined for every input (a plain int cast is not beyond 2^31).
u32 Cell(double aFloor)
{
    if (std::fabs(aFloor) < 4611686018427387904.0)  // 2^62
        return static_cast<u32>(static_cast<i64>(aFloor) & 255);
    if (!std::isfinite(aFloor))
        return 0;
    double cell = std::fmod(aFloor, 256.0);  // exact
    if (cell < 0.0)
        cell += 256.0;
    return static_cast<u32>(cell);
}
}

PerlinNoise::PerlinNoise()
{
    for (u32 i = 0; i < 256; ++i)
        myPermutation[i] = myPermutation[i + 256] = REFERENCE_PERMUTATION[i];
}

PerlinNoise::PerlinNoise(u32 aSeed)
{
    for (u32 i = 0; i < 256; ++i)
        myPermutation[i] = i;
    std::mt19937 engine(aSeed);
    for (u32 i = 1; i < 256; ++i)
    {
        const u32 j = GetRandomShuffleIndex(engine, i + 1);
        if (j != i)
        {
            const u32 swap = myPermutation[i];
            myPermutation[i] = myPermutation[j];
            myPermutation[j] = swap;
        }
    }
    for (u32 i = 0; i < 256; ++i)
        myPermutation[i + 256] = myPermutation[i];
}

double PerlinNoise::Noise(double x, double y, double z) const
{
    const double fx = std::floor(x), fy = std::floor(y), fz = std::floor(z);
    const u32 X = Cell(fx), Y = Cell(fy), Z = Cell(fz);
    x -= fx;
    y -= fy;
    z -= fz;
    const double u = Fade(x), v = Fade(y), w = Fade(z);

    const auto& p = myPermutation;
    const u32 A = p[X] + Y, AA = p[A] + Z, AB = p[A + 1] + Z;
    const u32 B = p[X + 1] + Y, BA = p[B] + Z, BB = p[B + 1] + Z;

    const double n =
        Lerp(w,
             Lerp(v, Lerp(u, Gradient(p[AA], x, y, z), Gradient(p[BA], x - 1, y, z)),
                  Lerp(u, Gradient(p[AB], x, y - 1, z), Gradient(p[BB], x - 1, y - 1, z))),
             Lerp(v, Lerp(u, Gradient(p[AA + 1], x, y, z - 1), Gradient(p[BA + 1], x - 1, y, z - 1)),
                  Lerp(u, Gradient(p[AB + 1], x, y - 1, z - 1), Gradient(p[BB + 1], x - 1, y - 1, z - 1))));
    return (n + 1.0) * 0.5;
}
}
