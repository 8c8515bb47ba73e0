#pragma once
// A drawn model bound to the per-mesh render settings of its scene property: the shader, blend
// and depth-stencil state of each of its (at most four) meshes. The transform is always kept,
// with or without a model: objects read their position from it, so a model that is missing (or
// a run without a GPU) still leaves every object where the level put it.
#include "core/Types.h"
#include "math/Matrix4x4.h"
#include "math/Vector.h"
#include "model/ModelInstance.h"

namespace Qel
{
class ModelShader;
struct MeshBounds;
struct SceneModel;
template <class T>
class CopyOnWriteWrapper;
}

inline constexpr int MODEL_VISUAL_MESHES = 4;

struct ModelVisual
{
    Qel::ModelInstance myInstance;
    Qel::ModelShader* myShaders[MODEL_VISUAL_MESHES] = {};
    Qel::u32 myBlendStates[MODEL_VISUAL_MESHES] = {};
    Qel::u32 myDepthStencilStates[MODEL_VISUAL_MESHES] = {};

    const Qel::Matrix4x4& GetTransform() const { return myInstance.myTransform; }
    void SetTransform(const Qel::Matrix4x4& aTransform) { myInstance.SetTransform(aTransform); }
    Qel::Vector3f GetPosition() const { return myInstance.myTransform.GetTranslation(); }
    void SetPosition(const Qel::Vector3f& aPosition) { myInstance.myTransform.SetTranslation(aPosition); }

    bool HasModel() const { return myInstance.myModel != nullptr; }
    // The model's meshes, at most four.
    int GetMeshCount() const;
};

// Fills a visual from a scene's model value: the transform always; then, when the model loads
// (a file found under the asset roots, or the built-in "Cube" or "Plane"), the model, the
// texture overrides of each mesh (slot 0 as colour, the others linear), its shaders and its
// blend and depth-stencil states. A model that does not load leaves the rest as it was.
void SetupModelInstance(ModelVisual& aVisual, const Qel::SceneModel& aModel, const Qel::Matrix4x4& aTransform);
void SetupModelInstance(ModelVisual& aVisual, const Qel::CopyOnWriteWrapper<Qel::SceneModel>& aModel,
                        const Qel::Matrix4x4& aTransform);

// Draws mesh aMeshIndex (or every mesh for -1) that the current camera can see, each with its
// own states (pushed and popped around it when aPushState); nothing without a model.
void RenderModelInstance(ModelVisual& aVisual, int aMeshIndex, bool aPushState);

// The view test of one mesh: its bounding circle, scaled by the transform's size, as a square
// around the transformed centre, against the camera's view rectangle (strict).
bool IsMeshInView(const Qel::Matrix4x4& aTransform, const Qel::MeshBounds& aBounds, const Qel::Vector2f& aViewCentre,
                  const Qel::Vector2f& aViewSize);
// The transform's size: the length of its first three rows taken together.
float TransformScale(const Qel::Matrix4x4& aTransform);
