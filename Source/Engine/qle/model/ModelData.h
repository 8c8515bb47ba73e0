#pragma once
// The records a model is made of: the 180-byte vertex the model shaders read, meshes with their GPU
// buffers and CPU copies, joint transforms, poses and the skeleton. Poses and bone palettes are
// fixed arrays of MAX_ANIMATION_BONES; whatever builds them checks joint counts first.
#include "core/Types.h"
#include "graphics/GLObjects.h"
#include "math/Matrix4x4.h"
#include "math/Quaternion.h"
#include "math/Vector.h"

#include <array>
#include <cstddef>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace Qel
{
class Texture;

inline constexpr u32 MAX_ANIMATION_BONES = 128;
inline constexpr u32 MAX_MESHES_PER_MODEL = 4;
inline constexpr u32 MODEL_TEXTURE_SLOTS = 4;

struct ModelVertex
{
    float myPosition[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    float myColors[4][4] = {};
    float myUVs[4][2] = {};
    float myNormal[3] = {};
    float myTangent[3] = {};
    float myBinormal[3] = {};
    float myBones[4] = {};
    float myWeights[4] = {};
};
static_assert(sizeof(ModelVertex) == 180);
static_assert(offsetof(ModelVertex, myPosition) == 0);
static_assert(offsetof(ModelVertex, myColors) == 16);
static_assert(offsetof(ModelVertex, myColors[1]) == 32);
static_assert(offsetof(ModelVertex, myColors[3]) == 64);
static_assert(offsetof(ModelVertex, myUVs) == 80);
static_assert(offsetof(ModelVertex, myUVs[3]) == 104);
static_assert(offsetof(ModelVertex, myNormal) == 112);
static_assert(offsetof(ModelVertex, myTangent) == 124);
static_assert(offsetof(ModelVertex, myBinormal) == 136);
static_assert(offsetof(ModelVertex, myBones) == 148);
static_assert(offsetof(ModelVertex, myWeights) == 164);

struct MeshBounds
{
    float myRadius = 0.0f;
    float myHalfExtents[3] = {};
    float myCenter[3] = {};
};
static_assert(sizeof(MeshBounds) == 28);

// Copies of a mesh share its GPU buffers; the last copy to go deletes them (while the context lives).
using SharedBuffer = std::shared_ptr<impl::gl::Buffer>;

struct MeshData
{
    std::string myName;
    std::string myMaterialName;
    u32 myVertexCount = 0;
    u32 myIndexCount = 0;
    u32 myStride = sizeof(ModelVertex);
    u32 myOffset = 0;
    SharedBuffer myVertexBuffer;
    SharedBuffer myIndexBuffer;
    MeshBounds myBounds;
    std::vector<ModelVertex> myVertices;
    std::vector<u32> myIndices;
};

struct JointTransform
{
    Vector3f myTranslation{0.0f, 0.0f, 0.0f};
    Quaternion myRotation;
    Vector3f myScale{1.0f, 1.0f, 1.0f};
};
static_assert(sizeof(JointTransform) == 40);

struct Pose
{
    std::array<JointTransform, MAX_ANIMATION_BONES> myJoints{};
    u64 myCount = 0;
};
static_assert(sizeof(Pose) == 5128);

struct JointPalette
{
    std::array<Matrix4x4, MAX_ANIMATION_BONES> myMatrices{};
    u64 myCount = 0;
};

struct Joint
{
    Matrix4x4 myInverseBind;
    i32 myParent = -1;
    std::vector<u32> myChildren;
    std::string myName;
};

struct Skeleton
{
    Pose myBindPose;
    std::vector<Joint> Joints;
    std::unordered_map<std::string, u32> myJointNameMap;
    std::vector<std::string> myJointNames;
};

// Local matrix of a pose record (row vectors): scale, then rotation, then translation.
Matrix4x4 ToMatrix(const JointTransform& aTransform);
}
