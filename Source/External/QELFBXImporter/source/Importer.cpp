#include "Importer.h"

#include "FbxStructure.h"

#include <assimp/Importer.hpp>
#include <assimp/config.h>
#include <assimp/material.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <exception>
#include <filesystem>
#include <stdexcept>

namespace QelFbx
{
namespace
{
constexpr const char* HELPER_MARK = "_$AssimpFbx$_";

struct ImporterState
{
    bool myInitialized = false;
};

ImporterState& State()
{
    static ImporterState state;
    return state;
}

std::string& LastError()
{
    static std::string text;
    return text;
}

[[noreturn]] void Throw(const std::string& aText) { std::throw_with_nested(std::runtime_error(aText)); }

bool EndsWith(const std::string& aText, const char* aSuffix)
{
    const size_t length = std::strlen(aSuffix);
    return aText.size() >= length && aText.compare(aText.size() - length, length, aSuffix) == 0;
}

// ---- the real node tree ------------------------------------------------------------------
// Assimp expands an FBX node with pivots, offsets or geometric transforms into a chain of helper
// nodes named "<node>_$AssimpFbx$_<part>". The tree below has one entry per FBX node: the helper
// chain above a node is folded into its local transform, the geometric parts kept aside (they
// apply to the node's own meshes only and are never inherited).

struct RealNode
{
    const aiNode* myNode = nullptr;
    std::string myName;
    int myParent = -1;
    std::vector<int> myChildren;
    std::vector<const aiNode*> myChain;       // pre-chain helpers, top to bottom, without geometric ones
    std::vector<const aiNode*> myGeometric;   // GeometricTranslation, -Rotation, -Scaling
};

struct NodeTree
{
    std::vector<RealNode> myNodes;   // 0 is the scene root
    std::unordered_map<std::string, int> myByName;

    void Build(const aiNode* aRoot)
    {
        myNodes.clear();
        myByName.clear();
        RealNode root;
        root.myNode = aRoot;
        root.myName = aRoot->mName.C_Str();
        myNodes.push_back(root);
        for (unsigned i = 0; i < aRoot->mNumChildren; ++i)
            Visit(aRoot->mChildren[i], 0, {});
    }

    void Visit(const aiNode* aNode, int aParent, std::vector<const aiNode*> aPending)
    {
        const std::string name = aNode->mName.C_Str();
        if (name.find(HELPER_MARK) != std::string::npos)
        {
            aPending.push_back(aNode);
            for (unsigned i = 0; i < aNode->mNumChildren; ++i)
                Visit(aNode->mChildren[i], aParent, aPending);
            return;
        }
        const int index = static_cast<int>(myNodes.size());
        RealNode real;
        real.myNode = aNode;
        real.myName = name;
        real.myParent = aParent;
        const std::string prefix = name + HELPER_MARK;
        for (const aiNode* helper : aPending)
        {
            const std::string helperName = helper->mName.C_Str();
            if (helperName.compare(0, prefix.size(), prefix) != 0)
                continue;
            const std::string part = helperName.substr(prefix.size());
            if (part.compare(0, 9, "Geometric") == 0)
            {
                if (!EndsWith(part, "Inverse"))
                    real.myGeometric.push_back(helper);
            }
            else
                real.myChain.push_back(helper);
        }
        myNodes.push_back(real);
        myNodes[static_cast<size_t>(aParent)].myChildren.push_back(index);
        myByName.try_emplace(name, index);
        for (unsigned i = 0; i < aNode->mNumChildren; ++i)
            Visit(aNode->mChildren[i], index, {});
    }
};

// ---- matrices ----------------------------------------------------------------------------

void ScaleTranslation(aiMatrix4x4& aMatrix, float aScale)
{
    aMatrix.a4 *= aScale;
    aMatrix.b4 *= aScale;
    aMatrix.c4 *= aScale;
}

// Assimp's column-vector matrix element by element (a1..d4): the "FBX rows transposed" layout.
ImportedMatrix Copy(const aiMatrix4x4& m)
{
    return {m.a1, m.a2, m.a3, m.a4, m.b1, m.b2, m.b3, m.b4, m.c1, m.c2, m.c3, m.c4, m.d1, m.d2, m.d3, m.d4};
}

// FBX rows: translation in the fourth row.
ImportedMatrix Rows(const aiMatrix4x4& m)
{
    return {m.a1, m.b1, m.c1, m.d1, m.a2, m.b2, m.c2, m.d2, m.a3, m.b3, m.c3, m.d3, m.a4, m.b4, m.c4, m.d4};
}

using ChannelMap = std::unordered_map<std::string, const aiNodeAnim*>;

template <typename Key>
size_t FindKey(const Key* aKeys, unsigned aCount, double aTime)
{
    // The last key at or before the time (keys are sorted).
    size_t low = 0, high = aCount;
    while (high - low > 1)
    {
        const size_t middle = (low + high) / 2;
        if (aKeys[middle].mTime <= aTime)
            low = middle;
        else
            high = middle;
    }
    return low;
}

aiVector3D SampleVector(const aiVectorKey* aKeys, unsigned aCount, double aTime, const aiVector3D& aDefault)
{
    if (aCount == 0)
        return aDefault;
    if (aCount == 1 || aTime <= aKeys[0].mTime)
        return aKeys[0].mValue;
    if (aTime >= aKeys[aCount - 1].mTime)
        return aKeys[aCount - 1].mValue;
    const size_t k = FindKey(aKeys, aCount, aTime);
    const double span = aKeys[k + 1].mTime - aKeys[k].mTime;
    const float t = span > 0.0 ? static_cast<float>((aTime - aKeys[k].mTime) / span) : 0.0f;
    return aKeys[k].mValue + (aKeys[k + 1].mValue - aKeys[k].mValue) * t;
}

aiQuaternion SampleRotation(const aiQuatKey* aKeys, unsigned aCount, double aTime, const aiQuaternion& aDefault)
{
    if (aCount == 0)
        return aDefault;
    if (aCount == 1 || aTime <= aKeys[0].mTime)
        return aKeys[0].mValue;
    if (aTime >= aKeys[aCount - 1].mTime)
        return aKeys[aCount - 1].mValue;
    const size_t k = FindKey(aKeys, aCount, aTime);
    const double span = aKeys[k + 1].mTime - aKeys[k].mTime;
    const float t = span > 0.0 ? static_cast<float>((aTime - aKeys[k].mTime) / span) : 0.0f;
    aiQuaternion out;
    aiQuaternion::Interpolate(out, aKeys[k].mValue, aKeys[k + 1].mValue, t);
    return out.Normalize();
}

// A node's transform at a time: its channel when it has one, else its static transform.
aiMatrix4x4 Evaluate(const aiNode* aNode, const ChannelMap* aChannels, double aTicks)
{
    if (aChannels)
        if (const auto it = aChannels->find(aNode->mName.C_Str()); it != aChannels->end())
        {
            aiVector3D scaling, position;
            aiQuaternion rotation;
            aNode->mTransformation.Decompose(scaling, rotation, position);
            const aiNodeAnim* channel = it->second;
            return aiMatrix4x4(SampleVector(channel->mScalingKeys, channel->mNumScalingKeys, aTicks, scaling),
                               SampleRotation(channel->mRotationKeys, channel->mNumRotationKeys, aTicks, rotation),
                               SampleVector(channel->mPositionKeys, channel->mNumPositionKeys, aTicks, position));
        }
    return aNode->mTransformation;
}

aiMatrix4x4 LocalTransform(const RealNode& aNode, const ChannelMap* aChannels, double aTicks, float aScale)
{
    aiMatrix4x4 local;
    // A channel named after the node already holds the whole local transform (pre- and
    // post-rotation folded in); otherwise the chain's parts are animated one by one.
    const bool simple = aChannels && aChannels->count(aNode.myName) > 0;
    if (!simple)
        for (const aiNode* helper : aNode.myChain)
            local = local * Evaluate(helper, aChannels, aTicks);
    local = local * Evaluate(aNode.myNode, aChannels, aTicks);
    ScaleTranslation(local, aScale);
    return local;
}

aiMatrix4x4 GlobalTransform(const NodeTree& aTree, int aIndex, const ChannelMap* aChannels, double aTicks, float aScale)
{
    aiMatrix4x4 global;
    for (int i = aIndex; i > 0; i = aTree.myNodes[static_cast<size_t>(i)].myParent)
        global = LocalTransform(aTree.myNodes[static_cast<size_t>(i)], aChannels, aTicks, aScale) * global;
    return global;
}

aiMatrix4x4 GeometryTransform(const RealNode& aNode, float aScale)
{
    aiMatrix4x4 geometry;
    for (const aiNode* helper : aNode.myGeometric)
        geometry = geometry * helper->mTransformation;
    ScaleTranslation(geometry, aScale);
    return geometry;
}

// ---- skeleton walk -----------------------------------------------------------------------

struct WalkResult
{
    std::vector<int> myJointNodes;               // node of each joint
    std::vector<std::pair<std::string, int>> myEvents;    // name, node
    std::vector<std::pair<int, int>> mySockets;  // node, parent joint
};

void Walk(const NodeTree& aTree, const FileInfo& aInfo, int aIndex, int aParent, ImportedSkeleton& aSkeleton,
          WalkResult& aResult)
{
    const RealNode& node = aTree.myNodes[static_cast<size_t>(aIndex)];
    const auto kind = aInfo.myClassByName.find(node.myName);
    const std::string className = kind == aInfo.myClassByName.end() ? std::string() : kind->second;
    int childParent = aParent;
    if (IsJointClass(className))
    {
        ImportedJoint joint;
        joint.myParent = aParent;
        joint.myFullName = node.myName;
        joint.myName = ShortName(node.myName);
        if (aSkeleton.myJointIndexByName.count(joint.myName))
            Throw("Found more than one bone with the same name [" + node.myName + "]!");
        const uint32_t index = static_cast<uint32_t>(aSkeleton.myJoints.size());
        aSkeleton.myJointIndexByName[joint.myName] = index;
        if (aParent >= 0)
            aSkeleton.myJoints[static_cast<size_t>(aParent)].myChildren.push_back(index);
        aSkeleton.myJoints.push_back(std::move(joint));
        aResult.myJointNodes.push_back(aIndex);
        childParent = static_cast<int>(index);
    }
    else if (className == "Null")
    {
        if (EndsWith(node.myName, "_evt") || EndsWith(node.myName, "_event"))
            aResult.myEvents.emplace_back(node.myName, aIndex);
        else if (EndsWith(node.myName, "_skt") || EndsWith(node.myName, "_socket"))
            aResult.mySockets.emplace_back(aIndex, aParent);
    }
    for (int child : node.myChildren)
        Walk(aTree, aInfo, child, childParent, aSkeleton, aResult);
}

void WalkSkeleton(const NodeTree& aTree, const FileInfo& aInfo, ImportedSkeleton& aSkeleton, WalkResult& aResult)
{
    for (int child : aTree.myNodes[0].myChildren)
        Walk(aTree, aInfo, child, -1, aSkeleton, aResult);
}

std::string SkeletonName(const ImportedSkeleton& aSkeleton, const std::string& aPath)
{
    const std::string& first = aSkeleton.myJoints.front().myFullName;
    const size_t colon = first.find(':');
    if (colon != std::string::npos)
        return first.substr(0, colon);
    std::string path = aPath;
    std::replace(path.begin(), path.end(), '/', '\\');
    const size_t slash = path.find_last_of('\\');
    if (slash != std::string::npos)
        path = path.substr(slash + 1);
    if (path.size() >= 4)
        path.resize(path.size() - 4);
    return path;
}

// ---- meshes ------------------------------------------------------------------------------

bool SameVertex(const ImportedVertex& a, const ImportedVertex& b)
{
    // Value comparison, so 0.0 and -0.0 are the same as they are for the hash.
    const float* fa = reinterpret_cast<const float*>(&a);
    const float* fb = reinterpret_cast<const float*>(&b);
    for (size_t i = 0; i < 37; ++i)
        if (i != 3 && fa[i] != fb[i])
            return false;
    return std::memcmp(a.myBones, b.myBones, sizeof a.myBones) == 0 &&
           std::memcmp(a.myWeights, b.myWeights, sizeof a.myWeights) == 0 &&
           a.myPosition[3] == b.myPosition[3];
}

struct MeshContext
{
    const aiScene* myScene = nullptr;
    const FileInfo* myInfo = nullptr;
    ImportedSkeleton* mySkeleton = nullptr;
    std::unordered_map<std::string, uint32_t> myMaterialIndexByName;
    float myScale = 1.0f;
    bool myMerge = true;
};

std::string MaterialName(const aiScene* aScene, unsigned aIndex)
{
    if (aIndex >= aScene->mNumMaterials)
        return std::string();
    aiString name;
    aScene->mMaterials[aIndex]->Get(AI_MATKEY_NAME, name);
    return name.C_Str();
}

void LoadNodeMeshes(MeshContext& aContext, const RealNode& aNode, std::vector<ImportedMesh>& aOut)
{
    const aiScene* scene = aContext.myScene;
    const aiMatrix4x4 geometry = GeometryTransform(aNode, aContext.myScale);
    // The node's meshes in material-slot order (Assimp gives them in order of first use).
    std::vector<const aiMesh*> meshes;
    for (unsigned i = 0; i < aNode.myNode->mNumMeshes; ++i)
        if (aNode.myNode->mMeshes[i] < scene->mNumMeshes)
            meshes.push_back(scene->mMeshes[aNode.myNode->mMeshes[i]]);
    const auto slots = aContext.myInfo->myMaterialsByModel.find(aNode.myName);
    auto slotOf = [&](const aiMesh* aMesh) {
        if (slots == aContext.myInfo->myMaterialsByModel.end())
            return size_t{0};
        const std::string name = MaterialName(scene, aMesh->mMaterialIndex);
        const auto it = std::find(slots->second.begin(), slots->second.end(), name);
        return static_cast<size_t>(it - slots->second.begin());
    };
    std::stable_sort(meshes.begin(), meshes.end(),
                     [&](const aiMesh* a, const aiMesh* b) { return slotOf(a) < slotOf(b); });

    for (const aiMesh* mesh : meshes)
    {
        ImportedMesh out;
        out.myName = aNode.myName;
        const auto material = aContext.myMaterialIndexByName.find(MaterialName(scene, mesh->mMaterialIndex));
        out.myMaterialIndex = material == aContext.myMaterialIndexByName.end() ? 0 : material->second;

        // Influences per vertex: the first four in cluster order, unsorted.
        std::vector<std::array<std::pair<uint32_t, float>, 4>> influences(mesh->mNumVertices);
        std::vector<uint8_t> influenceCounts(mesh->mNumVertices, 0);
        for (unsigned b = 0; b < mesh->mNumBones; ++b)
        {
            const aiBone* bone = mesh->mBones[b];
            const auto joint = aContext.mySkeleton->myJointIndexByName.find(ShortName(bone->mName.C_Str()));
            if (joint == aContext.mySkeleton->myJointIndexByName.end())
                continue;   // a cluster on a node that is not a joint
            aiMatrix4x4 offset = bone->mOffsetMatrix;
            ScaleTranslation(offset, aContext.myScale);
            aContext.mySkeleton->myJoints[joint->second].myMatrix = Copy(offset * geometry);
            for (unsigned w = 0; w < bone->mNumWeights; ++w)
            {
                const aiVertexWeight& weight = bone->mWeights[w];
                if (weight.mVertexId >= mesh->mNumVertices || influenceCounts[weight.mVertexId] >= 4)
                    continue;
                influences[weight.mVertexId][influenceCounts[weight.mVertexId]++] = {joint->second, weight.mWeight};
            }
        }

        std::unordered_map<uint64_t, uint32_t> seen;
        for (unsigned f = 0; f < mesh->mNumFaces; ++f)
        {
            const aiFace& face = mesh->mFaces[f];
            if (face.mNumIndices != 3)
                continue;   // points and lines
            for (unsigned corner = 0; corner < 3; ++corner)
            {
                const unsigned v = face.mIndices[corner];
                if (v >= mesh->mNumVertices)
                    continue;
                ImportedVertex vertex;
                const aiVector3D& p = mesh->mVertices[v];
                vertex.myPosition[0] = p.x * aContext.myScale;
                vertex.myPosition[1] = p.y * aContext.myScale;
                vertex.myPosition[2] = p.z * aContext.myScale;
                vertex.myPosition[3] = 1.0f;
                for (unsigned set = 0; set < 4; ++set)
                {
                    if (mesh->mColors[set])
                    {
                        const aiColor4D& c = mesh->mColors[set][v];
                        vertex.myColors[set][0] = c.r, vertex.myColors[set][1] = c.g;
                        vertex.myColors[set][2] = c.b, vertex.myColors[set][3] = c.a;
                    }
                    if (mesh->mTextureCoords[set])
                    {
                        vertex.myUVs[set][0] = mesh->mTextureCoords[set][v].x;
                        vertex.myUVs[set][1] = 1.0f - mesh->mTextureCoords[set][v].y;
                    }
                }
                auto copy3 = [](float* aTo, const aiVector3D* aFrom, unsigned aIndex) {
                    if (aFrom)
                        aTo[0] = aFrom[aIndex].x, aTo[1] = aFrom[aIndex].y, aTo[2] = aFrom[aIndex].z;
                };
                copy3(vertex.myNormal, mesh->mNormals, v);
                copy3(vertex.myTangent, mesh->mTangents, v);
                copy3(vertex.myBinormal, mesh->mBitangents, v);
                for (uint8_t k = 0; k < influenceCounts[v]; ++k)
                {
                    vertex.myBones[k] = influences[v][k].first;
                    vertex.myWeights[k] = influences[v][k].second;
                }
                if (!aContext.myMerge)
                {
                    out.myIndices.push_back(static_cast<uint32_t>(out.myVertices.size()));
                    out.myVertices.push_back(vertex);
                    continue;
                }
                const uint64_t hash = HashVertex(vertex);
                const auto [it, added] = seen.try_emplace(hash, static_cast<uint32_t>(out.myVertices.size()));
                if (!added && SameVertex(out.myVertices[it->second], vertex))
                {
                    out.myIndices.push_back(it->second);
                    continue;
                }
                // New, or a different vertex whose hash collides: kept apart.
                out.myIndices.push_back(static_cast<uint32_t>(out.myVertices.size()));
                out.myVertices.push_back(vertex);
            }
        }
        if (!out.myVertices.empty())
            aOut.push_back(std::move(out));
    }
}

void CheckUVsAndTangents(const aiScene* aScene, const RealNode& aNode)
{
    for (unsigned i = 0; i < aNode.myNode->mNumMeshes; ++i)
    {
        if (aNode.myNode->mMeshes[i] >= aScene->mNumMeshes)
            continue;
        const aiMesh* mesh = aScene->mMeshes[aNode.myNode->mMeshes[i]];
        if (!mesh->mTextureCoords[0])
            Throw("Cannot load FBX file! No UV layers are present in the file.");
        if (!mesh->mTangents || !mesh->mBitangents)
            Throw("Failed to generate Tangent/BiNormal data for the mesh " + aNode.myName + "! FBX Error was: " +
                  (mesh->mNormals ? "the tangent space could not be computed" : "the mesh has no normals"));
    }
}

void CollectMeshNodes(const NodeTree& aTree, const FileInfo& aInfo, int aIndex, std::vector<int>& aMeshNodes,
                      std::vector<int>& aLodNodes, bool aCollectLods)
{
    const RealNode& node = aTree.myNodes[static_cast<size_t>(aIndex)];
    if (node.myNode->mNumMeshes > 0)
        aMeshNodes.push_back(aIndex);
    const auto kind = aInfo.myClassByName.find(node.myName);
    const bool isLod = kind != aInfo.myClassByName.end() && kind->second == "LodGroup";
    if (isLod && aCollectLods)
        aLodNodes.push_back(aIndex);
    for (int child : node.myChildren)
        CollectMeshNodes(aTree, aInfo, child, aMeshNodes, aLodNodes, aCollectLods && !isLod);
}

void CollectBelow(const NodeTree& aTree, int aIndex, std::vector<int>& aOut)
{
    for (int child : aTree.myNodes[static_cast<size_t>(aIndex)].myChildren)
    {
        if (aTree.myNodes[static_cast<size_t>(child)].myNode->mNumMeshes > 0)
            aOut.push_back(child);
        CollectBelow(aTree, child, aOut);
    }
}

struct Prepared
{
    FileInfo myInfo;
    Assimp::Importer myImporter;
    const aiScene* myScene = nullptr;
    NodeTree myTree;
};

// Steps shared by models and clips: the file must exist, the importer be initialised and the
// structure check pass before Assimp reads it.
bool Prepare(const std::string& aPath, const char* aNoImporterText, Prepared& aPrepared)
{
    if (aPath.empty() || !std::filesystem::exists(aPath))
    {
        LastError() = "FBX File not found! (" + aPath + ")";
        return false;
    }
    if (!State().myInitialized)
    {
        LastError() = aNoImporterText;
        return false;
    }
    std::string error;
    if (!ReadStructureFile(aPath, aPrepared.myInfo, error))
    {
        LastError() = "Failed to initialize the FBX Importer! Error was: " + error + ".";
        return false;
    }
    return true;
}

void Configure(Assimp::Importer& aImporter, bool aAnimations)
{
    aImporter.SetPropertyBool(AI_CONFIG_IMPORT_FBX_PRESERVE_PIVOTS, true);
    aImporter.SetPropertyBool(AI_CONFIG_IMPORT_FBX_READ_CAMERAS, false);
    aImporter.SetPropertyBool(AI_CONFIG_IMPORT_FBX_READ_LIGHTS, false);
    aImporter.SetPropertyBool(AI_CONFIG_IMPORT_FBX_READ_TEXTURES, false);
    aImporter.SetPropertyBool(AI_CONFIG_IMPORT_FBX_READ_ANIMATIONS, aAnimations);
}
}

ImportedMatrix IdentityMatrix() { return {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}; }

std::string ShortName(const std::string& aName)
{
    const size_t colon = aName.find_last_of(':');
    return colon == std::string::npos ? aName : aName.substr(colon + 1);
}

std::string DescribeException(const std::exception& aException)
{
    std::string text = aException.what();
    // A nested exception thrown while nothing was being handled holds nothing to rethrow.
    const auto* nested = dynamic_cast<const std::nested_exception*>(&aException);
    if (!nested || !nested->nested_ptr())
        return text;
    try
    {
        nested->rethrow_nested();
    }
    catch (const std::exception& inner)
    {
        text += ": " + DescribeException(inner);
    }
    catch (...)
    {
    }
    return text;
}

uint64_t HashVertex(const ImportedVertex& aVertex)
{
    uint64_t seed = 0;
    auto combine = [&seed](uint32_t aBits) {
        uint64_t hash = 0xcbf29ce484222325ull;
        for (int i = 0; i < 4; ++i)
        {
            hash ^= (aBits >> (8 * i)) & 0xffu;
            hash *= 0x100000001b3ull;
        }
        seed ^= hash + 0x9e3779b9ull + (seed << 6) + (seed >> 2);
    };
    auto addFloat = [&combine](float aValue) {
        uint32_t bits = 0;
        if (aValue != 0.0f)
            std::memcpy(&bits, &aValue, 4);
        combine(bits);
    };
    for (int i = 0; i < 3; ++i)
        addFloat(aVertex.myPosition[i]);
    for (const auto& color : aVertex.myColors)
        for (float c : color)
            addFloat(c);
    for (const auto& uv : aVertex.myUVs)
        for (float c : uv)
            addFloat(c);
    for (float c : aVertex.myNormal)
        addFloat(c);
    for (float c : aVertex.myTangent)
        addFloat(c);
    for (float c : aVertex.myBinormal)
        addFloat(c);
    for (uint32_t bone : aVertex.myBones)
        combine(bone);
    for (float w : aVertex.myWeights)
        addFloat(w);
    return seed;
}

void InitImporter() { State().myInitialized = true; }

void UninitImporter() { State().myInitialized = false; }

bool IsImporterInitialized() { return State().myInitialized; }

const std::string& GetLastImporterError() { return LastError(); }

bool LoadFbxModel(const std::string& aPath, ImportedModel& aOut, bool /*aRegenerateTangents*/,
                  bool aMergeDuplicateVertices)
{
    Prepared prepared;
    if (!Prepare(aPath, "Failed to create the FBX Importer! Did you call InitImporter()?", prepared))
        return false;
    Configure(prepared.myImporter, false);
    // Tangents are generated only where a mesh has none.
    prepared.myScene = prepared.myImporter.ReadFile(aPath, aiProcess_Triangulate | aiProcess_CalcTangentSpace);
    if (!prepared.myScene || !prepared.myScene->mRootNode)
    {
        LastError() = "Failed to import the FBX file " + aPath + ": " + prepared.myImporter.GetErrorString();
        return false;
    }
    const aiScene* scene = prepared.myScene;
    const FileInfo& info = prepared.myInfo;
    NodeTree& tree = prepared.myTree;
    tree.Build(scene->mRootNode);

    MeshContext context;
    context.myScene = scene;
    context.myInfo = &info;
    context.myScale = static_cast<float>(info.myUnitScaleFactor);
    context.myMerge = aMergeDuplicateVertices;

    // Materials in the file's order.
    std::vector<ImportedMaterial> materials;
    for (const std::string& name : info.myMaterials)
    {
        if (context.myMaterialIndexByName.count(name))
            continue;
        context.myMaterialIndexByName[name] = static_cast<uint32_t>(materials.size());
        ImportedMaterial material;
        material.myName = name;
        for (unsigned i = 0; i < scene->mNumMaterials; ++i)
        {
            if (MaterialName(scene, i) != name)
                continue;
            const aiTextureType types[ImportedMaterial::CHANNEL_COUNT] = {
                aiTextureType_AMBIENT,    aiTextureType_HEIGHT,   aiTextureType_DIFFUSE,  aiTextureType_DISPLACEMENT,
                aiTextureType_EMISSIVE,   aiTextureType_NORMALS,  aiTextureType_REFLECTION, aiTextureType_SPECULAR,
                aiTextureType_OPACITY,    aiTextureType_UNKNOWN,  aiTextureType_SHININESS};
            for (int channel = 0; channel < ImportedMaterial::CHANNEL_COUNT; ++channel)
            {
                aiString path;
                if (channel != ImportedMaterial::VECTOR_DISPLACEMENT_COLOR &&
                    scene->mMaterials[i]->GetTexture(types[channel], 0, &path) == AI_SUCCESS)
                    material.myChannels[static_cast<size_t>(channel)] = {path.C_Str(), path.C_Str()};
            }
            break;
        }
        materials.push_back(std::move(material));
    }

    std::vector<int> meshNodes, lodNodes;
    for (int child : tree.myNodes[0].myChildren)
        CollectMeshNodes(tree, info, child, meshNodes, lodNodes, true);
    for (int node : meshNodes)
        CheckUVsAndTangents(scene, tree.myNodes[static_cast<size_t>(node)]);

    ImportedSkeleton skeleton;
    WalkResult walk;
    WalkSkeleton(tree, info, skeleton, walk);
    context.mySkeleton = &skeleton;
    if (!skeleton.myJoints.empty())
        skeleton.myName = SkeletonName(skeleton, aPath);
    for (const auto& [node, parent] : walk.mySockets)
    {
        ImportedSocket socket;
        socket.myMatrix = Rows(GlobalTransform(tree, node, nullptr, 0.0, context.myScale));
        socket.myParent = parent;
        socket.myNodeName = tree.myNodes[static_cast<size_t>(node)].myName;
        socket.myName = socket.myNodeName;
        skeleton.mySockets[socket.myName] = socket;
    }

    std::vector<std::vector<ImportedLodLevel>> lodGroups;
    for (int lod : lodNodes)
    {
        const RealNode& group = tree.myNodes[static_cast<size_t>(lod)];
        const auto thresholds = info.myLodThresholds.find(group.myName);
        std::vector<ImportedLodLevel> levels;
        for (size_t c = 0; c < group.myChildren.size(); ++c)
        {
            ImportedLodLevel level;
            if (c > 0 && thresholds != info.myLodThresholds.end() && c - 1 < thresholds->second.size())
                level.myThreshold = thresholds->second[c - 1];
            std::vector<int> below;
            CollectBelow(tree, group.myChildren[c], below);
            for (int node : below)
            {
                const auto it = std::find(meshNodes.begin(), meshNodes.end(), node);
                if (it == meshNodes.end())
                    continue;
                meshNodes.erase(it);
                LoadNodeMeshes(context, tree.myNodes[static_cast<size_t>(node)], level.myMeshes);
            }
            levels.push_back(std::move(level));
        }
        lodGroups.push_back(std::move(levels));
    }

    std::vector<ImportedMesh> meshes;
    for (int node : meshNodes)
        LoadNodeMeshes(context, tree.myNodes[static_cast<size_t>(node)], meshes);

    if (!meshes.empty() || !lodGroups.empty())
    {
        aOut.myPath = aPath;
        aOut.myMeshes = std::move(meshes);
        aOut.myLodGroups = std::move(lodGroups);
        aOut.mySkeleton = std::move(skeleton);
        aOut.myMaterials = std::move(materials);
    }
    return true;
}

bool LoadFbxAnimation(const std::string& aPath, ImportedAnimation& aOut)
{
    Prepared prepared;
    if (!Prepare(aPath, "Failed to create the FBX Importer! Error was: ", prepared))
        return false;
    Configure(prepared.myImporter, true);
    prepared.myScene = prepared.myImporter.ReadFile(aPath, 0);
    if (!prepared.myScene || !prepared.myScene->mRootNode)
        Throw(std::string("Failed to import the animation. ") + prepared.myImporter.GetErrorString());
    const aiScene* scene = prepared.myScene;
    const FileInfo& info = prepared.myInfo;
    NodeTree& tree = prepared.myTree;
    tree.Build(scene->mRootNode);
    const float scale = static_cast<float>(info.myUnitScaleFactor);

    ImportedSkeleton skeleton;
    WalkResult walk;
    WalkSkeleton(tree, info, skeleton, walk);
    if (skeleton.myJoints.empty())
        Throw("The file [" + aPath + "] has no skeleton!");
    if (scene->mNumAnimations == 0 && info.myStacks.empty())
        Throw("The file [" + aPath + "] has no animation stack!");

    const aiAnimation* animation = scene->mNumAnimations > 0 ? scene->mAnimations[0] : nullptr;
    ChannelMap channels;
    if (animation)
        for (unsigned c = 0; c < animation->mNumChannels; ++c)
            channels.try_emplace(animation->mChannels[c]->mNodeName.C_Str(), animation->mChannels[c]);
    const double ticksPerSecond = animation && animation->mTicksPerSecond > 0.0 ? animation->mTicksPerSecond : 1.0;
    const double fps = FrameRateOfTimeMode(info.myTimeMode, info.myCustomFrameRate);
    double start = 0.0, stop = 0.0;
    if (!info.myStacks.empty())
    {
        start = static_cast<double>(info.myStacks[0].myLocalStart) / static_cast<double>(KTIME_PER_SECOND);
        stop = static_cast<double>(info.myStacks[0].myLocalStop) / static_cast<double>(KTIME_PER_SECOND);
    }
    if (start == 0.0 && stop == 0.0 && animation)
        stop = animation->mDuration / ticksPerSecond;
    if (!(stop >= start) || !std::isfinite(stop) || !std::isfinite(start))
        Throw("Failed to import the animation. The take of [" + aPath + "] ends before it starts");
    // Frame numbers: the tiny bias keeps exact frame times from rounding down a frame.
    const double startFrame = std::floor(start * fps + 1e-6);
    const double stopFrame = std::floor(stop * fps + 1e-6);
    if (stopFrame - startFrame + 1.0 > MAX_ANIMATION_FRAMES)
        Throw("Failed to import the animation. The take of [" + aPath + "] is too long");
    const uint32_t frameCount = static_cast<uint32_t>(stopFrame - startFrame) + 1;

    aOut.myPath = aPath;
    aOut.myFrameCount = frameCount;
    aOut.myDuration = stop - start;
    aOut.myFrameRate = static_cast<float>(fps);
    aOut.myFrames.assign(frameCount, ImportedFrame());
    const ChannelMap* channelMap = animation ? &channels : nullptr;
    for (uint32_t f = 0; f < frameCount; ++f)
    {
        const double seconds = (startFrame + f) / fps;
        const double ticks = (seconds - start) * ticksPerSecond;
        ImportedFrame& frame = aOut.myFrames[f];
        for (size_t j = 0; j < walk.myJointNodes.size(); ++j)
        {
            const int node = walk.myJointNodes[j];
            const std::string& name = skeleton.myJoints[j].myName;
            frame.myLocalTransforms[name] =
                Rows(LocalTransform(tree.myNodes[static_cast<size_t>(node)], channelMap, ticks, scale));
            frame.myGlobalTransforms[name] = Rows(GlobalTransform(tree, node, channelMap, ticks, scale));
        }
        for (const auto& [node, parent] : walk.mySockets)
            frame.mySocketTransforms[tree.myNodes[static_cast<size_t>(node)].myName] =
                Rows(GlobalTransform(tree, node, channelMap, ticks, scale));
        for (const auto& [name, node] : walk.myEvents)
        {
            const aiMatrix4x4 local = LocalTransform(tree.myNodes[static_cast<size_t>(node)], channelMap, ticks, scale);
            // Fires while the event node is moved away from its parent.
            if (local.a4 * local.a4 + local.b4 * local.b4 + local.c4 * local.c4 > 0.0f)
                frame.myEvents[name] = 1;
        }
    }
    return true;
}
}
