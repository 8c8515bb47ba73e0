#pragma once
#include "core/Types.h"
#include "platform/Win32.h"

#include <functional>
#include <string>

namespace Qel
{
class Window;

// Debug-feature bits of the settings. Only Filewatcher changes behaviour.
namespace DebugFeature
{
constexpr u32 Fps = 1;
constexpr u32 Mem = 2;
constexpr u32 Drawcalls = 4;
constexpr u32 Cpu = 8;
constexpr u32 FpsGraph = 16;
constexpr u32 Filewatcher = 32;
constexpr u32 OptimizeWarnings = 64;
constexpr u32 MemoryTrackingStackTraces = 128;
constexpr u32 MemoryTrackingAllAllocations = 256;
constexpr u32 All = 511;
}

using WindowMessageCallback = std::function<LRESULT(HWND, UINT, WPARAM, LPARAM)>;

struct EngineCreateParameters
{
    WindowMessageCallback myWindowMessageCallback;
    std::function<void()> mySecondCallback;
    std::function<void()> myThirdCallback;
    u32 myWindowWidth = 1280;
    u32 myWindowHeight = 720;
    u32 myRenderWidth = 1280;
    u32 myRenderHeight = 720;
    u32 myDebugFeatures = 3;
    float myClearColor[4] = {3.0f / 255.0f, 0.6f, 176.0f / 255.0f, 1.0f};
    Window* myWindow = nullptr;
    HINSTANCE myInstance = nullptr;
    std::string myTitle = "Qel";   // UTF-8; the window takes it as it is
    u8 myEnableVsync = 0;
    u8 myStartInFullscreen = 0;
    u8 myStartMaximized = 0;
    u8 myBorderless = 0;
    u32 myMultisampling = 0;
};

// True when all nine bits are set, otherwise when aFeature shares a bit with aFlags.
constexpr bool IsDebugFeatureSet(u32 aFlags, u32 aFeature)
{
    if ((aFlags & DebugFeature::All) == DebugFeature::All)
        return true;
    return (aFeature & aFlags) != 0;
}
}
