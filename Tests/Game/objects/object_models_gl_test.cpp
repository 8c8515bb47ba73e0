// The pickups, rides, fan and ending made by the factory from their generated models, clips and
// particle files, on a headless device: each gets its model (skinned where it animates), its
// clips bound to that model, and particle systems that end by themselves.
#include "ObjectsFixture.h"
#include "GLTestContext.h"

#include "Objects/PlayObjects.h"
#include "math/Camera.h"
#include "model/ModelFactory.h"
#include "particles/ParticleSystemLoader.h"
#include "settings/Settings.h"

#include <cstdlib>

using namespace ObjectsTest;
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

Qel::ParticleSystemValue SystemAt(const char* aPath)
{
    return Qel::ParticleSystemValue(Qel::ParticleSystemReference{Qel::StringId(std::string(aPath))});
}

class ObjectModelsGL : public QelTest::GLTest
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
        myGame->AddDefinition("QLO_PickupVFX", Props().Add("Splash", SystemAt("art/particles/P_PickupSplash.qlap")));
        myGame->AddDefinition("QLO_BatterySpawn", Props()
                                                      .Add("Battery", SystemAt("art/particles/P_BatteryUp.qlap"))
                                                      .Add("BatteryDown", SystemAt("art/particles/P_BatteryDown.qlap")));
        myGame->AddDefinition("QLO_FanElectricity",
                              Props().Add("Electricity", SystemAt("art/particles/P_FanElectricity.qlap")));
    }
    void TearDown() override
    {
        if (myGame)
            myGame->myWorld.ClearLevel();
        myGame.reset();
        Qel::DestroyModelFactory();
        Qel::Settings::GetGameAssetsPath() = mySaved;
        QelTest::GLTest::TearDown();
    }

    std::unique_ptr<GameplayTest::GameplayFixture> myGame;
    std::filesystem::path mySaved;
};
}

TEST_F(ObjectModelsGL, EachKindLoadsItsModelsClipsAndParticles)
{
    GameWorld& world = myGame->myWorld;
    auto make = [&](const Props& aProps, float aX, float aY, float aZ = 0.0f) {
        world.CreateObject(At(aX, aY, aZ), aProps.Data(), aProps.Count());
    };
    make(Props().Tag(ObjectTag::BatteryPickup).Add("Model", ModelAt("art/3d/SM_Battery.fbx")), 0, 500);
    make(Props().Tag(ObjectTag::ShieldPickup).Add("Model", ModelAt("art/3d/SM_Pickup_Shield.fbx")), 200, 500);
    make(Props().Tag(ObjectTag::LifePickup).Add("Model", ModelAt("art/3d/SM_Pickup_Life.fbx")), 400, 500);
    make(Props().Tag(ObjectTag::ChestGrenadePickup).Add("Model", ModelAt("art/3d/SM_Pickup_Grenade.fbx")), 600, 500);
    make(Props()
             .Tag(ObjectTag::ChestGrenade)
             .Add("Model", ModelAt("art/3d/SM_ChestGrenade.fbx"))
             .Add("Explosion", SystemAt("art/particles/P_GrenadeExplosion.qlap")),
         800, 2500);
    make(Props()
             .Tag(ObjectTag::Checkpoint)
             .Add("SM_Checkpoint_Off", ModelAt("art/3d/SM_Checkpoint_Off.fbx"))
             .Add("SM_Checkpoint_On", ModelAt("art/3d/SM_Checkpoint_On.fbx")),
         1000, 50);
    for (ObjectTag tag : {ObjectTag::Goal, ObjectTag::EntryZipline})
        make(Props()
                 .Tag(tag)
                 .Add("Model", ModelAt("art/3d/SK_Zipline.fbx"))
                 .Clip("ActiveAnimation", "art/3d/animations/A_Zipline_Active.fbx"),
             tag == ObjectTag::Goal ? 5000.0f : 0.0f, 100);
    make(Props()
             .Tag(ObjectTag::EventFan)
             .Add("Fan blades model", ModelAt("art/3d/SK_EventFan.fbx"))
             .Add("Debris", ModelAt("art/3d/SK_FanDebris.fbx"))
             .Clip("PreRoll", "art/3d/animations/A_EventFan_PreRoll.fbx")
             .Clip("Break", "art/3d/animations/A_EventFan_Break.fbx")
             .Clip("DebrisAnimation", "art/3d/animations/A_FanDebris.fbx")
             .Float("ParallaxScale", 0.3f),
         2000, 1200, 3000);
    make(Props()
             .Tag(ObjectTag::EndingCutscene)
             .Add("Model", ModelAt("art/3d/SK_EndingHero.fbx"))
             .Clip("CutsceneAnimation", "art/3d/animations/A_Ending_Cutscene.fbx")
             .Add("BlinkParticle", SystemAt("art/particles/P_EndingBlink.qlap")),
         7000, 100);

    EXPECT_TRUE(world.myBatteryPickups[0].myModel.HasModel());
    EXPECT_TRUE(world.myShieldPickups[0].myModel.HasModel());
    EXPECT_TRUE(world.myLifePickups[0].myModel.HasModel());
    EXPECT_TRUE(world.myChestGrenadePickups[0].myModel.HasModel());
    EXPECT_TRUE(world.myChestGrenades[0].myModel.HasModel());
    EXPECT_TRUE(world.myCheckpoint.myOffModel.HasModel());
    EXPECT_TRUE(world.myCheckpoint.myOnModel.HasModel());
    ASSERT_EQ(world.myGoals.size(), 1u);
    ASSERT_EQ(world.myEntryZiplines.size(), 1u);
    EXPECT_TRUE(world.myGoals[0].myModel.HasModel());
    EXPECT_TRUE(world.myGoals[0].myClip.HasAnimation());
    EXPECT_TRUE(world.myGoals[0].myClip.myIsLooping);
    EXPECT_TRUE(world.myEntryZiplines[0].myClip.HasAnimation());
    const EventFan& fan = world.myEventFans[0];
    EXPECT_TRUE(fan.myFan.HasModel());
    EXPECT_TRUE(fan.myDebris.HasModel());
    EXPECT_TRUE(fan.myPreRollClip.HasAnimation());
    EXPECT_TRUE(fan.myBreakClip.HasAnimation());
    EXPECT_TRUE(fan.myDebrisClip.HasAnimation());
    ASSERT_NE(fan.mySparkSystem, nullptr);
    EXPECT_FALSE(fan.mySparkSystem->isLoop);
    const EndingCutscene& ending = world.myEndingCutscenes[0];
    EXPECT_TRUE(ending.myCharacter.HasModel());
    ASSERT_TRUE(ending.myClip.HasAnimation());
    EXPECT_GT(ending.myClip.myAnimation->myDuration, 5.0f);
    ASSERT_NE(ending.myBlinkSystem, nullptr);
    EXPECT_FALSE(ending.myBlinkSystem->isLoop);
    ASSERT_NE(world.myBatteryPickups[0].mySplashSystem, nullptr);
    EXPECT_FALSE(world.myBatteryPickups[0].mySplashSystem->isLoop);
    ASSERT_NE(world.myChestGrenades[0].myExplosionSystem, nullptr);
    EXPECT_FALSE(world.myChestGrenades[0].myExplosionSystem->isLoop);

    // A battery burst from a block ends by itself and pays its battery; the grenade's
    // explosion ends and takes the grenade with it.
    BatterySpawn& spawn = world.myBatterySpawns.emplace_back();
    spawn.Init(At(0.0f, 700.0f));
    ASSERT_NE(spawn.GetSystem(), nullptr);
    world.myChestGrenades[0].Explode();
    world.myCamera = std::make_unique<Qel::Camera>();
    for (int i = 0; i < 120; ++i)
    {
        myGame->BeginFrame();
        PlayObjects::UpdateBatterySpawns(myGame->myContext);
        PlayObjects::UpdateChestGrenades(myGame->myContext);
        PlayObjects::UpdateScriptedObjects(myGame->myContext);
    }
    EXPECT_TRUE(world.myBatterySpawns.empty());
    EXPECT_EQ(myGame->myHud.GetBatteryCount(), 1);
    EXPECT_TRUE(world.myChestGrenades.empty());
}
