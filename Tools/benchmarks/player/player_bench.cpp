// One frame of the player on a level-sized floor: sprinting right and jumping through the real
// action map, the tile sweep, eight enemies in each of the four contact lists, and the blend
// queue over clips of a 40-joint skeleton (the player's own size).
#include "AudioManager.h"
#include "EnemyContacts.h"
#include "GameGlobals.h"
#include "GameWorld.h"
#include "Hud.h"
#include "InputMapper.h"
#include "Player.h"
#include "SoundBackend.h"
#include "input/InputManager.h"
#include "input/XInputController.h"
#include "model/Animation.h"
#include "platform/VirtualKeys.h"
#include "platform/Win32.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

namespace
{
constexpr float DT = 1.0f / 60.0f;

// Plays nothing, keeps nothing.
class SilentBackend final : public SoundBackend
{
public:
    void Load(Qel::u32, const char*, bool) override {}
    void Play(Qel::u32) override {}
    void Stop(Qel::u32) override {}
    void SetVolume(Qel::u32, float) override {}
    bool IsPlaying(Qel::u32) const override { return false; }
    Qel::Audio CreateSound(const char*, bool) override { return {}; }
};

struct BenchEnemy
{
    Qel::Vector3f myPosition;
    EnemyContactBoxes myBoxes;
    bool myActive = false;
    bool IsRemoved() const { return false; }
    bool IsDead() const { return false; }
    Qel::Vector3f GetPosition() const { return myPosition; }
    void SetActive(bool aActive) { myActive = aActive; }
    EnemyContactBoxes GetContactBoxes() const { return myBoxes; }
    void KillByJumpOn() {}
};

Qel::AnimationPlayer MakeClip(Qel::u32 aFrames)
{
    auto clip = std::make_shared<Qel::Animation>();
    clip->myFrameRate = 30.0f;
    clip->myFrameCount = aFrames;
    clip->myDuration = static_cast<float>(aFrames) / 30.0f;
    for (Qel::u32 f = 0; f < aFrames; ++f)
    {
        Qel::Pose pose;
        pose.myCount = 40;
        for (Qel::u32 j = 0; j < 40; ++j)
        {
            pose.myJoints[j].myTranslation = {static_cast<float>(f), static_cast<float>(j), 0.0f};
            pose.myJoints[j].myRotation = Qel::Quaternion::FromEulerDegrees({0.0f, static_cast<float>(f * 3 + j), 0.0f});
        }
        clip->myFrames.push_back(pose);
    }
    Qel::AnimationPlayer player;
    player.Bind(clip);
    return player;
}

struct Run
{
    GameWorld world;
    Hud hud;
    InputMapper actions;
    Qel::InputManager input{nullptr};
    Qel::XInputController pad;
    SilentBackend sound;
    GameContext context{&world, &actions, &input, DT, &hud};
    std::vector<BenchEnemy> enemies[ENEMY_CONTACT_KIND_COUNT];
    int frame = 0;

    Run()
    {
        GetAudioManager().SetBackend(&sound);
        BindDefaultInputs(actions);
        for (Qel::i32 x = 0; x < TileMap::GRID_COLUMNS; ++x)
        {
            const Qel::Vector2f c = TileMap::CellToWorld({x, 1});
            world.myTileMap.AddTile(Qel::Matrix4x4::CreateTranslation({c.x, c.y, 0.0f}), TileDescription{}, nullptr);
        }
        for (std::size_t k = 0; k < ENEMY_CONTACT_KIND_COUNT; ++k)
        {
            for (int i = 0; i < 8; ++i)
            {
                BenchEnemy enemy;
                const float x = 3000.0f + 4000.0f * static_cast<float>(i) + 300.0f * static_cast<float>(k);
                enemy.myPosition = {x, 2000.0f, 0.0f};
                enemy.myBoxes.myTop = Box(x, 2100.0f, 100.0f, 35.0f);
                enemy.myBoxes.myBody = Box(x, 2030.0f, 80.0f, 60.0f);
                enemies[k].push_back(enemy);
            }
            world.myEnemyContacts[k] =
                std::make_unique<EnemyContactList<BenchEnemy>>(static_cast<EnemyContactKind>(k), enemies[k]);
        }
        Player& player = world.myPlayer;
        player.Init(Qel::Matrix4x4::CreateTranslation({-1500.0f, 50.0f, 0.0f}), nullptr, 0);
        for (Qel::u8 slot = 0; slot < Player::CLIP_COUNT; ++slot)
            if (slot != 8 && slot != 9)
                player.SetAnimationPlayer(slot, MakeClip(24));
    }
    ~Run() { GetAudioManager().SetBackend(nullptr); }

    void Key(Qel::u32 aKey, bool aDown) { input.UpdateEvents(aDown ? Qel::WM_KEYDOWN : Qel::WM_KEYUP, aKey, 0); }

    void Frame()
    {
        // Sprint right all the time; jump for 40 frames of every 90.
        const int phase = frame % 90;
        if (frame == 0)
        {
            Key(Qel::VK_RIGHT, true);
            Key('X', true);
        }
        if (phase == 0)
            Key('Z', true);
        if (phase == 40)
            Key('Z', false);
        input.Update();
        pad.Update();
        actions.Update(input, pad, DT);
        world.myPlayer.Update(context);
        world.myTileMap.UpdateTiles(context);
        if (world.myPlayer.GetPosition().x > 45000.0f)
            world.myPlayer.SetPosition({-1500.0f, 50.0f, 0.0f});
        ++frame;
    }
};

void BM_PlayerFrame(benchmark::State& aState)
{
    Run run;
    for (int i = 0; i < 120; ++i)
        run.Frame();
    for (auto _ : aState)
    {
        run.world.myPlayer.Update(run.context);
        benchmark::ClobberMemory();
        // The rest of the frame (input, tiles) runs outside the timing.
        aState.PauseTiming();
        run.world.myTileMap.UpdateTiles(run.context);
        run.input.Update();
        run.actions.Update(run.input, run.pad, DT);
        if (run.world.myPlayer.GetPosition().x > 45000.0f)
            run.world.myPlayer.SetPosition({-1500.0f, 50.0f, 0.0f});
        ++run.frame;
        if (run.frame % 90 == 0)
            run.Key('Z', true);
        if (run.frame % 90 == 40)
            run.Key('Z', false);
        aState.ResumeTiming();
    }
}
BENCHMARK(BM_PlayerFrame);

void BM_PlayerWholeFrame(benchmark::State& aState)
{
    Run run;
    for (auto _ : aState)
        run.Frame();
}
BENCHMARK(BM_PlayerWholeFrame);
}

BENCHMARK_MAIN();
