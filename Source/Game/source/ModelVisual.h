#pragma once
#include "math/Matrix4x4.h"

namespace Qel
{
struct SceneModel;
template <class T>
class CopyOnWriteWrapper;
}

// A drawn model bound to its per-mesh render settings. The transform is always kept, with or
// without a model: objects read their position from it, so a model that is missing (or a run
// without a GPU) still leaves every object where the level put it.
//
// Until model instances are wired in, a visual has no model: it keeps its transform, reports no
// meshes and draws nothing. The model helpers replace the storage here and the bodies in
// ModelVisual.cpp; the tile map and the objects only use the operations below.
struct ModelVisual
{
    Qel::Matrix4x4 myTransform;

    const Qel::Matrix4x4& GetTransform() const { return myTransform; }
    void SetTransform(const Qel::Matrix4x4& aTransform) { myTransform = aTransform; }
    Qel::Vector3f GetPosition() const { return myTransform.GetTranslation(); }
    void SetPosition(const Qel::Vector3f& aPosition) { myTransform.SetTranslation(aPosition); }

    bool HasModel() const;
    int GetMeshCount() const;
};

// Draws mesh aMeshIndex (or every mesh for -1); nothing without a model.
void RenderModelInstance(ModelVisual& aVisual, int aMeshIndex, bool aPushState);

// Fills the visual from a scene model property. The transform is stored even when the model
// does not load.
void SetupModelInstance(ModelVisual& aVisual, const Qel::CopyOnWriteWrapper<Qel::SceneModel>& aModel,
                        const Qel::Matrix4x4& aTransform);
