#pragma once
// Where models, instances, animations and animation players come from. A model file is imported
// once, its meshes uploaded into immutable GPU buffers, its material textures found by file-name
// suffix, and the result cached under the path as the caller spelled it. Clips are cached per
// (clip path, model). Built-in "Cube" and "Plane". Changed model files reload while the file
// watcher runs (Filewatcher debug feature). One factory per process. Main thread only.
//
// Bad content never ends the game: a file that is missing, not FBX, malformed or over the limits
// (128 joints, 4 meshes) gives an empty model with a message naming the file on standard error.
#include "model/Animation.h"
#include "model/AnimationPlayer.h"
#include "model/Model.h"
#include "model/ModelInstance.h"

#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>

namespace QelFbx
{
struct ImportedModel;
struct ImportedAnimation;
}

namespace Qel
{
class FileWatcher;
class TextureManager;

inline constexpr float BUILT_IN_CUBE_HALF_SIZE = 50.0f;
inline constexpr float BUILT_IN_PLANE_HALF_SIZE = 50.0f;

class ModelFactory
{
public:
    // With the engine's texture manager and file watcher (none without an engine).
    ModelFactory();
    ModelFactory(TextureManager* aTextureManager, FileWatcher* aFileWatcher);
    ~ModelFactory();
    ModelFactory(const ModelFactory&) = delete;
    ModelFactory& operator=(const ModelFactory&) = delete;

    // The process-wide factory, null when there is none.
    static ModelFactory* GetInstance();

    std::shared_ptr<Model> GetModel(const std::string& aFilePath);
    ModelInstance GetModelInstance(const std::string& aFilePath);
    // The model is set only when it has a skeleton.
    AnimatedModelInstance GetAnimatedModelInstance(const std::string& aFilePath);
    // A player in its default state, bound to the clip when it loads for the model.
    AnimationPlayer GetAnimationPlayer(const std::string& aClipPath, const std::shared_ptr<Model>& aModel);

    std::shared_ptr<Model> LoadModel(const std::string& aFilePath);
    std::shared_ptr<Animation> LoadAnimation(const std::string& aResolvedPath, const std::shared_ptr<Model>& aModel);
    // Drops the cached model (and the clips made for it); holders keep theirs.
    void OnModelFileChanged(const std::string& aFilePath);

    bool CreateCube();
    bool CreatePlane();

    void AssignMaterialTextures(const std::string& aModelPath, Model& aModel);
    Texture* FindAlbedoTexture(const std::string& aModelBase, const std::string& aMaterialBase);
    Texture* FindNormalTexture(const std::string& aModelBase, const std::string& aMaterialBase);
    Texture* FindMaterialTexture(const std::string& aModelBase, const std::string& aMaterialBase);
    Texture* FindFxTexture(const std::string& aModelBase, const std::string& aMaterialBase);

    static MeshBounds ComputeBounds(const std::vector<ModelVertex>& someVertices);
    // The imported records as a model (no GPU buffers, no textures); null with aError set when the
    // import is over a limit or inconsistent.
    static std::shared_ptr<Model> BuildModel(const QelFbx::ImportedModel& aImported, const std::string& aName,
                                             std::string& aError);
    static std::shared_ptr<Animation> BuildAnimation(const QelFbx::ImportedAnimation& aImported, const Model& aModel);
    // Uploads a mesh's vertices and indices; false when a buffer cannot be made.
    static bool CreateBuffers(MeshData& aMesh);

    size_t GetModelCacheSize() const { return myModelCache.size(); }
    size_t GetAnimationCacheSize() const { return myAnimationCache.size(); }
    bool IsWatched(const std::string& aFilePath) const { return myWatchedPaths.count(aFilePath) > 0; }

private:
    struct AnimationKey
    {
        std::string myPath;
        std::shared_ptr<Model> myModel;
        bool operator==(const AnimationKey& aOther) const
        {
            return myPath == aOther.myPath && myModel == aOther.myModel;
        }
    };
    struct StringHash
    {
        size_t operator()(const std::string& aText) const;
    };
    struct AnimationKeyHash
    {
        size_t operator()(const AnimationKey& aKey) const;
    };

    Texture* FindTexture(const std::string* someCandidates, size_t aCount, const char* aDefault, u32 aColorMode);

    std::unordered_set<std::string, StringHash> myWatchedPaths;
    std::unordered_map<std::string, std::shared_ptr<Model>, StringHash> myModelCache;
    std::unordered_map<AnimationKey, std::shared_ptr<Animation>, AnimationKeyHash> myAnimationCache;
    TextureManager* myTextureManager = nullptr;
    FileWatcher* myFileWatcher = nullptr;
    // Tells a queued file-change callback whether this factory still exists.
    std::shared_ptr<bool> myAlive;
};

// The process-wide factory, created on first use.
ModelFactory& GetModelFactory();
// Deletes the factory made by GetModelFactory (the engine's shutdown does this first).
void DestroyModelFactory();
}
