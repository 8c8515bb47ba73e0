#include "model/ModelFactory.h"

#include "QELFBXImporter/source/Importer.h"
#include "engine/Engine.h"
#include "filewatcher/FileWatcher.h"
#include "graphics/DX11.h"
#include "scene/SceneAssets.h"
#include "settings/Settings.h"
#include "stringRegistry/Fnv1a.h"
#include "texture/TextureManager.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

namespace Qel
{
namespace
{
ModelFactory* ourInstance = nullptr;
ModelFactory* ourOwnedInstance = nullptr;

// Scene properties resolve their model references through the factory while it exists.
std::shared_ptr<Model> ResolveModel(StringId aPath)
{
    return ourInstance ? ourInstance->GetModel(std::string(aPath.GetView())) : nullptr;
}

bool GetModelMeshNames(StringId aPath, std::vector<std::string>& aOutNames)
{
    const std::shared_ptr<Model> model = ResolveModel(aPath);
    if (!model)
        return false;
    aOutNames.clear();
    for (const MeshData& mesh : model->myMeshData)
        aOutNames.push_back(mesh.myName);
    return true;
}

std::wstring Widen(const std::string& aText)
{
    // UTF-8 to UTF-32; a stray byte stands for itself.
    std::wstring out;
    for (size_t i = 0; i < aText.size();)
    {
        const unsigned char c = static_cast<unsigned char>(aText[i]);
        const int length = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        if (length <= 1 || i + static_cast<size_t>(length) > aText.size())
        {
            out += static_cast<wchar_t>(c);
            ++i;
            continue;
        }
        unsigned value = c & (0x7f >> length);
        for (int k = 1; k < length; ++k)
            value = (value << 6) | (static_cast<unsigned char>(aText[i + static_cast<size_t>(k)]) & 0x3f);
        out += static_cast<wchar_t>(value);
        i += static_cast<size_t>(length);
    }
    return out;
}

Matrix4x4 ToMatrix(const QelFbx::ImportedMatrix& aMatrix)
{
    Matrix4x4 m;
    for (u32 i = 0; i < 16; ++i)
        m[i] = aMatrix[i];
    return m;
}

ModelVertex MakeVertex(const QelFbx::ImportedVertex& aIn)
{
    ModelVertex v;
    std::memcpy(v.myPosition, aIn.myPosition, sizeof v.myPosition);
    for (int set = 0; set < 4; ++set)
    {
        const float* c = aIn.myColors[set];
        if (c[0] + c[1] + c[2] + c[3] == 0.0f)
            v.myColors[set][0] = v.myColors[set][1] = v.myColors[set][2] = v.myColors[set][3] = 1.0f;
        else
            std::memcpy(v.myColors[set], c, sizeof v.myColors[set]);
    }
    std::memcpy(v.myUVs, aIn.myUVs, sizeof v.myUVs);
    std::memcpy(v.myNormal, aIn.myNormal, sizeof v.myNormal);
    std::memcpy(v.myTangent, aIn.myTangent, sizeof v.myTangent);
    std::memcpy(v.myBinormal, aIn.myBinormal, sizeof v.myBinormal);
    for (int k = 0; k < 4; ++k)
    {
        v.myBones[k] = static_cast<float>(aIn.myBones[k]);
        v.myWeights[k] = aIn.myWeights[k];
    }
    return v;
}

MeshData MakeBuiltInMesh(std::vector<ModelVertex> someVertices, std::vector<u32> someIndices)
{
    MeshData mesh;
    mesh.myVertexCount = static_cast<u32>(someVertices.size());
    mesh.myIndexCount = static_cast<u32>(someIndices.size());
    mesh.myBounds = ModelFactory::ComputeBounds(someVertices);
    mesh.myVertices = std::move(someVertices);
    mesh.myIndices = std::move(someIndices);
    return mesh;
}

std::string ModelBase(const std::string& aPath)
{
    const size_t dot = aPath.find_last_of('.');
    return dot == std::string::npos ? aPath : aPath.substr(0, dot);
}

std::string Folder(const std::string& aPath)
{
    const size_t slash = aPath.find_last_of("/\\");
    return slash == std::string::npos ? std::string() : aPath.substr(0, slash + 1);
}
}

size_t ModelFactory::StringHash::operator()(const std::string& aText) const
{
    return static_cast<size_t>(Fnv1a64(aText));
}

size_t ModelFactory::AnimationKeyHash::operator()(const AnimationKey& aKey) const
{
    const Model* pointer = aKey.myModel.get();
    char bytes[8] = {};
    const u64 value = reinterpret_cast<uintptr_t>(pointer);
    for (int i = 0; i < 8; ++i)
        bytes[i] = static_cast<char>((value >> (8 * i)) & 0xff);
    return static_cast<size_t>(Fnv1a64(aKey.myPath) * 31 + Fnv1a64(std::string_view(bytes, 8)));
}

ModelFactory::ModelFactory()
    : ModelFactory(Engine::GetInstance() ? Engine::GetInstance()->GetTextureManager() : nullptr,
                   Engine::GetInstance() ? Engine::GetInstance()->GetFileWatcher() : nullptr)
{
}

ModelFactory::ModelFactory(TextureManager* aTextureManager, FileWatcher* aFileWatcher)
    : myTextureManager(aTextureManager), myFileWatcher(aFileWatcher), myAlive(std::make_shared<bool>(true))
{
    QelFbx::InitImporter();
    if (CreateCube())
        CreatePlane();
    ourInstance = this;
    GetSceneAssetResolvers().myResolveModel = &ResolveModel;
    GetSceneAssetResolvers().myGetModelMeshNames = &GetModelMeshNames;
}

ModelFactory::~ModelFactory()
{
    *myAlive = false;
    if (ourInstance == this)
    {
        ourInstance = nullptr;
        GetSceneAssetResolvers().myResolveModel = nullptr;
        GetSceneAssetResolvers().myGetModelMeshNames = nullptr;
    }
    QelFbx::UninitImporter();
    myAnimationCache.clear();
    myModelCache.clear();
    myWatchedPaths.clear();
}

ModelFactory* ModelFactory::GetInstance() { return ourInstance; }

std::shared_ptr<Model> ModelFactory::GetModel(const std::string& aFilePath)
{
    if (const auto it = myModelCache.find(aFilePath); it != myModelCache.end())
        return it->second;
    return LoadModel(aFilePath);
}

ModelInstance ModelFactory::GetModelInstance(const std::string& aFilePath)
{
    ModelInstance instance;
    if (std::shared_ptr<Model> model = GetModel(aFilePath))
        instance.SetModel(model);
    return instance;
}

AnimatedModelInstance ModelFactory::GetAnimatedModelInstance(const std::string& aFilePath)
{
    AnimatedModelInstance instance;
    std::shared_ptr<Model> model = GetModel(aFilePath);
    if (model && !model->mySkeleton.Joints.empty())
        instance.SetModel(model);
    return instance;
}

AnimationPlayer ModelFactory::GetAnimationPlayer(const std::string& aClipPath, const std::shared_ptr<Model>& aModel)
{
    AnimationPlayer player;
    if (!aModel || aClipPath.empty())
        return player;
    const std::string resolved = ResolveAssetPath(aClipPath);
    if (resolved.empty())
    {
        std::fprintf(stderr, "Animation %s: the file is not under any asset root\n", aClipPath.c_str());
        return player;
    }
    if (std::shared_ptr<Animation> animation = LoadAnimation(resolved, aModel))
        if (!player.Bind(animation))
            std::fprintf(stderr, "Animation %s: the clip has no frames or no frame rate\n", resolved.c_str());
    return player;
}

std::shared_ptr<Model> ModelFactory::LoadModel(const std::string& aFilePath)
{
    const std::string resolved = ResolveAssetPath(aFilePath);
    if (resolved.empty())
    {
        std::fprintf(stderr, "Model %s: the file is not under any asset root\n", aFilePath.c_str());
        return nullptr;
    }
    if (myWatchedPaths.insert(aFilePath).second && myFileWatcher)
    {
        std::weak_ptr<bool> alive = myAlive;
        myFileWatcher->WatchFileChange(resolved, [this, alive, aFilePath] {
            if (const std::shared_ptr<bool> isAlive = alive.lock(); isAlive && *isAlive)
                OnModelFileChanged(aFilePath);
        });
    }

    QelFbx::ImportedModel imported;
    try
    {
        if (!QelFbx::LoadFbxModel(resolved, imported, false, true))
        {
            std::fprintf(stderr, "Model %s: %s\n", resolved.c_str(), QelFbx::GetLastImporterError().c_str());
            return nullptr;
        }
    }
    catch (const std::exception& error)
    {
        std::fprintf(stderr, "Model %s: %s\n", resolved.c_str(), QelFbx::DescribeException(error).c_str());
        return nullptr;
    }
    std::string error;
    std::shared_ptr<Model> model = BuildModel(imported, resolved, error);
    if (!model)
    {
        std::fprintf(stderr, "Model %s: %s\n", resolved.c_str(), error.c_str());
        return nullptr;
    }
    for (MeshData& mesh : model->myMeshData)
        if (!CreateBuffers(mesh))
        {
            std::fprintf(stderr, "Model %s: its GPU buffers could not be made\n", resolved.c_str());
            return nullptr;
        }
    // Texture candidates are looked up under the asset roots, so they start from the path as given.
    AssignMaterialTextures(aFilePath, *model);
    myModelCache[aFilePath] = model;
    return model;
}

std::shared_ptr<Model> ModelFactory::BuildModel(const QelFbx::ImportedModel& aImported, const std::string& aName,
                                                std::string& aError)
{
    const std::vector<QelFbx::ImportedJoint>& joints = aImported.mySkeleton.myJoints;
    // Limits first: poses, palettes and the texture table are fixed arrays.
    if (joints.size() > MAX_ANIMATION_BONES)
    {
        aError = "More joints in animation than defined in EngingeDefines (" + std::to_string(joints.size()) +
                 " joints, at most " + std::to_string(MAX_ANIMATION_BONES) + ")";
        return nullptr;
    }
    if (aImported.myMeshes.size() > MAX_MESHES_PER_MODEL)
    {
        aError = std::to_string(aImported.myMeshes.size()) + " meshes (one per node and material), at most " +
                 std::to_string(MAX_MESHES_PER_MODEL) + " are allowed";
        return nullptr;
    }
    auto model = std::make_shared<Model>();
    Skeleton skeleton;
    skeleton.Joints.resize(joints.size());
    for (size_t i = 0; i < joints.size(); ++i)
    {
        const QelFbx::ImportedJoint& in = joints[i];
        Joint& joint = skeleton.Joints[i];
        if (in.myParent >= static_cast<i32>(joints.size()) || in.myParent < -1)
        {
            aError = "joint " + in.myName + " has a parent it does not have";
            return nullptr;
        }
        joint.myInverseBind = ToMatrix(in.myMatrix).GetTranspose();
        JointTransform& bind = skeleton.myBindPose.myJoints[i];
        DecomposeTransform(joint.myInverseBind.GetInverse(), bind.myTranslation, bind.myRotation, bind.myScale);
        joint.myParent = in.myParent;
        for (u32 child : in.myChildren)
            if (child < joints.size())
                joint.myChildren.push_back(child);
        joint.myName = in.myName;
        skeleton.myJointNameMap[in.myName] = static_cast<u32>(i);
        skeleton.myJointNames.push_back(in.myName);
    }
    skeleton.myBindPose.myCount = joints.size();

    std::vector<MeshData> meshes;
    for (const QelFbx::ImportedMesh& in : aImported.myMeshes)
    {
        MeshData mesh;
        mesh.myVertices.reserve(in.myVertices.size());
        for (const QelFbx::ImportedVertex& vertex : in.myVertices)
        {
            for (int k = 0; k < 4; ++k)
                if (vertex.myWeights[k] != 0.0f && vertex.myBones[k] >= joints.size())
                {
                    aError = "mesh " + in.myName + " is skinned to a joint the skeleton does not have";
                    return nullptr;
                }
            mesh.myVertices.push_back(MakeVertex(vertex));
        }
        for (u32 index : in.myIndices)
            if (index >= in.myVertices.size())
            {
                aError = "mesh " + in.myName + " has an index past its vertices";
                return nullptr;
            }
        mesh.myIndices = in.myIndices;
        mesh.myVertexCount = static_cast<u32>(mesh.myVertices.size());
        mesh.myIndexCount = static_cast<u32>(mesh.myIndices.size());
        mesh.myName = in.myName;
        mesh.myMaterialName =
            in.myMaterialIndex < aImported.myMaterials.size() ? aImported.myMaterials[in.myMaterialIndex].myName : "";
        mesh.myBounds = ComputeBounds(mesh.myVertices);
        meshes.push_back(std::move(mesh));
    }
    model->Init(meshes, aName);
    if (!skeleton.Joints.empty())
        model->mySkeleton = std::move(skeleton);
    return model;
}

bool ModelFactory::CreateBuffers(MeshData& aMesh)
{
    if (!DX11::IsContextAlive() || aMesh.myVertices.empty() || aMesh.myIndices.empty())
        return false;
    impl::gl::Buffer vertices = impl::gl::CreateVertexBuffer(aMesh.myVertices.size() * sizeof(ModelVertex),
                                                             aMesh.myVertices.data(), impl::gl::BufferUsage::Static);
    // Made on the array target: binding an element buffer would change the bound vertex array.
    impl::gl::Buffer indices = impl::gl::CreateVertexBuffer(aMesh.myIndices.size() * sizeof(u32),
                                                            aMesh.myIndices.data(), impl::gl::BufferUsage::Static);
    if (!vertices || !indices)
        return false;
    aMesh.myVertexBuffer = std::make_shared<impl::gl::Buffer>(std::move(vertices));
    aMesh.myIndexBuffer = std::make_shared<impl::gl::Buffer>(std::move(indices));
    aMesh.myStride = sizeof(ModelVertex);
    aMesh.myOffset = 0;
    return true;
}

std::shared_ptr<Animation> ModelFactory::LoadAnimation(const std::string& aResolvedPath,
                                                       const std::shared_ptr<Model>& aModel)
{
    if (!aModel)
        return nullptr;
    AnimationKey key{aResolvedPath, aModel};
    if (const auto it = myAnimationCache.find(key); it != myAnimationCache.end())
        return it->second;
    QelFbx::ImportedAnimation imported;
    try
    {
        if (!QelFbx::LoadFbxAnimation(aResolvedPath, imported))
        {
            std::fprintf(stderr, "Animation %s: %s\n", aResolvedPath.c_str(), QelFbx::GetLastImporterError().c_str());
            return nullptr;
        }
    }
    catch (const std::exception& error)
    {
        std::fprintf(stderr, "Animation %s: %s\n", aResolvedPath.c_str(), QelFbx::DescribeException(error).c_str());
        return nullptr;
    }
    std::shared_ptr<Animation> animation = BuildAnimation(imported, *aModel);
    myAnimationCache.emplace(std::move(key), animation);
    return animation;
}

std::shared_ptr<Animation> ModelFactory::BuildAnimation(const QelFbx::ImportedAnimation& aImported, const Model& aModel)
{
    auto animation = std::make_shared<Animation>();
    animation->myFrames.resize(aImported.myFrames.size());
    animation->myFrameCount = aImported.myFrameCount;
    animation->myFrameRate = aImported.myFrameRate;
    animation->myDuration = static_cast<float>(aImported.myDuration);
    animation->myName = Widen(aImported.myPath);
    const Skeleton& skeleton = aModel.mySkeleton;
    const u64 jointCount = skeleton.Joints.size() < MAX_ANIMATION_BONES ? skeleton.Joints.size() : MAX_ANIMATION_BONES;
    for (size_t f = 0; f < aImported.myFrames.size(); ++f)
    {
        Pose& pose = animation->myFrames[f];
        pose.myCount = jointCount;
        for (const auto& [name, matrix] : aImported.myFrames[f].myLocalTransforms)
        {
            const auto joint = skeleton.myJointNameMap.find(name);
            if (joint == skeleton.myJointNameMap.end() || joint->second >= MAX_ANIMATION_BONES)
                continue;
            JointTransform& record = pose.myJoints[joint->second];
            record = JointTransform();
            DecomposeTransform(ToMatrix(matrix), record.myTranslation, record.myRotation, record.myScale);
        }
    }
    return animation;
}

void ModelFactory::OnModelFileChanged(const std::string& aFilePath)
{
    const auto it = myModelCache.find(aFilePath);
    if (it == myModelCache.end())
        return;
    const std::shared_ptr<Model> old = it->second;
    myModelCache.erase(it);
    // The clips made for the old model would keep it (and its buffers) alive for good; players that
    // hold them keep their own references.
    for (auto clip = myAnimationCache.begin(); clip != myAnimationCache.end();)
        clip = clip->first.myModel == old ? myAnimationCache.erase(clip) : std::next(clip);
}

bool ModelFactory::CreateCube()
{
    struct Face
    {
        float myCorners[4][3];
        float myNormal[3], myTangent[3], myBinormal[3], myColor[3];
    };
    const float h = BUILT_IN_CUBE_HALF_SIZE;
    const Face faces[6] = {
        {{{h, -h, h}, {h, h, h}, {-h, h, h}, {-h, -h, h}}, {0, 0, 1}, {1, 0, 0}, {0, -1, 0}, {1, 1, 1}},
        {{{-h, -h, h}, {-h, h, h}, {-h, h, -h}, {-h, -h, -h}}, {-1, 0, 0}, {0, 0, 1}, {0, -1, 0}, {1, 0, 0}},
        {{{-h, -h, -h}, {-h, h, -h}, {h, h, -h}, {h, -h, -h}}, {0, 0, -1}, {1, 0, 0}, {0, -1, 0}, {0, 1, 0}},
        {{{h, -h, -h}, {h, h, -h}, {h, h, h}, {h, -h, h}}, {1, 0, 0}, {0, 0, -1}, {0, -1, 0}, {0, 0, 1}},
        {{{h, h, h}, {h, h, -h}, {-h, h, -h}, {-h, h, h}}, {0, 1, 0}, {1, 0, 0}, {0, 0, 1}, {1, 1, 0}},
        {{{-h, -h, h}, {-h, -h, -h}, {h, -h, -h}, {h, -h, h}}, {0, -1, 0}, {1, 0, 0}, {0, 0, 1}, {1, 0, 1}},
    };
    const float uvs[4][2] = {{0, 1}, {0, 0}, {1, 0}, {1, 1}};
    std::vector<ModelVertex> vertices;
    std::vector<u32> indices;
    for (u32 f = 0; f < 6; ++f)
    {
        for (int k = 0; k < 4; ++k)
        {
            ModelVertex v;
            std::memcpy(v.myPosition, faces[f].myCorners[k], 12);
            v.myPosition[3] = 1.0f;
            std::memcpy(v.myColors[0], faces[f].myColor, 12);
            v.myColors[0][3] = 1.0f;
            v.myUVs[0][0] = uvs[k][0];
            v.myUVs[0][1] = uvs[k][1];
            std::memcpy(v.myNormal, faces[f].myNormal, 12);
            std::memcpy(v.myTangent, faces[f].myTangent, 12);
            std::memcpy(v.myBinormal, faces[f].myBinormal, 12);
            vertices.push_back(v);
        }
        for (u32 i : {0u, 1u, 2u, 0u, 2u, 3u})
            indices.push_back(4 * f + i);
    }
    MeshData mesh = MakeBuiltInMesh(std::move(vertices), std::move(indices));
    if (!CreateBuffers(mesh))
        return false;
    auto model = std::make_shared<Model>();
    model->AddMesh(mesh, "Cube");
    AssignMaterialTextures("", *model);
    myModelCache["Cube"] = model;
    return true;
}

bool ModelFactory::CreatePlane()
{
    const float h = BUILT_IN_PLANE_HALF_SIZE;
    const float corners[4][5] = {{-h, 0, h, 0, 0}, {h, 0, h, 1, 0}, {h, 0, -h, 1, 1}, {-h, 0, -h, 0, 1}};
    std::vector<ModelVertex> vertices;
    for (const auto& corner : corners)
    {
        ModelVertex v;
        v.myPosition[0] = corner[0], v.myPosition[1] = corner[1], v.myPosition[2] = corner[2], v.myPosition[3] = 1;
        v.myColors[0][0] = v.myColors[0][1] = v.myColors[0][2] = v.myColors[0][3] = 1.0f;
        v.myUVs[0][0] = corner[3], v.myUVs[0][1] = corner[4];
        v.myNormal[1] = 1.0f;
        v.myTangent[0] = 1.0f;
        v.myBinormal[2] = 1.0f;
        vertices.push_back(v);
    }
    MeshData mesh = MakeBuiltInMesh(std::move(vertices), {0, 1, 2, 0, 2, 3});
    if (!CreateBuffers(mesh))
        return false;
    auto model = std::make_shared<Model>();
    model->AddMesh(mesh, "Plane");
    AssignMaterialTextures("", *model);
    myModelCache["Plane"] = model;
    return true;
}

void ModelFactory::AssignMaterialTextures(const std::string& aModelPath, Model& aModel)
{
    const std::string modelBase = ModelBase(aModelPath);
    const std::string folder = Folder(aModelPath);
    for (size_t i = 0; i < aModel.myMeshData.size() && i < MAX_MESHES_PER_MODEL; ++i)
    {
        const std::string materialBase = folder + aModel.myMeshData[i].myMaterialName;
        aModel.myTextures[i][0] = FindAlbedoTexture(modelBase, materialBase);
        aModel.myTextures[i][1] = FindNormalTexture(modelBase, materialBase);
        aModel.myTextures[i][2] = FindMaterialTexture(modelBase, materialBase);
        aModel.myTextures[i][3] = FindFxTexture(modelBase, materialBase);
    }
}

Texture* ModelFactory::FindTexture(const std::string* someCandidates, size_t aCount, const char* aDefault,
                                   u32 aColorMode)
{
    if (!myTextureManager)
        return nullptr;
    for (size_t i = 0; i < aCount; ++i)
        if (Texture* texture = myTextureManager->TryLoadTexture(someCandidates[i], aColorMode))
            return texture;
    return myTextureManager->GetTexture(aDefault, aColorMode);
}

Texture* ModelFactory::FindAlbedoTexture(const std::string& aModelBase, const std::string& aMaterialBase)
{
    const std::string candidates[] = {aMaterialBase + "_C.dds", aMaterialBase + "_D.dds", aModelBase + "_C.dds",
                                      aModelBase + "_D.dds"};
    return FindTexture(candidates, 4, "Textures/T_Default_c.dds", TEXTURE_COLOR_MODE_FORCE_SRGB);
}

Texture* ModelFactory::FindNormalTexture(const std::string& aModelBase, const std::string& aMaterialBase)
{
    const std::string candidates[] = {aMaterialBase + "_N.dds", aModelBase + "_N.dds"};
    return FindTexture(candidates, 2, "Textures/T_Default_n.dds", TEXTURE_COLOR_MODE_IGNORE_SRGB);
}

Texture* ModelFactory::FindMaterialTexture(const std::string& aModelBase, const std::string& aMaterialBase)
{
    const std::string candidates[] = {aMaterialBase + "_M.dds", aModelBase + "_M.dds"};
    return FindTexture(candidates, 2, "Textures/T_Default_m.dds", TEXTURE_COLOR_MODE_IGNORE_SRGB);
}

Texture* ModelFactory::FindFxTexture(const std::string& aModelBase, const std::string& aMaterialBase)
{
    const std::string candidates[] = {aMaterialBase + "_FX.dds", aModelBase + "_FX.dds"};
    return FindTexture(candidates, 2, "Textures/T_Default_fx.dds", TEXTURE_COLOR_MODE_IGNORE_SRGB);
}

MeshBounds ModelFactory::ComputeBounds(const std::vector<ModelVertex>& someVertices)
{
    float minimum[3], maximum[3];
    for (int axis = 0; axis < 3; ++axis)
    {
        minimum[axis] = std::numeric_limits<float>::max();
        maximum[axis] = -std::numeric_limits<float>::max();
    }
    for (const ModelVertex& v : someVertices)
        for (int axis = 0; axis < 3; ++axis)
        {
            minimum[axis] = std::min(minimum[axis], v.myPosition[axis]);
            maximum[axis] = std::max(maximum[axis], v.myPosition[axis]);
        }
    MeshBounds bounds;
    for (int axis = 0; axis < 3; ++axis)
    {
        bounds.myHalfExtents[axis] = (maximum[axis] - minimum[axis]) * 0.5f;
        bounds.myCenter[axis] = (maximum[axis] + minimum[axis]) * 0.5f;
    }
    const float* e = bounds.myHalfExtents;
    bounds.myRadius = std::fabs(std::sqrt(e[0] * e[0] + e[1] * e[1] + e[2] * e[2]));
    return bounds;
}

ModelFactory& GetModelFactory()
{
    if (!ourInstance)
        ourOwnedInstance = new ModelFactory();
    return *ourInstance;
}

void DestroyModelFactory()
{
    delete ourOwnedInstance;
    ourOwnedInstance = nullptr;
}
}
