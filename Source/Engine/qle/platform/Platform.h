#pragma once
// The engine's view of the operating system: windows, the message queue, the clock, the module
// path. Shaped after the few Win32 calls the engine was designed around; implemented over SDL2.
#include "platform/Win32.h"

#include <filesystem>
#include <string>

namespace Qel::Platform
{
// Starts SDL's video and game-controller subsystems once; false (with the reason on stderr) when
// there is no usable video driver.
bool Init();
void Shutdown();
bool IsInitialised();

// The primary screen's size; false when it cannot be read.
bool GetPrimaryScreenSize(u32& aWidth, u32& aHeight);

// Monotonic counter in nanoseconds and its frequency.
i64 QueryPerformanceCounter();
i64 QueryPerformanceFrequency();

// Absolute path of the running executable (empty on failure).
std::filesystem::path GetModuleFileName();

// ---- windows --------------------------------------------------------------------------------
// Creates a top-level window whose client area is aWidth x aHeight. Null (reason on stderr) on failure.
HWND CreateWindowEx(u32 aExStyle, const char* aClassName, const std::string& aTitle, u32 aStyle, i32 aX, i32 aY,
                    i32 aWidth, i32 aHeight, WNDPROC aProcedure);
// Sends WM_DESTROY to the window procedure, then destroys the window.
void DestroyWindow(HWND aWindow);
bool IsWindow(HWND aWindow);
void SetWindowUserData(HWND aWindow, void* aData);
void* GetWindowUserData(HWND aWindow);
RECT GetWindowRect(HWND aWindow);   // outer rectangle, frame included
RECT GetClientRect(HWND aWindow);   // (0, 0, client width, client height)
RECT GetNearestMonitorRect(HWND aWindow);
// Asks the window manager to maximise a framed window (fill the work area, frame kept).
void MaximizeWindow(HWND aWindow);
u32 GetWindowStyle(HWND aWindow);
void SetWindowStyle(HWND aWindow, u32 aStyle);
// Applies the stored style: a popup with WS_MAXIMIZE covers the monitor (desktop full screen); a
// popup without it is a borderless window at the rectangle; anything else is a framed, resizable
// window. aWidth / aHeight are outer sizes, as on Win32.
// False when the system refused to switch the window in or out of full screen.
bool SetWindowPos(HWND aWindow, i32 aX, i32 aY, i32 aWidth, i32 aHeight, u32 aFlags);
// Drawable size in pixels of the window's GL surface.
void GetDrawableSize(HWND aWindow, u32& aWidth, u32& aHeight);
void ShowCursor(bool aShow);
bool IsCursorShown();
// Native handle (SDL_Window*) for the other parts of the platform layer.
void* GetNativeHandle(HWND aWindow);

// ---- message queue --------------------------------------------------------------------------
// Removes the next message; false when the queue is empty. Collects pending OS events first.
// WM_QUIT is delivered once the rest of the queue is empty, after PostQuitMessage.
bool PeekMessage(MSG& aMessage);
void TranslateMessage(const MSG& aMessage);
LRESULT DispatchMessage(const MSG& aMessage);
void PostMessage(HWND aWindow, UINT aMessage, WPARAM aWParam, LPARAM aLParam);
void PostQuitMessage(int aExitCode);
// Calls the window procedure at once.
LRESULT SendMessage(HWND aWindow, UINT aMessage, WPARAM aWParam, LPARAM aLParam);
// Default handling: WM_CLOSE destroys the window; everything else is ignored.
LRESULT DefWindowProc(HWND aWindow, UINT aMessage, WPARAM aWParam, LPARAM aLParam);
// Drops queued messages and a posted quit (tests).
void ResetMessageQueue();
}
