#include "model/ModelInstance.h"

#include "core/Assert.h"
#include "graphics/ModelShader.h"
#include "model/AnimationPlayer.h"

namespace Qel
{
void ModelInstance::SetModel(const std::shared_ptr<Model>& aModel)
{
    myModel = aModel;
    myTextures = aModel ? aModel->myTextures : Model::TextureTable{};
}

void ModelInstance::RenderMesh(ModelShader& aShader, int aMeshIndex)
{
    if (!myModel)
        return;
    const std::vector<MeshData>& meshData = myModel->myMeshData;
    QEL_ASSERT_TEXT(aMeshIndex >= 0 && static_cast<size_t>(aMeshIndex) < meshData.size(),
                    "aMeshIndex < meshData.size()");
    aShader.Render(myTextures[aMeshIndex].data(), meshData[aMeshIndex], myTransform, nullptr);
}

void AnimatedModelInstance::SetModel(const std::shared_ptr<Model>& aModel)
{
    myModel = aModel;
    myTextures = aModel ? aModel->myTextures : Model::TextureTable{};
}

void AnimatedModelInstance::RenderMesh(ModelShader& aShader, int aMeshIndex)
{
    if (!myModel)
        return;
    const std::vector<MeshData>& meshData = myModel->myMeshData;
    QEL_ASSERT_TEXT(aMeshIndex >= 0 && static_cast<size_t>(aMeshIndex) < meshData.size(),
                    "aMeshIndex < meshData.size()");
    aShader.Render(myTextures[aMeshIndex].data(), meshData[aMeshIndex], myTransform, myBones.data());
}

void AnimatedModelInstance::SetPose(const Pose& aPose)
{
    if (!myModel)
        return;
    JointPalette scratch;   // 128 identities, on the stack: posing allocates nothing
    myModel->ComputeJointTransforms(aPose, scratch);
    myModel->ComputeFinalBoneMatrices(scratch, myBones.data());
}

void AnimatedModelInstance::ApplyAnimationPlayer(const AnimationPlayer& aPlayer) { SetPose(aPlayer.myPose); }
}
