#include "platform/Platform.h"

#include "platform/detail/InputEvents.h"

#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <system_error>
#include <vector>

namespace Qel
{
struct NativeWindow
{
    SDL_Window* mySdlWindow = nullptr;
    WNDPROC myProcedure = nullptr;
    void* myUserData = nullptr;
    u32 myStyle = 0;
};
}

namespace Qel::Platform
{
namespace
{
bool ourInitialised = false;

// The window system answers size and mode changes asynchronously: a late answer to leaving full
// screen (the old windowed size) can land after a new size was set and undo it. Wait, pumping the
// window system's events, until the size differs from aFrom, or equals aTo when one is given.
void AwaitWindowSize(SDL_Window* aWindow, int aFromWidth, int aFromHeight, int aToWidth, int aToHeight)
{
    constexpr Uint32 LIMIT_MS = 500;
    const Uint32 start = SDL_GetTicks();
    for (;;)
    {
        SDL_PumpEvents();
        int w = 0, h = 0;
        SDL_GetWindowSize(aWindow, &w, &h);
        const bool done = aToWidth > 0 ? (w == aToWidth && h == aToHeight) : (w != aFromWidth || h != aFromHeight);
        if (done || SDL_GetTicks() - start > LIMIT_MS)
            return;
        SDL_Delay(2);
    }
}
// Messages in arrival order: a vector and a read position rather than a deque, so that once it has
// held a frame's worth of messages the queue no longer allocates (a deque frees and allocates a
// block every few messages).
class MessageQueue
{
public:
    void Push(const MSG& aMessage) { myMessages.push_back(aMessage); }
    bool Pop(MSG& aMessage)
    {
        if (myRead == myMessages.size())
            return false;
        aMessage = myMessages[myRead++];
        if (myRead == myMessages.size())
            Clear();
        return true;
    }
    void RemoveWindow(HWND aWindow)
    {
        const auto first = myMessages.begin() + static_cast<std::ptrdiff_t>(myRead);
        myMessages.erase(std::remove_if(first, myMessages.end(),
                                        [aWindow](const MSG& aMessage) { return aMessage.hwnd == aWindow; }),
                         myMessages.end());
        if (myRead == myMessages.size())
            Clear();
    }
    void Clear()
    {
        myMessages.clear();
        myRead = 0;
    }

private:
    std::vector<MSG> myMessages;
    size_t myRead = 0;
};

MessageQueue ourQueue;
bool ourQuitPosted = false;
int ourQuitCode = 0;
std::vector<HWND> ourWindows;
// Destroyed windows stay hidden until shutdown: the GL context may still be tied to them.
std::vector<SDL_Window*> ourDestroyedWindows;

HWND FindWindowById(Uint32 aId)
{
    for (HWND window : ourWindows)
    {
        if (SDL_GetWindowID(window->mySdlWindow) == aId)
            return window;
    }
    return nullptr;
}

HWND MainWindow() { return ourWindows.empty() ? nullptr : ourWindows.front(); }

void TranslateEvent(const SDL_Event& aEvent)
{
    switch (aEvent.type)
    {
    case SDL_QUIT:
        // The desktop asked the program to end (a signal, the session closing): treat as a close.
        if (HWND window = MainWindow())
            PostMessage(window, WM_CLOSE, 0, 0);
        else
            PostQuitMessage(0);
        return;
    case SDL_WINDOWEVENT: {
        HWND window = FindWindowById(aEvent.window.windowID);
        if (!window)
            return;
        switch (aEvent.window.event)
        {
        case SDL_WINDOWEVENT_CLOSE:
            PostMessage(window, WM_CLOSE, 0, 0);
            break;
        case SDL_WINDOWEVENT_SIZE_CHANGED: {
            u32 w = 0, h = 0;
            GetDrawableSize(window, w, h);
            PostMessage(window, WM_SIZE, SIZE_RESTORED, MAKELPARAM(static_cast<u16>(w), static_cast<u16>(h)));
            break;
        }
        case SDL_WINDOWEVENT_MINIMIZED:
            PostMessage(window, WM_SIZE, SIZE_MINIMIZED, 0);
            break;
        case SDL_WINDOWEVENT_FOCUS_GAINED:
            PostMessage(window, WM_SETFOCUS, 0, 0);
            break;
        case SDL_WINDOWEVENT_FOCUS_LOST:
            PostMessage(window, WM_KILLFOCUS, 0, 0);
            break;
        default:
            break;
        }
        return;
    }
    default: {
        HWND window = MainWindow();
        if (window)
            detail::TranslateInputEvent(aEvent, window);
        return;
    }
    }
}
}

bool Init()
{
    if (ourInitialised)
        return true;
    setenv("SDL_VIDEO_X11_WMCLASS", "WindowClass1", 0);   // the window class name, as X11 sees it
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_GAMECONTROLLER | SDL_INIT_EVENTS) != 0)
    {
        std::fprintf(stderr, "Could not start the video system: %s\n", SDL_GetError());
        return false;
    }
    // With no display SDL quietly falls back to a surface nobody sees. Only a caller that asks for
    // that by name (tests: SDL_VIDEODRIVER=offscreen) gets it; anyone else is told at once.
    const char* driver = SDL_GetCurrentVideoDriver();
    const char* asked = std::getenv("SDL_VIDEODRIVER");
    const bool invisible = driver && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0 ||
                                      std::strcmp(driver, "evdev") == 0);
    if (invisible && !(asked && SDL_strcasecmp(asked, driver) == 0))
    {
        const char* display = std::getenv("DISPLAY");
        if (display && *display)
            std::fprintf(stderr, "The game needs a display, and the one named by DISPLAY (%s) cannot be opened.\n",
                         display);
        else
            std::fprintf(stderr, "The game needs a display, and there is none: DISPLAY is not set. Start it from a "
                                 "desktop session (or set DISPLAY to a running X server).\n");
        SDL_Quit();
        return false;
    }
    ourInitialised = true;
    return true;
}

void Shutdown()
{
    if (!ourInitialised)
        return;
    for (HWND window : ourWindows)
    {
        SDL_DestroyWindow(window->mySdlWindow);
        delete window;
    }
    ourWindows.clear();
    for (SDL_Window* window : ourDestroyedWindows)
        SDL_DestroyWindow(window);
    ourDestroyedWindows.clear();
    ResetMessageQueue();
    SDL_Quit();
    ourInitialised = false;
}

bool IsInitialised() { return ourInitialised; }

bool GetPrimaryScreenSize(u32& aWidth, u32& aHeight)
{
    SDL_DisplayMode mode{};
    if (!ourInitialised || SDL_GetDesktopDisplayMode(0, &mode) != 0 || mode.w <= 0 || mode.h <= 0)
        return false;
    aWidth = static_cast<u32>(mode.w);
    aHeight = static_cast<u32>(mode.h);
    return true;
}

i64 QueryPerformanceCounter()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

i64 QueryPerformanceFrequency() { return 1'000'000'000; }

std::filesystem::path GetModuleFileName()
{
    std::error_code error;
    std::filesystem::path path = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error)
        return {};
    return path;
}

HWND CreateWindowEx(u32 aExStyle, const char* aClassName, const std::string& aTitle, u32 aStyle, i32 aX, i32 aY,
                    i32 aWidth, i32 aHeight, WNDPROC aProcedure)
{
    (void)aExStyle;
    (void)aClassName;
    if (!Init())
        return nullptr;
    // No high-DPI surface: mouse positions and render pixels stay the same units.
    Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_RESIZABLE;
    if (aStyle & WS_POPUP)
        flags |= SDL_WINDOW_BORDERLESS;
    if (aStyle & WS_VISIBLE)
        flags |= SDL_WINDOW_SHOWN;
    else
        flags |= SDL_WINDOW_HIDDEN;

    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_FRAMEBUFFER_SRGB_CAPABLE, 0);

    const int width = aWidth > 0 ? aWidth : 1;
    const int height = aHeight > 0 ? aHeight : 1;
    SDL_Window* sdlWindow = SDL_CreateWindow(aTitle.c_str(), aX, aY, width, height, flags);
    if (!sdlWindow)
    {
        std::fprintf(stderr, "Could not create the window: %s\n", SDL_GetError());
        return nullptr;
    }
    auto* window = new NativeWindow;
    window->mySdlWindow = sdlWindow;
    window->myProcedure = aProcedure;
    window->myStyle = aStyle;
    ourWindows.push_back(window);
    return window;
}

void DestroyWindow(HWND aWindow)
{
    if (!IsWindow(aWindow))
        return;
    SendMessage(aWindow, WM_DESTROY, 0, 0);
    std::erase(ourWindows, aWindow);
    ourQueue.RemoveWindow(aWindow);
    SDL_HideWindow(aWindow->mySdlWindow);
    ourDestroyedWindows.push_back(aWindow->mySdlWindow);
    delete aWindow;
}

bool IsWindow(HWND aWindow)
{
    for (HWND window : ourWindows)
    {
        if (window == aWindow)
            return true;
    }
    return false;
}

void SetWindowUserData(HWND aWindow, void* aData)
{
    if (IsWindow(aWindow))
        aWindow->myUserData = aData;
}

void* GetWindowUserData(HWND aWindow) { return IsWindow(aWindow) ? aWindow->myUserData : nullptr; }

RECT GetWindowRect(HWND aWindow)
{
    RECT rect;
    if (!IsWindow(aWindow))
        return rect;
    int x = 0, y = 0, w = 0, h = 0, top = 0, left = 0, bottom = 0, right = 0;
    SDL_GetWindowPosition(aWindow->mySdlWindow, &x, &y);
    SDL_GetWindowSize(aWindow->mySdlWindow, &w, &h);
    if (SDL_GetWindowBordersSize(aWindow->mySdlWindow, &top, &left, &bottom, &right) != 0)
        top = left = bottom = right = 0;
    rect.left = x - left;
    rect.top = y - top;
    rect.right = x + w + right;
    rect.bottom = y + h + bottom;
    return rect;
}

RECT GetClientRect(HWND aWindow)
{
    RECT rect;
    if (!IsWindow(aWindow))
        return rect;
    int w = 0, h = 0;
    SDL_GetWindowSize(aWindow->mySdlWindow, &w, &h);
    rect.right = w;
    rect.bottom = h;
    return rect;
}

RECT GetNearestMonitorRect(HWND aWindow)
{
    RECT rect;
    SDL_Rect bounds{0, 0, 0, 0};
    int display = IsWindow(aWindow) ? SDL_GetWindowDisplayIndex(aWindow->mySdlWindow) : 0;
    if (display < 0)
        display = 0;
    if (SDL_GetDisplayBounds(display, &bounds) == 0)
    {
        rect.left = bounds.x;
        rect.top = bounds.y;
        rect.right = bounds.x + bounds.w;
        rect.bottom = bounds.y + bounds.h;
    }
    return rect;
}

u32 GetWindowStyle(HWND aWindow) { return IsWindow(aWindow) ? aWindow->myStyle : 0; }

void SetWindowStyle(HWND aWindow, u32 aStyle)
{
    if (IsWindow(aWindow))
        aWindow->myStyle = aStyle;
}

bool SetWindowPos(HWND aWindow, i32 aX, i32 aY, i32 aWidth, i32 aHeight, u32 aFlags)
{
    if (!IsWindow(aWindow))
        return false;
    SDL_Window* window = aWindow->mySdlWindow;
    const u32 style = aWindow->myStyle;
    if (style & WS_VISIBLE)
        SDL_ShowWindow(window);

    if ((style & WS_POPUP) && (style & WS_MAXIMIZE))
    {
        return SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN_DESKTOP) == 0;
    }

    const bool wasFullscreen = (SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN) != 0;
    int fullWidth = 0, fullHeight = 0;
    SDL_GetWindowSize(window, &fullWidth, &fullHeight);
    if (SDL_SetWindowFullscreen(window, 0) != 0)
        return false;
    if (wasFullscreen)
        AwaitWindowSize(window, fullWidth, fullHeight, 0, 0);
    const bool popup = (style & WS_POPUP) != 0;
    SDL_SetWindowBordered(window, popup ? SDL_FALSE : SDL_TRUE);
    SDL_SetWindowResizable(window, popup ? SDL_FALSE : SDL_TRUE);
    if (!(aFlags & SWP_NOSIZE))
    {
        // Win32 sizes include the frame; SDL's are the client area.
        int top = 0, left = 0, bottom = 0, right = 0;
        if (popup || SDL_GetWindowBordersSize(window, &top, &left, &bottom, &right) != 0)
            top = left = bottom = right = 0;
        const int w = aWidth - left - right;
        const int h = aHeight - top - bottom;
        int oldWidth = 0, oldHeight = 0;
        SDL_GetWindowSize(window, &oldWidth, &oldHeight);
        if (w > 0 && h > 0 && (w != oldWidth || h != oldHeight))
        {
            SDL_SetWindowSize(window, w, h);
            AwaitWindowSize(window, oldWidth, oldHeight, w, h);
        }
    }
    if (!(aFlags & SWP_NOMOVE))
        SDL_SetWindowPosition(window, aX, aY);
    return true;
}

void MaximizeWindow(HWND aWindow)
{
    if (IsWindow(aWindow))
        SDL_MaximizeWindow(aWindow->mySdlWindow);
}

void GetDrawableSize(HWND aWindow, u32& aWidth, u32& aHeight)
{
    aWidth = aHeight = 0;
    if (!IsWindow(aWindow))
        return;
    int w = 0, h = 0;
    SDL_GL_GetDrawableSize(aWindow->mySdlWindow, &w, &h);
    if (w <= 0 || h <= 0)
        SDL_GetWindowSize(aWindow->mySdlWindow, &w, &h);
    if (SDL_GetWindowFlags(aWindow->mySdlWindow) & SDL_WINDOW_MINIMIZED)
        w = h = 0;
    aWidth = static_cast<u32>(w > 0 ? w : 0);
    aHeight = static_cast<u32>(h > 0 ? h : 0);
}

void ShowCursor(bool aShow) { SDL_ShowCursor(aShow ? SDL_ENABLE : SDL_DISABLE); }

bool IsCursorShown() { return SDL_ShowCursor(SDL_QUERY) == SDL_ENABLE; }

void* GetNativeHandle(HWND aWindow) { return IsWindow(aWindow) ? aWindow->mySdlWindow : nullptr; }

bool PeekMessage(MSG& aMessage)
{
    if (ourInitialised)
    {
        SDL_Event event;
        while (SDL_PollEvent(&event))
            TranslateEvent(event);
    }
    if (ourQueue.Pop(aMessage))
        return true;
    if (ourQuitPosted)
    {
        ourQuitPosted = false;
        aMessage = MSG{nullptr, WM_QUIT, static_cast<WPARAM>(ourQuitCode), 0};
        return true;
    }
    return false;
}

void TranslateMessage(const MSG&) {}

LRESULT DispatchMessage(const MSG& aMessage)
{
    if (aMessage.message == WM_QUIT || !IsWindow(aMessage.hwnd) || !aMessage.hwnd->myProcedure)
        return 0;
    return aMessage.hwnd->myProcedure(aMessage.hwnd, aMessage.message, aMessage.wParam, aMessage.lParam);
}

void PostMessage(HWND aWindow, UINT aMessage, WPARAM aWParam, LPARAM aLParam)
{
    ourQueue.Push(MSG{aWindow, aMessage, aWParam, aLParam});
}

void PostQuitMessage(int aExitCode)
{
    ourQuitPosted = true;
    ourQuitCode = aExitCode;
}

LRESULT SendMessage(HWND aWindow, UINT aMessage, WPARAM aWParam, LPARAM aLParam)
{
    return DispatchMessage(MSG{aWindow, aMessage, aWParam, aLParam});
}

LRESULT DefWindowProc(HWND aWindow, UINT aMessage, WPARAM, LPARAM)
{
    if (aMessage == WM_CLOSE)
        DestroyWindow(aWindow);
    return 0;
}

void ResetMessageQueue()
{
    ourQueue.Clear();
    ourQuitPosted = false;
    ourQuitCode = 0;
}
}
