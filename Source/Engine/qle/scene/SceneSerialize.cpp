#include "scene/Scene.h"

#include "scene/ContentLog.h"
#include "scene/JsonRead.h"
#include "settings/Settings.h"
#include "stringRegistry/Guid.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <fstream>
#include <system_error>

namespace Qel
{
namespace fs = std::filesystem;
using Json = nlohmann::json;
using namespace json_read;

namespace
{
Vector3<float> ReadVector3(const Json& aValue)
{
    return {ToFloat(Element(aValue, 0, 3)), ToFloat(Element(aValue, 1, 3)), ToFloat(Element(aValue, 2, 3))};
}

struct ObjectFile
{
    std::string myName;
    fs::path myPath;
};

bool StartsWithParent(const fs::path& aPath)
{
    return !aPath.empty() && *aPath.begin() == "..";
}
}

std::size_t GuidIndexHash::operator()(u32 aIndex) const
{
    u64 hash = FNV1A64_OFFSET_BASIS;
    for (int i = 0; i < 4; ++i)
    {
        hash ^= (aIndex >> (8 * i)) & 0xFFu;
        hash *= FNV1A64_PRIME;
    }
    return static_cast<std::size_t>(hash);
}

Scene::Scene()
{
    myObjects.max_load_factor(1.0f);
    myObjects.rehash(8);
}

Scene::~Scene() = default;

fs::path JoinInsideRoot(const fs::path& aRoot, const fs::path& aRelative)
{
    if (aRelative.empty())
    {
        return {};
    }
    if (aRelative.has_root_path())
    {
        // An absolute path is accepted only when it already lies inside the root.
        std::error_code error;
        const fs::path root = fs::weakly_canonical(aRoot, error);
        const fs::path full = fs::weakly_canonical(aRelative, error);
        if (error)
        {
            return {};
        }
        const fs::path inside = full.lexically_relative(root);
        return inside.empty() || StartsWithParent(inside) ? fs::path() : full;
    }
    const fs::path normal = aRelative.lexically_normal();
    if (normal.empty() || StartsWithParent(normal) || normal == ".")
    {
        return {};
    }
    return aRoot / normal;
}

void RotationMatrixToEuler(SceneObject& aObject, const Matrix4x4& aMatrix)
{
    Quaternion rotation;
    DecomposeTransform(aMatrix, aObject.myTransform.myTranslation, rotation, aObject.myTransform.myScale);
    aObject.myTransform.myRotation = rotation.ToEulerDegrees();
}

void ReadSceneObject(const Json& aDocument, SceneObject& aObject, ContentLog& aLog, const std::string& aFile)
{
    // Key order matters: the separate translation, rotation and scale win over the matrix.
    aObject.myName = Has(aDocument, "name") ? InKey("name", [&] { return std::string(ToStringView(aDocument["name"])); })
                                            : std::string("unknown");
    if (Has(aDocument, "path"))
    {
        aObject.myPath = InKey("path", [&] { return ToStringId(aDocument["path"]); });
    }
    if (Has(aDocument, "transform"))
    {
        InKey("transform", [&] {
            const Json& values = aDocument["transform"];
            Matrix4x4 matrix;
            for (u32 i = 0; i < 16; ++i)
            {
                matrix[i] = ToFloat(Element(values, i, 16));
            }
            RotationMatrixToEuler(aObject, matrix);
        });
    }
    if (Has(aDocument, "translation"))
    {
        aObject.myTransform.myTranslation = InKey("translation", [&] { return ReadVector3(aDocument["translation"]); });
    }
    if (Has(aDocument, "rotation"))
    {
        aObject.myTransform.myRotation = InKey("rotation", [&] { return ReadVector3(aDocument["rotation"]); });
    }
    if (Has(aDocument, "scale"))
    {
        aObject.myTransform.myScale = InKey("scale", [&] { return ReadVector3(aDocument["scale"]); });
    }
    if (Has(aDocument, "object-definition"))
    {
        aObject.myObjectDefinition = InKey("object-definition", [&] { return ToStringId(aDocument["object-definition"]); });
    }
    if (Has(aDocument, "isHidden"))
    {
        aObject.myIsHidden = InKey("isHidden", [&] { return ToBool(aDocument["isHidden"]); });
    }
    if (!Has(aDocument, "properties"))
    {
        return;
    }
    const Json& properties = aDocument["properties"];
    if (!properties.is_array())
    {
        throw ContentError(std::string("\"properties\" must be an array, but is ") + properties.type_name());
    }
    aObject.myPropertyOverrides.reserve(properties.size());
    for (std::size_t i = 0; i < properties.size(); ++i)
    {
        const Json& element = properties[i];
        const std::string where = "properties[" + std::to_string(i) + "]";
        InKey(where.c_str(), [&] {
            const StringId name = InKey("name", [&] { return ToStringId(Member(element, "name")); });
            const std::string_view typeName = InKey("type", [&] { return ToStringView(Member(element, "type")); });
            const PropertyTypeBase* type = PropertyTypeRegistry::FindByName(Intern(typeName));
            if (!type)
            {
                aLog.Error(aFile, "property \"" + std::string(name.GetView()) + "\" has the unknown type \""
                                      + std::string(typeName) + "\"; it is left out");
                return;
            }
            PropertyOverride& added = aObject.myPropertyOverrides.emplace_back();
            added.myName = name;
            added.myType = type;
            try
            {
                added.myValue = InKey("value", [&] { return PropertyValue(type, Member(element, "value")); });
            }
            catch (...)
            {
                aObject.myPropertyOverrides.pop_back();
                throw;
            }
        });
    }
}

bool LoadScene(const char* aScenePath, Scene& aScene)
{
    return LoadScene(aScenePath, aScene, GetDefaultContentLog());
}

bool LoadScene(const char* aScenePath, Scene& aScene, ContentLog& aLog)
{
    return LoadScene(Settings::GetGameAssetsPath(), aScenePath, aScene, aLog);
}

bool LoadScene(const fs::path& aRoot, const char* aScenePath, Scene& aScene, ContentLog& aLog)
{
    if (!aScenePath)
    {
        return false;
    }
    const fs::path full = JoinInsideRoot(aRoot, fs::path(aScenePath));
    if (full.empty())
    {
        aLog.Error(aScenePath, "the scene path is empty or leaves the asset root; the level is refused");
        return false;
    }
    std::error_code error;
    if (!fs::exists(full, error))
    {
        return false;
    }

    Scene loaded;
    loaded.myPath = aScenePath;
    loaded.myName = full.stem().string();

    fs::path folder = full;
    folder.replace_extension(".leveldata");
    std::vector<ObjectFile> files;
    if (fs::is_directory(folder, error))
    {
        fs::directory_iterator it(folder, error);
        for (const fs::directory_iterator end; !error && it != end; it.increment(error))
        {
            const fs::directory_entry& entry = *it;
            const std::string name = entry.path().filename().string();
            const std::string where = entry.path().string();
            std::error_code statusError;
            if (name.front() == '.')
            {
                aLog.Warning(where, "hidden entry in a .leveldata folder; skipped");
            }
            else if (name.find('.') != std::string::npos)
            {
                aLog.Warning(where, "not an object file (it has an extension); skipped");
            }
            else if (!entry.is_regular_file(statusError))
            {
                aLog.Warning(where, "not a regular file; skipped");
            }
            else if (!ParseGuid(name))
            {
                aLog.Warning(where, "file name is not a GUID; skipped");
            }
            else
            {
                files.push_back({name, entry.path()});
            }
        }
        if (error)
        {
            aLog.Error(folder.string(), "cannot list the folder: " + error.message() + "; the level is refused");
            return false;
        }
    }
    // Directory order differs between file systems; sorted names make collisions and spawn
    // order the same everywhere.
    std::sort(files.begin(), files.end(), [](const ObjectFile& a, const ObjectFile& b) { return a.myName < b.myName; });

    bool failed = false;
    for (const ObjectFile& file : files)
    {
        const std::string where = file.myPath.string();
        std::ifstream in(file.myPath, std::ios::binary);
        if (!in)
        {
            aLog.Error(where, "cannot be opened");
            failed = true;
            continue;
        }
        try
        {
            Json document;
            in >> document;
            SceneObject object;
            ReadSceneObject(document, object, aLog, where);
            const u32 index = *GetGuidIndex(file.myName);
            auto [slot, inserted] = loaded.myObjects.try_emplace(index);
            if (!inserted)
            {
                aLog.Warning(where, "names the same GUID as another object file; it replaces that object");
            }
            slot->second = std::make_shared<SceneObject>(std::move(object));
            loaded.myPathCounts[slot->second->myPath] += 1;
            loaded.myPathCounts[StringId()] += 1;
        }
        catch (const std::exception& caught)
        {
            aLog.Error(where, caught.what());
            failed = true;
        }
    }
    if (failed)
    {
        aLog.Error(aScenePath, "the level is refused because of the errors above");
        return false;
    }
    aScene.myPath = std::move(loaded.myPath);
    aScene.myName = std::move(loaded.myName);
    aScene.myObjects = std::move(loaded.myObjects);
    aScene.myPathCounts = std::move(loaded.myPathCounts);
    return true;
}
}
