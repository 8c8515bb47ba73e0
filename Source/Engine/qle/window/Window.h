#pragma once
#include "engine/EngineCreateParameters.h"
#include "platform/Win32.h"

namespace Qel
{
// The one top-level window. Its first member is the handle: code holding a Window* reads it.
class Window
{
public:
    HWND myWindowHandle = nullptr;

    Window() = default;
    ~Window() = default;   // the OS window outlives this object; closing it is the user's
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    // False (with the reason on stderr) when the window cannot be created.
    bool Init(const EngineCreateParameters& aParameters, HINSTANCE* aInstanceOut, Window** aWindowInOut);
    bool IsFullscreen() const { return myFullscreen != 0; }
    // False when the system refused the change: the window is put back as it was.
    bool SetFullscreen(bool aFullscreen);
    bool SetResolution(u32 aWidth, u32 aHeight);

    static constexpr u32 CREATION_STYLE_POPUP = WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
    static constexpr u32 FULLSCREEN_STYLE = CREATION_STYLE_POPUP | WS_MAXIMIZE;
    static constexpr u32 WINDOWED_STYLE = WS_OVERLAPPEDWINDOW | WS_VISIBLE;

    // Presentation rules, pure so they can be checked without a display.
    static bool StartsFullscreen(const EngineCreateParameters& aParameters);
    static u32 CreationStyle(const EngineCreateParameters& aParameters);

    // The window procedure registered for the window.
    static LRESULT WindowProcedure(HWND aWindow, UINT aMessage, WPARAM aWParam, LPARAM aLParam);

private:
    void ComputeOuterSize(u32 aWidth, u32 aHeight);
    bool ApplyPresentation();

    WindowMessageCallback myMessageCallback;
    u32 myRequestedWidth = 0;
    u32 myRequestedHeight = 0;
    u32 myOuterWidth = 0;
    u32 myOuterHeight = 0;
    u8 myFullscreen = 0;
};
}
