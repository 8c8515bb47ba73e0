#include "scene/SceneAssets.h"

#include "scene/JsonRead.h"

#include <nlohmann/json.hpp>

#include <string>

namespace Qel
{
namespace
{
using Json = nlohmann::json;
using namespace json_read;

Json PathText(StringId aPath)
{
    return std::string(aPath.GetView());
}

// The lists inside a model must be arrays: iterating an object's values or a lone value
// would silently accept a different shape.
const Json& RequireArray(const Json& aValue, const char* aKey)
{
    if (!aValue.is_array())
    {
        throw ContentError(std::string("\"") + aKey + "\" must be an array, but is " + aValue.type_name());
    }
    return aValue;
}

Vector2<float> ReadPair(const Json& aValue, const char* aKey)
{
    return InKey(aKey, [&] {
        return Vector2<float>(ToFloat(Element(aValue, 0, 2)), ToFloat(Element(aValue, 1, 2)));
    });
}
}

SceneAssetResolvers& GetSceneAssetResolvers()
{
    static SceneAssetResolvers resolvers;
    return resolvers;
}

std::shared_ptr<Model> SceneModel::Resolve() const
{
    const auto resolve = GetSceneAssetResolvers().myResolveModel;
    return resolve && !myPath.IsEmpty() ? resolve(myPath) : nullptr;
}

std::shared_ptr<Animation> AnimationClipReference::Resolve() const
{
    const auto resolve = GetSceneAssetResolvers().myResolveAnimationClip;
    return resolve && !myPath.IsEmpty() ? resolve(myPath) : nullptr;
}

ParticleSystem* ParticleSystemReference::Resolve() const
{
    const auto resolve = GetSceneAssetResolvers().myResolveParticleSystem;
    return resolve && !myPath.IsEmpty() ? resolve(myPath) : nullptr;
}

// ---- Model ---------------------------------------------------------------------------------

void ReadSceneModelJson(SceneModel& aModel, const Json& aValue)
{
    aModel = SceneModel{};
    if (Has(aValue, "path"))
    {
        aModel.myPath = InKey("path", [&] { return ToStringId(aValue["path"]); });
    }
    if (Has(aValue, "textures"))
    {
        InKey("textures", [&] {
            const Json& meshes = RequireArray(aValue["textures"], "textures");
            for (std::size_t mesh = 0; mesh < meshes.size() && mesh < SCENE_MODEL_MESH_COUNT; ++mesh)
            {
                const Json& item = meshes[mesh];
                if (item.is_string())
                {
                    aModel.myTextures[mesh][0] = ToStringId(item);
                    continue;
                }
                const Json& slots = RequireArray(item, "textures item");
                for (std::size_t slot = 0; slot < slots.size() && slot < SCENE_TEXTURE_SLOT_COUNT; ++slot)
                {
                    aModel.myTextures[mesh][slot] = ToStringId(slots[slot]);
                }
            }
        });
    }
    // Older one-mesh form at the top level.
    if (Has(aValue, "vertexShader"))
    {
        const StringId shader = InKey("vertexShader", [&] { return ToStringId(aValue["vertexShader"]); });
        for (StringId& slot : aModel.myVertexShader)
        {
            slot = shader;
        }
    }
    if (Has(aValue, "fragmentShader"))
    {
        const StringId shader = InKey("fragmentShader", [&] { return ToStringId(aValue["fragmentShader"]); });
        for (StringId& slot : aModel.myFragmentShader)
        {
            slot = shader;
        }
    }
    if (Has(aValue, "blendState"))
    {
        aModel.myBlendState[0] = InKey("blendState", [&] { return ToInt(aValue["blendState"]); });
    }
    if (Has(aValue, "depthStencilState"))
    {
        aModel.myDepthStencilState[0] = InKey("depthStencilState", [&] { return ToInt(aValue["depthStencilState"]); });
    }
    if (Has(aValue, "shaders"))
    {
        InKey("shaders", [&] {
            const Json& items = RequireArray(aValue["shaders"], "shaders");
            for (std::size_t mesh = 0; mesh < items.size() && mesh < SCENE_MODEL_MESH_COUNT; ++mesh)
            {
                const Json& item = items[mesh];
                // A shader set by the older top-level form is kept.
                if (aModel.myVertexShader[mesh].IsEmpty())
                {
                    aModel.myVertexShader[mesh] = Has(item, "vertexShader") ? ToStringId(item["vertexShader"]) : StringId();
                }
                if (aModel.myFragmentShader[mesh].IsEmpty())
                {
                    aModel.myFragmentShader[mesh] = Has(item, "fragmentShader") ? ToStringId(item["fragmentShader"]) : StringId();
                }
            }
        });
    }
    if (Has(aValue, "renderConfig"))
    {
        InKey("renderConfig", [&] {
            const Json& items = RequireArray(aValue["renderConfig"], "renderConfig");
            for (std::size_t mesh = 0; mesh < items.size() && mesh < SCENE_MODEL_MESH_COUNT; ++mesh)
            {
                const Json& item = items[mesh];
                aModel.myBlendState[mesh] = Has(item, "blendState") ? ToInt(item["blendState"]) : 1;
                aModel.myDepthStencilState[mesh] = Has(item, "depthStencilState") ? ToInt(item["depthStencilState"]) : 0;
            }
        });
    }
}

void WriteSceneModelJson(const SceneModel& aModel, Json& aOut)
{
    aOut = Json::object();
    aOut["path"] = PathText(aModel.myPath);
    Json textures = Json::array();
    Json shaders = Json::array();
    Json renderConfig = Json::array();
    for (u32 mesh = 0; mesh < SCENE_MODEL_MESH_COUNT; ++mesh)
    {
        Json slots = Json::array();
        for (u32 slot = 0; slot < SCENE_TEXTURE_SLOT_COUNT; ++slot)
        {
            slots.push_back(PathText(aModel.myTextures[mesh][slot]));
        }
        textures.push_back(std::move(slots));
        shaders.push_back({{"vertexShader", PathText(aModel.myVertexShader[mesh])},
                           {"fragmentShader", PathText(aModel.myFragmentShader[mesh])}});
        renderConfig.push_back({{"blendState", aModel.myBlendState[mesh]},
                                {"depthStencilState", aModel.myDepthStencilState[mesh]}});
    }
    aOut["textures"] = std::move(textures);
    aOut["shaders"] = std::move(shaders);
    aOut["renderConfig"] = std::move(renderConfig);
}

// ---- Sprite --------------------------------------------------------------------------------

void ReadSceneSpriteJson(SceneSprite& aSprite, const Json& aValue)
{
    aSprite = SceneSprite{};
    if (!aValue.is_object())
    {
        return; // not an object: the default sprite
    }
    if (aValue.contains("texturePath"))
    {
        aSprite.myTextures[0] = InKey("texturePath", [&] { return ToStringId(aValue["texturePath"]); });
    }
    if (aValue.contains("textures"))
    {
        InKey("textures", [&] {
            const Json& slots = RequireArray(aValue["textures"], "textures");
            for (std::size_t slot = 0; slot < slots.size() && slot < SCENE_TEXTURE_SLOT_COUNT; ++slot)
            {
                aSprite.myTextures[slot] = ToStringId(slots[slot]);
            }
        });
    }
    if (aValue.contains("pivot"))
    {
        aSprite.myPivot = ReadPair(aValue["pivot"], "pivot");
    }
    if (aValue.contains("size"))
    {
        aSprite.mySize = ReadPair(aValue["size"], "size");
    }
}

void WriteSceneSpriteJson(const SceneSprite& aSprite, Json& aOut)
{
    aOut = Json::object();
    Json textures = Json::array();
    for (StringId texture : aSprite.myTextures)
    {
        textures.push_back(PathText(texture));
    }
    aOut["textures"] = std::move(textures);
    aOut["pivot"] = {static_cast<double>(aSprite.myPivot.x), static_cast<double>(aSprite.myPivot.y)};
    aOut["size"] = {static_cast<double>(aSprite.mySize.x), static_cast<double>(aSprite.mySize.y)};
}

// ---- Path references -----------------------------------------------------------------------

void ReadPathReferenceJson(StringId& aPath, const Json& aValue, const char* aKey)
{
    aPath = Has(aValue, aKey) ? InKey(aKey, [&] { return ToStringId(aValue[aKey]); }) : StringId();
}

void WritePathReferenceJson(StringId aPath, Json& aOut, const char* aKey)
{
    aOut = Json::object();
    aOut[aKey] = PathText(aPath);
}
}
