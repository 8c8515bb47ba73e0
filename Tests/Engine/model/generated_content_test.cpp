// The game's generated models, clips and particle files load as the game will load them, and the
// generator writes the same bytes every time.
#include "GLTestContext.h"
#include "TestSupport.h"
#include "model/ModelFactory.h"
#include "particles/ParticleSystemLoader.h"
#include "scene/ContentLog.h"
#include "settings/Settings.h"
#include "texture/TextureManager.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

using namespace Qel;

namespace
{
std::filesystem::path BinFolder()
{
    const char* bin = std::getenv("QEL_BIN_DIR");
    return bin ? std::filesystem::path(bin) : std::filesystem::path();
}

std::string ReadAll(const std::filesystem::path& aPath)
{
    std::ifstream file(aPath, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

class GeneratedContentTest : public QelTest::GLTest
{
protected:
    void SetUp() override
    {
        QelTest::GLTest::SetUp();
        if (HasFatalFailure())
            return;
        mySavedGame = Settings::GetGameAssetsPath();
        mySavedEngine = Settings::GetEngineAssetsPath();
        Settings::GetGameAssetsPath() = BinFolder() / "assets" / "game";
        Settings::GetEngineAssetsPath() = BinFolder() / "assets" / "engine";
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

    std::unique_ptr<TextureManager> myTextures;
    std::filesystem::path mySavedGame, mySavedEngine;
};
}

TEST_F(GeneratedContentTest, ModelsLoadWithTheirTextures)
{
    ModelFactory factory(myTextures.get(), nullptr);
    struct Expected
    {
        const char* myPath;
        size_t myMeshes;
        size_t myJoints;
    };
    for (const Expected& e : {Expected{"art/3d/SK_Player.fbx", 2, 8}, Expected{"art/3d/SK_MiniOwl.fbx", 3, 7},
                              Expected{"art/3d/SM_Crate.fbx", 1, 0}, Expected{"art/3d/SM_Stump.fbx", 2, 0},
                              Expected{"art/3d/SM_Lamp.fbx", 2, 0}, Expected{"art/3d/SK_BeetleTank.fbx", 3, 6},
                              Expected{"art/3d/SK_BeetleTank_Pipe.fbx", 2, 2},
                              Expected{"art/3d/SM_BeetleTank_Projectile.fbx", 1, 0},
                              Expected{"art/3d/SK_PipeMole.fbx", 3, 5}})
    {
        const std::shared_ptr<Model> model = factory.GetModel(e.myPath);
        ASSERT_TRUE(model) << e.myPath;
        EXPECT_EQ(model->myMeshData.size(), e.myMeshes) << e.myPath;
        EXPECT_EQ(model->mySkeleton.Joints.size(), e.myJoints) << e.myPath;
        for (size_t m = 0; m < model->myMeshData.size(); ++m)
        {
            // Every mesh has its own colour map beside the model.
            ASSERT_TRUE(model->myTextures[m][0]);
            EXPECT_EQ(model->myTextures[m][0]->GetPath(), "art/3d/" + model->myMeshData[m].myMaterialName + "_C.dds");
        }
    }
    const std::shared_ptr<Model> player = factory.GetModel("art/3d/SK_Player.fbx");
    EXPECT_EQ(player->myTextures[1][3]->GetPath(), "art/3d/M_Player_Glow_FX.dds");
    // The player stands on the ground, about two metres tall.
    float top = 0.0f, bottom = 1e9f;
    for (const MeshData& mesh : player->myMeshData)
    {
        top = std::max(top, mesh.myBounds.myCenter[1] + mesh.myBounds.myHalfExtents[1]);
        bottom = std::min(bottom, mesh.myBounds.myCenter[1] - mesh.myBounds.myHalfExtents[1]);
    }
    EXPECT_NEAR(bottom, 0.0f, 1e-3f);
    EXPECT_GT(top, 180.0f);
}

TEST_F(GeneratedContentTest, ClipsBindToTheirModels)
{
    ModelFactory factory(myTextures.get(), nullptr);
    const std::shared_ptr<Model> player = factory.GetModel("art/3d/SK_Player.fbx");
    const std::shared_ptr<Model> owl = factory.GetModel("art/3d/SK_MiniOwl.fbx");
    const std::shared_ptr<Model> tank = factory.GetModel("art/3d/SK_BeetleTank.fbx");
    const std::shared_ptr<Model> pipe = factory.GetModel("art/3d/SK_BeetleTank_Pipe.fbx");
    const std::shared_ptr<Model> mole = factory.GetModel("art/3d/SK_PipeMole.fbx");
    ASSERT_TRUE(player && owl && tank && pipe && mole);
    struct Clip
    {
        const char* myName;
        const std::shared_ptr<Model>* myModel;
        u32 myMinimumFrames;
    };
    const Clip clips[] = {
        {"A_Player_Idle", &player, 2},    {"A_Player_Walk", &player, 19},        {"A_Player_Sprint", &player, 16},
        {"A_Player_Slide", &player, 2},   {"A_Player_Jump", &player, 2},         {"A_Player_Fall", &player, 2},
        {"A_Player_Crouch", &player, 2},  {"A_Player_GroundPound", &player, 2},  {"A_Player_Death", &player, 2},
        {"A_Player_Zipline", &player, 2}, {"A_MiniOwl_Walk", &owl, 26},          {"A_MiniOwl_Squish", &owl, 2},
        {"A_MiniOwl_Fly", &owl, 26},
        {"A_BeetleTank_Walk", &tank, 2},  {"A_BeetleTank_Squish", &tank, 2},     {"A_BeetleTank_CannonShot", &pipe, 34},
        {"A_PipeMole_Idle", &mole, 2},    {"A_PipeMole_Appear", &mole, 2},       {"A_PipeMole_IdleStay", &mole, 2},
        {"A_PipeMole_Death", &mole, 2},
    };
    for (const Clip& clip : clips)
    {
        AnimationPlayer player = factory.GetAnimationPlayer(std::string("art/3d/animations/") + clip.myName + ".fbx",
                                                            *clip.myModel);
        ASSERT_TRUE(player.HasAnimation()) << clip.myName;
        EXPECT_GE(player.myAnimation->myFrameCount, clip.myMinimumFrames) << clip.myName;
        EXPECT_FLOAT_EQ(player.myAnimation->myFrameRate, 30.0f);
        // Some joint moves during the clip.
        const Pose& first = player.myAnimation->myFrames.front();
        bool moves = false;
        for (const Pose& frame : player.myAnimation->myFrames)
            for (u64 j = 0; j < frame.myCount; ++j)
                moves |= std::fabs(frame.myJoints[j].myRotation.w - first.myJoints[j].myRotation.w) > 1e-4f ||
                         std::fabs(frame.myJoints[j].myTranslation.y - first.myJoints[j].myTranslation.y) > 1e-3f;
        EXPECT_TRUE(moves) << clip.myName;
    }
}

TEST_F(GeneratedContentTest, ParticleFilesReadCleanly)
{
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(Settings::GetGameAssetsPath() / "art" / "particles"))
    {
        if (entry.path().extension() != ".qlap")
            continue;
        ++files;
        std::ostringstream output;
        ContentLog log(&output);
        ParticleSystem system;
        EXPECT_TRUE(ParticleSystemLoader::Read(ReadAll(entry.path()), entry.path().string(), system, log));
        EXPECT_EQ(log.GetMessages().size(), 0u) << output.str();
        EXPECT_GT(system.particleCount, 0);
        EXPECT_FALSE(system.texturePath.IsEmpty());
        EXPECT_TRUE(myTextures->TryLoadTexture(system.texturePath.GetView()));
    }
    EXPECT_GE(files, 6);
}

TEST(GeneratedContentBytesTest, TheGeneratorIsDeterministic)
{
    const char* tool = std::getenv("QEL_MAKE_MODELS");
    ASSERT_NE(tool, nullptr);
    QelTest::TempFolder a, b;
    ASSERT_EQ(std::system((std::string(tool) + " " + a.Path().string()).c_str()), 0);
    ASSERT_EQ(std::system((std::string(tool) + " " + b.Path().string()).c_str()), 0);
    int files = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(a.Path()))
    {
        if (!entry.is_regular_file())
            continue;
        ++files;
        const auto relative = std::filesystem::relative(entry.path(), a.Path());
        EXPECT_EQ(ReadAll(entry.path()), ReadAll(b.Path() / relative)) << relative;
    }
    EXPECT_GT(files, 40);
}
