// CPU cost of the play screen on a full-size level: one frame (update, then the submission of
// every draw; the GPU's work is not counted) and a whole level load, from the request to the
// first playable frame. The engine runs on the offscreen driver; without one the frame is
// measured without draw submission.
//
//     build/benchmarks/bench_play_screen [--headless]
//
// --headless runs without an engine: the game's own update and draw walk without the driver.
#include "AnimatedEffectPool.h"
#include "GamePlayingState.h"
#include "InputMapper.h"
#include "StateStack.h"

#include "engine/Engine.h"
#include "input/InputManager.h"
#include "input/XInputController.h"
#include "model/ModelFactory.h"
#include "scene/ObjectDefinition.h"
#include "settings/Settings.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace
{
namespace fs = std::filesystem;

constexpr const char* LEVEL = "scenes/bench/level2.qls";
constexpr int TILES = 2000;
constexpr int SCENERY = 400;

fs::path ourRoot;
bool ourEngine = false;

void Write(const fs::path& aPath, const std::string& aText)
{
    fs::create_directories(aPath.parent_path());
    std::ofstream(aPath) << aText;
}

std::string Record(const char* aName, const char* aType, const std::string& aValue)
{
    return std::string("{\"name\": \"") + aName + "\", \"type\": \"" + aType + "\", \"value\": " + aValue +
           ", \"is-dynamic\": false, \"is-per-instance\": false}";
}

// Blocks in rows along the whole grid and scenery in front of and behind them.
void WriteLevel()
{
    ourRoot = fs::temp_directory_path() / ("qel-bench-play-" + std::to_string(getpid()));
    fs::remove_all(ourRoot);
    const std::string cube = "{\"path\": \"Cube\"}";
    Write(ourRoot / "objects/QLO_BenchBlock.qlo",
          "{\"parent-object-definition\": \"\", \"properties\": [" + Record("Object Tag", "Object Tag", "9") + ", " +
              Record("Model", "Model", cube) + "]}");
    Write(ourRoot / "objects/QLO_BenchScenery.qlo",
          "{\"parent-object-definition\": \"\", \"properties\": [" + Record("Model", "Model", cube) + "]}");
    Write(ourRoot / LEVEL, "");
    const fs::path folder = ourRoot / "scenes/bench/level2.leveldata";
    fs::create_directories(folder);
    int id = 1;
    auto object = [&](const char* aDefinition, float aX, float aY, float aZ)
    {
        char name[64];
        std::snprintf(name, sizeof(name), "00000000-0000-0000-0000-%012d", id++);
        char json[256];
        std::snprintf(json, sizeof(json),
                      "{\"object-definition\": \"%s\", \"translation\": [%g, %g, %g], \"rotation\": [0, 0, 0], "
                      "\"scale\": [1, 1, 1]}",
                      aDefinition, aX, aY, aZ);
        Write(folder / name, json);
    };
    for (int i = 0; i < TILES; ++i)
        object("QLO_BenchBlock", -2000.0f + 100.0f * static_cast<float>(i % 500), 100.0f * static_cast<float>(i / 500), 0.0f);
    for (int i = 0; i < SCENERY; ++i)
        object("QLO_BenchScenery", -1500.0f + 125.0f * static_cast<float>(i), 600.0f, i % 2 ? 300.0f : -300.0f);
}

struct Session
{
    Session()
    {
        StateStack::BindInputs(myActions);
        myPlay.Init();
    }
    void LoadAll()
    {
        myPlay.SetTimer(300.0f);
        myPlay.RequestLevel(Qel::StringId(std::string(LEVEL)));
        while (myPlay.IsLoadPending())
            myPlay.LoadStep();
    }
    void Frame()
    {
        UpdateContext context;
        context.myActions = &myActions;
        context.myDeltaTime = 1.0f / 60.0f;
        context.myInput = &myInput;
        myPlay.SetTimer(300.0f);
        benchmark::DoNotOptimize(myPlay.Update(context));
        myPlay.Render();
    }
    Qel::InputManager myInput{nullptr};
    InputMapper myActions{0.4f, 0.9f};
    GamePlayingState myPlay;
};

void BM_PlayScreenFrame(benchmark::State& aState)
{
    Session session;
    session.LoadAll();
    session.myPlay.GetWorld().myPlayer.SetPosition({20000.0f, 150.0f, 0.0f});
    for (int i = 0; i < 120; ++i)
        session.Frame();
    Qel::Engine* engine = Qel::Engine::GetInstance();
    for (auto _ : aState)
    {
        if (engine)
            engine->BeginFrame();
        session.Frame();
        if (engine)
        {
            aState.PauseTiming();
            engine->EndFrame();
            aState.ResumeTiming();
        }
    }
    aState.counters["engine"] = ourEngine ? 1 : 0;
    aState.counters["tiles"] = TILES;
    aState.counters["scenery"] = static_cast<double>(session.myPlay.GetWorld().myGenericModels.size());
}
BENCHMARK(BM_PlayScreenFrame)->Unit(benchmark::kMicrosecond)->MinTime(2.0);

void BM_LevelLoad(benchmark::State& aState)
{
    Session session;
    session.LoadAll();   // warm: files in the page cache, definitions and models loaded once
    for (auto _ : aState)
    {
        session.LoadAll();
        session.Frame();
    }
}
BENCHMARK(BM_LevelLoad)->Unit(benchmark::kMillisecond)->MinTime(2.0);
}

int main(int argc, char** argv)
{
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("ALSOFT_DRIVERS", "null", 0);
    WriteLevel();
    bool headless = false;
    for (int i = 1; i < argc; ++i)
        headless |= std::string(argv[i]) == "--headless";
    Qel::EngineCreateParameters& parameters = Qel::Settings::GetEngineCreateParameters();
    const fs::path bin = fs::canonical("/proc/self/exe").parent_path() / ".." / "bin";
    if (!headless && Qel::Settings::LoadSettingsFrom(bin, "Game.json", parameters))
    {
        Qel::Settings::GetExecutableFolder() = bin;
        parameters.myEnableVsync = 0;
        parameters.myDebugFeatures = 0;
        ourEngine = Qel::Engine::Start();
    }
    Qel::Settings::GetGameAssetsPath() = ourRoot;
    Qel::GetObjectDefinitionManager().LoadAll(ourRoot.string());

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    AnimatedEffectPool::Get().Clear();
    if (ourEngine)
        Qel::Engine::Shutdown();
    fs::remove_all(ourRoot);
    return 0;
}
