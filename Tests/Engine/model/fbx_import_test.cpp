// The importer on files written by our FBX generator.
#include "ModelFixtures.h"
#include "QELFBXImporter/source/Importer.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

using namespace QelFbx;
using namespace FbxGen;

namespace
{
class FbxImportTest : public ::testing::Test
{
protected:
    void SetUp() override { InitImporter(); }
    void TearDown() override { UninitImporter(); }

    std::string Write(const std::string& aName, const Scene& aScene)
    {
        const std::filesystem::path path = myFolder.Path() / aName;
        EXPECT_TRUE(WriteFile(path, aScene));
        return path.string();
    }

    QelTest::TempFolder myFolder;
};

const ImportedMesh* FindMesh(const ImportedModel& aModel, const std::string& aMaterial)
{
    for (const ImportedMesh& mesh : aModel.myMeshes)
        if (mesh.myMaterialIndex < aModel.myMaterials.size() && aModel.myMaterials[mesh.myMaterialIndex].myName == aMaterial)
            return &mesh;
    return nullptr;
}
}

TEST_F(FbxImportTest, CharacterMeshesSkeletonSkinAndSockets)
{
    ImportedModel model;
    ASSERT_TRUE(LoadFbxModel(Write("Hero.fbx", QelTest::MakeCharacterScene()), model)) << GetLastImporterError();

    // Two meshes named after the node, in material-slot order although slot 1's polygons come first.
    ASSERT_EQ(model.myMeshes.size(), 2u);
    ASSERT_EQ(model.myMaterials.size(), 2u);
    EXPECT_EQ(model.myMaterials[model.myMeshes[0].myMaterialIndex].myName, "M_Body");
    EXPECT_EQ(model.myMaterials[model.myMeshes[1].myMaterialIndex].myName, "M_Head");
    for (const ImportedMesh& mesh : model.myMeshes)
    {
        EXPECT_EQ(mesh.myName, "Body");
        // A box: 6 quads as 12 triangles; corners shared within a face only (normals differ).
        EXPECT_EQ(mesh.myIndices.size(), 36u);
        EXPECT_EQ(mesh.myVertices.size(), 24u);
    }

    const ImportedSkeleton& skeleton = model.mySkeleton;
    EXPECT_EQ(skeleton.myName, "rig");
    ASSERT_EQ(skeleton.myJoints.size(), 2u);
    EXPECT_EQ(skeleton.myJoints[0].myName, "Hip");
    EXPECT_EQ(skeleton.myJoints[0].myFullName, "rig:Hip");
    EXPECT_EQ(skeleton.myJoints[0].myParent, -1);
    EXPECT_EQ(skeleton.myJoints[1].myName, "Spine");
    EXPECT_EQ(skeleton.myJoints[1].myParent, 0);
    EXPECT_EQ(skeleton.myJoints[0].myChildren, std::vector<uint32_t>{1});
    // Inverse binds in the transposed layout: the translation in elements 3, 7, 11.
    EXPECT_NEAR(skeleton.myJoints[0].myMatrix[7], -50.0f, 1e-4f);
    EXPECT_NEAR(skeleton.myJoints[1].myMatrix[7], -75.0f, 1e-4f);
    EXPECT_NEAR(skeleton.myJoints[1].myMatrix[3], 0.0f, 1e-4f);

    // Nulls: the socket is kept with its global transform (FBX rows), the event is no joint.
    ASSERT_EQ(skeleton.mySockets.count("Hand_socket"), 1u);
    const ImportedMatrix& socket = skeleton.mySockets.at("Hand_socket").myMatrix;
    EXPECT_NEAR(socket[12], 5.0f, 1e-4f);
    EXPECT_NEAR(socket[13], 75.0f, 1e-4f);
    EXPECT_EQ(skeleton.mySockets.at("Hand_socket").myParent, 1);
    EXPECT_EQ(skeleton.myJointIndexByName.count("Tip_evt"), 0u);

    // Skin: the body box follows Hip alone, the head box Spine alone.
    const ImportedMesh* body = FindMesh(model, "M_Body");
    const ImportedMesh* head = FindMesh(model, "M_Head");
    ASSERT_TRUE(body && head);
    for (const ImportedVertex& v : body->myVertices)
    {
        EXPECT_EQ(v.myBones[0], 0u);
        EXPECT_FLOAT_EQ(v.myWeights[0], 1.0f);
        EXPECT_FLOAT_EQ(v.myWeights[1], 0.0f);
        EXPECT_FLOAT_EQ(v.myPosition[3], 1.0f);
    }
    for (const ImportedVertex& v : head->myVertices)
    {
        EXPECT_EQ(v.myBones[0], 1u);
        EXPECT_GE(v.myPosition[1], 90.0f - 1e-4f);
        // Tangent space is generated: unit tangents perpendicular to the normal.
        const float dot = v.myTangent[0] * v.myNormal[0] + v.myTangent[1] * v.myNormal[1] + v.myTangent[2] * v.myNormal[2];
        EXPECT_NEAR(dot, 0.0f, 1e-4f);
        EXPECT_NEAR(std::hypot(v.myTangent[0], v.myTangent[1], v.myTangent[2]), 1.0f, 1e-3f);
    }
}

TEST_F(FbxImportTest, QuadTriangulatedWithFlippedVAndMergeChoice)
{
    const std::string path = Write("Quad.fbx", QelTest::MakeQuadScene());
    ImportedModel merged;
    ASSERT_TRUE(LoadFbxModel(path, merged)) << GetLastImporterError();
    ASSERT_EQ(merged.myMeshes.size(), 1u);
    EXPECT_EQ(merged.myMeshes[0].myIndices.size(), 6u);
    EXPECT_EQ(merged.myMeshes[0].myVertices.size(), 4u);
    EXPECT_EQ(merged.mySkeleton.myJoints.size(), 0u);
    EXPECT_TRUE(merged.mySkeleton.myName.empty());
    std::set<std::pair<float, float>> uvs;
    for (const ImportedVertex& v : merged.myMeshes[0].myVertices)
        uvs.insert({v.myUVs[0][0], v.myUVs[0][1]});
    EXPECT_EQ(uvs, (std::set<std::pair<float, float>>{{0.0f, 0.75f}, {1.0f, 0.75f}, {1.0f, 0.25f}, {0.0f, 0.25f}}));
    // UV v 0.25 sits at y 0: flipped once, not twice.
    for (const ImportedVertex& v : merged.myMeshes[0].myVertices)
        EXPECT_FLOAT_EQ(v.myUVs[0][1], v.myPosition[1] == 0.0f ? 0.75f : 0.25f);

    ImportedModel unmerged;
    ASSERT_TRUE(LoadFbxModel(path, unmerged, false, false));
    EXPECT_EQ(unmerged.myMeshes[0].myVertices.size(), 6u);
}

TEST_F(FbxImportTest, FilesInMetresAreConvertedToCentimetres)
{
    ImportedModel centimetres, metres;
    ASSERT_TRUE(LoadFbxModel(Write("cm.fbx", QelTest::MakeCharacterScene(1.0)), centimetres));
    ASSERT_TRUE(LoadFbxModel(Write("m.fbx", QelTest::MakeCharacterScene(100.0)), metres)) << GetLastImporterError();
    ASSERT_EQ(metres.myMeshes.size(), centimetres.myMeshes.size());
    for (size_t m = 0; m < metres.myMeshes.size(); ++m)
        for (size_t i = 0; i < metres.myMeshes[m].myVertices.size(); ++i)
            for (int axis = 0; axis < 3; ++axis)
                EXPECT_NEAR(metres.myMeshes[m].myVertices[i].myPosition[axis],
                            100.0f * centimetres.myMeshes[m].myVertices[i].myPosition[axis], 1e-2f);
    EXPECT_NEAR(metres.mySkeleton.myJoints[1].myMatrix[7], -7500.0f, 1e-2f);
    EXPECT_NEAR(metres.mySkeleton.mySockets.at("Hand_socket").myMatrix[12], 500.0f, 1e-2f);
}

TEST_F(FbxImportTest, FirstFourInfluencesInClusterOrder)
{
    Scene scene = QelTest::MakeQuadScene();
    const char* bones[] = {"B0", "B1", "B2", "B3", "B4"};
    std::string parent;
    for (const char* bone : bones)
    {
        scene.myNodes.push_back({bone, parent, "LimbNode", {0, 1, 0}});
        parent = bone;
    }
    // Clusters in the order B4, B3, B2, B1, B0, each on point 0.
    for (int b = 4; b >= 0; --b)
        scene.myMeshes[0].myClusters.push_back({bones[b], {0}, {0.1 * (b + 1)}});
    ImportedModel model;
    ASSERT_TRUE(LoadFbxModel(Write("five.fbx", scene), model)) << GetLastImporterError();
    bool found = false;
    for (const ImportedVertex& v : model.myMeshes[0].myVertices)
    {
        if (v.myPosition[0] != 0.0f || v.myPosition[1] != 0.0f)
            continue;
        found = true;
        EXPECT_EQ(std::vector<uint32_t>(v.myBones, v.myBones + 4), (std::vector<uint32_t>{4, 3, 2, 1}));
        EXPECT_NEAR(v.myWeights[0], 0.5f, 1e-6f);
        EXPECT_NEAR(v.myWeights[3], 0.2f, 1e-6f);
    }
    EXPECT_TRUE(found);
}

TEST_F(FbxImportTest, LodGroupLevelsTakeTheMeshesBelowTheirChild)
{
    Scene scene;
    scene.myNodes.push_back({"Tree_LOD", "", "LodGroup", {0, 0, 0}, {0, 0, 0}, {1, 1, 1}, {800.0}});
    scene.myNodes.push_back({"Level0", "Tree_LOD", "Null"});
    scene.myNodes.push_back({"Level1", "Tree_LOD", "Null"});
    scene.myNodes.push_back({"Near", "Level0", "Mesh"});
    scene.myNodes.push_back({"Far", "Level1", "Mesh"});
    scene.myNodes.push_back({"Direct", "Tree_LOD", "Mesh"});
    for (const char* name : {"Near", "Far", "Direct"})
    {
        Mesh mesh;
        mesh.myNode = name;
        AddBox(mesh, {0, 0, 0}, {1, 1, 1});
        scene.myMeshes.push_back(mesh);
    }
    ImportedModel model;
    ASSERT_TRUE(LoadFbxModel(Write("lod.fbx", scene), model)) << GetLastImporterError();
    ASSERT_EQ(model.myLodGroups.size(), 1u);
    const auto& levels = model.myLodGroups[0];
    ASSERT_EQ(levels.size(), 3u);
    EXPECT_FLOAT_EQ(levels[0].myThreshold, 0.0f);
    EXPECT_FLOAT_EQ(levels[1].myThreshold, 800.0f);
    ASSERT_EQ(levels[0].myMeshes.size(), 1u);
    EXPECT_EQ(levels[0].myMeshes[0].myName, "Near");
    ASSERT_EQ(levels[1].myMeshes.size(), 1u);
    EXPECT_EQ(levels[1].myMeshes[0].myName, "Far");
    EXPECT_TRUE(levels[2].myMeshes.empty());
    // A mesh directly below the group is not a level's and stays among the model's meshes.
    ASSERT_EQ(model.myMeshes.size(), 1u);
    EXPECT_EQ(model.myMeshes[0].myName, "Direct");
}

TEST_F(FbxImportTest, ContentErrorsThrowTheirTexts)
{
    Scene duplicate = QelTest::MakeCharacterScene();
    duplicate.myNodes.push_back({"Hip", "", "LimbNode"});
    Scene noUV = QelTest::MakeQuadScene();
    noUV.myMeshes[0].myUVs.clear();
    const std::pair<Scene, std::string> cases[] = {
        {duplicate, "Found more than one bone with the same name [Hip]!"},
        {noUV, "Cannot load FBX file! No UV layers are present in the file."},
    };
    int index = 0;
    for (const auto& [scene, text] : cases)
    {
        ImportedModel model;
        const std::string path = Write("bad" + std::to_string(index++) + ".fbx", scene);
        try
        {
            LoadFbxModel(path, model);
            ADD_FAILURE() << "no throw for " << text;
        }
        catch (const std::runtime_error& error)
        {
            EXPECT_EQ(std::string(error.what()), text);
        }
    }
}

TEST_F(FbxImportTest, FileLevelFailuresReturnFalseWithTheirText)
{
    ImportedModel model;
    EXPECT_FALSE(LoadFbxModel((myFolder.Path() / "missing.fbx").string(), model));
    EXPECT_EQ(GetLastImporterError(), "FBX File not found! (" + (myFolder.Path() / "missing.fbx").string() + ")");

    const std::string obj = myFolder.Write("mesh.fbx", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n").string();
    EXPECT_FALSE(LoadFbxModel(obj, model));
    EXPECT_EQ(GetLastImporterError(), "Failed to initialize the FBX Importer! Error was: not an FBX file.");

    const std::string text = WriteAscii(QelTest::MakeCharacterScene());
    const std::string truncated = myFolder.Write("truncated.fbx", text.substr(0, text.size() / 2)).string();
    EXPECT_FALSE(LoadFbxModel(truncated, model));
    EXPECT_NE(GetLastImporterError().find("Failed to initialize the FBX Importer! Error was: "), std::string::npos);

    // A skin cluster naming a vertex past the mesh: this build of Assimp aborts the process on it.
    std::string broken = text;
    const size_t at = broken.find("a: 8,9,10");
    ASSERT_NE(at, std::string::npos);
    broken.replace(at, 9, "a: 8,9,99");
    EXPECT_FALSE(LoadFbxModel(myFolder.Write("cluster.fbx", broken).string(), model));
    EXPECT_EQ(GetLastImporterError(),
              "Failed to initialize the FBX Importer! Error was: a skin cluster names a vertex the mesh does not have.");
    EXPECT_TRUE(model.myMeshes.empty());

    UninitImporter();
    EXPECT_FALSE(LoadFbxModel(Write("ok.fbx", QelTest::MakeQuadScene()), model));
    EXPECT_EQ(GetLastImporterError(), "Failed to create the FBX Importer! Did you call InitImporter()?");
}

TEST_F(FbxImportTest, VertexHashMatchesReferenceValues)
{
    ImportedVertex zero;
    zero.myPosition[3] = 0.0f;
    EXPECT_EQ(HashVertex(zero), 0x7034b535bed4890aull);
    zero.myPosition[0] = -0.0f;
    EXPECT_EQ(HashVertex(zero), 0x7034b535bed4890aull);
    ImportedVertex v;
    v.myPosition[0] = 1, v.myPosition[1] = 2, v.myPosition[2] = 3;
    v.myNormal[2] = 1;
    v.myWeights[0] = 1;
    EXPECT_EQ(HashVertex(v), 0xa3a3eb7438000c84ull);
}

TEST_F(FbxImportTest, ClipSampledPerFrame)
{
    ImportedAnimation clip;
    const std::string path = Write("clip.fbx", QelTest::MakeClipScene());
    ASSERT_TRUE(LoadFbxAnimation(path, clip)) << GetLastImporterError();
    EXPECT_EQ(clip.myFrameCount, 31u);
    EXPECT_EQ(clip.myFrames.size(), 31u);
    EXPECT_DOUBLE_EQ(clip.myDuration, 1.0);
    EXPECT_FLOAT_EQ(clip.myFrameRate, 30.0f);
    EXPECT_EQ(clip.myPath, path);
    for (uint32_t k : {0u, 7u, 30u})
    {
        const ImportedFrame& frame = clip.myFrames[k];
        ASSERT_EQ(frame.myLocalTransforms.count("Hip"), 1u);
        const ImportedMatrix& hip = frame.myLocalTransforms.at("Hip");
        EXPECT_NEAR(hip[12], static_cast<float>(k), 1e-3f);
        EXPECT_NEAR(hip[13], 50.0f, 1e-3f);
        // Spine turns 3 degrees a frame about z: FBX rows hold (cos, sin) in the first row.
        const ImportedMatrix& spine = frame.myLocalTransforms.at("Spine");
        const float angle = 3.0f * static_cast<float>(k) * 3.14159265f / 180.0f;
        EXPECT_NEAR(spine[0], std::cos(angle), 1e-4f);
        EXPECT_NEAR(spine[1], std::sin(angle), 1e-4f);
        EXPECT_NEAR(frame.myGlobalTransforms.at("Spine")[13], 75.0f, 1e-3f);
        EXPECT_EQ(frame.mySocketTransforms.count("Hand_socket"), 1u);
    }

    ImportedAnimation metres;
    ASSERT_TRUE(LoadFbxAnimation(Write("clip_m.fbx", QelTest::MakeClipScene(false, 100.0)), metres));
    EXPECT_NEAR(metres.myFrames[7].myLocalTransforms.at("Hip")[12], 700.0f, 1e-2f);
}

TEST_F(FbxImportTest, ClipErrors)
{
    ImportedAnimation clip;
    const std::string meshOnly = Write("mesh.fbx", QelTest::MakeQuadScene());
    const std::string noTake = Write("still.fbx", QelTest::MakeCharacterScene());
    const std::pair<std::string, std::string> cases[] = {
        {meshOnly, "The file [" + meshOnly + "] has no skeleton!"},
        {noTake, "The file [" + noTake + "] has no animation stack!"},
    };
    for (const auto& [path, text] : cases)
    {
        try
        {
            LoadFbxAnimation(path, clip);
            ADD_FAILURE() << "no throw for " << text;
        }
        catch (const std::runtime_error& error)
        {
            EXPECT_EQ(std::string(error.what()), text);
        }
    }
    EXPECT_FALSE(LoadFbxAnimation((myFolder.Path() / "none.fbx").string(), clip));
    EXPECT_EQ(GetLastImporterError(), "FBX File not found! (" + (myFolder.Path() / "none.fbx").string() + ")");
}
