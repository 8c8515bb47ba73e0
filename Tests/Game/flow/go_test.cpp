#include "Go.h"

#include <gtest/gtest.h>

TEST(Go, FrameTimeIsClampedBetweenZeroAndThirtyMilliseconds)
{
    const struct
    {
        float delta, expected;
    } cases[] = {{0.5f, 0.03f}, {-0.2f, 0.0f}, {0.016f, 0.016f}, {0.03f, 0.03f}, {0.1f, 0.03f}, {0.0f, 0.0f}};
    for (const auto& c : cases)
        EXPECT_FLOAT_EQ(ClampFrameTime(c.delta), c.expected) << c.delta;
}
