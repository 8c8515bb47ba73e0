#pragma once
// The FBX importer: turns an FBX file into plain records (triangle meshes split by material with the
// 180-byte model vertex, materials, the skeleton with inverse bind matrices, skin influences, sockets
// and LOD groups), and samples animation clips once per frame. A layer of our own over Assimp: every
// file is first read and checked by FbxStructure, which refuses what Assimp would crash on and gives
// the node classes, material slots, LOD thresholds and time mode Assimp loses.
//
// Conventions: units are converted to centimetres (geometry, node and bind translations, clip keys);
// axes are kept as the file has them; v is flipped once (v = 1 - v). Matrices are 16 floats; a
// joint's matrix is in the "FBX rows transposed" layout (translation in elements 3, 7, 11), frame
// and socket matrices in FBX rows (translation in 12, 13, 14).
//
// File-level failures return false and leave a message in GetLastImporterError; content errors throw
// nested std::runtime_errors. Main thread only.
#include <array>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace QelFbx
{
using ImportedMatrix = std::array<float, 16>;
ImportedMatrix IdentityMatrix();

struct ImportedVertex
{
    float myPosition[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    float myColors[4][4] = {};
    float myUVs[4][2] = {};
    float myNormal[3] = {};
    float myTangent[3] = {};
    float myBinormal[3] = {};
    uint32_t myBones[4] = {};
    float myWeights[4] = {};
};
static_assert(sizeof(ImportedVertex) == 180);

struct ImportedMesh
{
    std::vector<ImportedVertex> myVertices;
    std::vector<uint32_t> myIndices;
    uint32_t myMaterialIndex = 0;
    std::string myName;
};

struct ImportedTextureName
{
    std::string myFileName;
    std::string myRelativeFileName;
};

struct ImportedMaterial
{
    enum Channel
    {
        AMBIENT,
        BUMP,
        DIFFUSE,
        DISPLACEMENT_COLOR,
        EMISSIVE,
        NORMAL_MAP,
        REFLECTION,
        SPECULAR,
        TRANSPARENT_COLOR,
        VECTOR_DISPLACEMENT_COLOR,
        SHININESS,
        CHANNEL_COUNT,
    };
    std::string myName;
    std::array<ImportedTextureName, CHANNEL_COUNT> myChannels;
};

struct ImportedJoint
{
    ImportedMatrix myMatrix = IdentityMatrix();
    int32_t myParent = -1;
    std::string myFullName;
    std::string myName;
    std::vector<uint32_t> myChildren;
};

struct ImportedSocket
{
    ImportedMatrix myMatrix = IdentityMatrix();
    int32_t myParent = -1;
    std::string myNodeName;
    std::string myName;
};

struct ImportedSkeleton
{
    std::string myName;
    std::vector<ImportedJoint> myJoints;
    std::unordered_map<std::string, ImportedSocket> mySockets;
    std::unordered_map<std::string, uint32_t> myJointIndexByName;
};

struct ImportedLodLevel
{
    float myThreshold = 0.0f;
    std::vector<ImportedMesh> myMeshes;
};

struct ImportedModel
{
    ImportedSkeleton mySkeleton;
    std::vector<ImportedMesh> myMeshes;
    std::vector<ImportedMaterial> myMaterials;
    std::vector<std::vector<ImportedLodLevel>> myLodGroups;
    std::string myPath;
};

struct ImportedFrame
{
    std::unordered_map<std::string, ImportedMatrix> myGlobalTransforms;
    std::unordered_map<std::string, ImportedMatrix> myLocalTransforms;
    std::unordered_map<std::string, int> myEvents;
    std::unordered_map<std::string, ImportedMatrix> mySocketTransforms;
};

struct ImportedAnimation
{
    std::vector<ImportedFrame> myFrames;
    uint32_t myFrameCount = 0;
    double myDuration = 0.0;
    float myFrameRate = 0.0f;
    std::string myPath;
};

// Longest clip accepted, in frames (a corrupt take span must not allocate without bound).
inline constexpr uint32_t MAX_ANIMATION_FRAMES = 100000;

void InitImporter();
void UninitImporter();
bool IsImporterInitialized();
bool LoadFbxModel(const std::string& aPath, ImportedModel& aOut, bool aRegenerateTangents = false,
                  bool aMergeDuplicateVertices = true);
bool LoadFbxAnimation(const std::string& aPath, ImportedAnimation& aOut);
const std::string& GetLastImporterError();

// The merge hash of a vertex (exposed for tests).
uint64_t HashVertex(const ImportedVertex& aVertex);
// The joint name without its namespace (after the last ':').
std::string ShortName(const std::string& aName);
// The text of a nested exception chain, outermost first, joined with ": ".
std::string DescribeException(const std::exception& aException);
}
