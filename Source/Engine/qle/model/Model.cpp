#include "model/Model.h"

#include "core/Assert.h"

namespace Qel
{
Matrix4x4 ToMatrix(const JointTransform& aTransform)
{
    const Quaternion& q = aTransform.myRotation;
    const float w = q.w, x = q.x, y = q.y, z = q.z;
    const Vector3f& s = aTransform.myScale;
    const Vector3f& t = aTransform.myTranslation;
    // diag(s) x R, written out, with the translation in the fourth row.
    Matrix4x4 m;
    m(1, 1) = s.x * (1 - 2 * (y * y + z * z)), m(1, 2) = s.x * 2 * (x * y + w * z), m(1, 3) = s.x * 2 * (x * z - w * y);
    m(2, 1) = s.y * 2 * (x * y - w * z), m(2, 2) = s.y * (1 - 2 * (x * x + z * z)), m(2, 3) = s.y * 2 * (y * z + w * x);
    m(3, 1) = s.z * 2 * (x * z + w * y), m(3, 2) = s.z * 2 * (y * z - w * x), m(3, 3) = s.z * (1 - 2 * (x * x + y * y));
    m(4, 1) = t.x, m(4, 2) = t.y, m(4, 3) = t.z;
    return m;
}

void Model::Init(const std::vector<MeshData>& someMeshData, const std::string& aName)
{
    QEL_ASSERT_TEXT(someMeshData.size() <= MAX_MESHES_PER_MODEL, "someMeshData.size() <= MAX_MESHES_PER_MODEL");
    myMeshData = someMeshData;
    myName = aName;
}

void Model::AddMesh(const MeshData& aMesh, const std::string& aName)
{
    myMeshData.push_back(aMesh);
    myName = aName;
}

void Model::ComputeJointTransforms(const Pose& aPose, JointPalette& aPalette) const
{
    const std::vector<Joint>& joints = mySkeleton.Joints;
    const u32 count = static_cast<u32>(joints.size() < MAX_ANIMATION_BONES ? joints.size() : MAX_ANIMATION_BONES);
    // Explicit stack: every joint is pushed at most once, so 128 entries always suffice.
    std::array<u32, MAX_ANIMATION_BONES> stack;
    std::array<bool, MAX_ANIMATION_BONES> visited{};
    for (u32 root = 0; root < count; ++root)
    {
        if (joints[root].myParent >= 0 && static_cast<u32>(joints[root].myParent) < count)
            continue;
        u32 top = 0;
        stack[top++] = root;
        aPalette.myMatrices[root] = ToMatrix(aPose.myJoints[root]);
        visited[root] = true;
        while (top > 0)
        {
            const u32 j = stack[--top];
            const std::vector<u32>& children = joints[j].myChildren;
            // Pushed in reverse so they are visited in list order.
            for (size_t c = children.size(); c-- > 0;)
            {
                const u32 child = children[c];
                if (child >= count || visited[child] || top >= MAX_ANIMATION_BONES)
                    continue;
                visited[child] = true;
                aPalette.myMatrices[child] = ToMatrix(aPose.myJoints[child]) * aPalette.myMatrices[j];
                stack[top++] = child;
            }
        }
    }
    aPalette.myCount = aPose.myCount;
}

void Model::ComputeFinalBoneMatrices(const JointPalette& aModelSpace, Matrix4x4* aBones) const
{
    const size_t count = mySkeleton.Joints.size() < MAX_ANIMATION_BONES ? mySkeleton.Joints.size() : MAX_ANIMATION_BONES;
    for (size_t j = 0; j < count; ++j)
        aBones[j] = mySkeleton.Joints[j].myInverseBind * aModelSpace.myMatrices[j];
}
}
