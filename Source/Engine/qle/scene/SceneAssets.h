#pragma once
#include "core/Types.h"
#include "math/Vector.h"
#include "stringRegistry/StringId.h"

#include <nlohmann/json_fwd.hpp>

#include <memory>
#include <string>
#include <vector>

namespace Qel
{
class Model;
class Animation;
class ParticleSystem;

// Asset references held in properties. They only name assets (relative paths; the empty id
// means none); loading belongs to the model factory, the particle cache and the definition
// registry, reached through the resolver hooks below.

inline constexpr u32 SCENE_MODEL_MESH_COUNT = 4;
inline constexpr u32 SCENE_TEXTURE_SLOT_COUNT = 4; // 0 colour, 1 normal, 2 material, 3 effects

struct SceneModel
{
    StringId myPath;
    StringId myTextures[SCENE_MODEL_MESH_COUNT][SCENE_TEXTURE_SLOT_COUNT];
    StringId myVertexShader[SCENE_MODEL_MESH_COUNT];
    StringId myFragmentShader[SCENE_MODEL_MESH_COUNT];
    // Blend-state index per mesh: 0 Disabled, 1 AlphaBlend, 2 AdditiveBlend.
    i32 myBlendState[SCENE_MODEL_MESH_COUNT] = {1, 0, 0, 0};
    // Depth-stencil index per mesh: 0 WriteLess, 1 WriteLessOrEqual, 2 ReadOnlyLess, 3 ReadOnlyLessOrEqual.
    i32 myDepthStencilState[SCENE_MODEL_MESH_COUNT] = {0, 0, 0, 0};

    bool operator==(const SceneModel&) const = default;

    // The loaded model, or null while no model layer is installed or the path is empty.
    std::shared_ptr<Model> Resolve() const;
};

struct SceneSprite
{
    StringId myTextures[SCENE_TEXTURE_SLOT_COUNT];
    Vector2<float> mySize{100.0f, 100.0f};
    Vector2<float> myPivot{0.5f, 0.5f};

    bool operator==(const SceneSprite&) const = default;
};

struct SceneReference
{
    StringId myPath;
    bool operator==(const SceneReference&) const = default;
};

struct AnimationClipReference
{
    StringId myPath;
    bool operator==(const AnimationClipReference&) const = default;

    // The loaded clip, or null while no model layer is installed or the path is empty.
    std::shared_ptr<Animation> Resolve() const;
};

struct ParticleSystemReference
{
    StringId myPath;
    bool operator==(const ParticleSystemReference&) const = default;

    // The loaded particle system, or null while no particle layer is installed or the path is empty.
    ParticleSystem* Resolve() const;
};

struct ObjectReference
{
    StringId myPath;
    bool operator==(const ObjectReference&) const = default;
};

// Installed by the layers that load the assets (model factory, particle cache). Each function
// gets a non-empty path. Until one is set, the matching Resolve returns null.
struct SceneAssetResolvers
{
    std::shared_ptr<Model> (*myResolveModel)(StringId aPath) = nullptr;
    std::shared_ptr<Animation> (*myResolveAnimationClip)(StringId aPath) = nullptr;
    ParticleSystem* (*myResolveParticleSystem)(StringId aPath) = nullptr;
    // For the model editor: fills the model's mesh names (its mesh count is their number);
    // false when the model cannot be loaded.
    bool (*myGetModelMeshNames)(StringId aPath, std::vector<std::string>& aOutNames) = nullptr;
};
SceneAssetResolvers& GetSceneAssetResolvers();

// JSON forms inside a property's "value". Readers start from the default record and throw
// (nlohmann or ContentError) on a value of the wrong shape.
void ReadSceneModelJson(SceneModel& aModel, const nlohmann::json& aValue);
void WriteSceneModelJson(const SceneModel& aModel, nlohmann::json& aOut);
void ReadSceneSpriteJson(SceneSprite& aSprite, const nlohmann::json& aValue);
void WriteSceneSpriteJson(const SceneSprite& aSprite, nlohmann::json& aOut);
// The path references: aKey is "scene_path", "clip_path", "particleSystemPath" or "path".
void ReadPathReferenceJson(StringId& aPath, const nlohmann::json& aValue, const char* aKey);
void WritePathReferenceJson(StringId aPath, nlohmann::json& aOut, const char* aKey);
}
