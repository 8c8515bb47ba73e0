#include "ModelVisual.h"

bool ModelVisual::HasModel() const
{
    return false;
}

int ModelVisual::GetMeshCount() const
{
    return 0;
}

void RenderModelInstance(ModelVisual& aVisual, int aMeshIndex, bool aPushState)
{
    (void)aVisual;
    (void)aMeshIndex;
    (void)aPushState;
}

void SetupModelInstance(ModelVisual& aVisual, const Qel::CopyOnWriteWrapper<Qel::SceneModel>& aModel,
                        const Qel::Matrix4x4& aTransform)
{
    (void)aModel;
    aVisual.SetTransform(aTransform);
}
