#pragma once
// An OpenGL 3.3 core context: on a window (SDL) or headless (EGL on Mesa's surfaceless platform).
#include "platform/Win32.h"

#include <memory>
#include <string>

namespace Qel::Platform
{
class GLContext
{
public:
    virtual ~GLContext() = default;

    // Null, with the reason on stderr, when no context can be made.
    static std::unique_ptr<GLContext> CreateForWindow(HWND aWindow);
    static std::unique_ptr<GLContext> CreateHeadless();

    virtual bool IsHeadless() const = 0;
    virtual bool MakeCurrent() = 0;
    // Shows the default framebuffer; nothing when headless.
    virtual void SwapBuffers() = 0;
    // 1 waits for vertical blank, 0 does not. Only changes the context when the value changes.
    // False when the system refuses the interval (the swap then does not wait).
    virtual bool SetSwapInterval(int aInterval) = 0;
    // Refresh rate in hertz of the display the surface is on; 0 when unknown or headless.
    virtual i32 GetRefreshRate() const = 0;
    // Size of the default framebuffer; 0 x 0 when headless or minimised.
    virtual void GetDrawableSize(u32& aWidth, u32& aHeight) const = 0;
};
}
