#pragma once
#include "core/Types.h"
#include "math/Matrix4x4.h"
#include "math/Vector.h"
#include "scene/PropertyValue.h"
#include "stringRegistry/StringId.h"

#include <cstddef>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace Qel
{
class ContentLog;

struct Transform
{
    Vector3<float> myTranslation{0.0f, 0.0f, 0.0f};
    Vector3<float> myRotation{0.0f, 0.0f, 0.0f}; // Euler degrees x, y, z
    Vector3<float> myScale{1.0f, 1.0f, 1.0f};
};

// A scene object's per-instance value; merged into its definition by ApplyPerInstanceProperties.
struct PropertyOverride
{
    StringId myName;
    const PropertyTypeBase* myType = nullptr;
    PropertyValue myValue;
};

struct SceneObject
{
    StringId myObjectDefinition;               // the definition's name (its file stem)
    std::vector<PropertyOverride> myPropertyOverrides;
    Transform myTransform;
    bool myIsHidden = false;                   // not spawned by the play screen
    std::string myName = "Scene Object";
    StringId myPath;                           // group path, only counted
};

struct GuidIndexHash
{
    std::size_t operator()(u32 aIndex) const;  // FNV-1a over the index's four bytes
};

class Scene
{
public:
    Scene();
    ~Scene();

    std::string myPath;                        // as passed to the loader
    std::string myName = "untitled";           // the scene file's stem
    std::unordered_map<u32, std::shared_ptr<SceneObject>, GuidIndexHash> myObjects;
    std::map<StringId, i32> myPathCounts;      // by text; every object also counts under ""
};

// Loads the scene whose marker file is aScenePath (relative to the game asset root, with its
// ".qls" extension). False, with aScene untouched, when the marker is missing, the path leaves
// the root, or an object file is broken (each broken file is reported with its cause). True
// otherwise, also with no ".leveldata" folder (an empty scene). Object files are read in
// sorted name order; names that are not GUIDs, hidden files and folders are passed over with
// a warning, and a property of an unknown type is left out with an error.
bool LoadScene(const char* aScenePath, Scene& aScene);
bool LoadScene(const char* aScenePath, Scene& aScene, ContentLog& aLog);
// The same under an explicit asset root.
bool LoadScene(const std::filesystem::path& aRoot, const char* aScenePath, Scene& aScene, ContentLog& aLog);

// Reads one scene-object document (the content of a ".leveldata" file); throws on bad JSON.
// Properties of unknown types are left out and reported to aLog under aFile.
void ReadSceneObject(const nlohmann::json& aDocument, SceneObject& aObject, ContentLog& aLog, const std::string& aFile);

// Sets aObject's whole transform from a matrix (translation, Euler degrees, scale).
void RotationMatrixToEuler(SceneObject& aObject, const Matrix4x4& aMatrix);

// aRelative joined below aRoot, or empty when it is absolute or climbs out of the root.
std::filesystem::path JoinInsideRoot(const std::filesystem::path& aRoot, const std::filesystem::path& aRelative);
}
