// Emitters without GL: emission, simulation, flip-book frames and warm-up.
#include "particles/ParticleSystemInstance.h"

#include <gtest/gtest.h>

using namespace Qel;

namespace
{
// Still particles at the emitter: no velocity, no acceleration.
ParticleSystem StillSystem(i32 aCount, bool aLoop, float aLifetime = 1.0f)
{
    ParticleSystem system;
    system.particleCount = aCount;
    system.isLoop = aLoop;
    system.lifetimeRange = {aLifetime, aLifetime};
    system.velocityType = PARTICLE_VELOCITY_BOX;
    system.velocityMin = system.velocityMax = {0.0f, 0.0f, 0.0f};
    system.accelerationMin = system.accelerationMax = {0.0f, 0.0f, 0.0f};
    system.scaleRange = {10.0f, 10.0f};
    return system;
}
}

TEST(ParticleInstanceTest, NullSystemStaysNotAlive)
{
    ParticleSystemInstance instance;
    instance.Init(nullptr, Matrix4x4::CreateTranslation({1, 2, 3}));
    EXPECT_FALSE(instance.IsAlive());
    EXPECT_FALSE(instance.IsRunning());
    EXPECT_EQ(instance.GetTransform().GetTranslation().y, 2.0f);
    instance.Update(0.1f);
    EXPECT_TRUE(instance.GetParticles().empty());
}

TEST(ParticleInstanceTest, NonLoopingSpawnsAllAndEnds)
{
    ParticleSystem system = StillSystem(20, false, 0.5f);
    system.accelerationMin = system.accelerationMax = {0.0f, -100.0f, 0.0f};
    ParticleSystemInstance instance;
    instance.Init(&system, Matrix4x4::CreateTranslation({100, 50, 0}));
    ASSERT_TRUE(instance.IsAlive());
    EXPECT_EQ(instance.GetLiveCount(), 20u);
    EXPECT_EQ(instance.GetParticles()[3].myTransform.GetTranslation().x, 100.0f);
    instance.Update(0.1f);
    // v = a dt, then p += v dt.
    EXPECT_NEAR(instance.GetParticles()[0].myVelocity.y, -10.0f, 1e-4f);
    EXPECT_NEAR(instance.GetParticles()[0].myTransform.GetTranslation().y, 49.0f, 1e-4f);
    EXPECT_NEAR(instance.GetParticles()[0].myPreviousPosition.y, 50.0f, 1e-4f);
    for (int i = 0; i < 3; ++i)
        instance.Update(0.1f);
    EXPECT_TRUE(instance.IsRunning());
    instance.Update(0.2f);
    EXPECT_EQ(instance.GetLiveCount(), 0u);
    EXPECT_FALSE(instance.IsRunning());
    EXPECT_TRUE(instance.GetSprites()[0].mySkip);

    ParticleSystem none = StillSystem(0, false);
    instance.Init(&none, Matrix4x4());
    EXPECT_TRUE(instance.IsAlive());
    EXPECT_FALSE(instance.IsRunning());
}

TEST(ParticleInstanceTest, LoopingEmissionWaitsForItsShare)
{
    ParticleSystem system = StillSystem(10, true, 1.0f);
    ParticleSystemInstance instance;
    instance.Init(&system, Matrix4x4());
    EXPECT_EQ(instance.GetLiveCount(), 1u);   // slot 0 only
    const float dt = 1.0f / 60.0f;
    // Nothing more until the accumulator holds a tenth of a second (six frames, give or take the
    // rounding of the sum), then about one a frame while dead slots remain.
    int firstEmission = 0;
    for (int frame = 1; frame <= 8 && firstEmission == 0; ++frame)
    {
        instance.Update(dt);
        if (instance.GetLiveCount() > 1)
            firstEmission = frame;
    }
    EXPECT_TRUE(firstEmission == 6 || firstEmission == 7) << firstEmission;
    EXPECT_EQ(instance.GetLiveCount(), 2u);
    instance.Update(dt);
    EXPECT_EQ(instance.GetLiveCount(), 3u);
    EXPECT_TRUE(instance.IsRunning());
}

TEST(ParticleInstanceTest, FlipBookFrameFollowsAge)
{
    ParticleSystem system = StillSystem(1, false, 1.0f);
    system.framesX = 4;
    system.framesY = 2;
    ParticleSystemInstance instance;
    instance.Init(&system, Matrix4x4());
    instance.Update(0.9f);
    const Vector4f uv = instance.GetSprites()[0].myUVRect;
    EXPECT_FLOAT_EQ(uv.x, 0.75f);
    EXPECT_FLOAT_EQ(uv.y, 0.5f);
    EXPECT_FLOAT_EQ(uv.z, 1.0f);
    EXPECT_FLOAT_EQ(uv.w, 1.0f);
}

TEST(ParticleInstanceTest, WarmUpRunsInsideInit)
{
    ParticleSystem system = StillSystem(5, false, 2.0f);
    system.warmupTime = 0.5f;
    ParticleSystemInstance instance;
    instance.Init(&system, Matrix4x4());
    // Steps of 1/30 s while the elapsed warm-up is below 0.5 s: 15 or 16 of them.
    const float age = instance.GetParticles()[0].myAge;
    EXPECT_GE(age, 15.0f / 30.0f - 1e-4f);
    EXPECT_LE(age, 16.0f / 30.0f + 1e-4f);
}

TEST(ParticleInstanceTest, ConeShellSpawnsOnItsRadius)
{
    ParticleSystem system = StillSystem(200, false);
    system.spawnType = PARTICLE_SPAWN_CONE_SHELL;
    system.spawnDirection = {0.0f, 1.0f, 0.0f};   // the fallback perpendicular (0, 0, 1)
    system.spawnSpread = 20.0f;
    system.spawnRadiusMin = system.spawnRadiusMax = 50.0f;
    ParticleSystemInstance instance;
    instance.Init(&system, Matrix4x4());
    for (const Particle& particle : instance.GetParticles())
    {
        const Vector3f p = particle.myTransform.GetTranslation();
        EXPECT_NEAR(p.Length(), 50.0f, 1e-2f);
        // Within the spread of +y: the angle to the axis is at most 20 degrees in each direction.
        EXPECT_GT(p.y, 50.0f * std::cos(30.0f * 3.14159265f / 180.0f));
    }
}

TEST(ParticleInstanceTest, SpriteIsCentredAndScaled)
{
    ParticleSystem system = StillSystem(1, false, 1.0f);
    system.scaleEasing.sustainedPeriod = {0.0f, 1.0f};   // full size all life
    ParticleSystemInstance instance;
    instance.Init(&system, Matrix4x4::CreateTranslation({100.0f, 200.0f, 0.0f}));
    instance.Update(0.25f);
    const Matrix4x4& sprite = instance.GetSprites()[0].myTransform;
    EXPECT_NEAR(sprite(1, 1), 10.0f, 1e-4f);
    EXPECT_NEAR(sprite(2, 2), 10.0f, 1e-4f);
    EXPECT_NEAR(sprite(4, 1), 95.0f, 1e-4f);
    EXPECT_NEAR(sprite(4, 2), 205.0f, 1e-4f);
}

TEST(ParticleInstanceTest, RotationActsInTheParticlesOwnFrame)
{
    ParticleSystem system = StillSystem(1, false, 10.0f);
    system.angularVelocityMin = system.angularVelocityMax = {0.0f, 0.0f, 180.0f};
    ParticleSystemInstance instance;
    instance.Init(&system, Matrix4x4::CreateTranslation({5.0f, 0.0f, 0.0f}));
    instance.Update(0.5f);   // a quarter turn about z
    const Matrix4x4& m = instance.GetParticles()[0].myTransform;
    const Matrix4x4 expected = Matrix4x4::CreateRotationAroundZ(90.0f) * Matrix4x4::CreateTranslation({5.0f, 0.0f, 0.0f});
    for (u32 i = 0; i < 16; ++i)
        EXPECT_NEAR(m[i], expected[i], 1e-5f) << i;
}
