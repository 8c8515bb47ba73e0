#pragma once

namespace Qel
{
// Kept at these exact float values: content and tests were tuned against them.
inline constexpr float DEG_TO_RAD = 0.017453292f;
inline constexpr float RAD_TO_DEG = 57.295776f;
inline constexpr float HALF_PI = 1.570796f;
inline constexpr float PI = 3.1415927f;
}
