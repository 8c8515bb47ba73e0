#include "engine/Engine.h"

#include "drawers/SpriteDrawer.h"
#include "engine/CallbackList.h"
#include "filewatcher/FileWatcher.h"
#include "graphics/DX11.h"
#include "graphics/GraphicsEngine.h"
#include "graphics/GraphicsStateStack.h"
#include "model/ModelFactory.h"
#include "platform/Platform.h"
#include "settings/Settings.h"
#include "text/TextService.h"
#include "texture/TextureManager.h"
#include "window/Window.h"

#include <chrono>
#include <thread>

namespace Qel
{
u32 ourDrawCallCount = 0;
u32 ourLastFrameDrawCallCount = 0;

namespace
{
Engine* ourEngine = nullptr;
// A minimised window shows nothing: ten frames a second keep messages flowing at little cost.
constexpr i64 HIDDEN_FRAME_PERIOD = 100'000'000;
}

Engine::Engine()
{
    myParameters = Settings::GetEngineCreateParameters();
    if ((myParameters.myStartInFullscreen || myParameters.myStartMaximized) &&
        (myParameters.myWindowWidth == 0 || myParameters.myWindowHeight == 0))
    {
        // Where the screen cannot be asked, the default size stands in for it.
        const EngineCreateParameters defaults;
        u32 width = defaults.myWindowWidth, height = defaults.myWindowHeight;
        Platform::GetPrimaryScreenSize(width, height);
        myParameters.myWindowWidth = myParameters.myRenderWidth = width;
        myParameters.myWindowHeight = myParameters.myRenderHeight = height;
    }
    myCallbackList = new CallbackList;
    myCallbackList->Add(myParameters.mySecondCallback, myParameters.myThirdCallback);
}

bool Engine::Start()
{
    if (ourEngine)
        return false;
    // Without its asset roots nothing can be drawn: say which one, rather than fail later on a shader.
    if (!Settings::CheckAssetRoots())
        return false;
    // The screen size may be needed before any window exists.
    if (!Platform::Init())
        return false;
    ourEngine = new Engine;
    return ourEngine->Init();
}

bool Engine::Init()
{
    delete myFileWatcher;
    myFileWatcher = new FileWatcher;

    delete myWindow;
    myWindow = new Window;
    Window* windowObject = myParameters.myWindow;
    if (!myWindow->Init(myParameters, &myParameters.myInstance, &windowObject))
        return false;

    delete myDX11;
    myDX11 = new DX11;
    if (!myDX11->Init(myWindow->myWindowHandle))
    {
        Platform::DestroyWindow(myWindow->myWindowHandle);
        return false;
    }

    delete myTextureManager;
    myTextureManager = new TextureManager;

    delete myGraphicsEngine;
    myGraphicsEngine = new GraphicsEngine;
    if (!myGraphicsEngine->Init())
    {
        Platform::DestroyWindow(myWindow->myWindowHandle);
        return false;
    }

    myTextureManager->Init();

    delete myTextService;
    myTextService = new TextService;
    myTextService->Init();

    myAspectFactors = ComputeAspectFactors(myParameters.myRenderWidth, myParameters.myRenderHeight, myAspectFactors);
    myStartTime = std::chrono::duration_cast<std::chrono::nanoseconds>(
                      std::chrono::steady_clock::now().time_since_epoch())
                      .count();
    return true;
}

Engine* Engine::GetInstance() { return ourEngine; }

bool Engine::BeginFrame()
{
    if (myQuit)
        return false;
    MSG message;
    while (Platform::PeekMessage(message))
    {
        Platform::TranslateMessage(message);
        Platform::DispatchMessage(message);
        if (message.message == WM_QUIT)
        {
            myQuit = 1;
            return false;
        }
    }
    myFileWatcher->FlushChanges();
    myDX11->Clear(myParameters.myClearColor);
    if (GraphicsStateStack* states = myGraphicsEngine ? myGraphicsEngine->GetGraphicsStateStack() : nullptr)
        states->BeginFrame();
    if (SpriteDrawer* sprites = myGraphicsEngine ? myGraphicsEngine->GetSpriteDrawer() : nullptr)
        sprites->BeginFrame();
    ourLastFrameDrawCallCount = ourDrawCallCount;
    ourDrawCallCount = 0;
    return true;
}

void Engine::EndFrame()
{
    myStepTimer.Tick([this] {
        const double delta = static_cast<double>(myStepTimer.GetElapsedTicks()) / StepTimer::TICKS_PER_SECOND;
        myDeltaTime = static_cast<float>(delta);
        myTotalTime += static_cast<float>(delta);
    });
    const bool vsync = myParameters.myEnableVsync != 0;
    const bool shown = myDX11->Present(vsync);
    PaceFrame(shown, vsync);
    if (myResizePending)
        HandleResize();
}

void Engine::PaceFrame(bool aShown, bool aVsync)
{
    if (!myWindow)
        return;   // nothing is ever shown without a window: nothing to pace against
    const i64 now = Platform::QueryPerformanceCounter();
    i64 wake = 0;
    if (!aShown)
        wake = myFramePacer.AfterHiddenFrame(now, HIDDEN_FRAME_PERIOD);   // minimised: nothing to show
    else if (aVsync)
        wake = myFramePacer.AfterShownFrame(now, RefreshPeriod(myDX11->GetRefreshRate()), myDX11->IsSwapIntervalTaken());
    else
        myFramePacer.Reset();
    if (wake > now)
        std::this_thread::sleep_for(std::chrono::nanoseconds(wake - now));
}

void Engine::HandleResize()
{
    // A minimised window has no size to follow: stay pending until it has one again.
    if (!myDX11->Resize())
        return;
    if (RenderTarget* target = DX11::GetActiveRenderTarget())
        target->SetAsActiveTarget(nullptr);
    const auto [width, height] = myDX11->GetActiveTargetSize();
    myParameters.myRenderWidth = static_cast<u32>(width);
    myParameters.myRenderHeight = static_cast<u32>(height);
    // The client size, the same meaning the window size had at start.
    const RECT client = Platform::GetClientRect(myWindow->myWindowHandle);
    if (client.right > client.left && client.bottom > client.top)
    {
        myParameters.myWindowWidth = static_cast<u32>(client.right - client.left);
        myParameters.myWindowHeight = static_cast<u32>(client.bottom - client.top);
    }
    myAspectFactors = ComputeAspectFactors(myParameters.myRenderWidth, myParameters.myRenderHeight, myAspectFactors);
    myResizePending = 0;
}

bool Engine::IsFullscreen() const { return myWindow && myWindow->IsFullscreen(); }

bool Engine::SetFullscreen(bool aFullscreen) { return myWindow && myWindow->SetFullscreen(aFullscreen); }

bool Engine::SetResolution(u32 aWidth, u32 aHeight) { return myWindow && myWindow->SetResolution(aWidth, aHeight); }

void Engine::Shutdown()
{
    if (!ourEngine)
        return;
    Engine* engine = ourEngine;
    // The model factory goes first: its models' buffers are freed while the context lives.
    DestroyModelFactory();
    delete engine->myFileWatcher;
    engine->myFileWatcher = nullptr;
    delete engine->myCallbackList;
    engine->myCallbackList = nullptr;
    engine->myParameters.myTitle.clear();
    engine->myParameters.myWindowMessageCallback = nullptr;
    engine->myParameters.mySecondCallback = nullptr;
    engine->myParameters.myThirdCallback = nullptr;
    delete engine->myTextService;
    engine->myTextService = nullptr;
    delete engine->myTextureManager;
    engine->myTextureManager = nullptr;
    delete engine->myGraphicsEngine;
    engine->myGraphicsEngine = nullptr;
    delete engine->myDX11;
    engine->myDX11 = nullptr;
    delete engine->myWindow;
    engine->myWindow = nullptr;
    delete engine;
    ourEngine = nullptr;
    Platform::Shutdown();
}
}
