#include "particles/ParticleSystemInstance.h"

#include "engine/Engine.h"
#include "graphics/GraphicsEngine.h"
#include "graphics/GraphicsStateStack.h"
#include "math/MathConstants.h"
#include "math/Random.h"
#include "texture/TextureManager.h"

#include <cmath>

namespace Qel
{
namespace
{
std::string CutExtension(StringId aName, const char* aDefault)
{
    if (aName.IsEmpty())
        return aDefault;
    std::string name(aName.GetView());
    const size_t separator = name.find_last_of("/\\");
    const size_t dot = name.find_last_of('.');
    if (dot != std::string::npos && (separator == std::string::npos || dot > separator))
        name.resize(dot);
    return name;
}

Vector3f RandomBetween(const Vector3f& aMin, const Vector3f& aMax)
{
    // Drawn z, then y, then x.
    Vector3f out;
    out.z = GetRandomFloat(aMin.z, aMax.z);
    out.y = GetRandomFloat(aMin.y, aMax.y);
    out.x = GetRandomFloat(aMin.x, aMax.x);
    return out;
}

Vector3f RowOf(const Matrix4x4& aMatrix, int aRow)
{
    return {aMatrix(aRow, 1), aMatrix(aRow, 2), aMatrix(aRow, 3)};
}

void SetRow3(Matrix4x4& aMatrix, int aRow, const Vector3f& aValue)
{
    aMatrix(aRow, 1) = aValue.x;
    aMatrix(aRow, 2) = aValue.y;
    aMatrix(aRow, 3) = aValue.z;
}

double Noise(const PerlinNoise& aNoise, double aX, double aY, double aZ) { return aNoise.Noise(aX, aY, aZ); }
}

void ParticleSystemInstance::Init(ParticleSystem* aSystem, const Matrix4x4& aTransform, TextureManager* aTextures)
{
    myTransform = aTransform;
    myParticles.clear();
    mySpriteInstances.clear();
    myIsDead.clear();
    myParticleSystem = aSystem;
    myIsAlive = false;
    if (!aSystem)
        return;
    ParticleSystem& system = *aSystem;

    TextureManager* textures = aTextures;
    if (!textures && Engine::GetInstance())
        textures = Engine::GetInstance()->GetTextureManager();
    mySharedData = SpriteSharedData();
    if (textures)
        mySharedData.myColorTexture =
            textures->GetTexture(system.texturePath.GetView(), TEXTURE_COLOR_MODE_FORCE_SRGB, false);
    mySpriteShader = SpriteShader();
    mySpriteShader.Init(CutExtension(system.vertexShader, PARTICLE_DEFAULT_VS),
                        CutExtension(system.fragmentShader, PARTICLE_DEFAULT_PS));
    mySharedData.myCustomShader = &mySpriteShader;

    // The loader clamps these; a record filled in code is held to the same rules.
    const i32 framesX = system.framesX > 0 ? system.framesX : 1;
    const i32 framesY = system.framesY > 0 ? system.framesY : 1;
    myFrameSize = {1.0f / static_cast<float>(framesX), 1.0f / static_cast<float>(framesY)};

    if (system.useTurbulence)
    {
        const i32 seed = system.turbulenceRandomizeSeed ? GetRandomInt(0, 2147483647) : system.turbulenceNoiseSeed;
        myNoise = PerlinNoise(static_cast<u32>(seed));
        myNoiseVelocity.x = GetRandomFloat(system.turbulenceNoiseVelocityMin.x, system.turbulenceNoiseVelocityMax.x);
        myNoiseVelocity.y = GetRandomFloat(system.turbulenceNoiseVelocityMin.y, system.turbulenceNoiseVelocityMax.y);
        myNoiseVelocity.z = GetRandomFloat(system.turbulenceNoiseVelocityMin.z, system.turbulenceNoiseVelocityMax.z);
        myNoiseOffset = {0.0f, 0.0f, 0.0f};
    }

    const i32 count = system.particleCount < 0                          ? 0
                      : system.particleCount > MAX_PARTICLES_PER_SYSTEM ? MAX_PARTICLES_PER_SYSTEM
                                                                        : system.particleCount;
    myParticles.assign(static_cast<size_t>(count), Particle());
    // Slots start dead until spawned: a looping emitter's unspawned slots must not be drawn as
    // default sprites before its first update.
    Sprite3DInstanceData unspawned;
    unspawned.mySkip = true;
    mySpriteInstances.assign(static_cast<size_t>(count), unspawned);
    myIsDead.assign(static_cast<size_t>(count), 1);
    if (!system.isLoop)
    {
        for (i32 i = 0; i < count; ++i)
            SpawnParticle(i);
    }
    else if (count > 0)
        SpawnParticle(0);

    // Warm-up: the instance must count as alive for Update to run.
    myEmissionTime = 0.0f;
    myIsAlive = true;
    const float warmup = system.warmupTime < MAX_PARTICLE_WARMUP ? system.warmupTime : MAX_PARTICLE_WARMUP;
    for (float elapsed = 0.0f; elapsed < warmup; elapsed += PARTICLE_WARMUP_STEP)
        Update(PARTICLE_WARMUP_STEP);
}

Vector3f ParticleSystemInstance::ConeDirection(const Vector3f& aDirection, float aSpreadDegrees) const
{
    const float spread = aSpreadDegrees * 3.14159265f / 180.0f;
    const float a1 = GetRandomFloat(-1.0f, 1.0f) * spread;
    const float a2 = GetRandomFloat(-1.0f, 1.0f) * spread;
    Vector3f d = aDirection.LengthSqr() > 0.0f ? aDirection.GetNormalized() : Vector3f{0.0f, 0.0f, 1.0f};
    Vector3f p{d.z, 0.0f, -d.x};
    p = p.LengthSqr() < 1e-8f ? Vector3f{0.0f, 0.0f, 1.0f} : p.GetNormalized();
    const Vector3f q = p.Cross(d);
    return d * (std::cos(a1) * std::cos(a2)) + p * (std::sin(a1) * std::cos(a2)) + q * std::sin(a2);
}

void ParticleSystemInstance::SpawnParticle(int aIndex)
{
    if (!myParticleSystem || aIndex < 0 || static_cast<size_t>(aIndex) >= myParticles.size())
        return;
    ParticleSystem& system = *myParticleSystem;
    Particle& particle = myParticles[static_cast<size_t>(aIndex)];

    if (system.scaleRange.y < system.scaleRange.x)
        system.scaleRange.y = system.scaleRange.x;
    particle.myScale = GetRandomFloat(system.scaleRange.x, system.scaleRange.y);

    Vector3f offset{0.0f, 0.0f, 0.0f};
    if (system.spawnType == PARTICLE_SPAWN_CONE_SHELL)
    {
        const Vector3f direction = ConeDirection(system.spawnDirection, system.spawnSpread);
        const float t = GetRandomFloat(0.0f, 1.0f);
        offset = direction * (t * system.spawnRadiusMax + (1.0f - t) * system.spawnRadiusMin);
    }
    else if (system.spawnType == PARTICLE_SPAWN_BOX)
        offset = RandomBetween(system.spawnMin, system.spawnMax);

    if (system.simulateInLocalSpace)
        particle.myTransform = Matrix4x4::CreateTranslation(offset);
    else
    {
        particle.myTransform = myTransform;
        const Vector3f position = RowOf(myTransform, 1) * offset.x + RowOf(myTransform, 2) * offset.y +
                                  RowOf(myTransform, 3) * offset.z + RowOf(myTransform, 4);
        SetRow3(particle.myTransform, 4, position);
    }
    particle.myPreviousPosition = particle.myTransform.GetTranslation();
    myIsDead[static_cast<size_t>(aIndex)] = 0;
    mySpriteInstances[static_cast<size_t>(aIndex)].mySkip = false;

    particle.myAngularVelocity = RandomBetween(system.angularVelocityMin, system.angularVelocityMax);
    particle.myAngularAcceleration = RandomBetween(system.angularAccelerationMin, system.angularAccelerationMax);

    if (system.velocityType == PARTICLE_VELOCITY_CONE)
    {
        const Vector3f direction = ConeDirection(system.spawnVelocityDirection, system.spawnVelocitySpread);
        const float t = GetRandomFloat(0.0f, 1.0f);
        particle.myVelocity = direction * (t * system.spawnVelocityMax + (1.0f - t) * system.spawnVelocityMin);
    }
    else if (system.velocityType == PARTICLE_VELOCITY_BOX)
        particle.myVelocity = RandomBetween(system.velocityMin, system.velocityMax);

    particle.myAcceleration = RandomBetween(system.accelerationMin, system.accelerationMax);
    particle.myAge = 0.0f;
    const float lifetime = GetRandomFloat(system.lifetimeRange.x, system.lifetimeRange.y);
    particle.myLifetime = lifetime > 0.01f ? lifetime : 0.01f;
    UpdateFrame(aIndex);
}

void ParticleSystemInstance::UpdateFrame(int aIndex)
{
    if (!myParticleSystem || aIndex < 0 || static_cast<size_t>(aIndex) >= myParticles.size())
        return;
    const Particle& particle = myParticles[static_cast<size_t>(aIndex)];
    const i32 framesX = myParticleSystem->framesX > 0 ? myParticleSystem->framesX : 1;
    const i32 framesY = myParticleSystem->framesY > 0 ? myParticleSystem->framesY : 1;
    const i32 frames = framesX * framesY;
    const float progress = particle.myLifetime > 0.0f ? particle.myAge / particle.myLifetime : 0.0f;
    i32 frame = static_cast<i32>(progress * static_cast<float>(frames));
    frame = frame < 0 ? 0 : frame >= frames ? frames - 1 : frame;
    const float column = static_cast<float>(frame % framesX), row = static_cast<float>(frame / framesX);
    mySpriteInstances[static_cast<size_t>(aIndex)].myUVRect = {column * myFrameSize.x, row * myFrameSize.y,
                                                               (column + 1.0f) * myFrameSize.x,
                                                               (row + 1.0f) * myFrameSize.y};
}

Vector3f ParticleSystemInstance::TurbulenceAt(const Vector3f& aPosition) const
{
    const double s = myParticleSystem->turbulenceNoiseScale;
    const double qx = aPosition.x * s + myNoiseOffset.x * s, qy = aPosition.y * s + myNoiseOffset.y * s,
                 qz = aPosition.z * s + myNoiseOffset.z * s;
    constexpr double h = 0.001, twoH = 0.002;
    auto dx = [&](double x, double y, double z) { return (Noise(myNoise, x + h, y, z) - Noise(myNoise, x - h, y, z)) / twoH; };
    auto dy = [&](double x, double y, double z) { return (Noise(myNoise, x, y + h, z) - Noise(myNoise, x, y - h, z)) / twoH; };
    auto dz = [&](double x, double y, double z) { return (Noise(myNoise, x, y, z + h) - Noise(myNoise, x, y, z - h)) / twoH; };
    const double ax = qx + 1563, ay = qy + 3254, az = qz + 456;
    const double bx = qx + 4516, by = qy + 2435, bz = qz + 4355;
    const double cx = qx + 543, cy = qy + 913, cz = qz + 8432;
    const Vector3f curl{static_cast<float>(dy(ax, ay, az) - dz(bx, by, bz)),
                        static_cast<float>(dz(cx, cy, cz) - dx(ax, ay, az)),
                        static_cast<float>(dx(bx, by, bz) - dy(cx, cy, cz))};
    const float length = curl.Length();
    return length > 0.0f ? curl * (1.0f / length) : Vector3f{0.0f, 0.0f, 0.0f};
}

void ParticleSystemInstance::Update(float aDeltaTime)
{
    if (!myIsAlive || !myParticleSystem)
        return;
    const ParticleSystem& system = *myParticleSystem;
    const float dt = aDeltaTime > 0.0f ? aDeltaTime : 0.0f;

    if (system.isLoop)
    {
        const float before = myEmissionTime;
        myEmissionTime += dt;
        const float lifetimeMax = system.lifetimeRange.y > 0.01f ? system.lifetimeRange.y : 0.01f;
        const double dueValue = static_cast<double>(system.particleCount) / lifetimeMax * myEmissionTime;
        i64 due = dueValue > static_cast<double>(myParticles.size()) ? static_cast<i64>(myParticles.size())
                                                                     : static_cast<i64>(dueValue);
        if (due >= 1)
            myEmissionTime = before;
        for (size_t i = 0; i < myParticles.size() && due >= 1; ++i)
            if (myIsDead[i])
            {
                SpawnParticle(static_cast<int>(i));
                --due;
            }
    }

    const float damping = std::pow(system.velocityDamping, dt);
    for (size_t i = 0; i < myParticles.size(); ++i)
    {
        if (myIsDead[i])
            continue;
        Particle& particle = myParticles[i];
        Sprite3DInstanceData& sprite = mySpriteInstances[i];
        particle.myAge += dt;
        if (particle.myAge >= particle.myLifetime)
        {
            myIsDead[i] = 1;
            sprite.mySkip = true;
            continue;
        }
        UpdateFrame(static_cast<int>(i));
        Vector3f position = particle.myTransform.GetTranslation();
        if (particle.myIsRotating && system.useTurbulence)
        {
            myNoiseOffset += myNoiseVelocity * dt;
            particle.myVelocity += TurbulenceAt(position) * (system.turbulenceIntensity * dt);
        }
        particle.myVelocity += particle.myAcceleration * dt;
        particle.myVelocity *= damping;
        particle.myAngularVelocity += particle.myAngularAcceleration * dt;
        particle.myPreviousPosition = position;
        position += particle.myVelocity * dt;
        particle.myTransform.SetTranslation(position);
        if (particle.myIsRotating && particle.myAngularVelocity.LengthSqr() > 0.0f)
        {
            // Rx x Ry x Rz x transform, written out for the upper 3 x 3 (the position row stays).
            const Vector3f radians = particle.myAngularVelocity * (dt * DEG_TO_RAD);
            const float cx = std::cos(radians.x), sx = std::sin(radians.x), cy = std::cos(radians.y),
                        sy = std::sin(radians.y), cz = std::cos(radians.z), sz = std::sin(radians.z);
            const float r[3][3] = {{cy * cz, cy * sz, -sy},
                                   {sx * sy * cz - cx * sz, sx * sy * sz + cx * cz, sx * cy},
                                   {cx * sy * cz + sx * sz, cx * sy * sz - sx * cz, cx * cy}};
            const Vector3f rows[3] = {RowOf(particle.myTransform, 1), RowOf(particle.myTransform, 2),
                                      RowOf(particle.myTransform, 3)};
            for (int row = 0; row < 3; ++row)
                SetRow3(particle.myTransform, row + 1,
                        rows[0] * r[row][0] + rows[1] * r[row][1] + rows[2] * r[row][2]);
        }

        const float size = EvaluateEasing(system.scaleEasing, particle.myAge / particle.myLifetime) * particle.myScale;
        Matrix4x4 matrix = particle.myTransform;
        const Vector3f centred = matrix.GetTranslation() - RowOf(matrix, 1) * (size * 0.5f) + RowOf(matrix, 2) * (size * 0.5f);
        matrix.SetTranslation(centred);
        if (system.simulateInLocalSpace)
            matrix = matrix * myTransform;
        for (int row = 1; row <= 3; ++row)
            SetRow3(matrix, row, RowOf(matrix, row) * size);
        sprite.myTransform = matrix;
    }
}

size_t ParticleSystemInstance::GetLiveCount() const
{
    size_t live = 0;
    for (u8 dead : myIsDead)
        live += dead ? 0 : 1;
    return live;
}

bool ParticleSystemInstance::IsRunning() const
{
    if (!myIsAlive || !myParticleSystem)
        return false;
    return myParticleSystem->isLoop || GetLiveCount() > 0;
}

void ParticleSystemInstance::Render()
{
    const Engine* engine = Engine::GetInstance();
    GraphicsEngine* graphics = engine ? engine->GetGraphicsEngine() : nullptr;
    if (SpriteDrawer* drawer = graphics ? graphics->GetSpriteDrawer() : nullptr)
        Render(*drawer);
}

void ParticleSystemInstance::Render(SpriteDrawer& aDrawer)
{
    if (!myIsAlive || !myParticleSystem)
        return;
    mySharedData.myCustomShader = &mySpriteShader;
    GraphicsStateStack* stack = GraphicsStateStack::GetActive();
    if (!stack)
        return;
    stack->Push();
    stack->SetBlendState(myParticleSystem->blendState < BLEND_STATE_COUNT ? myParticleSystem->blendState
                                                                          : BLEND_STATE_ALPHA_BLEND);
    stack->SetAlphaTestThreshold(myParticleSystem->alphaTestThreshold);
    stack->SetDepthStencilState(myParticleSystem->depthStencilState < DEPTH_STENCIL_STATE_COUNT
                                    ? myParticleSystem->depthStencilState
                                    : DEPTH_STENCIL_STATE_READ_ONLY_LESS_OR_EQUAL);
    {
        // Dead sprites are skipped by the drawer: one call for the whole pool.
        SpriteBatchScope batch = aDrawer.BeginBatch(mySharedData);
        batch.Draw(mySpriteInstances.data(), mySpriteInstances.size());
    }
    stack->Pop();
}
}
