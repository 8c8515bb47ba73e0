#include "math/Random.h"

#include <random>

namespace Qel
{
namespace
{
std::mt19937& GlobalEngine()
{
    // Built on first use so static initialisers elsewhere may draw safely.
    static std::mt19937 engine{std::random_device{}()};
    return engine;
}

// Seed before main, as the game expects.
[[maybe_unused]] const bool ourEngineSeeded = (GlobalEngine(), true);
}

int GetRandomInt(int aMin, int aMax)
{
    return GetRandomInt(GlobalEngine(), aMin, aMax);
}

float GetRandomFloat(float aMin, float aMax)
{
    return GetRandomFloat(GlobalEngine(), aMin, aMax);
}
}
