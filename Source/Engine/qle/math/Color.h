#pragma once

namespace Qel
{
// RGBA in sRGB; the renderer converts to linear when a colour reaches the GPU.
struct Color
{
    float r = 0.0f;
    float g = 0.0f;
    float b = 0.0f;
    float a = 0.0f;

    constexpr Color() = default;
    constexpr Color(float aR, float aG, float aB, float aA) : r(aR), g(aG), b(aB), a(aA) {}
    constexpr bool operator==(const Color&) const = default;
};

static_assert(sizeof(Color) == 16);
}
