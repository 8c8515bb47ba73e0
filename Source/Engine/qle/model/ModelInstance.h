#pragma once
// What an object draws: a shared model, the object's own copy of the texture table and a world
// transform. The animated kind also holds the 128-matrix bone palette of its current pose. Both are
// plain values; copies share the model. An instance without a model is neither drawn nor posed.
#include "model/Model.h"

#include <memory>

namespace Qel
{
class AnimationPlayer;
class ModelShader;

class ModelInstance
{
public:
    // Takes the model and copies its sixteen texture pointers.
    void SetModel(const std::shared_ptr<Model>& aModel);
    void SetTransform(const Matrix4x4& aTransform) { myTransform = aTransform; }
    // Asserts that the mesh index is below the mesh count; draws nothing without a model.
    void RenderMesh(ModelShader& aShader, int aMeshIndex);

    const std::shared_ptr<Model>& GetModel() const { return myModel; }
    const Matrix4x4& GetTransform() const { return myTransform; }

    std::shared_ptr<Model> myModel;
    Model::TextureTable myTextures{};
    Matrix4x4 myTransform;
};

class AnimatedModelInstance
{
public:
    AnimatedModelInstance() = default;
    ~AnimatedModelInstance() = default;

    void SetModel(const std::shared_ptr<Model>& aModel);
    void SetTransform(const Matrix4x4& aTransform) { myTransform = aTransform; }
    void RenderMesh(ModelShader& aShader, int aMeshIndex);
    // Rebuilds the bone palette from the pose; nothing happens without a model.
    void SetPose(const Pose& aPose);
    void ApplyAnimationPlayer(const AnimationPlayer& aPlayer);

    const std::shared_ptr<Model>& GetModel() const { return myModel; }
    const Matrix4x4& GetTransform() const { return myTransform; }
    const Matrix4x4* GetBones() const { return myBones.data(); }

    Matrix4x4 myTransform;
    std::shared_ptr<Model> myModel;
    Model::TextureTable myTextures{};
    std::array<Matrix4x4, MAX_ANIMATION_BONES> myBones{};
};
}
