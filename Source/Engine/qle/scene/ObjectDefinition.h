#pragma once
#include "scene/PropertyValue.h"
#include "stringRegistry/StringId.h"

#include <nlohmann/json_fwd.hpp>

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace Qel
{
class ContentLog;
struct SceneObject;

// A named, reusable property list from one ".qlo" file.
struct ObjectDefinition
{
    std::string myPath;     // relative to the game asset root, as read or written
    StringId myName;        // the file's stem; the manager's key
    StringId myParent;      // kept and written back; never resolved
    std::vector<PropertyRecord> myProperties;
};

// Every definition under the game asset root, read once at start, found by name. Definitions
// live until the process ends, so returned pointers stay valid for the whole run.
class ObjectDefinitionManager
{
public:
    ObjectDefinitionManager();

    // Reads every regular file ending exactly in ".qlo" under aRoot (recursively, in sorted
    // path order; ".leveldata" folders are not searched). The root is kept for GetOrCreate.
    // A broken file is reported and skipped; the first of two equal names is kept.
    void LoadAll(std::string_view aRoot);
    void LoadAll(std::string_view aRoot, ContentLog& aLog);

    ObjectDefinition* Find(StringId aName) const;

    // The definition named by aFilePath's stem. When none is loaded, an empty one is made and
    // written at aFilePath under the root (".qlo" added when it has no extension), never over
    // an existing file and only for a non-empty name and a path inside the root; an existing
    // file at that path is read instead. Never null.
    ObjectDefinition* GetOrCreate(const std::filesystem::path& aFilePath);
    ObjectDefinition* GetOrCreate(const std::filesystem::path& aFilePath, ContentLog& aLog);

    // A definition made in memory (tests, tools), found by its name like a loaded one. One of
    // the same name is overwritten in place, so pointers to it stay valid.
    ObjectDefinition* Add(const ObjectDefinition& aDefinition);
    // Forgets a definition made by Add (tests only: pointers to it dangle afterwards).
    void Remove(StringId aName);

    // The root of LoadAll; the game asset root until then.
    std::filesystem::path GetRoot() const;
    std::size_t GetCount() const { return myDefinitions.size(); }
    const auto& GetDefinitions() const { return myDefinitions; }

private:
    std::unordered_map<StringId, std::unique_ptr<ObjectDefinition>> myDefinitions;
    std::filesystem::path myRoot;
    bool myHasRoot = false;
};

ObjectDefinitionManager& GetObjectDefinitionManager();

// Fills aDefinition from aRelativePath under the root; throws on a broken file. Properties of
// unknown types are left out and reported to aLog.
void ReadObjectDefinition(ObjectDefinition& aDefinition, const char* aRelativePath);
void ReadObjectDefinition(ObjectDefinition& aDefinition, const std::filesystem::path& aRoot, const char* aRelativePath,
                          ContentLog& aLog);
// The same from a parsed document (fuzzing, tools).
void ReadObjectDefinitionJson(ObjectDefinition& aDefinition, const nlohmann::json& aDocument, ContentLog& aLog,
                              const std::string& aFile);

// The file's JSON text: 2-space indent, keys in ascending order, no trailing newline.
std::string ObjectDefinitionToText(const ObjectDefinition& aDefinition);

enum class WriteMode
{
    Replace,       // a tool saving a definition
    KeepExisting,  // never touch an existing file
};
enum class WriteResult
{
    Written,
    AlreadyExists, // KeepExisting found a file there; nothing written
    Refused,       // empty name, path outside the root or not a ".qlo"
    Failed,        // the file system said no; reported
};

// Writes the definition to root / myPath (".qlo" added when it has no extension) through a
// temporary file in the same folder, so a crash leaves the old state or the whole new file.
WriteResult WriteObjectDefinition(const ObjectDefinition& aDefinition);
WriteResult WriteObjectDefinition(const ObjectDefinition& aDefinition, const std::filesystem::path& aRoot,
                                  WriteMode aMode, ContentLog& aLog);

// Appends aObject's definition records, with per-instance records replaced by the first
// override of the same name when its type is the same. Nothing when the definition is unknown.
void ApplyPerInstanceProperties(const SceneObject& aObject, ObjectDefinitionManager& aManager,
                                std::vector<PropertyRecord>& aOutProperties);
}
