// Frame time and CPU use of the game sitting on its main menu: the frame loop of Go (engine
// frame, input, pad, state stack update and render) for a few seconds, with vsync on or off.
// Runs on whatever SDL video driver the environment selects: x11 under Xvfb, offscreen otherwise.
//
//     xvfb-run -a env SDL_VIDEODRIVER=x11 build/benchmarks/bench_idle_screen [vsync|novsync] [seconds]
#include "Go.h"
#include "StateStack.h"
#include "engine/Engine.h"
#include "input/InputManager.h"
#include "input/XInputController.h"
#include "platform/Platform.h"
#include "settings/Settings.h"
#include "window/Window.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <memory>
#include <vector>

namespace
{
double Seconds(clockid_t aClock)
{
    timespec now{};
    clock_gettime(aClock, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}
}

int main(int argc, char** argv)
{
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    const bool vsync = !(argc > 1 && std::strcmp(argv[1], "novsync") == 0);
    const double seconds = argc > 2 ? std::max(1.0, std::atof(argv[2])) : 5.0;

    Qel::EngineCreateParameters& parameters = Qel::Settings::GetEngineCreateParameters();
    const std::filesystem::path bin = std::filesystem::canonical("/proc/self/exe").parent_path() / ".." / "bin";
    if (!Qel::Settings::LoadSettingsFrom(bin, "Game.json", parameters))
    {
        std::fprintf(stderr, "no built game settings beside the benchmark\n");
        return 1;
    }
    Qel::Settings::GetExecutableFolder() = bin;
    parameters.myEnableVsync = vsync ? 1 : 0;
    parameters.myDebugFeatures = Qel::DebugFeature::Filewatcher;
    if (!Qel::Engine::Start())
    {
        std::fprintf(stderr, "the engine could not start\n");
        return 1;
    }
    Qel::Engine& engine = *Qel::Engine::GetInstance();
    {
        auto stack = std::make_unique<StateStack>();
        stack->Init();
        stack->PushForTesting(stack->GetMainMenu());
        Qel::InputManager input(engine.GetWindowHandle()->myWindowHandle);
        Qel::XInputController gamepad;

        std::vector<double> frames;
        frames.reserve(100000);
        // Settle first: the window's first resize, shader and driver caches.
        for (int i = 0; i < 30 && engine.BeginFrame(); ++i)
        {
            input.Update();
            gamepad.Update();
            stack->Update(ClampFrameTime(engine.GetDeltaTime()), input, gamepad);
            stack->Render();
            engine.EndFrame();
        }
        const double wallStart = Seconds(CLOCK_MONOTONIC);
        const double cpuStart = Seconds(CLOCK_PROCESS_CPUTIME_ID);
        double last = wallStart;
        while (last - wallStart < seconds && engine.BeginFrame())
        {
            input.Update();
            gamepad.Update();
            stack->Update(ClampFrameTime(engine.GetDeltaTime()), input, gamepad);
            stack->Render();
            engine.EndFrame();
            const double now = Seconds(CLOCK_MONOTONIC);
            frames.push_back(now - last);
            last = now;
        }
        const double wall = last - wallStart;
        const double cpu = Seconds(CLOCK_PROCESS_CPUTIME_ID) - cpuStart;
        std::sort(frames.begin(), frames.end());
        const auto [width, height] = engine.GetRenderSize();
        const double mean = frames.empty() ? 0.0 : wall / static_cast<double>(frames.size());
        const double median = frames.empty() ? 0.0 : frames[frames.size() / 2];
        const double p99 = frames.empty() ? 0.0 : frames[frames.size() * 99 / 100];
        std::printf("idle main menu, %ux%u, vsync %s: %zu frames in %.2f s; frame time mean %.3f ms, median %.3f ms, "
                    "99th %.3f ms; CPU %.0f%% of one core (all threads)\n",
                    width, height, vsync ? "on" : "off", frames.size(), wall, mean * 1e3, median * 1e3, p99 * 1e3,
                    wall > 0.0 ? 100.0 * cpu / wall : 0.0);
    }
    Qel::Engine::Shutdown();
    return 0;
}
