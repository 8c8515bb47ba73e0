// The model factory on a headless GL context: caching, built-ins, material textures, limits, clips
// and hot reload.
#include "DdsWriter.h"
#include "GLTestContext.h"
#include "ModelFixtures.h"
#include "TestSupport.h"
#include "filewatcher/FileWatcher.h"
#include "model/ModelFactory.h"
#include "settings/Settings.h"
#include "texture/TextureManager.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

using namespace Qel;

namespace
{
class ModelFactoryTest : public QelTest::GLTest
{
protected:
    void SetUp() override
    {
        QelTest::GLTest::SetUp();
        if (HasFatalFailure())
            return;
        mySavedGame = Settings::GetGameAssetsPath();
        mySavedEngine = Settings::GetEngineAssetsPath();
        Settings::GetGameAssetsPath() = myFolder.Path();
        const char* bin = std::getenv("QEL_BIN_DIR");
        ASSERT_NE(bin, nullptr);
        Settings::GetEngineAssetsPath() = std::filesystem::path(bin) / "assets" / "engine";
        myTextures = std::make_unique<TextureManager>();
        myTextures->Init();
    }
    void TearDown() override
    {
        myTextures.reset();
        Settings::GetGameAssetsPath() = mySavedGame;
        Settings::GetEngineAssetsPath() = mySavedEngine;
        QelTest::GLTest::TearDown();
    }

    void Write(const std::string& aRelative, const FbxGen::Scene& aScene)
    {
        ASSERT_TRUE(FbxGen::WriteFile(myFolder.Path() / aRelative, aScene));
    }
    void WriteTexture(const std::string& aRelative)
    {
        ASSERT_TRUE(FbxGen::WriteDds(myFolder.Path() / aRelative, 2, 2, [](int, int) {
            return FbxGen::Rgba{200, 100, 50, 255};
        }));
    }
    static std::string PathOf(const Texture* aTexture) { return aTexture ? aTexture->GetPath() : "(null)"; }

    QelTest::TempFolder myFolder;
    std::unique_ptr<TextureManager> myTextures;
    std::filesystem::path mySavedGame, mySavedEngine;
};
}

TEST_F(ModelFactoryTest, BuiltInCubeAndPlane)
{
    ModelFactory factory(myTextures.get(), nullptr);
    EXPECT_EQ(ModelFactory::GetInstance(), &factory);
    const std::shared_ptr<Model> cube = factory.GetModel("Cube");
    const std::shared_ptr<Model> plane = factory.GetModel("Plane");
    ASSERT_TRUE(cube && plane);
    EXPECT_EQ(cube->myName, "Cube");
    ASSERT_EQ(cube->myMeshData.size(), 1u);
    const MeshData& box = cube->myMeshData[0];
    EXPECT_EQ(box.myVertexCount, 24u);
    EXPECT_EQ(box.myIndexCount, 36u);
    EXPECT_EQ(box.myStride, 180u);
    EXPECT_TRUE(box.myVertexBuffer && box.myIndexBuffer);
    EXPECT_FLOAT_EQ(box.myBounds.myRadius, 86.6025391f);
    EXPECT_EQ(std::vector<u32>(box.myIndices.begin() + 6, box.myIndices.begin() + 12),
              (std::vector<u32>{4, 5, 6, 4, 6, 7}));
    EXPECT_EQ(box.myVertices[4].myColors[0][0], 1.0f);   // face 1 is red
    EXPECT_EQ(box.myVertices[4].myColors[0][1], 0.0f);
    EXPECT_EQ(plane->myMeshData[0].myVertexCount, 4u);
    EXPECT_EQ(plane->myMeshData[0].myIndexCount, 6u);
    EXPECT_FLOAT_EQ(plane->myMeshData[0].myBounds.myRadius, 70.7106781f);
    EXPECT_FLOAT_EQ(plane->myMeshData[0].myBounds.myHalfExtents[1], 0.0f);
    // No suffix textures beside a built-in: the four defaults.
    EXPECT_EQ(PathOf(cube->myTextures[0][0]), "Textures/T_Default_c.dds");
    EXPECT_EQ(PathOf(cube->myTextures[0][1]), "Textures/T_Default_n.dds");
    EXPECT_EQ(PathOf(cube->myTextures[0][2]), "Textures/T_Default_m.dds");
    EXPECT_EQ(PathOf(cube->myTextures[0][3]), "Textures/T_Default_fx.dds");
    EXPECT_EQ(cube->myTextures[1][0], nullptr);
    EXPECT_EQ(factory.GetModel("Cube"), cube);
}

TEST_F(ModelFactoryTest, CachesByPathTextAndFindsSuffixTextures)
{
    Write("models/Hero.fbx", QelTest::MakeCharacterScene());
    WriteTexture("models/M_Body_C.dds");
    WriteTexture("models/Hero_D.dds");
    WriteTexture("models/Hero_N.dds");
    WriteTexture("models/M_Head_FX.dds");
    ModelFactory factory(myTextures.get(), nullptr);
    const std::shared_ptr<Model> hero = factory.GetModel("models/Hero.fbx");
    ASSERT_TRUE(hero);
    EXPECT_EQ(factory.GetModel("models/Hero.fbx"), hero);
    const std::shared_ptr<Model> again = factory.GetModel("models//Hero.fbx");
    ASSERT_TRUE(again);
    EXPECT_NE(again, hero);
    EXPECT_EQ(factory.GetModel("models/Nobody.fbx"), nullptr);
    EXPECT_EQ(factory.GetModelCacheSize(), 4u);

    ASSERT_EQ(hero->myMeshData.size(), 2u);
    EXPECT_EQ(hero->myMeshData[0].myMaterialName, "M_Body");
    EXPECT_EQ(hero->myMeshData[1].myMaterialName, "M_Head");
    EXPECT_EQ(hero->mySkeleton.Joints.size(), 2u);
    EXPECT_EQ(hero->mySkeleton.myJointNameMap.at("Spine"), 1u);
    // Inverse bind transposed into row vectors: translation in the fourth row; the bind pose from it.
    EXPECT_NEAR(hero->mySkeleton.Joints[1].myInverseBind(4, 2), -75.0f, 1e-3f);
    EXPECT_NEAR(hero->mySkeleton.myBindPose.myJoints[1].myTranslation.y, 75.0f, 1e-3f);
    EXPECT_FLOAT_EQ(hero->myMeshData[1].myVertices[0].myBones[0], 1.0f);

    // Material base first, then the model base, then the default.
    EXPECT_EQ(PathOf(hero->myTextures[0][0]), "models/M_Body_C.dds");
    EXPECT_EQ(PathOf(hero->myTextures[1][0]), "models/Hero_D.dds");
    EXPECT_EQ(PathOf(hero->myTextures[0][1]), "models/Hero_N.dds");
    EXPECT_EQ(PathOf(hero->myTextures[0][2]), "Textures/T_Default_m.dds");
    EXPECT_EQ(PathOf(hero->myTextures[0][3]), "Textures/T_Default_fx.dds");
    EXPECT_EQ(PathOf(hero->myTextures[1][3]), "models/M_Head_FX.dds");

    ModelInstance instance = factory.GetModelInstance("models/Hero.fbx");
    EXPECT_EQ(instance.GetModel(), hero);
    EXPECT_EQ(instance.myTextures[0][0], hero->myTextures[0][0]);
    EXPECT_FALSE(factory.GetModelInstance("models/Nobody.fbx").GetModel());
}

TEST_F(ModelFactoryTest, ZeroColourSetsTurnWhite)
{
    Write("Quad.fbx", QelTest::MakeQuadScene());
    ModelFactory factory(myTextures.get(), nullptr);
    const std::shared_ptr<Model> quad = factory.GetModel("Quad.fbx");
    ASSERT_TRUE(quad);
    for (const ModelVertex& v : quad->myMeshData[0].myVertices)
        for (int set = 0; set < 4; ++set)
            EXPECT_EQ(v.myColors[set][3], 1.0f);
    EXPECT_TRUE(quad->mySkeleton.Joints.empty());
    // No skeleton: the animated instance stays without a model.
    EXPECT_FALSE(factory.GetAnimatedModelInstance("Quad.fbx").GetModel());
}

TEST_F(ModelFactoryTest, BadFilesAndModelsOverTheLimitsGiveNoModel)
{
    FbxGen::Scene fiveMaterials;
    fiveMaterials.myNodes.push_back({"Many", "", "Mesh"});
    fiveMaterials.myMeshes.emplace_back();
    fiveMaterials.myMeshes[0].myNode = "Many";
    for (int m = 0; m < 5; ++m)
    {
        fiveMaterials.myMaterials.push_back({"M" + std::to_string(m)});
        fiveMaterials.myMeshes[0].myMaterials.push_back("M" + std::to_string(m));
        FbxGen::AddBox(fiveMaterials.myMeshes[0], {0, 5.0 * m, 0}, {1, 1, 1}, m);
    }
    Write("five.fbx", fiveMaterials);
    FbxGen::Scene joints = QelTest::MakeQuadScene();
    std::string parent;
    for (int j = 0; j < 130; ++j)
    {
        joints.myNodes.push_back({"J" + std::to_string(j), parent, "LimbNode", {0, 1, 0}});
        parent = "J" + std::to_string(j);
    }
    joints.myMeshes[0].myClusters.push_back({"J129", {0}, {1.0}});
    Write("joints.fbx", joints);
    std::string broken = FbxGen::WriteAscii(QelTest::MakeCharacterScene());
    broken.replace(broken.find("a: 8,9,10"), 9, "a: 8,9,99");
    myFolder.Write("broken.fbx", broken);
    myFolder.Write("empty.fbx", "");
    FbxGen::Scene noUV = QelTest::MakeQuadScene();
    noUV.myMeshes[0].myUVs.clear();
    Write("nouv.fbx", noUV);

    ModelFactory factory(myTextures.get(), nullptr);
    for (const char* path : {"five.fbx", "joints.fbx", "broken.fbx", "empty.fbx", "nouv.fbx"})
    {
        EXPECT_EQ(factory.GetModel(path), nullptr) << path;
        EXPECT_TRUE(factory.IsWatched(path));
    }
    EXPECT_EQ(factory.GetModelCacheSize(), 2u);
}

TEST_F(ModelFactoryTest, ClipsAreCachedPerModelInEachModelsJointOrder)
{
    Write("Hero.fbx", QelTest::MakeCharacterScene());
    Write("Clip.fbx", QelTest::MakeClipScene());
    // The same joints in the other order, without the namespace, plus one the clip lacks.
    FbxGen::Scene flipped = QelTest::MakeQuadScene();
    flipped.myNodes.push_back({"Extra", "", "LimbNode"});
    flipped.myNodes.push_back({"Spine", "", "LimbNode", {0, 75, 0}});
    flipped.myNodes.push_back({"Hip", "", "LimbNode", {0, 50, 0}});
    flipped.myMeshes[0].myClusters.push_back({"Hip", {0, 1, 2, 3}, {1, 1, 1, 1}});
    Write("Flipped.fbx", flipped);

    ModelFactory factory(myTextures.get(), nullptr);
    const std::shared_ptr<Model> hero = factory.GetModel("Hero.fbx");
    const std::shared_ptr<Model> other = factory.GetModel("Flipped.fbx");
    ASSERT_TRUE(hero && other);
    ASSERT_EQ(other->mySkeleton.myJointNameMap.at("Hip"), 2u);

    AnimationPlayer a = factory.GetAnimationPlayer("Clip.fbx", hero);
    AnimationPlayer b = factory.GetAnimationPlayer("Clip.fbx", hero);
    AnimationPlayer c = factory.GetAnimationPlayer("Clip.fbx", other);
    ASSERT_TRUE(a.HasAnimation() && c.HasAnimation());
    EXPECT_EQ(a.myAnimation, b.myAnimation);
    EXPECT_NE(a.myAnimation, c.myAnimation);
    EXPECT_EQ(factory.GetAnimationCacheSize(), 2u);
    EXPECT_EQ(a.myAnimation->myFrameCount, 31u);
    EXPECT_FLOAT_EQ(a.myAnimation->myDuration, 1.0f);
    EXPECT_EQ(a.myState, ANIMATION_STATE_READY);

    const Pose& heroFrame = a.myAnimation->myFrames[10];
    const Pose& otherFrame = c.myAnimation->myFrames[10];
    EXPECT_EQ(heroFrame.myCount, 2u);
    EXPECT_EQ(otherFrame.myCount, 3u);
    EXPECT_NEAR(heroFrame.myJoints[0].myTranslation.x, 10.0f, 1e-3f);
    EXPECT_NEAR(otherFrame.myJoints[2].myTranslation.x, 10.0f, 1e-3f);
    // The joint the clip lacks keeps the default record.
    EXPECT_EQ(otherFrame.myJoints[0].myTranslation.y, 0.0f);
    EXPECT_EQ(otherFrame.myJoints[0].myRotation.w, 1.0f);

    // A clip that does not load leaves the player unbound; so does a missing model.
    EXPECT_FALSE(factory.GetAnimationPlayer("Missing.fbx", hero).HasAnimation());
    EXPECT_FALSE(factory.GetAnimationPlayer("Hero.fbx", hero).HasAnimation());
    EXPECT_FALSE(factory.GetAnimationPlayer("Clip.fbx", nullptr).HasAnimation());
}

TEST_F(ModelFactoryTest, ChangedFilesReloadOnlyWithTheWatcherOn)
{
    Write("Clip.fbx", QelTest::MakeClipScene());
    for (const bool enabled : {false, true})
    {
        Write("Hero.fbx", QelTest::MakeCharacterScene());
        FileWatcher watcher([enabled] { return enabled; });
        ModelFactory factory(myTextures.get(), &watcher);
        std::shared_ptr<Model> first = factory.GetModel("Hero.fbx");
        ASSERT_TRUE(first);
        AnimatedModelInstance holder = factory.GetAnimatedModelInstance("Hero.fbx");
        ASSERT_TRUE(holder.GetModel());
        factory.GetAnimationPlayer("Clip.fbx", first);
        std::weak_ptr<Model> watch = first;
        first.reset();

        Write("Hero.fbx", QelTest::MakeQuadScene());
        const auto path = myFolder.Path() / "Hero.fbx";
        std::filesystem::last_write_time(path, std::filesystem::last_write_time(path) + std::chrono::seconds(5));
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(enabled ? 3 : 0);
        do
        {
            std::this_thread::sleep_for(std::chrono::milliseconds(40));
            watcher.FlushChanges();
        } while (factory.GetModelCacheSize() == 3 && std::chrono::steady_clock::now() < deadline);

        const std::shared_ptr<Model> second = factory.GetModel("Hero.fbx");
        ASSERT_TRUE(second);
        if (!enabled)
        {
            EXPECT_EQ(second, holder.GetModel());
            continue;
        }
        EXPECT_NE(second, holder.GetModel());
        EXPECT_EQ(second->myMeshData.size(), 1u);
        // The holder keeps the old model; the clip cache no longer does.
        EXPECT_EQ(holder.GetModel()->myMeshData.size(), 2u);
        EXPECT_EQ(factory.GetAnimationCacheSize(), 0u);
        holder = AnimatedModelInstance();
        EXPECT_TRUE(watch.expired());
    }
}
