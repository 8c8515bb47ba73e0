#include "TestSupport.h"
#include "scene/ContentLog.h"
#include "scene/ObjectDefinition.h"
#include "scene/Scene.h"
#include "stringRegistry/Guid.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>

#include <unistd.h>

using namespace Qel;
using Json = nlohmann::json;

namespace
{
constexpr const char* GUID_A = "0b6f3c1e-2d7a-4c1f-9e4b-7a1d2c3e4f50";
constexpr const char* GUID_B = "1b6f3c1e-2d7a-4c1f-9e4b-7a1d2c3e4f51";
constexpr const char* GUID_C = "2b6f3c1e-2d7a-4c1f-9e4b-7a1d2c3e4f52";

StringId Id(const std::string& aText)
{
    return StringId(aText);
}

void ExpectNear(const Vector3<float>& aActual, const Vector3<float>& aExpected, float aTolerance)
{
    EXPECT_NEAR(aActual.x, aExpected.x, aTolerance);
    EXPECT_NEAR(aActual.y, aExpected.y, aTolerance);
    EXPECT_NEAR(aActual.z, aExpected.z, aTolerance);
}

const char* LEVEL = "scenes/game_scenes/level1.qls";
const char* FOLDER = "scenes/game_scenes/level1.leveldata/";

struct Fixture : testing::Test
{
    QelTest::TempFolder myRoot;
    ContentLog myLog{nullptr};

    void WriteObject(const std::string& aName, const std::string& aJson) { myRoot.Write(FOLDER + aName, aJson); }
    bool Load(Scene& aScene) { return LoadScene(myRoot.Path(), LEVEL, aScene, myLog); }
};

using SceneLoad = Fixture;
using ObjectDefinitions = Fixture;
}

TEST_F(SceneLoad, ObjectsTransformsOverridesAndSkippedEntries)
{
    myRoot.Write(LEVEL, ""); // a zero-byte marker is enough
    WriteObject(GUID_A, R"({"name": "LuckyBlock_01", "path": "Blocks", "object-definition": "QLO_BlockLucky",
        "translation": [1200, 300, 0], "rotation": [0, 0, 10], "scale": [1, 2, 1], "isHidden": true,
        "properties": [{"name": "DropType", "type": "DropType", "value": 2},
                       {"name": "Odd", "type": "NoSuchType", "value": 1},
                       {"name": "Speed", "type": "Float", "value": 4.5}]})");
    // A matrix for rotation and scale; "translation" wins for the position.
    Matrix4x4 matrix = Matrix4x4::CreateFromEulerDegrees({10, 20, 30});
    for (int column = 1; column <= 3; ++column)
    {
        matrix(1, column) *= 2.0f;
        matrix(2, column) *= 3.0f;
        matrix(3, column) *= 4.0f;
    }
    matrix(4, 1) = 5;
    matrix(4, 2) = 6;
    matrix(4, 3) = 7;
    Json transform = Json::array();
    for (u32 i = 0; i < 16; ++i)
    {
        transform.push_back(matrix[i]);
    }
    WriteObject(GUID_B, Json({{"path", "Blocks"}, {"transform", transform}, {"translation", {1, 2, 3}}}).dump());
    WriteObject(GUID_C, "{}");
    WriteObject("notes.txt", "not json");
    WriteObject(".hidden", "not json");
    WriteObject("not-a-guid", "not json");
    myRoot.Write(std::string(FOLDER) + "3b6f3c1e-2d7a-4c1f-9e4b-7a1d2c3e4f53/x", "folder named like a GUID");

    Scene scene;
    ASSERT_TRUE(Load(scene));
    EXPECT_EQ(scene.myPath, LEVEL);
    EXPECT_EQ(scene.myName, "level1");
    ASSERT_EQ(scene.myObjects.size(), 3u);

    const SceneObject& a = *scene.myObjects.at(*GetGuidIndex(GUID_A));
    EXPECT_EQ(a.myName, "LuckyBlock_01");
    EXPECT_EQ(a.myObjectDefinition, Id("QLO_BlockLucky"));
    EXPECT_TRUE(a.myIsHidden);
    ExpectNear(a.myTransform.myTranslation, {1200, 300, 0}, 0);
    ExpectNear(a.myTransform.myRotation, {0, 0, 10}, 0);
    ExpectNear(a.myTransform.myScale, {1, 2, 1}, 0);
    ASSERT_EQ(a.myPropertyOverrides.size(), 2u); // the unknown type is left out
    EXPECT_EQ(a.myPropertyOverrides[0].myName, Id("DropType"));
    EXPECT_EQ(a.myPropertyOverrides[0].myValue.Get<DropType>(), DropType::Life);
    EXPECT_EQ(a.myPropertyOverrides[1].myType, GetPropertyType<float>());
    EXPECT_FLOAT_EQ(a.myPropertyOverrides[1].myValue.Get<float>(), 4.5f);

    const SceneObject& b = *scene.myObjects.at(*GetGuidIndex(GUID_B));
    ExpectNear(b.myTransform.myTranslation, {1, 2, 3}, 0);
    ExpectNear(b.myTransform.myScale, {2, 3, 4}, 1e-5f);
    ExpectNear(b.myTransform.myRotation, {10, 20, 30}, 1e-3f);

    const SceneObject& c = *scene.myObjects.at(*GetGuidIndex(GUID_C));
    EXPECT_EQ(c.myName, "unknown");
    EXPECT_FALSE(c.myIsHidden);
    ExpectNear(c.myTransform.myScale, {1, 1, 1}, 0);
    EXPECT_TRUE(c.myObjectDefinition.IsEmpty());
    EXPECT_TRUE(c.myPropertyOverrides.empty());

    EXPECT_EQ(scene.myPathCounts.size(), 2u);
    EXPECT_EQ(scene.myPathCounts.begin()->first, StringId());
    // Every object counts under "" and under its own path, so C (path "") counts twice.
    EXPECT_EQ(scene.myPathCounts.begin()->second, 4);
    EXPECT_EQ(scene.myPathCounts.at(Id("Blocks")), 2);

    EXPECT_EQ(myLog.GetErrorCount(), 1);
    EXPECT_TRUE(myLog.Contains("unknown type \"NoSuchType\""));
    EXPECT_EQ(myLog.GetWarningCount(), 4);
    for (const char* skipped : {"notes.txt", ".hidden", "not-a-guid", "3b6f3c1e-2d7a-4c1f-9e4b-7a1d2c3e4f53"})
    {
        EXPECT_TRUE(myLog.Contains(skipped)) << skipped;
    }
}

TEST_F(SceneLoad, MarkerAndFolderRules)
{
    Scene scene;
    scene.myName = "before";
    EXPECT_FALSE(Load(scene)); // no marker
    EXPECT_EQ(scene.myName, "before");
    EXPECT_EQ(myLog.GetMessages().size(), 0u);

    myRoot.Write(LEVEL, "marker content is never read");
    ASSERT_TRUE(Load(scene)); // no folder: an empty scene
    EXPECT_TRUE(scene.myObjects.empty());
    EXPECT_EQ(scene.myName, "level1");

    for (const char* outside : {"../level1.qls", "/etc/passwd", ""})
    {
        EXPECT_FALSE(LoadScene(myRoot.Path(), outside, scene, myLog)) << outside;
    }
    EXPECT_EQ(myLog.GetErrorCount(), 3);
}

TEST_F(SceneLoad, SameGuidInOtherCaseReplacesInSortedOrder)
{
    myRoot.Write(LEVEL, "");
    WriteObject("ABCDEF00-2d7a-4c1f-9e4b-7a1d2c3e4f50", R"({"name": "upper"})");
    WriteObject("abcdef00-2d7a-4c1f-9e4b-7a1d2c3e4f50", R"({"name": "lower"})");
    Scene scene;
    ASSERT_TRUE(Load(scene));
    ASSERT_EQ(scene.myObjects.size(), 1u);
    EXPECT_EQ(scene.myObjects.begin()->second->myName, "lower"); // sorted: upper-case names come first
    EXPECT_EQ(myLog.GetWarningCount(), 1);
}

TEST_F(SceneLoad, BrokenObjectFilesRefuseTheLevelAndNameTheCause)
{
    const struct
    {
        const char* myJson;
        const char* myCause;
    } cases[] = {
        {R"({"name": "x")", "parse error"},
        {"", "parse error"},
        {"[1, 2]", "cannot use value() with array"},
        {R"({"name": 5})", "type must be string, but is number"},
        {R"({"translation": [1, 2]})", "array of 3 numbers"},
        {R"({"transform": [1, 2, 3]})", "array of 16 numbers"},
        {R"({"translation": {"x": 1}})", "array of 3 numbers, but is object"},
        {R"({"isHidden": 1})", "type must be boolean, but is number"},
        {R"({"properties": [5]})", "cannot use value() with number"},
        {R"({"properties": {"name": "a"}})", "must be an array"},
        {R"({"properties": [{"type": "Float", "value": 1}]})", "type must be string, but is null"},
        {R"({"properties": [{"name": "B", "type": "Bool"}]})", "type must be boolean, but is null"},
        {R"({"properties": [{"name": "I", "type": "Int", "value": 1e30}]})", "out of range"},
        {R"({"properties": [{"name": "M", "type": "Model", "value": "x.fbx"}]})", "cannot use value() with string"},
        {R"({"scale": [1, 1, 1e39]})", "out of range"},
    };
    myRoot.Write(LEVEL, "");
    WriteObject(GUID_A, R"({"name": "good"})");
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.myJson);
        WriteObject(GUID_B, c.myJson);
        ContentLog log(nullptr);
        Scene scene;
        scene.myName = "before";
        EXPECT_FALSE(LoadScene(myRoot.Path(), LEVEL, scene, log));
        EXPECT_EQ(scene.myName, "before");
        EXPECT_TRUE(scene.myObjects.empty());
        ASSERT_GE(log.GetMessages().size(), 1u);
        EXPECT_NE(log.GetMessages()[0].myFile.find(GUID_B), std::string::npos);
        EXPECT_NE(log.GetMessages()[0].myText.find(c.myCause), std::string::npos) << log.GetMessages()[0].myText;
    }
}

TEST(SceneTransform, EulerRoundTripIncludingGimbalLock)
{
    const Vector3<float> rotations[] = {{0, 0, 0}, {10, 20, 30}, {-45, 10, 170}, {0, 90, 0}, {90, 0, 0}};
    for (const Vector3<float>& rotation : rotations)
    {
        SceneObject object;
        RotationMatrixToEuler(object, Matrix4x4::CreateFromEulerDegrees(rotation));
        const Matrix4x4 back = Matrix4x4::CreateFromEulerDegrees(object.myTransform.myRotation);
        const Matrix4x4 original = Matrix4x4::CreateFromEulerDegrees(rotation);
        for (u32 i = 0; i < 16; ++i)
        {
            EXPECT_NEAR(back[i], original[i], 1e-4f) << rotation.x << " " << rotation.y << " " << rotation.z;
        }
    }
    SceneObject gimbal;
    RotationMatrixToEuler(gimbal, Matrix4x4::CreateFromEulerDegrees({0, 90, 0}));
    EXPECT_NEAR(gimbal.myTransform.myRotation.y, 90.0f, 1e-3f);
    EXPECT_EQ(gimbal.myTransform.myRotation.z, 0.0f);
}

// ---- Definitions ---------------------------------------------------------------------------

namespace
{
const char* LUCKY = R"({
  "parent-object-definition": "",
  "properties": [
    { "name": "Object Tag", "type": "Object Tag", "is-dynamic": false, "is-per-instance": false, "value": 8 },
    { "name": "TileMaterial", "type": "TileMaterial", "is-dynamic": false, "is-per-instance": true, "value": 1,
      "group": "Tile", "description": "What it is made of" },
    { "name": "DropType", "type": "DropType", "is-dynamic": true, "is-per-instance": true, "value": 0 },
    { "name": "Speed", "type": "Float", "is-dynamic": false, "is-per-instance": true, "value": 1.5 },
    { "name": "Locked", "type": "Bool", "is-dynamic": false, "is-per-instance": false, "value": false },
    { "name": "BatterySpawn", "type": "Object", "is-dynamic": false, "is-per-instance": false,
      "value": { "path": "objects/drops/QLO_BatterySpawn.qlo" } }
  ]
})";
}

TEST_F(ObjectDefinitions, LoadAllFindsDefinitionsAndReportsDuplicates)
{
    myRoot.Write("a/QLO_X.qlo", R"({"parent-object-definition": "first"})");
    myRoot.Write("b/QLO_X.qlo", R"({"parent-object-definition": "second"})");
    myRoot.Write("objects/QLO_BlockLucky.qlo", LUCKY);
    myRoot.Write("QLO_Y.QLO", R"({"parent-object-definition": ""})");
    myRoot.Write("QLO_Z.qlo.bak", R"({"parent-object-definition": ""})");
    myRoot.Write("scenes/l.leveldata/QLO_InScene.qlo", R"({"parent-object-definition": ""})");
    myRoot.Write("broken/QLO_Broken.qlo", R"({"properties": []})");

    ObjectDefinitionManager manager;
    manager.LoadAll(myRoot.Path().string(), myLog);
    EXPECT_EQ(manager.GetCount(), 2u);
    const ObjectDefinition* x = manager.Find(Id("QLO_X"));
    ASSERT_NE(x, nullptr);
    EXPECT_EQ(x->myParent, Id("first"));
    EXPECT_EQ(x->myPath, "a/QLO_X.qlo");
    EXPECT_EQ(manager.Find(Id("QLO_Y")), nullptr);
    EXPECT_EQ(manager.Find(Id("QLO_Z.qlo")), nullptr);
    EXPECT_EQ(manager.Find(Id("QLO_Broken")), nullptr);

    ASSERT_EQ(myLog.GetErrorCount(), 2);
    EXPECT_TRUE(myLog.Contains("QLO_Broken.qlo"));
    EXPECT_TRUE(myLog.Contains("type must be string, but is null"));
    int duplicates = 0;
    for (const auto& message : myLog.GetMessages())
    {
        duplicates += message.myText == "Multiple qlo files exist with same name. That is not allowed: QLO_X";
    }
    EXPECT_EQ(duplicates, 1);

    const ObjectDefinition* lucky = manager.Find(Id("QLO_BlockLucky"));
    ASSERT_NE(lucky, nullptr);
    ASSERT_EQ(lucky->myProperties.size(), 6u);
    const PropertyRecord& material = lucky->myProperties[1];
    EXPECT_EQ(material.myName, Id("TileMaterial"));
    EXPECT_EQ(material.myGroup, Id("Tile"));
    EXPECT_EQ(material.myDescription, Id("What it is made of"));
    EXPECT_EQ(material.myFlags, PROPERTY_FLAG_PER_INSTANCE);
    EXPECT_EQ(lucky->myProperties[2].myFlags, PROPERTY_FLAG_PER_INSTANCE | PROPERTY_FLAG_DYNAMIC);
    EXPECT_EQ(lucky->myProperties[5].myValue.Get<ObjectReferenceValue>()->myPath,
              Id("objects/drops/QLO_BatterySpawn.qlo"));
}

TEST_F(ObjectDefinitions, DefinitionReaderErrors)
{
    const struct
    {
        const char* myJson;
        const char* myCause;
        std::size_t myProperties;
    } cases[] = {
        {R"({})", "type must be string, but is null", 0},
        {R"([])", "cannot use value() with array", 0},
        {R"({"parent-object-definition": ""})", nullptr, 0},
        {R"({"parent-object-definition": "", "properties": [5]})", "cannot use value() with number", 0},
        {R"({"parent-object-definition": "", "properties": [{"name": "a", "is-dynamic": false, "type": "Int", "value": 1}]})",
         "\"is-per-instance\"", 0},
        {R"({"parent-object-definition": "", "properties": [{"name": "a", "is-dynamic": false, "is-per-instance": false,
             "type": "Nope", "value": 1}, {"name": "b", "is-dynamic": false, "is-per-instance": false, "type": "Int", "value": 1}]})",
         "unknown type \"Nope\"", 1},
        {R"({"parent-object-definition": "", "properties)", "parse error", 0},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.myJson);
        myRoot.Write("QLO_T.qlo", c.myJson);
        ContentLog log(nullptr);
        ObjectDefinition definition;
        std::string error;
        try
        {
            ReadObjectDefinition(definition, myRoot.Path(), "QLO_T.qlo", log);
        }
        catch (const std::exception& caught)
        {
            error = caught.what();
        }
        const std::string reported = error + (log.GetMessages().empty() ? "" : log.GetMessages()[0].myText);
        if (c.myCause)
        {
            EXPECT_NE(reported.find(c.myCause), std::string::npos) << reported;
        }
        else
        {
            EXPECT_EQ(reported, "");
        }
        if (error.empty())
        {
            EXPECT_EQ(definition.myProperties.size(), c.myProperties);
            EXPECT_EQ(definition.myName, Id("QLO_T"));
        }
    }
}

TEST_F(ObjectDefinitions, MergeOfPerInstanceOverrides)
{
    myRoot.Write("objects/QLO_BlockLucky.qlo", LUCKY);
    ObjectDefinitionManager manager;
    manager.LoadAll(myRoot.Path().string(), myLog);

    SceneObject object;
    object.myObjectDefinition = Id("QLO_BlockLucky");
    auto add = [&](const char* aName, PropertyValue aValue) {
        PropertyOverride& added = object.myPropertyOverrides.emplace_back();
        added.myName = Id(aName);
        added.myType = aValue.GetType();
        added.myValue = std::move(aValue);
    };
    add("Speed", PropertyValue::Make(i32(9)));               // per-instance but another type: ignored
    add("Speed", PropertyValue::Make(7.0f));                 // not the first of its name: ignored
    add("TileMaterial", PropertyValue::Make(TileMaterial::Hollow));
    add("TileMaterial", PropertyValue::Make(TileMaterial::Concrete));
    add("Locked", PropertyValue::Make(true));                // not per-instance: ignored
    add("Nothing", PropertyValue::Make(1.0f));               // no such record: ignored

    std::vector<PropertyRecord> merged;
    ApplyPerInstanceProperties(object, manager, merged);
    ASSERT_EQ(merged.size(), 6u);
    const char* order[] = {"Object Tag", "TileMaterial", "DropType", "Speed", "Locked", "BatterySpawn"};
    for (std::size_t i = 0; i < 6; ++i)
    {
        EXPECT_EQ(merged[i].myName, Id(order[i]));
    }
    EXPECT_EQ(merged[1].myValue.Get<TileMaterial>(), TileMaterial::Hollow);
    EXPECT_EQ(merged[1].myGroup, Id("Tile"));
    EXPECT_EQ(merged[1].myFlags, PROPERTY_FLAG_PER_INSTANCE);
    EXPECT_EQ(merged[2].myValue.Get<DropType>(), DropType::Battery);
    EXPECT_FLOAT_EQ(merged[3].myValue.Get<float>(), 1.5f);
    EXPECT_FALSE(merged[4].myValue.Get<bool>());
    EXPECT_EQ(*FindProperty<TileMaterial>(merged, Id("TileMaterial")), TileMaterial::Hollow);
    EXPECT_EQ(FindProperty<float>(merged, Id("TileMaterial")), nullptr);

    for (StringId name : {StringId(), Id("QLO_Missing")})
    {
        std::vector<PropertyRecord> none;
        object.myObjectDefinition = name;
        ApplyPerInstanceProperties(object, manager, none);
        EXPECT_TRUE(none.empty());
    }
}

// ---- The definition writer -----------------------------------------------------------------

namespace
{
std::string ReadFile(const std::filesystem::path& aPath)
{
    std::ifstream in(aPath, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<std::string> FolderNames(const std::filesystem::path& aFolder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(aFolder))
    {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}
}

TEST_F(ObjectDefinitions, GetOrCreateWritesTheEmptyDefinitionOnce)
{
    ObjectDefinitionManager manager;
    manager.LoadAll(myRoot.Path().string(), myLog);
    ObjectDefinition* created = manager.GetOrCreate("objects/drops/QLO_New.qlo", myLog);
    ASSERT_NE(created, nullptr);
    EXPECT_EQ(created->myName, Id("QLO_New"));
    EXPECT_EQ(created->myPath, "objects/drops/QLO_New.qlo");
    EXPECT_TRUE(created->myProperties.empty());
    const auto file = myRoot.Path() / "objects/drops/QLO_New.qlo";
    EXPECT_EQ(ReadFile(file), "{\n  \"parent-object-definition\": \"\"\n}");
    EXPECT_EQ(FolderNames(file.parent_path()), std::vector<std::string>{"QLO_New.qlo"}); // no temporary left

    const auto written = std::filesystem::last_write_time(file);
    EXPECT_EQ(manager.GetOrCreate("elsewhere/QLO_New.qlo", myLog), created);
    EXPECT_EQ(std::filesystem::last_write_time(file), written);
    EXPECT_EQ(manager.Find(Id("QLO_New")), created);

    // No extension: the file gets ".qlo", the definition keeps the path as given.
    ObjectDefinition* bare = manager.GetOrCreate("objects/QLO_NoExt", myLog);
    EXPECT_EQ(bare->myPath, "objects/QLO_NoExt");
    EXPECT_TRUE(std::filesystem::exists(myRoot.Path() / "objects/QLO_NoExt.qlo"));
}

TEST_F(ObjectDefinitions, GetOrCreateRefusesUnsafeTargetsAndNeverOverwrites)
{
    myRoot.Write("game/.keep", "");
    ObjectDefinitionManager manager;
    manager.LoadAll((myRoot.Path() / "game").string(), myLog);
    const auto before = FolderNames(myRoot.Path());

    // An empty path: one shared in-memory definition, nothing written (not even "<root>/.qlo").
    ObjectDefinition* empty = manager.GetOrCreate("", myLog);
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(manager.GetOrCreate("", myLog), empty);
    for (const char* unsafe : {"../QLO_Out.qlo", "/tmp/QLO_Abs.qlo", "a/../../QLO_Up.qlo", "docs/readme.txt"})
    {
        SCOPED_TRACE(unsafe);
        ObjectDefinition* definition = manager.GetOrCreate(unsafe, myLog);
        ASSERT_NE(definition, nullptr); // still usable in memory
        EXPECT_TRUE(definition->myProperties.empty());
    }
    EXPECT_FALSE(std::filesystem::exists("/tmp/QLO_Abs.qlo"));
    EXPECT_EQ(FolderNames(myRoot.Path()), before);
    EXPECT_EQ(myLog.GetErrorCount(), 4);

    // A file that appeared after start is read, not overwritten.
    myRoot.Write("game/objects/QLO_Late.qlo", LUCKY);
    ObjectDefinition* late = manager.GetOrCreate("objects/QLO_Late.qlo", myLog);
    EXPECT_EQ(late->myProperties.size(), 6u);
    EXPECT_EQ(ReadFile(myRoot.Path() / "game/objects/QLO_Late.qlo"), LUCKY);
}

TEST_F(ObjectDefinitions, WriteFailureKeepsTheOldStateAndReports)
{
    // A folder where the file should go: the final rename fails after the text was written.
    myRoot.Write("objects/QLO_Dir.qlo/inside", "kept");
    ObjectDefinition blocked;
    blocked.myName = Id("QLO_Dir");
    blocked.myPath = "objects/QLO_Dir.qlo";
    EXPECT_EQ(WriteObjectDefinition(blocked, myRoot.Path(), WriteMode::Replace, myLog), WriteResult::Failed);
    EXPECT_EQ(ReadFile(myRoot.Path() / "objects/QLO_Dir.qlo/inside"), "kept");
    EXPECT_EQ(FolderNames(myRoot.Path() / "objects"), std::vector<std::string>{"QLO_Dir.qlo"});
    EXPECT_TRUE(myLog.Contains("objects/QLO_Dir.qlo"));
}

TEST_F(ObjectDefinitions, WriteIntoReadOnlyFolderKeepsTheOldFile)
{
    if (::geteuid() == 0)
    {
        GTEST_SKIP() << "root ignores folder permissions";
    }
    myRoot.Write("locked/QLO_Old.qlo", "old");
    std::filesystem::permissions(myRoot.Path() / "locked", std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::remove);
    ObjectDefinition definition;
    definition.myName = Id("QLO_Old");
    definition.myPath = "locked/QLO_Old.qlo";
    EXPECT_EQ(WriteObjectDefinition(definition, myRoot.Path(), WriteMode::Replace, myLog), WriteResult::Failed);
    EXPECT_EQ(ReadFile(myRoot.Path() / "locked/QLO_Old.qlo"), "old");
    EXPECT_TRUE(myLog.Contains("locked/QLO_Old.qlo"));
    std::filesystem::permissions(myRoot.Path() / "locked", std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add);
}

TEST_F(ObjectDefinitions, WriterFormAndRoundTrip)
{
    myRoot.Write("objects/QLO_BlockLucky.qlo", LUCKY);
    ObjectDefinition read;
    ReadObjectDefinition(read, myRoot.Path(), "objects/QLO_BlockLucky.qlo", myLog);
    read.myPath = "out/QLO_BlockLucky.qlo";
    read.myParent = Id("QLO_Base");
    ASSERT_EQ(WriteObjectDefinition(read, myRoot.Path(), WriteMode::Replace, myLog), WriteResult::Written);
    const std::string text = ReadFile(myRoot.Path() / "out/QLO_BlockLucky.qlo");
    // Keys sorted, 2-space indent, no newline at the end.
    EXPECT_EQ(text.rfind("{\n  \"parent-object-definition\": \"QLO_Base\",\n  \"properties\": [\n    {\n"
                                   "      \"description\": \"\",\n      \"group\": \"\",\n      \"is-dynamic\": false,\n"
                                   "      \"is-per-instance\": false,\n", 0), 0u);
    EXPECT_NE(text.find("\"value\": 1.5\n"), std::string::npos);
    EXPECT_EQ(text.back(), '}');

    ObjectDefinition back;
    ReadObjectDefinition(back, myRoot.Path(), "out/QLO_BlockLucky.qlo", myLog);
    EXPECT_EQ(back.myParent, Id("QLO_Base"));
    EXPECT_EQ(ObjectDefinitionToText(back), ObjectDefinitionToText(read));
    EXPECT_EQ(myLog.GetErrorCount(), 0);
}

// The whole road of a level: definitions at start, the scene, then each object's merged list.
TEST_F(SceneLoad, LevelWithDefinitionsMergesOverrides)
{
    myRoot.Write("objects/blocks/QLO_BlockLucky.qlo", LUCKY);
    myRoot.Write("objects/drops/QLO_BatterySpawn.qlo", R"({"parent-object-definition": ""})");
    myRoot.Write(LEVEL, "");
    WriteObject(GUID_A, R"({"name": "Lucky", "object-definition": "QLO_BlockLucky", "translation": [100, 200, 0],
        "properties": [{"name": "DropType", "type": "DropType", "value": 2},
                       {"name": "TileMaterial", "type": "Int", "value": 2}]})");
    WriteObject(GUID_B, R"({"name": "Plain", "object-definition": "QLO_BatterySpawn", "isHidden": true})");

    ObjectDefinitionManager definitions;
    definitions.LoadAll(myRoot.Path().string(), myLog);
    Scene scene;
    ASSERT_TRUE(Load(scene));
    EXPECT_EQ(myLog.GetMessages().size(), 0u);

    std::vector<PropertyRecord> merged;
    const SceneObject& lucky = *scene.myObjects.at(*GetGuidIndex(GUID_A));
    ApplyPerInstanceProperties(lucky, definitions, merged);
    ASSERT_EQ(merged.size(), 6u);
    EXPECT_EQ(*FindProperty<ObjectTag>(merged, Id("Object Tag")), ObjectTag::BlockLucky);
    EXPECT_EQ(*FindProperty<DropType>(merged, Id("DropType")), DropType::Life);              // overridden
    EXPECT_EQ(*FindProperty<TileMaterial>(merged, Id("TileMaterial")), TileMaterial::Metal); // other type: kept
    const ObjectReferenceValue* drop = FindProperty<ObjectReferenceValue>(merged, Id("BatterySpawn"));
    ASSERT_NE(drop, nullptr);
    EXPECT_EQ(definitions.GetOrCreate(std::string((*drop)->myPath.GetView()), myLog),
              definitions.Find(Id("QLO_BatterySpawn")));

    merged.clear();
    const SceneObject& plain = *scene.myObjects.at(*GetGuidIndex(GUID_B));
    EXPECT_TRUE(plain.myIsHidden);
    ApplyPerInstanceProperties(plain, definitions, merged);
    EXPECT_TRUE(merged.empty());
}

// A crash between writing the temporary file and renaming it leaves the old file and a hidden
// temporary that no loader takes for a definition.
TEST_F(ObjectDefinitions, LeftoverTemporaryFromACrashIsIgnored)
{
    myRoot.Write("objects/QLO_Kept.qlo", R"({"parent-object-definition": "old"})");
    myRoot.Write("objects/.QLO_Kept.qlo.tmp123-0", "{\n  \"parent-object-");
    ObjectDefinitionManager manager;
    manager.LoadAll(myRoot.Path().string(), myLog);
    EXPECT_EQ(manager.GetCount(), 1u);
    EXPECT_EQ(manager.Find(Id("QLO_Kept"))->myParent, Id("old"));
    EXPECT_EQ(myLog.GetMessages().size(), 0u);
}
