// Frame time of an empty frame (BeginFrame + EndFrame with no drawing): message pump, clear,
// present. Runs on whatever SDL video driver the environment selects (offscreen by default
// here, x11 under Xvfb). glFinish each frame so queued GPU work is paid inside the frame.
#include "engine/Engine.h"
#include "graphics/GL.h"
#include "settings/Settings.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>

static void BM_EmptyFrame(benchmark::State& aState)
{
    Qel::EngineCreateParameters& parameters = Qel::Settings::GetEngineCreateParameters();
    // The built game's asset roots: the benchmark lives in build/benchmarks, the game in build/bin.
    const std::filesystem::path bin = std::filesystem::canonical("/proc/self/exe").parent_path() / ".." / "bin";
    if (!Qel::Settings::LoadSettingsFrom(bin, "Game.json", parameters))
    {
        aState.SkipWithError("no built game settings beside the benchmark");
        return;
    }
    Qel::Settings::GetExecutableFolder() = bin;
    parameters.myWindowWidth = parameters.myRenderWidth = 1280;
    parameters.myWindowHeight = parameters.myRenderHeight = 720;
    parameters.myTitle = "frame benchmark";
    if (!Qel::Engine::Start())
    {
        aState.SkipWithError("the engine could not start");
        return;
    }
    Qel::Engine* engine = Qel::Engine::GetInstance();
    for (auto _ : aState)
    {
        if (!engine->BeginFrame())
            break;
        engine->EndFrame();
        glFinish();
    }
    Qel::Engine::Shutdown();
}
BENCHMARK(BM_EmptyFrame)->Unit(benchmark::kMillisecond)->MinTime(2.0);

int main(int argc, char** argv)
{
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
