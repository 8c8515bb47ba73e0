#pragma once
#include "core/Types.h"
#include "engine/AspectFactors.h"
#include "engine/EngineCreateParameters.h"
#include "engine/FramePacer.h"
#include "engine/StepTimer.h"

#include <utility>

namespace Qel
{
class Window;
class DX11;
class GraphicsEngine;
class TextureManager;
class TextService;
class CallbackList;
class FileWatcher;

// Draw calls issued this frame, and in the frame before.
extern u32 ourDrawCallCount;
extern u32 ourLastFrameDrawCallCount;

// The process-wide engine: owns the window, the device, the graphics engine, the texture manager,
// the text service and the file watcher, and frames the game's loop.
class Engine
{
public:
    static bool Start();
    static void Shutdown();
    static Engine* GetInstance();

    bool BeginFrame();
    void EndFrame();

    bool IsDebugFeatureOn(u32 aFeature) const { return IsDebugFeatureSet(myParameters.myDebugFeatures, aFeature); }
    Window* GetWindowHandle() const { return myWindow; }
    bool IsFullscreen() const;
    // False when the system refused: the window keeps the mode and size it had.
    bool SetFullscreen(bool aFullscreen);
    bool SetResolution(u32 aWidth, u32 aHeight);

    std::pair<u32, u32> GetRenderSize() const { return {myParameters.myRenderWidth, myParameters.myRenderHeight}; }
    std::pair<u32, u32> GetWindowSize() const { return {myParameters.myWindowWidth, myParameters.myWindowHeight}; }
    float GetDeltaTime() const { return myDeltaTime; }
    float GetTotalTime() const { return myTotalTime; }
    i64 GetStartTime() const { return myStartTime; }
    const AspectFactors& GetAspectFactors() const { return myAspectFactors; }
    const StepTimer& GetStepTimer() const { return myStepTimer; }
    GraphicsEngine* GetGraphicsEngine() const { return myGraphicsEngine; }
    TextureManager* GetTextureManager() const { return myTextureManager; }
    TextService* GetTextService() const { return myTextService; }
    FileWatcher* GetFileWatcher() const { return myFileWatcher; }
    DX11* GetDX11() const { return myDX11; }
    const float* GetClearColor() const { return myParameters.myClearColor; }
    bool IsVsyncEnabled() const { return myParameters.myEnableVsync != 0; }
    u32 GetDebugFeatures() const { return myParameters.myDebugFeatures; }
    const std::string& GetTitle() const { return myParameters.myTitle; }

    void SetResizePending() { myResizePending = 1; }
    bool IsResizePending() const { return myResizePending != 0; }
    const FramePacer& GetFramePacer() const { return myFramePacer; }

private:
    Engine();
    ~Engine() = default;
    bool Init();
    void HandleResize();
    // Sleeps until the next frame is due when the swap does not keep the rate (vsync refused or
    // ignored) or nothing was shown (minimised).
    void PaceFrame(bool aShown, bool aVsync);

    Window* myWindow = nullptr;
    DX11* myDX11 = nullptr;
    GraphicsEngine* myGraphicsEngine = nullptr;
    TextureManager* myTextureManager = nullptr;
    TextService* myTextService = nullptr;
    EngineCreateParameters myParameters;
    CallbackList* myCallbackList = nullptr;
    FileWatcher* myFileWatcher = nullptr;
    u8 myResizePending = 0;
    AspectFactors myAspectFactors;
    i64 myStartTime = 0;
    float myTotalTime = 0.0f;
    float myDeltaTime = 0.0f;
    StepTimer myStepTimer;
    FramePacer myFramePacer;
    u8 myQuit = 0;
};
}
