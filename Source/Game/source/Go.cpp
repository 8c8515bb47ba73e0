#include "Go.h"

#include "AnimatedEffectPool.h"

#include "StateStack.h"

#include "engine/Engine.h"
#include "input/InputManager.h"
#include "input/XInputController.h"
#include "platform/Platform.h"
#include "settings/Settings.h"
#include "window/Window.h"

#include <algorithm>
#include <cstdio>
#include <exception>
#include <memory>

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

    // Decoding starts on worker threads while the window and the device come up.
    StateStack::PrefetchContent();
    if (!Qel::Engine::Start())
    {
        std::fprintf(stderr, "The engine could not start (the cause is given above).\n");
        return 1;
    }
    Qel::Engine& engine = *Qel::Engine::GetInstance();

    {
        // Every screen lives in the state stack for the whole run; it is large, so it lives on
        // the heap, and goes with this scope before the engine shuts down.
        const auto stateStack = std::make_unique<StateStack>();
        // The first splash screen shows as soon as it is ready; the rest of Init runs behind it.
        stateStack->InitFirstScreen();

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
            stateStack->Update(deltaTime, input, gamepad);
            stateStack->Render();
            engine.EndFrame();
        }
    }

    // The effects hold models and GPU buffers: gone before the model factory and the device.
    AnimatedEffectPool::Get().Clear();
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
