#include "ContentChecker.h"

#include "QELFBXImporter/source/FbxStructure.h"
#include "QELFBXImporter/source/Importer.h"
#include "model/ModelFactory.h"
#include "particles/ParticleSystemReader.h"
#include "scene/JsonRead.h"
#include "scene/Scene.h"
#include "stringRegistry/Guid.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

namespace Qel::ContentCheck
{
namespace fs = std::filesystem;
using Json = nlohmann::json;

namespace
{
const char* OBJECT_TAG_FILE_NAMES[] = {
    "Default", "Player", "Goal", "EnemyMiniOwl", "EnemyPipeMole", "EnemyBeetletank", "EnemyFlyingMiniOwl",
    "BlockBreakable", "BlockLucky", "BlockIndestructible", "PlatformMoving", "Coin", "PowerupProjectile",
    "PowerupExtraHitpoint", "PowerupExtraLife", "Checkpoint", "ChestGrenade", "RotatingFireBar", "Parallax",
    "EventFan", "FanTrigger", "EntryZipline", "EndingCutscene", "BatterySpawn"};

bool Exists(const fs::path& aPath)
{
    std::error_code error;
    return fs::is_regular_file(aPath, error);
}

std::string Quote(StringId aText)
{
    return "\"" + std::string(aText.GetView()) + "\"";
}

// The loaders read an "Object Tag" name silently as 0; in our own content that is a mistake.
void CheckTagNames(Context& aContext, const fs::path& aFile)
{
    if (!Exists(aFile))
    {
        return;
    }
    Json document;
    try
    {
        std::ifstream in(aFile, std::ios::binary);
        document = Json::parse(in, nullptr, false);
    }
    catch (const std::exception&)
    {
        return; // the reader reports unreadable files
    }
    if (!document.is_object() || !document.contains("properties") || !document["properties"].is_array())
    {
        return; // the reader reports broken files
    }
    for (const Json& element : document["properties"])
    {
        if (!element.is_object() || element.value("type", Json()) != "Object Tag" || !element.contains("value"))
        {
            continue;
        }
        const Json& value = element["value"];
        if (value.is_string())
        {
            const std::string name = value.get<std::string>();
            if (std::find(std::begin(OBJECT_TAG_FILE_NAMES), std::end(OBJECT_TAG_FILE_NAMES), name)
                == std::end(OBJECT_TAG_FILE_NAMES))
            {
                aContext.myLog.Error(aFile.string(), "\"Object Tag\" name \"" + name + "\" is not one the reader knows; it reads as Default (write the number)");
            }
        }
        else if (!value.is_number_integer())
        {
            aContext.myLog.Error(aFile.string(), "\"Object Tag\" value " + value.dump() + " reads as Default (write the number)");
        }
    }
}

void CheckRecordList(Context& aContext, const std::vector<PropertyRecord>& aRecords, const std::string& aFile)
{
    for (const PropertyRecord& record : aRecords)
    {
        CheckPropertyValue(aContext, record.myValue, aFile, "property " + Quote(record.myName));
    }
}

void CheckDefinitions(Context& aContext)
{
    for (const auto& [name, definition] : aContext.myDefinitions.GetDefinitions())
    {
        const fs::path file = aContext.myGameRoot / definition->myPath;
        CheckTagNames(aContext, file);
        CheckRecordList(aContext, definition->myProperties, file.string());
    }
}

void CheckScenes(Context& aContext)
{
    std::vector<fs::path> scenes;
    std::error_code error;
    for (fs::recursive_directory_iterator it(aContext.myGameRoot, error), end; !error && it != end; it.increment(error))
    {
        if (it->path().extension() == ".qls" && it->is_regular_file())
        {
            scenes.push_back(it->path());
        }
    }
    std::sort(scenes.begin(), scenes.end());
    for (const fs::path& file : scenes)
    {
        const std::string relative = file.lexically_relative(aContext.myGameRoot).string();
        Scene scene;
        if (!LoadScene(aContext.myGameRoot, relative.c_str(), scene, aContext.myLog))
        {
            continue; // reported by the loader
        }
        fs::path folder = file;
        folder.replace_extension(".leveldata");
        // Each object by its file, in file-name order.
        std::map<std::string, const SceneObject*> objects;
        for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error))
        {
            const std::string name = it->path().filename().string();
            const auto index = GetGuidIndex(name);
            const auto found = index ? scene.myObjects.find(*index) : scene.myObjects.end();
            if (found != scene.myObjects.end() && it->is_regular_file())
            {
                objects[it->path().string()] = found->second.get();
            }
        }
        for (const auto& [objectFile, object] : objects)
        {
            const std::string where = objectFile + " (object \"" + object->myName + "\")";
            if (object->myObjectDefinition.IsEmpty())
            {
                aContext.myLog.Warning(where, "has no \"object-definition\"; it gets no properties");
                continue;
            }
            const ObjectDefinition* definition = aContext.myDefinitions.Find(object->myObjectDefinition);
            if (!definition)
            {
                aContext.myLog.Error(where, "names the object definition " + Quote(object->myObjectDefinition)
                                                + ", which does not exist");
                continue;
            }
            for (const PropertyOverride& instance : object->myPropertyOverrides)
            {
                CheckPropertyValue(aContext, instance.myValue, where, "override " + Quote(instance.myName));
                const auto record = std::find_if(definition->myProperties.begin(), definition->myProperties.end(),
                                                 [&](const PropertyRecord& r) { return r.myName == instance.myName; });
                if (record == definition->myProperties.end())
                {
                    aContext.myLog.Warning(where, "override " + Quote(instance.myName) + " matches no property of "
                                                      + Quote(definition->myName) + "; it is ignored");
                }
                else if (!record->IsPerInstance())
                {
                    aContext.myLog.Warning(where, "override " + Quote(instance.myName) + " is ignored: " + Quote(definition->myName)
                                                      + " does not mark it \"is-per-instance\"");
                }
                else if (record->myType != instance.myType)
                {
                    aContext.myLog.Warning(where, "override " + Quote(instance.myName) + " has another type than in "
                                                      + Quote(definition->myName) + "; it is ignored");
                }
            }
            const Vector3<float>& scale = object->myTransform.myScale;
            if (scale.x == 0.0f || scale.y == 0.0f || scale.z == 0.0f)
            {
                aContext.myLog.Warning(where, "has a zero scale");
            }
        }
        for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error))
        {
            CheckTagNames(aContext, it->path());
        }
    }
}

void Range(Context& aContext, i32 aValue, i32 aCount, const char* aWhat, const std::string& aFile, const std::string& aWhere)
{
    if (aValue < 0 || aValue >= aCount)
    {
        aContext.myLog.Error(aFile, aWhere + ": " + aWhat + " " + std::to_string(aValue) + " is outside 0 to "
                                        + std::to_string(aCount - 1));
    }
}

void AssetPath(Context& aContext, StringId aPath, const char* aWhat, const std::string& aFile, const std::string& aWhere)
{
    if (!aPath.IsEmpty() && !aContext.AssetExists(aPath))
    {
        aContext.myLog.Error(aFile, aWhere + ": " + aWhat + " " + Quote(aPath) + " is not in the asset tree");
    }
}

void GamePath(Context& aContext, StringId aPath, const char* aWhat, const std::string& aFile, const std::string& aWhere)
{
    if (!aPath.IsEmpty() && !aContext.GameFileExists(aPath))
    {
        aContext.myLog.Error(aFile, aWhere + ": " + aWhat + " " + Quote(aPath) + " is not in the game asset tree");
    }
}
}

bool Context::AssetExists(StringId aPath) const
{
    const fs::path relative(std::string(aPath.GetView()));
    for (const fs::path& root : {myGameRoot, myEngineRoot})
    {
        const fs::path full = JoinInsideRoot(root, relative);
        if (!full.empty() && Exists(full))
        {
            return true;
        }
    }
    return false;
}

bool Context::GameFileExists(StringId aPath) const
{
    const fs::path full = JoinInsideRoot(myGameRoot, fs::path(std::string(aPath.GetView())));
    return !full.empty() && Exists(full);
}

void CheckPropertyValue(Context& aContext, const PropertyValue& aValue, const std::string& aFile, const std::string& aWhere)
{
    if (const auto* tag = aValue.TryGet<ObjectTag>())
    {
        Range(aContext, static_cast<i32>(*tag), OBJECT_TAG_COUNT, "Object Tag", aFile, aWhere);
    }
    else if (const auto* material = aValue.TryGet<TileMaterial>())
    {
        Range(aContext, static_cast<i32>(*material), TILE_MATERIAL_COUNT, "TileMaterial", aFile, aWhere);
    }
    else if (const auto* drop = aValue.TryGet<DropType>())
    {
        Range(aContext, static_cast<i32>(*drop), DROP_TYPE_COUNT, "DropType", aFile, aWhere);
    }
    else if (const auto* model = aValue.TryGet<ModelValue>())
    {
        const SceneModel& m = model->Get();
        const std::string_view path = m.myPath.GetView();
        if (path != "Cube" && path != "Plane")
        {
            AssetPath(aContext, m.myPath, "model", aFile, aWhere);
        }
        for (u32 mesh = 0; mesh < SCENE_MODEL_MESH_COUNT; ++mesh)
        {
            Range(aContext, m.myBlendState[mesh], 3, "blend state", aFile, aWhere);
            Range(aContext, m.myDepthStencilState[mesh], 4, "depth-stencil state", aFile, aWhere);
            for (StringId texture : m.myTextures[mesh])
            {
                AssetPath(aContext, texture, "texture", aFile, aWhere);
            }
        }
    }
    else if (const auto* sprite = aValue.TryGet<SpriteValue>())
    {
        for (StringId texture : sprite->Get().myTextures)
        {
            AssetPath(aContext, texture, "texture", aFile, aWhere);
        }
    }
    else if (const auto* clip = aValue.TryGet<AnimationClipValue>())
    {
        AssetPath(aContext, clip->Get().myPath, "animation clip", aFile, aWhere);
    }
    else if (const auto* particles = aValue.TryGet<ParticleSystemValue>())
    {
        GamePath(aContext, particles->Get().myPath, "particle system", aFile, aWhere);
    }
    else if (const auto* scene = aValue.TryGet<SceneReferenceValue>())
    {
        GamePath(aContext, scene->Get().myPath, "scene", aFile, aWhere);
    }
    else if (const auto* object = aValue.TryGet<ObjectReferenceValue>())
    {
        // The game would write an empty definition at run time for a missing one.
        const StringId path = object->Get().myPath;
        if (!path.IsEmpty() && !aContext.myDefinitions.Find(json_read::Intern(fs::path(std::string(path.GetView())).stem().string())))
        {
            aContext.myLog.Error(aFile, aWhere + ": object reference " + Quote(path) + " names no object definition");
        }
    }
}

namespace
{
std::vector<fs::path> FilesWithExtension(const fs::path& aRoot, const char* aExtension)
{
    std::vector<fs::path> files;
    std::error_code error;
    for (fs::recursive_directory_iterator it(aRoot, error), end; !error && it != end; it.increment(error))
        if (it->is_regular_file(error) && it->path().extension() == aExtension)
            files.push_back(it->path());
    std::sort(files.begin(), files.end());
    return files;
}

// Every FBX file imports as the game will import it: a model within the limits, a clip that samples.
void CheckModels(Context& aContext)
{
    const bool wasInitialized = QelFbx::IsImporterInitialized();
    QelFbx::InitImporter();
    for (const fs::path& path : FilesWithExtension(aContext.myGameRoot, ".fbx"))
    {
        const std::string file = path.string();
        QelFbx::FileInfo info;
        std::string error;
        if (!QelFbx::ReadStructureFile(file, info, error))
        {
            aContext.myLog.Error(file, "not a readable FBX file: " + error);
            continue;
        }
        bool hasMeshes = false;
        try
        {
            QelFbx::ImportedModel model;
            if (!QelFbx::LoadFbxModel(file, model))
                aContext.myLog.Error(file, QelFbx::GetLastImporterError());
            else if (!model.myMeshes.empty())
            {
                hasMeshes = true;
                if (!ModelFactory::BuildModel(model, file, error))
                    aContext.myLog.Error(file, error);
            }
        }
        catch (const std::exception& exception)
        {
            aContext.myLog.Error(file, QelFbx::DescribeException(exception));
        }
        if (info.myStacks.empty())
        {
            if (!hasMeshes)
                aContext.myLog.Warning(file, "has neither meshes nor an animation take");
            continue;
        }
        try
        {
            QelFbx::ImportedAnimation clip;
            if (!QelFbx::LoadFbxAnimation(file, clip))
                aContext.myLog.Error(file, QelFbx::GetLastImporterError());
        }
        catch (const std::exception& exception)
        {
            // A model with a take but no skeleton is still a model.
            if (!hasMeshes)
                aContext.myLog.Error(file, QelFbx::DescribeException(exception));
        }
    }
    if (!wasInitialized)
        QelFbx::UninitImporter();
}

// Every particle-system file reads, with its out-of-range values reported.
void CheckParticleSystems(Context& aContext)
{
    for (const fs::path& path : FilesWithExtension(aContext.myGameRoot, ".qlap"))
    {
        std::ifstream file(path, std::ios::binary);
        std::ostringstream text;
        text << file.rdbuf();
        ParticleSystem system;
        ReadParticleSystem(text.str(), path.string(), system, aContext.myLog);
    }
}
}

const std::vector<Check>& GetChecks()
{
    // Definitions first: the scene check needs them. Add new kinds of content here.
    static const std::vector<Check> checks = {
        {"object definitions", CheckDefinitions},
        {"scenes", CheckScenes},
        {"models and clips", CheckModels},
        {"particle systems", CheckParticleSystems},
    };
    return checks;
}

int Run(const fs::path& aGameRoot, const fs::path& aEngineRoot, ContentLog& aLog)
{
    Context context(aLog);
    context.myGameRoot = aGameRoot;
    context.myEngineRoot = aEngineRoot;
    std::error_code error;
    if (!fs::is_directory(aGameRoot, error))
    {
        aLog.Error(aGameRoot.string(), "the asset root is not a folder");
        return aLog.GetErrorCount();
    }
    context.myDefinitions.LoadAll(aGameRoot.string(), aLog);
    for (const Check& check : GetChecks())
    {
        check.myRun(context);
    }
    return aLog.GetErrorCount();
}
}
