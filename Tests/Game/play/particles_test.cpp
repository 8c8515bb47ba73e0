// Scenery particles against the player and the tile map.
#include "Util/SceneryParticles.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
TEST(SceneryParticles, ParticlesInASolidCellLeaveByTheNearerEdge)
{
    struct Row
    {
        Qel::Vector3f position;
        Qel::Vector3f expected;
        bool alongX;   // pushed in x: x velocity reflected, y damped
    };
    // The cell centred on (100, 0) spans 50..150 and -50..50.
    const Row rows[] = {
        {{130.0f, 10.0f, 0.0f}, {150.0f, 10.0f, 0.0f}, true},
        {{60.0f, -20.0f, 0.0f}, {50.0f, -20.0f, 0.0f}, true},
        {{105.0f, 45.0f, 0.0f}, {105.0f, 50.0f, 0.0f}, false},
        {{95.0f, -45.0f, 3.0f}, {95.0f, -50.0f, 3.0f}, false},
    };
    const float dt = 0.5f;
    for (const Row& row : rows)
    {
        Qel::Vector3f position = row.position;
        Qel::Vector3f velocity{40.0f, -80.0f, 7.0f};
        SceneryParticles::PushOutOfCell(position, velocity, 0.5f, 0.25f, dt);
        EXPECT_NEAR(position.x, row.expected.x, 1e-3f) << row.position.x;
        EXPECT_NEAR(position.y, row.expected.y, 1e-3f) << row.position.x;
        EXPECT_FLOAT_EQ(position.z, row.expected.z);
        if (row.alongX)
        {
            EXPECT_FLOAT_EQ(velocity.x, -20.0f);
            EXPECT_FLOAT_EQ(velocity.y, -80.0f * 0.5f);   // 0.25 ^ 0.5
        }
        else
        {
            EXPECT_FLOAT_EQ(velocity.y, 40.0f);
            EXPECT_FLOAT_EQ(velocity.x, 40.0f * 0.5f);
        }
        EXPECT_FLOAT_EQ(velocity.z, 7.0f);
    }
}

TEST(SceneryParticles, TheRunningPlayerBlowsParticlesAlong)
{
    const float dt = 0.1f;
    // Straight along the run when there is no spread.
    Qel::Vector3f push = SceneryParticles::PlayerPush({10.0f, 80.0f, 0.0f}, {1000.0f, 0.0f}, {0.0f, 85.0f}, 0.5f,
                                                      0.0f, 0.0f, dt);
    EXPECT_NEAR(push.x, 50.0f, 1e-3f);
    EXPECT_NEAR(push.y, 0.0f, 1e-3f);
    // The spread turns it toward the particle's side, keeping the strength.
    push = SceneryParticles::PlayerPush({10.0f, 150.0f, 0.0f}, {1000.0f, 0.0f}, {0.0f, 85.0f}, 0.5f, 0.0f, 1.0f, dt);
    EXPECT_GT(push.y, 0.0f);
    EXPECT_NEAR(std::hypot(push.x, push.y), 50.0f, 1e-3f);
    // A player standing still pushes nothing, and nothing is divided by zero.
    push = SceneryParticles::PlayerPush({0.0f, 85.0f, 0.0f}, {0.0f, 0.0f}, {0.0f, 85.0f}, 0.5f, 1.0f, -1.0f, dt);
    EXPECT_EQ(push.x, 0.0f);
    EXPECT_EQ(push.y, 0.0f);
    EXPECT_FALSE(std::isnan(push.x));
}
}
