#include "Go.h"

#include "engine/Engine.h"
#include "platform/Platform.h"
#include "settings/Settings.h"

#include <algorithm>
#include <cstdio>
#include <exception>

namespace
{
Qel::LRESULT WindowMessageCallback(Qel::HWND, Qel::UINT aMessage, Qel::WPARAM, Qel::LPARAM)
{
    if (aMessage == Qel::WM_DESTROY)
        Qel::Platform::PostQuitMessage(0);
    return 0;
}

float ClampFrameTime(float aDeltaTime) { return std::min(0.03f, std::max(0.0f, aDeltaTime)); }

int Run()
{
    if (!Qel::LoadSettings("Game.json"))
    {
        std::fprintf(stderr, "The game could not read its settings and stops.\n");
        return 1;
    }
    Qel::EngineCreateParameters& parameters = Qel::Settings::GetEngineCreateParameters();
    parameters.myWindowMessageCallback = &WindowMessageCallback;
    parameters.myDebugFeatures = Qel::DebugFeature::Filewatcher;

    if (!Qel::Engine::Start())
    {
        std::fprintf(stderr, "The engine could not start (window or graphics device unavailable).\n");
        return 1;
    }
    Qel::Engine& engine = *Qel::Engine::GetInstance();

    // State stack: built and initialised here, updated and rendered in the loop below, destroyed
    // before the engine shuts down.

    while (engine.BeginFrame())
    {
        const float deltaTime = ClampFrameTime(engine.GetDeltaTime());
        (void)deltaTime;
        engine.EndFrame();
    }

    Qel::Engine::Shutdown();
    return 0;
}
}

int Go()
{
    try
    {
        return Run();
    }
    catch (const std::exception& e)
    {
        std::fprintf(stderr, "The game stopped on an error: %s\n", e.what());
    }
    Qel::Engine::Shutdown();
    return 1;
}
