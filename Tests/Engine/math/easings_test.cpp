#include "math/Easings.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace Qel;

namespace
{
using Curve = float (*)(float, u8);
const Curve CURVES[] = {EaseSine, EaseCircular, EaseElastic, EaseExponential, EaseBack, EaseBounce};
}

TEST(Easing, EnvelopeAttackHoldRelease)
{
    Easing e;
    e.sustainedPeriod = {0.2f, 0.8f};
    e.attackCurve = EASE_SINE;
    e.attackMode = EASE_IN;
    e.releaseCurve = EASE_SINE;
    e.releaseMode = EASE_OUT;
    const struct
    {
        float time, value;
    } cases[] = {{0.0f, 0.0f}, {0.1f, 0.2928932f}, {0.2f, 1.0f}, {0.5f, 1.0f}, {0.8f, 1.0f}, {0.9f, 0.7071068f}, {1.0f, 0.0f}};
    for (const auto& c : cases)
        EXPECT_NEAR(EvaluateEasing(e, c.time), c.value, 1e-5f) << "time " << c.time;
}

TEST(Easing, EnvelopeWithoutAttackOrReleaseAndUnknownCurves)
{
    Easing hold;
    hold.sustainedPeriod = {0.0f, 1.0f};
    hold.attackCurve = EASE_BOUNCE;
    EXPECT_EQ(EvaluateEasing(hold, 0.0f), 1.0f);
    EXPECT_EQ(EvaluateEasing(hold, 1.0f), 1.0f);

    Easing unknown;
    unknown.attackCurve = 6;
    unknown.releaseCurve = 200;
    EXPECT_EQ(EvaluateEasing(unknown, 0.1f), 1.0f);
    EXPECT_EQ(EvaluateEasing(unknown, 0.9f), 1.0f);
}

TEST(EasingDeathTest, TimeOutsideZeroOneIsAsserted)
{
    const Easing e;
    EXPECT_DEATH(EvaluateEasing(e, 1.5f), "aTime <= 1\\.0f");
    EXPECT_DEATH(EvaluateEasing(e, -0.1f), "aTime >= 0\\.0f");
}

TEST(Easing, EveryCurveAndModeRunsFromZeroToOne)
{
    for (u8 curve = 0; curve < 6; ++curve)
        for (u8 mode = EASE_IN; mode <= EASE_IN_OUT; ++mode)
        {
            EXPECT_NEAR(CURVES[curve](0.0f, mode), 0.0f, 1e-6f) << int(curve) << "/" << int(mode);
            EXPECT_NEAR(CURVES[curve](1.0f, mode), 1.0f, 1e-6f) << int(curve) << "/" << int(mode);
        }
    for (u8 mode = EASE_IN; mode <= EASE_IN_OUT; ++mode)
    {
        EXPECT_EQ(EaseElastic(0.0f, mode), 0.0f);
        EXPECT_EQ(EaseElastic(1.0f, mode), 1.0f);
    }
    EXPECT_EQ(EaseBounce(1.0f, EASE_OUT), 1.0f);
}

TEST(Easing, UnknownModes)
{
    for (u8 curve = 0; curve < 6; ++curve)
        EXPECT_EQ(CURVES[curve](0.5f, 3), curve == EASE_EXPONENTIAL ? 0.0f : -1.0f) << int(curve);
}

TEST(Easing, MidpointValues)
{
    const struct
    {
        Curve curve;
        u8 mode;
        float t, value;
    } cases[] = {
        {EaseSine, EASE_OUT, 0.5f, 0.7071068f},
        {EaseSine, EASE_IN_OUT, 0.5f, 0.5f},
        {EaseCircular, EASE_IN, 0.5f, 0.1339746f},
        {EaseCircular, EASE_IN_OUT, 0.75f, 0.9330127f},
        {EaseElastic, EASE_OUT, 0.5f, 1.015625f},
        {EaseElastic, EASE_IN_OUT, 0.25f, 0.0119694f},
        {EaseExponential, EASE_IN, 0.5f, 0.03125f},
        {EaseExponential, EASE_IN_OUT, 0.25f, 0.015625f},
        {EaseBack, EASE_IN, 0.5f, -0.0876975f},
        {EaseBack, EASE_OUT, 0.5f, 1.0876975f},
        {EaseBack, EASE_IN_OUT, 0.25f, -0.0996818f},
        {EaseBounce, EASE_OUT, 0.5f, 0.765625f},
        {EaseBounce, EASE_OUT, 0.2f, 0.3025f},
        {EaseBounce, EASE_OUT, 0.9f, 0.988125f},
        {EaseBounce, EASE_IN_OUT, 0.25f, 0.1171875f},
    };
    for (const auto& c : cases)
        EXPECT_NEAR(c.curve(c.t, c.mode), c.value, 1e-5f) << "t " << c.t << " mode " << int(c.mode);
}
