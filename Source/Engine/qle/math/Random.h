#pragma once
#include "core/Types.h"

namespace Qel
{
// Uniform draws over the process-wide generator (a std::mt19937 seeded from std::random_device
// before main). The draw schemes are fixed here rather than left to the standard library's
// distributions, whose algorithms differ between implementations.
int GetRandomInt(int aMin, int aMax);     // in [min, max]
float GetRandomFloat(float aMin, float aMax);  // between min and max

// The same draws over any engine with 32-bit output (tests, own streams).
template <typename Engine>
int GetRandomInt(Engine& aEngine, int aMin, int aMax);
template <typename Engine>
float GetRandomFloat(Engine& aEngine, float aMin, float aMax);
// j uniform in [0, aBound - 1] by rejection on the quotient; the draw a seeded shuffle uses.
template <typename Engine>
u32 GetRandomShuffleIndex(Engine& aEngine, u32 aBound);

namespace impl
{
template <typename Engine>
u32 Draw32(Engine& aEngine)
{
    static_assert(Engine::min() == 0 && Engine::max() == 0xFFFFFFFFu, "needs a full 32-bit engine");
    return static_cast<u32>(aEngine());
}
}

template <typename Engine>
int GetRandomInt(Engine& aEngine, int aMin, int aMax)
{
    // A reversed range is drawn over [max, min] rather than wrapping around.
    if (aMin > aMax)
    {
        const int swap = aMin;
        aMin = aMax;
        aMax = swap;
    }
    // Unsigned throughout: the full int range would overflow signed arithmetic.
    const u32 base = static_cast<u32>(aMin);
    const u32 range = static_cast<u32>(aMax) - base;
    if (range == 0xFFFFFFFFu)
        return static_cast<int>(base + impl::Draw32(aEngine));
    const u32 n = range + 1;
    const u32 threshold = (0u - n) % n;  // (2^32 - n) mod n
    u64 m;
    do
    {
        m = static_cast<u64>(impl::Draw32(aEngine)) * n;
    } while (static_cast<u32>(m) < threshold);
    return static_cast<int>(base + static_cast<u32>(m >> 32));
}

template <typename Engine>
float GetRandomFloat(Engine& aEngine, float aMin, float aMax)
{
    const u32 a = impl::Draw32(aEngine) >> 11;
    const u32 b = impl::Draw32(aEngine);
    const double u = (static_cast<double>(b) * 2097152.0 + static_cast<double>(a)) * (1.0 / 9007199254740992.0);
    return static_cast<float>(u * (static_cast<double>(aMax) - static_cast<double>(aMin)) + static_cast<double>(aMin));
}

template <typename Engine>
u32 GetRandomShuffleIndex(Engine& aEngine, u32 aBound)
{
    const u32 top = 0xFFFFFFFFu;
    for (;;)
    {
        const u32 r = impl::Draw32(aEngine);
        if (r / aBound < top / aBound || top % aBound == aBound - 1)
            return r % aBound;
    }
}
}
