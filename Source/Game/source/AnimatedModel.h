#pragma once
// A skinned model bound to the per-mesh render settings of its scene property; enemies, the
// goal, ziplines, the fan and the effects draw through it. As with ModelVisual, the transform
// is kept with or without a model.
#include "ModelVisual.h"

#include "model/ModelInstance.h"

struct AnimatedModel
{
    Qel::AnimatedModelInstance myInstance;
    Qel::ModelShader* myShaders[MODEL_VISUAL_MESHES] = {};
    Qel::u32 myBlendStates[MODEL_VISUAL_MESHES] = {};
    Qel::u32 myDepthStencilStates[MODEL_VISUAL_MESHES] = {};

    const Qel::Matrix4x4& GetTransform() const { return myInstance.myTransform; }
    void SetTransform(const Qel::Matrix4x4& aTransform) { myInstance.SetTransform(aTransform); }
    Qel::Vector3f GetPosition() const { return myInstance.myTransform.GetTranslation(); }
    bool HasModel() const { return myInstance.myModel != nullptr; }
    int GetMeshCount() const;

    // As SetupModelInstance, with an animated instance (set only for a model with a skeleton)
    // and the animated shaders.
    static void Load(AnimatedModel& aModel, const Qel::SceneModel& aSceneModel, const Qel::Matrix4x4& aTransform);
    // Every mesh the camera can see, each with its states pushed and popped around it.
    static void Render(AnimatedModel& aModel);
    // A mesh's bind-pose bounds moved and widened by where the current pose carries its joints.
    static Qel::MeshBounds PosedBounds(const Qel::AnimatedModelInstance& aInstance, const Qel::MeshBounds& aBounds);
};
