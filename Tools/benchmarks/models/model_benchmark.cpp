// Models, animation and particles, headless (Mesa's llvmpipe without a GPU):
//
//   ImportCharacter       the generated player (SK_Player.fbx) through the FBX importer: structure
//                         check, Assimp, our vertex merge and skin.
//   AnimateInstances/N    N skinned player instances a frame: each advances its walk player,
//                         samples the clip and rebuilds its bone palette (CPU).
//   AnimateWideRig/N      the same with a 100-joint skeleton.
//   ParticleUpdate        one emitter of 10,000 live particles, one 60 Hz update.
//   ModelDrawerSubmit/K   CPU time to submit 500 static props through the model drawer (GL work is
//                         waited for outside the timing) into a 1280 x 720 (K 0) or 320 x 180 (K 1)
//                         target. On llvmpipe nearly all of it is the driver's per-draw work, which
//                         grows with the target's size; our own share is under 1 % (perf).
#include "QELFBXImporter/source/Importer.h"
#include "graphics/DX11.h"
#include "graphics/GL.h"
#include "graphics/GraphicsStateStack.h"
#include "graphics/ModelDrawer.h"
#include "math/Camera.h"
#include "model/ModelFactory.h"
#include "particles/ParticleSystemInstance.h"
#include "settings/Settings.h"
#include "texture/TextureManager.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

using namespace Qel;

namespace
{
const std::string ASSETS = QEL_ASSETS_DIR;
const std::string PLAYER = ASSETS + "/game/art/3d/SK_Player.fbx";
const std::string WALK = ASSETS + "/game/art/3d/animations/A_Player_Walk.fbx";

void ImportCharacter(benchmark::State& aState)
{
    QelFbx::InitImporter();
    for (auto _ : aState)
    {
        QelFbx::ImportedModel model;
        if (!QelFbx::LoadFbxModel(PLAYER, model))
        {
            aState.SkipWithError(QelFbx::GetLastImporterError().c_str());
            break;
        }
        benchmark::DoNotOptimize(model.myMeshes.data());
    }
    QelFbx::UninitImporter();
}
BENCHMARK(ImportCharacter)->Unit(benchmark::kMillisecond);

// A CPU-side model and its walk clip (no GPU buffers needed to pose).
struct Rig
{
    std::shared_ptr<Model> myModel;
    std::shared_ptr<Animation> myWalk;
};

Rig LoadPlayerRig()
{
    QelFbx::InitImporter();
    QelFbx::ImportedModel imported;
    QelFbx::ImportedAnimation clip;
    Rig rig;
    std::string error;
    if (QelFbx::LoadFbxModel(PLAYER, imported) && QelFbx::LoadFbxAnimation(WALK, clip))
    {
        rig.myModel = ModelFactory::BuildModel(imported, PLAYER, error);
        if (rig.myModel)
            rig.myWalk = ModelFactory::BuildAnimation(clip, *rig.myModel);
    }
    QelFbx::UninitImporter();
    return rig;
}

// A chain-and-branch skeleton of aJoints joints with a 30-frame clip turning every joint.
Rig MakeWideRig(u32 aJoints)
{
    Rig rig;
    rig.myModel = std::make_shared<Model>();
    Skeleton& skeleton = rig.myModel->mySkeleton;
    for (u32 j = 0; j < aJoints; ++j)
    {
        Joint joint;
        joint.myParent = j == 0 ? -1 : static_cast<i32>((j - 1) / 2);
        if (j > 0)
            skeleton.Joints[static_cast<size_t>(joint.myParent)].myChildren.push_back(j);
        joint.myInverseBind = Matrix4x4::CreateTranslation({0.0f, -10.0f * static_cast<float>(j), 0.0f});
        skeleton.Joints.push_back(joint);
    }
    rig.myWalk = std::make_shared<Animation>();
    rig.myWalk->myFrameRate = 30.0f;
    rig.myWalk->myFrameCount = 31;
    rig.myWalk->myDuration = 1.0f;
    rig.myWalk->myFrames.resize(31);
    for (u32 f = 0; f < 31; ++f)
    {
        Pose& pose = rig.myWalk->myFrames[f];
        pose.myCount = aJoints;
        for (u32 j = 0; j < aJoints; ++j)
        {
            pose.myJoints[j].myTranslation = {0.0f, 10.0f, 0.0f};
            pose.myJoints[j].myRotation = Quaternion::FromEulerDegrees({0.0f, 0.0f, 2.0f * static_cast<float>(f)});
        }
    }
    return rig;
}

void Animate(benchmark::State& aState, const Rig& aRig)
{
    if (!aRig.myModel || !aRig.myWalk)
    {
        aState.SkipWithError("no rig");
        return;
    }
    const size_t count = static_cast<size_t>(aState.range(0));
    std::vector<AnimatedModelInstance> instances(count);
    std::vector<AnimationPlayer> players(count);
    for (size_t i = 0; i < count; ++i)
    {
        instances[i].SetModel(aRig.myModel);
        players[i].Bind(aRig.myWalk);
        players[i].myIsLooping = true;
        players[i].myState = ANIMATION_STATE_PLAYING;
        players[i].myTime = 0.013f * static_cast<float>(i);
    }
    for (auto _ : aState)
        for (size_t i = 0; i < count; ++i)
        {
            players[i].Update(1.0f / 60.0f);
            instances[i].ApplyAnimationPlayer(players[i]);
        }
    aState.SetItemsProcessed(static_cast<int64_t>(aState.iterations()) * static_cast<int64_t>(count));
}

void AnimateInstances(benchmark::State& aState)
{
    static const Rig rig = LoadPlayerRig();
    Animate(aState, rig);
}
BENCHMARK(AnimateInstances)->Arg(100)->Unit(benchmark::kMicrosecond);

void AnimateWideRig(benchmark::State& aState)
{
    static const Rig rig = MakeWideRig(100);
    Animate(aState, rig);
}
BENCHMARK(AnimateWideRig)->Arg(100)->Unit(benchmark::kMicrosecond);

void ParticleUpdate(benchmark::State& aState)
{
    ParticleSystem system;
    system.particleCount = 10000;
    system.lifetimeRange = {1e6f, 1e6f};
    system.spawnType = PARTICLE_SPAWN_BOX;
    system.spawnMin = {-500.0f, -500.0f, 0.0f};
    system.spawnMax = {500.0f, 500.0f, 0.0f};
    system.velocityType = PARTICLE_VELOCITY_CONE;
    system.spawnVelocitySpread = 90.0f;
    system.angularVelocityMin = {0.0f, 0.0f, -90.0f};
    system.angularVelocityMax = {0.0f, 0.0f, 90.0f};
    system.velocityDamping = 0.8f;
    ParticleSystemInstance instance;
    instance.Init(&system, Matrix4x4());
    for (auto _ : aState)
        instance.Update(1.0f / 60.0f);
    aState.SetItemsProcessed(static_cast<int64_t>(aState.iterations()) * system.particleCount);
}
BENCHMARK(ParticleUpdate)->Unit(benchmark::kMicrosecond);

void ModelDrawerSubmit(benchmark::State& aState)
{
    Settings::GetCookedAssetsPath() = QEL_COOKED_ASSETS_DIR;
    Settings::GetGameAssetsPath() = ASSETS + "/game";
    Settings::GetEngineAssetsPath() = ASSETS + "/engine";
    auto device = std::make_unique<DX11>();
    const bool small = aState.range(0) == 1;
    if (!device->InitHeadless(small ? 320 : 1280, small ? 180 : 720))
    {
        aState.SkipWithError("no headless GL context");
        return;
    }
    {
        TextureManager textures;
        textures.Init();
        GraphicsStateStack states;
        ModelDrawer drawer;
        if (!states.Init(&textures) || !drawer.InitDefaultShaders())
        {
            aState.SkipWithError("no model shaders");
            return;
        }
        ModelFactory factory(&textures, nullptr);
        std::vector<ModelInstance> props;
        for (int i = 0; i < 500; ++i)
        {
            props.push_back(factory.GetModelInstance(i % 2 ? "art/3d/SM_Crate.fbx" : "art/3d/SM_Stump.fbx"));
            props.back().SetTransform(Matrix4x4::CreateTranslation(
                {-1200.0f + 110.0f * static_cast<float>(i % 25), -600.0f + 60.0f * static_cast<float>(i / 25), 0.0f}));
        }
        Camera camera;
        camera.SetOrthographicProjection(2600.0f, 1500.0f, 4000.0f);
        camera.SetPosition({0.0f, 0.0f, -2000.0f});
        for (auto _ : aState)
        {
            aState.PauseTiming();
            const float clear[4] = {0.0f, 0.0f, 0.0f, 1.0f};
            device->Clear(clear);
            states.BeginFrame(0.0f, 0.0f);
            states.SetCamera(camera);
            aState.ResumeTiming();
            for (ModelInstance& prop : props)
                for (size_t mesh = 0; mesh < prop.GetModel()->myMeshData.size(); ++mesh)
                    drawer.Draw(prop, drawer.GetLambertShader(), static_cast<int>(mesh));
            aState.PauseTiming();
            glFinish();
            aState.ResumeTiming();
        }
        aState.SetItemsProcessed(static_cast<int64_t>(aState.iterations()) * 500);
    }
    device.reset();
}
BENCHMARK(ModelDrawerSubmit)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(20);
}

BENCHMARK_MAIN();
