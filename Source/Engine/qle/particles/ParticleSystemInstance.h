#pragma once
// One running emitter of a particle system: a fixed pool of particles sized at Init, one 3D sprite
// per particle, drawn in one batch through the sprite drawer with the emitter's own sprite shader.
// Update and Render allocate nothing. Plain value: copies carry the pool (the shared data is
// pointed back at the copy's own shader on its next Render).
#include "drawers/SpriteDrawer.h"
#include "graphics/SpriteShader.h"
#include "math/Matrix4x4.h"
#include "math/PerlinNoise.h"
#include "particles/ParticleSystem.h"

#include <span>
#include <vector>

namespace Qel
{
class TextureManager;

inline constexpr const char* PARTICLE_DEFAULT_VS = "shaders/instanced_sprite_shader_VS";
inline constexpr const char* PARTICLE_DEFAULT_PS = "shaders/model_shader_vertex_color_textured_PS";
inline constexpr float PARTICLE_WARMUP_STEP = 1.0f / 30.0f;

struct Particle
{
    Matrix4x4 myTransform;
    Vector3f myPreviousPosition{0.0f, 0.0f, 0.0f};
    Vector3f myVelocity{0.0f, 0.0f, 0.0f};
    Vector3f myAcceleration{0.0f, 0.0f, 0.0f};
    Vector3f myAngularVelocity{0.0f, 0.0f, 0.0f};       // degrees per second
    Vector3f myAngularAcceleration{0.0f, 0.0f, 0.0f};   // degrees per second squared
    float myLifetime = 0.0f;
    float myAge = 0.0f;
    float myScale = 0.0f;
    bool myIsRotating = true;
};

class ParticleSystemInstance
{
public:
    // With a null system only the transform is kept and the instance stays not alive. The texture
    // comes from aTextures (the engine's texture manager when null).
    void Init(ParticleSystem* aSystem, const Matrix4x4& aTransform, TextureManager* aTextures = nullptr);
    void Update(float aDeltaTime);
    // Through the engine's sprite drawer, or the given one.
    void Render();
    void Render(SpriteDrawer& aDrawer);

    bool IsAlive() const { return myIsAlive; }
    bool IsRunning() const;
    ParticleSystem* GetSystemData() const { return myParticleSystem; }
    std::span<Particle> GetParticles() { return myParticles; }
    std::span<const Particle> GetParticles() const { return myParticles; }
    Matrix4x4& GetTransform() { return myTransform; }
    const std::vector<Sprite3DInstanceData>& GetSprites() const { return mySpriteInstances; }
    bool IsDead(size_t aIndex) const { return aIndex >= myIsDead.size() || myIsDead[aIndex] != 0; }
    size_t GetLiveCount() const;

    void SpawnParticle(int aIndex);
    void UpdateFrame(int aIndex);

private:
    Vector3f ConeDirection(const Vector3f& aDirection, float aSpreadDegrees) const;
    Vector3f TurbulenceAt(const Vector3f& aPosition) const;

    SpriteShader mySpriteShader;
    SpriteSharedData mySharedData;
    std::vector<Sprite3DInstanceData> mySpriteInstances;
    // Parallel to the sprites; a dead sprite is also skipped by the drawer.
    std::vector<u8> myIsDead;
    std::vector<Particle> myParticles;
    ParticleSystem* myParticleSystem = nullptr;
    Matrix4x4 myTransform;
    Vector2f myFrameSize{1.0f, 1.0f};
    PerlinNoise myNoise;
    Vector3f myNoiseVelocity{0.0f, 0.0f, 0.0f};
    Vector3f myNoiseOffset{0.0f, 0.0f, 0.0f};
    float myEmissionTime = 0.0f;
    bool myIsAlive = false;
};
}
