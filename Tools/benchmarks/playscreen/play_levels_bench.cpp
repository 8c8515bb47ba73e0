// The play screen on the six shipped levels, from the built asset tree, in the real engine on
// the offscreen driver at 1280 x 720:
//   BM_LevelFrame/N  CPU of the main thread for one frame of update and draw submission (the
//                    rasteriser's threads are not counted, nor is the present), averaged over
//                    spots from the level's start to its goal; counters: allocations per frame
//                    and draws per frame.
//   BM_LevelLoad/N   from the load request to the end of the first playable frame, with the
//                    level's models and textures already loaded once.
// Before the benchmarks, each level's first load in this process is printed (the first level
// pays for the models and shaders every level shares).
//
//     build/benchmarks/bench_play_levels [--steps] [--benchmark_filter=...]
//
// --steps also prints each render step's share of the frame.
#include "AnimatedEffectPool.h"
#include "GamePlayingState.h"
#include "InputMapper.h"
#include "PlayFrameRecorder.h"
#include "StateStack.h"

#include "engine/Engine.h"
#include "input/InputManager.h"
#include "model/ModelFactory.h"
#include "scene/ObjectDefinition.h"
#include "settings/Settings.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

long CountedAllocations();

namespace
{
namespace fs = std::filesystem;

constexpr float DT = 1.0f / 60.0f;
constexpr int SPOTS = 8;
constexpr int FRAMES_PER_SPOT = 60;
constexpr int SETTLE_FRAMES = 20;

std::string LevelPath(int aLevel) { return "scenes/game_scenes/level" + std::to_string(aLevel) + ".qls"; }

double ThreadMicros()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e6 + static_cast<double>(now.tv_nsec) * 1e-3;
}
// Main-thread CPU and draws of each render step, summed over the frames it saw.
class StepProfile final : public PlayFrameRecorder
{
public:
    static constexpr int STEPS = static_cast<int>(RenderStep::EndingCutscenesOverlay) + 1;
    void OnStep(PlayStep) override { Close(); }
    void OnRender(RenderStep aStep, Qel::i32 aItem) override
    {
        if (aItem >= 0)
            return;
        Close();
        myOpen = static_cast<int>(aStep);
        myStart = ThreadMicros();
        myDrawsAtStart = Qel::ourDrawCallCount;
    }
    void Close()
    {
        if (myOpen < 0)
            return;
        myMicros[myOpen] += ThreadMicros() - myStart;
        myDraws[myOpen] += Qel::ourDrawCallCount - myDrawsAtStart;
        myOpen = -1;
    }
    double myMicros[STEPS] = {};
    double myDraws[STEPS] = {};
    int myOpen = -1;
    double myStart = 0.0;
    Qel::u32 myDrawsAtStart = 0;
};
struct Session
{
    Session()
    {
        StateStack::BindInputs(myActions);
        myPlay.Init();
    }
    bool Load(int aLevel)
    {
        myPlay.SetTimer(300.0f);
        myPlay.RequestLevel(Qel::StringId(LevelPath(aLevel)));
        while (myPlay.IsLoadPending())
            if (!myPlay.LoadStep())
                return false;
        return true;
    }
    StateCommand Frame()
    {
        UpdateContext context;
        context.myActions = &myActions;
        context.myDeltaTime = DT;
        context.myInput = &myInput;
        // The clock never runs out while measuring.
        myPlay.SetTimer(300.0f);
        const double start = ThreadMicros();
        const StateCommand command = myPlay.Update(context);
        const double updated = ThreadMicros();
        myPlay.Render();
        if (myProfile)
            myProfile->Close();
        myUpdateMicros = updated - start;
        myRenderMicros = ThreadMicros() - updated;
        return command;
    }
    void EngineFrame()
    {
        Qel::Engine* engine = Qel::Engine::GetInstance();
        engine->BeginFrame();
        Frame();
        engine->EndFrame();
    }
    // The hero held on the ground column at or left of aX, the camera caught up with it.
    void MoveTo(float aX)
    {
        Player& hero = myPlay.GetWorld().myPlayer;
        float x = aX;
        while (x > 0.0f && !myPlay.GetWorld().myTileMap.IsSolid(TileMap::WorldToCell({x, 0.0f})))
            x -= 100.0f;
        hero.Unlock();
        hero.SetPosition({x, 50.0f, 0.0f});
        hero.Lock();
        for (int i = 0; i < SETTLE_FRAMES; ++i)
            EngineFrame();
    }
    float SpotX(int aSpot) const
    {
        const PlayCamera::Follow& follow = myPlay.GetCameraFollow();
        const float right = follow.myRightBound - 400.0f;
        return follow.myLeftBound + (right - follow.myLeftBound) * static_cast<float>(aSpot) / (SPOTS - 1);
    }
    Qel::InputManager myInput{nullptr};
    InputMapper myActions{0.4f, 0.9f};
    GamePlayingState myPlay;
    StepProfile* myProfile = nullptr;
    // Of the last frame.
    double myUpdateMicros = 0.0;
    double myRenderMicros = 0.0;
};

StepProfile ourProfiles[7];
long ourProfiledFrames[7] = {};
bool ourPrintSteps = false;

void BM_LevelFrame(benchmark::State& aState)
{
    const int level = static_cast<int>(aState.range(0));
    Session session;
    if (!session.Load(level))
    {
        aState.SkipWithError("the level does not load");
        return;
    }
    // The entry ride and the landing.
    for (int i = 0; i < 5 * 60; ++i)
        session.EngineFrame();
    Qel::Engine* engine = Qel::Engine::GetInstance();
    long allocations = 0;
    long draws = 0;
    long frames = 0;
    double updateMicros = 0.0;
    double renderMicros = 0.0;
    int spot = 0;
    int inSpot = FRAMES_PER_SPOT;
    for (auto _ : aState)
    {
        if (inSpot == FRAMES_PER_SPOT)
        {
            aState.PauseTiming();
            session.MoveTo(session.SpotX(spot));
            spot = (spot + 1) % SPOTS;
            inSpot = 0;
            aState.ResumeTiming();
        }
        ++inSpot;
        aState.PauseTiming();
        engine->BeginFrame();
        session.myPlay.SetFrameRecorder(ourPrintSteps ? &ourProfiles[level] : nullptr);
        session.myProfile = ourPrintSteps ? &ourProfiles[level] : nullptr;
        const long before = CountedAllocations();
        const Qel::u32 drawsBefore = Qel::ourDrawCallCount;
        aState.ResumeTiming();
        session.Frame();
        aState.PauseTiming();
        allocations += CountedAllocations() - before;
        draws += Qel::ourDrawCallCount - drawsBefore;
        updateMicros += session.myUpdateMicros;
        renderMicros += session.myRenderMicros;
        session.myPlay.SetFrameRecorder(nullptr);
        session.myProfile = nullptr;
        engine->EndFrame();
        ++frames;
        aState.ResumeTiming();
    }
    ourProfiledFrames[level] = frames;
    // Thread CPU of the two halves, read around the calls themselves (the whole frame is "CPU").
    aState.counters["update_us"] = updateMicros / static_cast<double>(frames);
    aState.counters["draw_us"] = renderMicros / static_cast<double>(frames);
    aState.counters["allocs/frame"] = static_cast<double>(allocations) / static_cast<double>(frames);
    aState.counters["draws"] = static_cast<double>(draws) / static_cast<double>(frames);
    aState.counters["scenery"] = static_cast<double>(session.myPlay.GetWorld().myGenericModels.size());
}
BENCHMARK(BM_LevelFrame)->DenseRange(1, 6)->Unit(benchmark::kMicrosecond)->Iterations(SPOTS * FRAMES_PER_SPOT);

void BM_LevelLoad(benchmark::State& aState)
{
    const int level = static_cast<int>(aState.range(0));
    Session session;
    session.Load(level);
    Qel::Engine* engine = Qel::Engine::GetInstance();
    for (auto _ : aState)
    {
        engine->BeginFrame();
        if (!session.Load(level))
        {
            aState.SkipWithError("the level does not load");
            break;
        }
        session.Frame();
        aState.PauseTiming();
        engine->EndFrame();
        aState.ResumeTiming();
    }
}
BENCHMARK(BM_LevelLoad)->DenseRange(1, 6)->Unit(benchmark::kMillisecond)->MinTime(1.0)->UseRealTime();

constexpr const char* STEP_NAMES[StepProfile::STEPS] = {
    "ParallaxBehindFans", "EventFans", "ParallaxFront", "GenericModelsFront", "TilesPass0", "Player",
    "EndingCutscenesWorld", "Checkpoint", "Effects", "FanTriggers", "MiniOwls", "FlyingMiniOwls", "BeetleTanks",
    "PipeMoles", "BatteryPickups", "BatterySpawns", "ChestGrenadePickups", "ShieldPickups", "LifePickups",
    "ChestGrenades", "GenericParticles", "Goals", "EntryZiplines", "GenericModelsBack", "TilesPass1", "TilesPass2",
    "TilesPass3", "ParallaxBack", "Vignette", "Hud", "EndingCutscenesOverlay"};

void PrintSteps()
{
    for (int level = 1; level <= 6; ++level)
    {
        const double frames = static_cast<double>(ourProfiledFrames[level]);
        if (frames <= 0.0)
            continue;
        std::printf("level %d, per frame: main-thread us and draws of each render step\n", level);
        for (int step = 0; step < StepProfile::STEPS; ++step)
            if (ourProfiles[level].myDraws[step] > 0.0 || ourProfiles[level].myMicros[step] / frames >= 1.0)
                std::printf("  %-24s %8.1f us %6.1f draws\n", STEP_NAMES[step], ourProfiles[level].myMicros[step] / frames,
                            ourProfiles[level].myDraws[step] / frames);
    }
}

// Each level's first load in this process, wall clock, request to the end of the first frame.
void PrintFirstLoads()
{
    Session session;
    Qel::Engine* engine = Qel::Engine::GetInstance();
    for (int level = 1; level <= 6; ++level)
    {
        const auto start = std::chrono::steady_clock::now();
        engine->BeginFrame();
        const bool loaded = session.Load(level);
        session.Frame();
        engine->EndFrame();
        const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        std::printf("first load of level %d: %s%.1f ms\n", level, loaded ? "" : "FAILED ", ms);
    }
}
}

int main(int argc, char** argv)
{
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("ALSOFT_DRIVERS", "null", 0);
    Qel::EngineCreateParameters& parameters = Qel::Settings::GetEngineCreateParameters();
    const fs::path bin = fs::canonical("/proc/self/exe").parent_path() / ".." / "bin";
    if (!Qel::Settings::LoadSettingsFrom(bin, "Game.json", parameters))
    {
        std::fprintf(stderr, "no built game settings beside the benchmark\n");
        return 1;
    }
    Qel::Settings::GetExecutableFolder() = bin;
    parameters.myWindowWidth = parameters.myRenderWidth = 1280;
    parameters.myWindowHeight = parameters.myRenderHeight = 720;
    parameters.myEnableVsync = 0;
    parameters.myDebugFeatures = 0;
    if (!Qel::Engine::Start())
    {
        std::fprintf(stderr, "the engine could not start\n");
        return 1;
    }
    Qel::GetObjectDefinitionManager().LoadAll(Qel::Settings::GetGameAssetsPath().string());

    benchmark::Initialize(&argc, argv);
    for (int i = 1; i < argc; ++i)
        ourPrintSteps |= std::string(argv[i]) == "--steps";
    PrintFirstLoads();
    benchmark::RunSpecifiedBenchmarks();
    PrintSteps();
    benchmark::Shutdown();

    AnimatedEffectPool::Get().Clear();
    Qel::DestroyModelFactory();
    Qel::Engine::Shutdown();
    return 0;
}
