#pragma once
// A background (or foreground) layer that slides sideways with the camera by its scale: 1 moves
// with the camera, 0 stays in the world. A model, an emitter, or both.
#include "ModelVisual.h"
#include "particles/ParticleSystemInstance.h"

#include <cstddef>

struct GameContext;
namespace Qel
{
struct PropertyRecord;
}

class Parallax
{
public:
    void Init(const Qel::Matrix4x4& aTransform, const Qel::PropertyRecord* aProperties, std::size_t aCount);
    // Post-init: the place the layer slides from.
    void SetBasePosition();
    // The model's, or the emitter's without a model (depth sorting).
    const Qel::Matrix4x4& GetTransform() const;
    void Update(const GameContext& aContext);
    void Render();

    bool HasModel() const { return myHasModel != 0; }
    const Qel::ParticleSystemInstance& GetEmitter() const { return myEmitter; }
    Qel::Vector3f GetBasePosition() const { return myBasePosition; }
    float GetScale() const { return myScale; }

    ModelVisual myModel;
    Qel::ParticleSystemInstance myEmitter;
    Qel::Vector3f myBasePosition{0.0f, 0.0f, 0.0f};
    float myScale = 1.0f;
    Qel::u8 myHasModel = 0;
};

// The x the world camera stands at (0 before there is one).
float GetWorldCameraX(const GameContext& aContext);
