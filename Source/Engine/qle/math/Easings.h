#pragma once
#include "core/Types.h"
#include "math/Vector.h"

namespace Qel
{
// Curves and modes as stored in particle files.
enum EasingCurve : u8 { EASE_SINE = 0, EASE_CIRCULAR = 1, EASE_ELASTIC = 2, EASE_EXPONENTIAL = 3, EASE_BACK = 4, EASE_BOUNCE = 5 };
enum EasingMode : u8 { EASE_IN = 0, EASE_OUT = 1, EASE_IN_OUT = 2 };

// Attack, hold at 1 over the sustained period, release.
struct Easing
{
    Vector2<float> sustainedPeriod = {0.2f, 0.8f};
    u8 attackCurve = 0;
    u8 releaseCurve = 0;
    u8 attackMode = 0;
    u8 releaseMode = 0;
};

// aTime in 0..1 (asserted).
float EvaluateEasing(const Easing& aEasing, float aTime);

// t in 0..1. An unknown mode gives -1 (exponential: 0).
float EaseSine(float t, u8 aMode);
float EaseCircular(float t, u8 aMode);
float EaseElastic(float t, u8 aMode);
float EaseExponential(float t, u8 aMode);
float EaseBack(float t, u8 aMode);
float EaseBounce(float t, u8 aMode);
}
