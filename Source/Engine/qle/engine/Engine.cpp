#include "engine/Engine.h"

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

namespace Qel
{
u32 ourDrawCallCount = 0;
u32 ourLastFrameDrawCallCount = 0;

namespace
{
Engine* ourEngine = nullptr;
}

Engine::Engine()
{
    myParameters = Settings::GetEngineCreateParameters();
    if ((myParameters.myStartInFullscreen || myParameters.myStartMaximized) &&
        (myParameters.myWindowWidth == 0 || myParameters.myWindowHeight == 0))
    {
        u32 width = 0, height = 0;
        if (Platform::GetPrimaryScreenSize(width, height))
        {
            myParameters.myWindowWidth = myParameters.myRenderWidth = width;
            myParameters.myWindowHeight = myParameters.myRenderHeight = height;
        }
    }
    myCallbackList = new CallbackList;
    myCallbackList->Add(myParameters.mySecondCallback, myParameters.myThirdCallback);
}

bool Engine::Start()
{
    if (ourEngine)
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
    myDX11->Present(myParameters.myEnableVsync != 0);
    if (myResizePending)
        HandleResize();
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

void Engine::SetFullscreen(bool aFullscreen)
{
    if (myWindow)
        myWindow->SetFullscreen(aFullscreen);
}

void Engine::SetResolution(u32 aWidth, u32 aHeight)
{
    if (myWindow)
        myWindow->SetResolution(aWidth, aHeight);
}

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
