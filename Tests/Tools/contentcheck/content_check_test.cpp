#include "ContentChecker.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

using namespace Qel;

namespace
{
const char* GUID_A = "0b6f3c1e-2d7a-4c1f-9e4b-7a1d2c3e4f50";
const char* GUID_B = "1b6f3c1e-2d7a-4c1f-9e4b-7a1d2c3e4f51";

struct Tree
{
    QelTest::TempFolder myFolder;
    std::filesystem::path Game() const { return myFolder.Path() / "game"; }
    void Write(const std::string& aRelative, const std::string& aText) const { myFolder.Write("game/" + aRelative, aText); }

    // A small valid tree: a level with two objects and the definitions they use.
    Tree()
    {
        myFolder.Write("engine/Textures/T_Default_c.dds", "dds");
        Write("art/2d/T_Block_C.dds", "dds");
        Write("vfx/P_Sparks.qlap", "{}");
        Write("objects/QLO_Block.qlo", R"({"parent-object-definition": "", "properties": [
            {"name": "Object Tag", "type": "Object Tag", "is-dynamic": false, "is-per-instance": false, "value": 7},
            {"name": "TileMaterial", "type": "TileMaterial", "is-dynamic": false, "is-per-instance": true, "value": 1},
            {"name": "Model", "type": "Model", "is-dynamic": false, "is-per-instance": false,
             "value": {"path": "Cube", "textures": [["art/2d/T_Block_C.dds", "Textures/T_Default_c.dds"]]}},
            {"name": "Sparks", "type": "Particle System", "is-dynamic": false, "is-per-instance": false,
             "value": {"particleSystemPath": "vfx/P_Sparks.qlap"}},
            {"name": "Drop", "type": "Object", "is-dynamic": false, "is-per-instance": false,
             "value": {"path": "objects/QLO_Drop.qlo"}}]})");
        Write("objects/QLO_Drop.qlo", R"({"parent-object-definition": ""})");
        Write("scenes/game_scenes/level1.qls", "");
        Write(std::string("scenes/game_scenes/level1.leveldata/") + GUID_A,
              R"({"name": "Block", "object-definition": "QLO_Block", "translation": [0, 0, 0],
                  "properties": [{"name": "TileMaterial", "type": "TileMaterial", "value": 2}]})");
    }

    int Check(ContentLog& aLog) const { return ContentCheck::Run(Game(), myFolder.Path() / "engine", aLog); }
};
}

TEST(ContentCheck, AValidTreePasses)
{
    Tree tree;
    ContentLog log(nullptr);
    EXPECT_EQ(tree.Check(log), 0);
    EXPECT_EQ(log.GetWarningCount(), 0);
    for (const auto& message : log.GetMessages())
    {
        ADD_FAILURE() << message.myText;
    }
}

TEST(ContentCheck, EachProblemIsReportedWithItsFile)
{
    const std::string object = std::string("scenes/game_scenes/level1.leveldata/") + GUID_B;
    const struct
    {
        const char* myFile;
        const char* myText;
        const char* myCause;
    } cases[] = {
        {"objects/QLO_Bad.qlo", R"({"properties": []})", "type must be string, but is null"},
        {"objects/QLO_Tag.qlo", R"({"parent-object-definition": "", "properties": [
            {"name": "Object Tag", "type": "Object Tag", "is-dynamic": false, "is-per-instance": false, "value": "ShieldPickup"}]})",
         "reads as Default"},
        {"objects/QLO_Range.qlo", R"({"parent-object-definition": "", "properties": [
            {"name": "M", "type": "TileMaterial", "is-dynamic": false, "is-per-instance": false, "value": -1}]})",
         "TileMaterial 255 is outside 0 to 2"},
        {"objects/QLO_Blend.qlo", R"({"parent-object-definition": "", "properties": [
            {"name": "M", "type": "Model", "is-dynamic": false, "is-per-instance": false,
             "value": {"path": "Plane", "renderConfig": [{"blendState": 3}]}}]})",
         "blend state 3 is outside 0 to 2"},
        {"objects/QLO_Missing.qlo", R"({"parent-object-definition": "", "properties": [
            {"name": "M", "type": "Model", "is-dynamic": false, "is-per-instance": false, "value": {"path": "art/none.fbx"}}]})",
         "model \"art/none.fbx\" is not in the asset tree"},
        {"objects/QLO_Ref.qlo", R"({"parent-object-definition": "", "properties": [
            {"name": "Drop", "type": "Object", "is-dynamic": false, "is-per-instance": false, "value": {"path": "objects/QLO_Nowhere.qlo"}}]})",
         "names no object definition"},
        {"objects/QLO_Type.qlo", R"({"parent-object-definition": "", "properties": [
            {"name": "X", "type": "Vector", "is-dynamic": false, "is-per-instance": false, "value": 1}]})",
         "unknown type \"Vector\""},
        {"objects/other/QLO_Drop.qlo", R"({"parent-object-definition": ""})",
         "Multiple qlo files exist with same name. That is not allowed: QLO_Drop"},
        {object.c_str(), R"({"name": "Lost", "object-definition": "QLO_Lost"})", "\"QLO_Lost\", which does not exist"},
        {object.c_str(), R"({"name": "Broken", )", "parse error"},
        {"scenes/game_scenes/level2.qls", "", nullptr},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.myText);
        Tree tree;
        tree.Write(c.myFile, c.myText);
        if (!c.myCause)
        {
            // A level whose folder holds a folder and a stray file: warnings only.
            tree.Write("scenes/game_scenes/level2.leveldata/readme.txt", "x");
            tree.Write("scenes/game_scenes/level2.leveldata/0b6f3c1e-2d7a-4c1f-9e4b-7a1d2c3e4f59/x", "x");
            ContentLog log(nullptr);
            EXPECT_EQ(tree.Check(log), 0);
            EXPECT_EQ(log.GetWarningCount(), 2);
            continue;
        }
        ContentLog log(nullptr);
        EXPECT_GE(tree.Check(log), 1);
        bool found = false;
        for (const auto& message : log.GetMessages())
        {
            const std::string name = std::filesystem::path(c.myFile).filename().string();
            found |= message.myIsError && message.myText.find(c.myCause) != std::string::npos
                  && (message.myText.find(name) != std::string::npos || message.myFile.find(name) != std::string::npos);
        }
        EXPECT_TRUE(found);
        if (!found)
        {
            for (const auto& message : log.GetMessages())
            {
                std::cout << message.myText << "\n";
            }
        }
    }
}
