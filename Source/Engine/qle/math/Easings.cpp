#include "math/Easings.h"

#include "core/Assert.h"
#include "math/MathConstants.h"

#include <cmath>

namespace Qel
{
namespace
{
constexpr float C1 = 1.70158f;
constexpr float C3 = 2.70158f;
constexpr float C4 = 2.0943952f;
constexpr float C5 = 1.3962635f;

float BounceOut(float t)
{
    constexpr float n = 7.5625f;
    if (t < 0.36363637f)
        return n * t * t;
    if (t < 0.72727275f)
    {
        t -= 0.54545456f;
        return n * t * t + 0.75f;
    }
    if (static_cast<double>(t) < 0.9090909)
    {
        t -= 0.8181818f;
        return n * t * t + 0.9375f;
    }
    t -= 0.95454544f;
    return n * t * t + 0.984375f;
}

using CurveFunction = float (*)(float, u8);
constexpr CurveFunction CURVES[] = {EaseSine, EaseCircular, EaseElastic, EaseExponential, EaseBack, EaseBounce};
constexpr u8 CURVE_COUNT = sizeof(CURVES) / sizeof(CURVES[0]);
}

float EvaluateEasing(const Easing& aEasing, float aTime)
{
    QEL_ASSERT(aTime >= 0.0f);
    QEL_ASSERT(aTime <= 1.0f);
    const Vector2<float>& sustainedPeriod = aEasing.sustainedPeriod;
    if (aTime < sustainedPeriod.x)
    {
        QEL_ASSERT(sustainedPeriod.x != 0.0f);
        if (aEasing.attackCurve < CURVE_COUNT)
            return CURVES[aEasing.attackCurve](aTime / sustainedPeriod.x, aEasing.attackMode);
    }
    else if (aTime > sustainedPeriod.y)
    {
        QEL_ASSERT(sustainedPeriod.y != 1.0f);
        if (aEasing.releaseCurve < CURVE_COUNT)
            return CURVES[aEasing.releaseCurve](1.0f - (aTime - sustainedPeriod.y) / (1.0f - sustainedPeriod.y),
                                                aEasing.releaseMode);
    }
    return 1.0f;
}

float EaseSine(float t, u8 aMode)
{
    switch (aMode)
    {
    case EASE_IN: return 1.0f - std::cos(PI * t / 2.0f);
    case EASE_OUT: return std::sin(PI * t / 2.0f);
    case EASE_IN_OUT: return -(std::cos(PI * t) - 1.0f) / 2.0f;
    default: return -1.0f;
    }
}

float EaseCircular(float t, u8 aMode)
{
    switch (aMode)
    {
    case EASE_IN: return 1.0f - std::sqrt(1.0f - t * t);
    case EASE_OUT: return std::sqrt(1.0f - (t - 1.0f) * (t - 1.0f));
    case EASE_IN_OUT:
        if (t < 0.5f)
            return (1.0f - std::sqrt(1.0f - (2.0f * t) * (2.0f * t))) / 2.0f;
        return (std::sqrt(1.0f - (2.0f - 2.0f * t) * (2.0f - 2.0f * t)) + 1.0f) / 2.0f;
    default: return -1.0f;
    }
}

float EaseElastic(float t, u8 aMode)
{
    if (aMode > EASE_IN_OUT)
        return -1.0f;
    if (t == 0.0f)
        return 0.0f;
    if (t == 1.0f)
        return 1.0f;
    switch (aMode)
    {
    case EASE_IN: return -std::pow(2.0f, 10.0f * t - 10.0f) * std::sin((10.0f * t - 10.75f) * C4);
    case EASE_OUT: return std::pow(2.0f, -10.0f * t) * std::sin((10.0f * t - 0.75f) * C4) + 1.0f;
    default:
        if (t < 0.5f)
            return -(std::pow(2.0f, 20.0f * t - 10.0f) * std::sin((20.0f * t - 11.125f) * C5)) / 2.0f;
        return std::pow(2.0f, -20.0f * t + 10.0f) * std::sin((20.0f * t - 11.125f) * C5) / 2.0f + 1.0f;
    }
}

float EaseExponential(float t, u8 aMode)
{
    switch (aMode)
    {
    case EASE_IN: return t == 0.0f ? 0.0f : std::pow(2.0f, 10.0f * t - 10.0f);
    case EASE_OUT: return t == 1.0f ? 1.0f : 1.0f - std::pow(2.0f, -10.0f * t);
    case EASE_IN_OUT:
        if (t == 0.0f)
            return 0.0f;
        if (t == 1.0f)
            return 1.0f;
        if (t < 0.5f)
            return std::pow(2.0f, 20.0f * t - 10.0f) / 2.0f;
        return (2.0f - std::pow(2.0f, -20.0f * t + 10.0f)) / 2.0f;
    default: return 0.0f;
    }
}

float EaseBack(float t, u8 aMode)
{
    switch (aMode)
    {
    case EASE_IN: return C3 * t * t * t - C1 * t * t;
    case EASE_OUT:
    {
        const float u = t - 1.0f;
        return 1.0f + C3 * u * u * u + C1 * u * u;
    }
    case EASE_IN_OUT:
        if (t < 0.5f)
            return (2.0f * t) * (2.0f * t) * (7.189819f * t - 2.5949094f) / 2.0f;
        return ((2.0f * t - 2.0f) * (2.0f * t - 2.0f) * (3.5949094f * (2.0f * t - 2.0f) + 2.5949094f) + 2.0f) / 2.0f;
    default: return -1.0f;
    }
}

float EaseBounce(float t, u8 aMode)
{
    switch (aMode)
    {
    case EASE_IN: return 1.0f - BounceOut(1.0f - t);
    case EASE_OUT: return BounceOut(t);
    case EASE_IN_OUT:
        if (t < 0.5f)
            return (1.0f - BounceOut(1.0f - 2.0f * t)) / 2.0f;
        return (1.0f + BounceOut(2.0f * t - 1.0f)) / 2.0f;
    default: return -1.0f;
    }
}
}
