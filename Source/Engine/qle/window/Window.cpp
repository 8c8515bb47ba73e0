#include "window/Window.h"

#include "engine/Engine.h"
#include "platform/Platform.h"

#include <algorithm>

namespace Qel
{
bool Window::StartsFullscreen(const EngineCreateParameters& aParameters)
{
    return aParameters.myStartInFullscreen || (aParameters.myBorderless && aParameters.myStartMaximized);
}

u32 Window::CreationStyle(const EngineCreateParameters& aParameters)
{
    if (aParameters.myBorderless || aParameters.myStartInFullscreen)
        return CREATION_STYLE_POPUP;
    return WS_OVERLAPPEDWINDOW;
}

bool Window::Init(const EngineCreateParameters& aParameters, HINSTANCE* aInstanceOut, Window** aWindowInOut)
{
    myMessageCallback = aParameters.myWindowMessageCallback;
    if (aInstanceOut)
        *aInstanceOut = nullptr;
    myFullscreen = StartsFullscreen(aParameters) ? 1 : 0;

    if (*aWindowInOut == nullptr)
    {
        myWindowHandle = Platform::CreateWindowEx(WS_EX_APPWINDOW, "WindowClass1", aParameters.myTitle,
                                                  CreationStyle(aParameters), 0, 0,
                                                  static_cast<i32>(aParameters.myWindowWidth),
                                                  static_cast<i32>(aParameters.myWindowHeight), &Window::WindowProcedure);
        // A window that could not be made is a failed start, not a later device error.
        if (!myWindowHandle)
            return false;
        *aWindowInOut = this;
    }
    else
    {
        myWindowHandle = (*aWindowInOut)->myWindowHandle;
    }
    Platform::SetWindowUserData(myWindowHandle, this);

    ComputeOuterSize(aParameters.myWindowWidth, aParameters.myWindowHeight);
    ApplyPresentation();
    // Maximised without borderless is a framed window filling the desktop's work area, which only
    // the window manager can give (borderless and maximised is full screen, above).
    if (aParameters.myStartMaximized && !myFullscreen)
        Platform::MaximizeWindow(myWindowHandle);
    // A new window gets no size message of its own: the back buffer must still follow it.
    Platform::PostMessage(myWindowHandle, WM_SIZE, SIZE_RESTORED, 0);
    return true;
}

void Window::ComputeOuterSize(u32 aWidth, u32 aHeight)
{
    const RECT outer = Platform::GetWindowRect(myWindowHandle);
    const RECT client = Platform::GetClientRect(myWindowHandle);
    const i32 frameWidth = (outer.right - outer.left) - (client.right - client.left);
    const i32 frameHeight = (outer.bottom - outer.top) - (client.bottom - client.top);
    myRequestedWidth = aWidth;
    myRequestedHeight = aHeight;
    myOuterWidth = static_cast<u32>(std::max<i32>(frameWidth, 0)) + aWidth;
    myOuterHeight = static_cast<u32>(std::max<i32>(frameHeight, 0)) + aHeight;
}

bool Window::ApplyPresentation()
{
    if (myFullscreen)
    {
        const RECT monitor = Platform::GetNearestMonitorRect(myWindowHandle);
        Platform::SetWindowStyle(myWindowHandle, FULLSCREEN_STYLE);
        return Platform::SetWindowPos(myWindowHandle, monitor.left, monitor.top, monitor.right - monitor.left,
                                      monitor.bottom - monitor.top, SWP_FRAMECHANGED);
    }
    Platform::SetWindowStyle(myWindowHandle, WINDOWED_STYLE);
    return Platform::SetWindowPos(myWindowHandle, 0, 0, static_cast<i32>(myOuterWidth), static_cast<i32>(myOuterHeight),
                                  SWP_NOMOVE | SWP_NOZORDER | SWP_FRAMECHANGED | SWP_NOOWNERZORDER);
}

bool Window::SetFullscreen(bool aFullscreen)
{
    const u8 previous = myFullscreen;
    myFullscreen = aFullscreen ? 1 : 0;
    if (ApplyPresentation())
    {
        // A size asked for while in full screen was measured without the window's frame: now
        // that the frame is back, size the window again so the client area is the one asked for.
        if (previous && !myFullscreen)
        {
            const u32 outerWidth = myOuterWidth, outerHeight = myOuterHeight;
            ComputeOuterSize(myRequestedWidth, myRequestedHeight);
            if (myOuterWidth != outerWidth || myOuterHeight != outerHeight)
                ApplyPresentation();
        }
        return true;
    }
    myFullscreen = previous;
    ApplyPresentation();
    return false;
}

bool Window::SetResolution(u32 aWidth, u32 aHeight)
{
    if (aWidth == 0 || aHeight == 0)
        return false;
    const u32 previousWidth = myRequestedWidth, previousHeight = myRequestedHeight;
    ComputeOuterSize(aWidth, aHeight);
    if (ApplyPresentation())
        return true;
    ComputeOuterSize(previousWidth, previousHeight);
    ApplyPresentation();
    return false;
}

LRESULT Window::WindowProcedure(HWND aWindow, UINT aMessage, WPARAM aWParam, LPARAM aLParam)
{
    auto* window = static_cast<Window*>(Platform::GetWindowUserData(aWindow));
    if (window && window->myMessageCallback)
    {
        if (window->myMessageCallback(aWindow, aMessage, aWParam, aLParam) != 0)
            return Platform::DefWindowProc(aWindow, aMessage, aWParam, aLParam);
    }
    switch (aMessage)
    {
    case WM_DESTROY:
        Platform::PostQuitMessage(0);
        return 0;
    case WM_SIZE:
        if (Engine* engine = Engine::GetInstance())
            engine->SetResizePending();
        break;
    default:
        break;
    }
    return Platform::DefWindowProc(aWindow, aMessage, aWParam, aLParam);
}
}
