#pragma once
// Loaded geometry shared by every object that shows it: up to four meshes, a skeleton of up to 128
// joints and four material textures per mesh. Only the model factory builds models; once cached
// they are not changed.
#include "model/ModelData.h"

#include <string>
#include <vector>

namespace Qel
{
class Model
{
public:
    using TextureTable = std::array<std::array<Texture*, MODEL_TEXTURE_SLOTS>, MAX_MESHES_PER_MODEL>;

    // Asserts that there are at most MAX_MESHES_PER_MODEL meshes (callers check first).
    void Init(const std::vector<MeshData>& someMeshData, const std::string& aName);
    // No check: for the one-mesh built-ins.
    void AddMesh(const MeshData& aMesh, const std::string& aName);

    // Model-space matrix of every joint for the pose, depth first from each root in index order.
    // Joints the walk does not reach keep what the palette held.
    void ComputeJointTransforms(const Pose& aPose, JointPalette& aPalette) const;
    // bones[j] = inverse bind[j] x model space[j] for every joint.
    void ComputeFinalBoneMatrices(const JointPalette& aModelSpace, Matrix4x4* aBones) const;

    Skeleton mySkeleton;
    std::vector<MeshData> myMeshData;
    std::string myName;
    TextureTable myTextures{};
};
}
