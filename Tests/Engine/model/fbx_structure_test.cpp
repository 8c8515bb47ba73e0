// The FBX structure reader: what it learns from a file and what it refuses.
#include "ModelFixtures.h"
#include "QELFBXImporter/source/FbxStructure.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace QelFbx;
using namespace FbxGen;

namespace
{
std::string Replace(std::string aText, const std::string& aFrom, const std::string& aTo)
{
    const size_t at = aText.find(aFrom);
    EXPECT_NE(at, std::string::npos) << aFrom;
    if (at != std::string::npos)
        aText.replace(at, aFrom.size(), aTo);
    return aText;
}

void Put32(std::string& aBytes, uint32_t aValue) { aBytes.append(reinterpret_cast<const char*>(&aValue), 4); }

// A record starting at aStart with its properties and (already laid out) children.
std::string Record(size_t aStart, const std::string& aName, const std::string& aProperties, uint32_t aCount,
                   const std::string& aChildren)
{
    std::string bytes;
    Put32(bytes, static_cast<uint32_t>(aStart + 13 + aName.size() + aProperties.size() + aChildren.size()));
    Put32(bytes, aCount);
    Put32(bytes, static_cast<uint32_t>(aProperties.size()));
    bytes.push_back(static_cast<char>(aName.size()));
    return bytes + aName + aProperties + aChildren;
}
}

TEST(FbxStructureTest, ReadsClassesSlotsLodsTimeAndStacks)
{
    Scene scene = QelTest::MakeClipScene(true);
    scene.myTimeMode = 11;
    scene.myNodes.push_back({"Tree_LOD", "", "LodGroup", {0, 0, 0}, {0, 0, 0}, {1, 1, 1}, {300.0, 900.0}});
    FileInfo info;
    std::string error;
    ASSERT_TRUE(ReadStructure(WriteAscii(scene), info, error)) << error;
    EXPECT_FALSE(info.myIsBinary);
    EXPECT_EQ(info.myVersion, 7400u);
    EXPECT_EQ(info.myClassByName.at("rig:Hip"), "LimbNode");
    EXPECT_EQ(info.myClassByName.at("Hand_socket"), "Null");
    EXPECT_EQ(info.myClassByName.at("Body"), "Mesh");
    EXPECT_EQ(info.myClassByName.at("Tree_LOD"), "LodGroup");
    EXPECT_EQ(info.myMaterials, (std::vector<std::string>{"M_Body", "M_Head"}));
    EXPECT_EQ(info.myMaterialsByModel.at("Body"), (std::vector<std::string>{"M_Body", "M_Head"}));
    EXPECT_EQ(info.myLodThresholds.at("Tree_LOD"), (std::vector<float>{300.0f, 900.0f}));
    EXPECT_EQ(info.myTimeMode, 11);
    ASSERT_EQ(info.myStacks.size(), 1u);
    EXPECT_EQ(info.myStacks[0].myLocalStart, 0);
    EXPECT_EQ(info.myStacks[0].myLocalStop, QelFbx::KTIME_PER_SECOND * 30 / 24);
    EXPECT_DOUBLE_EQ(FrameRateOfTimeMode(11, -1), 24.0);
    EXPECT_DOUBLE_EQ(FrameRateOfTimeMode(14, 12.5), 12.5);
    EXPECT_DOUBLE_EQ(FrameRateOfTimeMode(0, -1), 30.0);
}

TEST(FbxStructureTest, RefusesMalformedFiles)
{
    const std::string good = WriteAscii(QelTest::MakeCharacterScene());
    const std::pair<std::string, std::string> cases[] = {
        {"", "the file is empty"},
        {"just some text\n", "not an FBX file"},
        {good.substr(0, good.size() - 40), "the file ends inside a block (line"},
        {good + "}\n", "a '}' without its '{'"},
        {Replace(good, "Vertices: *48 {", "Vertices: *47 {"), "array Vertices holds 48 values, not 47"},
        {Replace(good, "Vertices: *48 {", "Vertices: *99999999999 {"), "bad array count"},
        {good + "Extra: \"no end\n", "unterminated string"},
        {Replace(good, "UnitScaleFactor\", \"double\", \"Number\", \"\",1", "UnitScaleFactor\", \"double\", \"Number\", \"\",0"),
         "the unit scale factor is not a positive size"},
        {Replace(good, "a: 1,3,7,-6", "a: 1,3,16,-6"),
         "a polygon names a vertex the mesh does not have"},
        {Replace(good, "a: 8,9,10", "a: 8,9,-3"), "a skin cluster names a vertex the mesh does not have"},
        {Replace(good, "Weights: *8", "Weights: *7"), "array Weights holds 8 values, not 7"},
        {Replace(good, "a: 1,1,1,1,1,1,0", "a: 5,1,1,1,1,1,0"),
         "a polygon names a material slot the mesh does not have"},
        {std::string(2000, '{'), "not an FBX file"},
        {"; FBX 7.4.0\n" + std::string(200, '{'), "expected a name"},
        {"; FBX 7.4.0\n" + [] { std::string deep; for (int i = 0; i < 100; ++i) deep += "A: {\n"; return deep; }(),
         "blocks nested too deeply"},
    };
    for (const auto& [bytes, expected] : cases)
    {
        FileInfo info;
        std::string error;
        EXPECT_FALSE(ReadStructure(bytes, info, error)) << expected;
        EXPECT_NE(error.find(expected), std::string::npos) << "expected '" << expected << "', got '" << error << "'";
    }
}

TEST(FbxStructureTest, BinaryRecordsAreBoundsChecked)
{
    std::string bytes("Kaydara FBX Binary  \0\x1a\0", 23);
    Put32(bytes, 7400);
    // Objects > Model with properties L id, S "Hip\0\1Model", S "LimbNode".
    std::string properties;
    const int64_t id = 42;
    properties += 'L';
    properties.append(reinterpret_cast<const char*>(&id), 8);
    for (const std::string& text : {std::string("Hip\0\1Model", 10), std::string("LimbNode")})
    {
        properties += 'S';
        Put32(properties, static_cast<uint32_t>(text.size()));
        properties += text;
    }
    const size_t objectsStart = bytes.size();
    const std::string model = Record(objectsStart + 13 + 7, "Model", properties, 3, "") + std::string(13, '\0');
    bytes += Record(objectsStart, "Objects", "", 0, model);
    bytes += std::string(13, '\0');
    FileInfo info;
    std::string error;
    ASSERT_TRUE(ReadStructure(bytes, info, error)) << error;
    EXPECT_TRUE(info.myIsBinary);
    EXPECT_EQ(info.myVersion, 7400u);
    ASSERT_EQ(info.myModels.size(), 1u);
    EXPECT_EQ(info.myModels[0].myName, "Hip");
    EXPECT_EQ(info.myModels[0].myClass, "LimbNode");

    // Every cut of the file is refused without reading past its end.
    for (size_t cut = 23; cut + 13 < bytes.size(); ++cut)
    {
        FileInfo partial;
        EXPECT_FALSE(ReadStructure(bytes.substr(0, cut), partial, error)) << "cut at " << cut;
    }
    // An end offset past the file.
    std::string corrupt = bytes;
    const uint32_t far = 1u << 30;
    std::memcpy(corrupt.data() + 27, &far, 4);
    EXPECT_FALSE(ReadStructure(corrupt, info, error));
    EXPECT_EQ(error, "a record's end offset is out of range");
}
