// An emitter drawn through the sprite drawer on the headless back buffer.
#include "GraphicsTestContext.h"
#include "drawers/SpriteDrawer.h"
#include "particles/ParticleSystemInstance.h"

#include <gtest/gtest.h>

using namespace Qel;

namespace
{
class ParticleDrawTest : public QelTest::GraphicsTest
{
};
}

TEST_F(ParticleDrawTest, ParticlesRunAKnownNumberOfStepsAndDrawTheLiveOnes)
{
    SpriteDrawer drawer;
    ASSERT_TRUE(drawer.Init());
    ParticleSystem system;
    system.particleCount = 40;
    system.lifetimeRange = {1.0f, 1.0f};
    system.velocityType = PARTICLE_VELOCITY_BOX;
    system.velocityMin = system.velocityMax = {0.0f, 0.0f, 0.0f};
    system.accelerationMin = system.accelerationMax = {0.0f, 0.0f, 0.0f};
    system.scaleRange = {30.0f, 30.0f};
    system.scaleEasing.sustainedPeriod = {0.0f, 1.0f};
    system.blendState = BLEND_STATE_ADDITIVE_BLEND;
    system.depthStencilState = DEPTH_STENCIL_STATE_READ_ONLY_LESS_OR_EQUAL;
    ParticleSystemInstance instance;
    // Screen-space camera: the emitter in the middle of the back buffer.
    instance.Init(&system, Matrix4x4::CreateTranslation({160.0f, 90.0f, 0.5f}), myTextures.get());
    for (int step = 0; step < 10; ++step)
        instance.Update(0.05f);
    drawer.ResetStatistics();
    instance.Render(drawer);
    EXPECT_EQ(drawer.GetStatistics().myInstances, 40u);
    EXPECT_EQ(drawer.GetStatistics().myDrawCalls, 1u);
    const auto centre = Pixel(160, 90);
    EXPECT_GT(int(centre[0]) + centre[1] + centre[2], 300);
    EXPECT_EQ(Pixel(100, 90)[0], 0);

    for (int step = 0; step < 11; ++step)
        instance.Update(0.05f);
    ClearAndBeginFrame(0.0f, 0.0f, 0.0f, 1.0f);
    drawer.ResetStatistics();
    instance.Render(drawer);
    EXPECT_EQ(drawer.GetStatistics().myInstances, 0u);
    EXPECT_EQ(Pixel(160, 90)[1], 0);
    EXPECT_FALSE(instance.IsRunning());
}
