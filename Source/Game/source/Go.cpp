#include "Go.h"

#include "engine/Engine.h"
#include "input/InputManager.h"
#include "input/XInputController.h"
#include "platform/Platform.h"
#include "settings/Settings.h"
#include "window/Window.h"

#include <algorithm>
#include <cstdio>
#include <exception>

namespace
{
// Read by the window-message callback; set once the input manager exists.
Qel::InputManager* ourCurrentInputManager = nullptr;

// Publishes the input manager to the callback for exactly as long as it lives.
struct CurrentInputManager
{
    explicit CurrentInputManager(Qel::InputManager& aInput) { ourCurrentInputManager = &aInput; }
    ~CurrentInputManager() { ourCurrentInputManager = nullptr; }
};

Qel::LRESULT WindowMessageCallback(Qel::HWND, Qel::UINT aMessage, Qel::WPARAM aWParam, Qel::LPARAM aLParam)
{
    const bool taken = ourCurrentInputManager && ourCurrentInputManager->UpdateEvents(aMessage, aWParam, aLParam);
    if (!taken && aMessage == Qel::WM_DESTROY)
        Qel::Platform::PostQuitMessage(0);
    return 0;
}

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
        std::fprintf(stderr, "The engine could not start (the cause is given above).\n");
        return 1;
    }
    Qel::Engine& engine = *Qel::Engine::GetInstance();

    {
        // State stack: built and initialised here (before the input manager), updated and
        // rendered in the loop below, destroyed with this scope before the engine shuts down.

        Qel::InputManager input(engine.GetWindowHandle()->myWindowHandle);
        const CurrentInputManager current(input);
        Qel::XInputController gamepad;
        gamepad.myDeadZoneX = 0.05f;
        gamepad.myDeadZoneY = 0.02f;

        while (engine.BeginFrame())
        {
            input.Update();
            gamepad.Update();
            const float deltaTime = ClampFrameTime(engine.GetDeltaTime());
            (void)deltaTime;   // the state stack's update and render take it
            engine.EndFrame();
        }
    }

    Qel::Engine::Shutdown();
    return 0;
}
}

float ClampFrameTime(float aDeltaTime) { return std::min(0.03f, std::max(0.0f, aDeltaTime)); }

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
