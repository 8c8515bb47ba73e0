// One frame of 100 active enemies on a level's floor, all within walking range of the player:
// 40 walking owls, 20 flying owls, 20 beetle tanks (on screen, firing) and 20 pipe moles, with
// clips of 24 joints, then the player's contact pass over the four lists. Sounds go to the
// recording backend.
#include "AudioManager.h"
#include "GameGlobals.h"
#include "GameWorld.h"
#include "SoundBackend.h"

#include "math/Camera.h"
#include "model/Animation.h"
#include "scene/ObjectDefinition.h"
#include "scene/PropertyTypes.h"
#include "scene/PropertyValue.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

namespace
{
constexpr float DT = 1.0f / 60.0f;

template <class T>
Qel::PropertyRecord Record(const char* aName, const T& aValue)
{
    Qel::PropertyRecord record;
    record.myName = Qel::StringId(std::string(aName));
    record.myType = Qel::GetPropertyType<T>();
    record.myValue = Qel::PropertyValue::Make(aValue);
    return record;
}

std::shared_ptr<Qel::Animation> Clip(Qel::u32 aJoints)
{
    auto clip = std::make_shared<Qel::Animation>();
    clip->myFrames.resize(34);
    for (Qel::u32 f = 0; f < 34; ++f)
    {
        clip->myFrames[f].myCount = aJoints;
        for (Qel::u32 j = 0; j < aJoints; ++j)
            clip->myFrames[f].myJoints[j].myTranslation = {static_cast<float>(f), static_cast<float>(j), 0.0f};
    }
    clip->myFrameCount = 34;
    clip->myFrameRate = 30.0f;
    clip->myDuration = 33.0f / 30.0f;
    return clip;
}

struct Level
{
    RecordingSoundBackend sound;
    GameWorld world;
    GameContext context{&world, nullptr, nullptr, DT, nullptr};

    Level()
    {
        GetAudioManager().SetBackend(&sound);
        Qel::ObjectDefinition shell;
        shell.myName = Qel::StringId("QLO_BeetleTank_Projectile");
        shell.myPath = "QLO_BeetleTank_Projectile.qlo";
        shell.myProperties = {Record("Acceleration", 500.0f), Record("MaxSpeed", 1000.0f)};
        Qel::GetObjectDefinitionManager().Add(shell);

        for (float x = -1500.0f; x <= 1500.0f; x += 100.0f)
            world.myTileMap.AddTile(Qel::Matrix4x4::CreateTranslation({x, 0.0f, 0.0f}), TileDescription{}, nullptr);
        world.myCamera = std::make_unique<Qel::Camera>();
        world.myCamera->SetOrthographicProjection(4000.0f, 1400.0f, 10000.0f);
        world.myCamera->SetPosition({0.0f, 700.0f, -1000.0f});
        Player& player = world.myPlayer;
        player.SetHitbox(Box(0.0f, 2085.0f, 70.0f, 170.0f));
        player.SetPosition({0.0f, 2000.0f, 0.0f});

        const auto spot = [](int aIndex, int aCount) { return -900.0f + 1800.0f * aIndex / (aCount - 1); };
        const std::shared_ptr<Qel::Animation> clip = Clip(24);
        for (int i = 0; i < 40; ++i)
        {
            const float x = spot(i, 40);
            Make(Qel::ObjectTag::EnemyMiniOwl, x, 47.5f,
                 {Record("Waypoint1", x - 100.0f), Record("Waypoint2", x + 100.0f)});
        }
        for (int i = 0; i < 20; ++i)
        {
            const float x = spot(i, 20);
            Make(Qel::ObjectTag::EnemyFlyingMiniOwl, x, 600.0f,
                 {Record("Waypoint1", Qel::Vector3f(x - 100.0f, 650.0f, 0.0f)),
                  Record("Waypoint2", Qel::Vector3f(x + 100.0f, 650.0f, 0.0f))});
            Make(Qel::ObjectTag::EnemyBeetletank, x, 52.5f,
                 {Record("Waypoint1", x - 50.0f), Record("Waypoint2", x + 50.0f)});
            Make(Qel::ObjectTag::EnemyPipeMole, x + 20.0f, 400.0f, {Record("TimeInSecondsBeforeFirstPeekaboo", 0.5f)});
        }
        for (MiniOwl& owl : world.myMiniOwls)
            owl.GetWalkClip().Bind(clip);
        for (FlyingMiniOwl& owl : world.myFlyingMiniOwls)
            owl.GetFlyClip().Bind(clip);
        for (BeetleTank& tank : world.myBeetleTanks)
        {
            tank.GetWalkClip().Bind(clip);
            tank.GetShotClip().Bind(clip);
        }
        for (PipeMole& mole : world.myPipeMoles)
            for (Qel::u8 slot = 0; slot < PipeMole::CLIP_COUNT; ++slot)
                mole.GetClip(slot).Bind(clip);
    }

    ~Level()
    {
        world.StopEnemySounds();
        GetAudioManager().SetBackend(nullptr);
        Qel::GetObjectDefinitionManager().Remove(Qel::StringId("QLO_BeetleTank_Projectile"));
    }

    void Make(Qel::ObjectTag aTag, float aX, float aY, std::vector<Qel::PropertyRecord> aRecords)
    {
        aRecords.insert(aRecords.begin(), Record("Tag", aTag));
        world.CreateObject(Qel::Matrix4x4::CreateTranslation({aX, aY, 0.0f}), aRecords.data(), aRecords.size());
    }

    void Frame()
    {
        for (MiniOwl& owl : world.myMiniOwls)
            owl.Update(context);
        for (PipeMole& mole : world.myPipeMoles)
            mole.Update(context);
        for (FlyingMiniOwl& owl : world.myFlyingMiniOwls)
            owl.Update(context);
        for (BeetleTank& tank : world.myBeetleTanks)
            tank.Update(context);
        world.myPlayer.HandleEnemyContacts(context);
        // The recording backend keeps a log; a long run must not measure its growth.
        if (sound.GetEvents().size() > 4096)
            sound.ClearEvents();
    }
};

void BM_HundredEnemiesFrame(benchmark::State& aState)
{
    Level level;
    for (int i = 0; i < 120; ++i)
        level.Frame();
    for (auto _ : aState)
        level.Frame();
    std::size_t alive = 0;
    for (const MiniOwl& owl : level.world.myMiniOwls)
        alive += !owl.IsDead();
    alive += level.world.myFlyingMiniOwls.size() + level.world.myBeetleTanks.size() + level.world.myPipeMoles.size();
    aState.counters["enemies"] = static_cast<double>(alive);
}
BENCHMARK(BM_HundredEnemiesFrame)->Unit(benchmark::kMicrosecond);
}

BENCHMARK_MAIN();
