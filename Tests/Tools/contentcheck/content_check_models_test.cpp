// The content checker on models, clips and particle files.
#include "../../Engine/model/ModelFixtures.h"
#include "ContentChecker.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

using namespace Qel;

TEST(ContentCheckModels, ModelsClipsAndParticleFilesAreChecked)
{
    QelTest::TempFolder folder;
    const std::filesystem::path game = folder.Path() / "game";
    ASSERT_TRUE(FbxGen::WriteFile(game / "art/3d/SK_Hero.fbx", QelTest::MakeCharacterScene()));
    ASSERT_TRUE(FbxGen::WriteFile(game / "art/3d/animations/A_Hero_Walk.fbx", QelTest::MakeClipScene()));
    folder.Write("game/art/particles/P_Good.qlap", "{\"particleCount\": 4}");

    ContentLog clean(nullptr);
    EXPECT_EQ(ContentCheck::Run(game, folder.Path() / "engine", clean), 0);
    for (const auto& message : clean.GetMessages())
        ADD_FAILURE() << message.myText;

    std::string broken = FbxGen::WriteAscii(QelTest::MakeCharacterScene());
    broken.replace(broken.find("a: 8,9,10"), 9, "a: 8,9,99");
    folder.Write("game/art/3d/SK_Broken.fbx", broken);
    folder.Write("game/art/3d/SK_Text.fbx", "not a model\n");
    FbxGen::Scene noUV = QelTest::MakeQuadScene();
    noUV.myMeshes[0].myUVs.clear();
    ASSERT_TRUE(FbxGen::WriteFile(game / "art/3d/SM_NoUV.fbx", noUV));
    FbxGen::Scene still = QelTest::MakeCharacterScene();
    still.myMeshes.clear();
    ASSERT_TRUE(FbxGen::WriteFile(game / "art/3d/animations/A_Empty.fbx", still));
    folder.Write("game/art/particles/P_Bad.qlap", "{\"particleCount\": -3}");
    folder.Write("game/art/particles/P_Broken.qlap", "{\"isLoop\": 1}");

    ContentLog log(nullptr);
    EXPECT_EQ(ContentCheck::Run(game, folder.Path() / "engine", log), 4);
    const std::string root = game.string() + "/";
    EXPECT_TRUE(log.Contains(root + "art/3d/SK_Broken.fbx: error: not a readable FBX file: a skin cluster names a vertex"));
    EXPECT_TRUE(log.Contains(root + "art/3d/SK_Text.fbx: error: not a readable FBX file: not an FBX file"));
    EXPECT_TRUE(log.Contains(root + "art/3d/SM_NoUV.fbx: error: Cannot load FBX file! No UV layers are present in the file."));
    EXPECT_TRUE(log.Contains(root + "art/3d/animations/A_Empty.fbx: warning: has neither meshes nor an animation take"));
    EXPECT_TRUE(log.Contains(root + "art/particles/P_Bad.qlap: warning: \"particleCount\" -3 is negative; 0 is used"));
    EXPECT_TRUE(log.Contains(root + "art/particles/P_Broken.qlap: error: \"isLoop\""));
}
