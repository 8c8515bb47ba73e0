// Enemies made by the factory from the game's generated models and clips, on a headless device:
// each gets its own skinned model, its clips bound to it, and its pose applied as it moves.
#include "EnemyTestSupport.h"
#include "GLTestContext.h"

#include "model/ModelFactory.h"
#include "settings/Settings.h"

#include <cstdlib>

using namespace EnemyTest;
using GameplayTest::At;
using GameplayTest::Props;
using Qel::ObjectTag;

namespace
{
Qel::ModelValue ModelAt(const char* aPath)
{
    Qel::SceneModel model;
    model.myPath = Qel::StringId(std::string(aPath));
    return Qel::ModelValue(model);
}

bool Posed(const Qel::AnimatedModelInstance& aInstance)
{
    // Some bone of the palette is no longer the identity.
    for (Qel::u32 bone = 0; bone < 8; ++bone)
        for (int i = 1; i <= 4; ++i)
            for (int j = 1; j <= 4; ++j)
                if (std::fabs(aInstance.GetBones()[bone](i, j) - (i == j ? 1.0f : 0.0f)) > 1e-4f)
                    return true;
    return false;
}

class EnemyModelsGL : public QelTest::GLTest
{
protected:
    void SetUp() override
    {
        QelTest::GLTest::SetUp();
        if (HasFatalFailure())
            return;
        const char* bin = std::getenv("QEL_BIN_DIR");
        mySaved = Qel::Settings::GetGameAssetsPath();
        Qel::Settings::GetGameAssetsPath() = std::filesystem::path(bin ? bin : ".") / "assets" / "game";
        myGame = std::make_unique<GameplayTest::GameplayFixture>(DT);
        myGame->AddDefinition("QLO_BeetleTank_Projectile", Props()
                                                               .Add("Model", ModelAt("art/3d/SM_BeetleTank_Projectile.fbx"))
                                                               .Float("Acceleration", 500.0f)
                                                               .Float("MaxSpeed", 1000.0f));
    }
    void TearDown() override
    {
        if (myGame)
            myGame->myWorld.StopEnemySounds();
        myGame.reset();
        Qel::DestroyModelFactory();
        Qel::Settings::GetGameAssetsPath() = mySaved;
        QelTest::GLTest::TearDown();
    }

    std::unique_ptr<GameplayTest::GameplayFixture> myGame;
    std::filesystem::path mySaved;
};

TEST_F(EnemyModelsGL, EachKindLoadsItsModelAndClipsAndPosesAsItMoves)
{
    GameWorld& world = myGame->myWorld;
    for (float x = -1000.0f; x <= 1000.0f; x += 100.0f)
        world.myTileMap.AddTile(At(x, 0), TileDescription{}, nullptr);
    world.myPlayer.SetHitbox(Box(0.0f, 85.0f, 70.0f, 170.0f));
    world.myPlayer.SetPosition({0.0f, 0.0f, 0.0f});

    const Props owl = Props()
                          .Tag(ObjectTag::EnemyMiniOwl)
                          .Add("Model", ModelAt("art/3d/SK_MiniOwl.fbx"))
                          .Clip("WalkAnimation", "art/3d/animations/A_MiniOwl_Walk.fbx")
                          .Clip("Squish", "art/3d/animations/A_MiniOwl_Squish.fbx");
    const Props flyer = Props()
                            .Tag(ObjectTag::EnemyFlyingMiniOwl)
                            .Add("Model", ModelAt("art/3d/SK_MiniOwl.fbx"))
                            .Clip("FlyAnimation", "art/3d/animations/A_MiniOwl_Fly.fbx");
    // The pipe listed first: the tank tells its two models apart by name.
    const Props tank = Props()
                           .Tag(ObjectTag::EnemyBeetletank)
                           .Add("SK_BeetleTank_Pipe", ModelAt("art/3d/SK_BeetleTank_Pipe.fbx"))
                           .Add("SK_BeetleTank", ModelAt("art/3d/SK_BeetleTank.fbx"))
                           .Clip("WalkAnimation", "art/3d/animations/A_BeetleTank_Walk.fbx")
                           .Clip("Squish", "art/3d/animations/A_BeetleTank_Squish.fbx")
                           .Clip("CannonShot", "art/3d/animations/A_BeetleTank_CannonShot.fbx");
    const Props mole = Props()
                           .Tag(ObjectTag::EnemyPipeMole)
                           .Add("Model", ModelAt("art/3d/SK_PipeMole.fbx"))
                           .Clip("Idle", "art/3d/animations/A_PipeMole_Idle.fbx")
                           .Clip("Appear", "art/3d/animations/A_PipeMole_Appear.fbx")
                           .Clip("IdleStay", "art/3d/animations/A_PipeMole_IdleStay.fbx")
                           .Clip("Death", "art/3d/animations/A_PipeMole_Death.fbx")
                           .Float("TimeInSecondsBeforeFirstPeekaboo", 0.1f);
    world.CreateObject(At(-300, 47.5f), owl.Data(), owl.Count());
    world.CreateObject(At(-100, 500), flyer.Data(), flyer.Count());
    world.CreateObject(At(200, 52.5f), tank.Data(), tank.Count());
    world.CreateObject(At(500, 300), mole.Data(), mole.Count());
    ASSERT_EQ(world.myMiniOwls.size(), 1u);
    ASSERT_EQ(world.myBeetleTanks.size(), 1u);

    MiniOwl& walker = world.myMiniOwls[0];
    FlyingMiniOwl& flying = world.myFlyingMiniOwls.at(0);
    BeetleTank& beetle = world.myBeetleTanks[0];
    PipeMole& digger = world.myPipeMoles.at(0);
    EXPECT_TRUE(walker.GetModel().HasModel());
    EXPECT_TRUE(flying.GetModel().HasModel());
    EXPECT_TRUE(beetle.GetBody().HasModel());
    EXPECT_TRUE(beetle.GetPipe().HasModel());
    EXPECT_TRUE(digger.GetModel().HasModel());
    EXPECT_EQ(beetle.GetBody().myInstance.myModel->mySkeleton.Joints.size(), 6u);
    EXPECT_EQ(beetle.GetPipe().myInstance.myModel->mySkeleton.Joints.size(), 2u);
    EXPECT_TRUE(beetle.GetShell().GetModel().HasModel());
    EXPECT_TRUE(walker.GetWalkClip().HasAnimation());
    EXPECT_TRUE(walker.GetSquishClip().HasAnimation());
    EXPECT_TRUE(flying.GetFlyClip().HasAnimation());
    EXPECT_TRUE(beetle.GetWalkClip().HasAnimation());
    ASSERT_TRUE(beetle.GetShotClip().HasAnimation());
    EXPECT_EQ(beetle.GetShotClip().myAnimation->myFrameCount, 34u) << "rests on frame 33";
    for (Qel::u8 slot = 0; slot < PipeMole::CLIP_COUNT; ++slot)
        EXPECT_TRUE(digger.GetClip(slot).HasAnimation()) << int(slot);
    EXPECT_GT(digger.GetBlendedPose().myCount, 0u);

    GameContext& context = myGame->myContext;
    for (int frame = 0; frame < 60; ++frame)
    {
        walker.Update(context);
        flying.Update(context);
        beetle.Update(context);
        digger.Update(context);
    }
    EXPECT_TRUE(Posed(walker.GetModel().myInstance));
    EXPECT_TRUE(Posed(flying.GetModel().myInstance));
    EXPECT_TRUE(Posed(beetle.GetBody().myInstance));
    EXPECT_TRUE(Posed(digger.GetModel().myInstance));
    EXPECT_NEAR(beetle.GetPipe().GetPosition().y, beetle.GetPosition().y + 150.0f, 1e-3f);
    // Drawing without an engine draws nothing and must not fail.
    walker.Render();
    flying.Render();
    beetle.Render();
    digger.Render();
}
}
