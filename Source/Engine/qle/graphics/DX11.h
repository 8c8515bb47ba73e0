#pragma once
// The GPU device of the engine: an OpenGL 3.3 core context, the back buffer (an sRGB colour
// texture and a 32-bit float depth texture) and the two render targets over it. The window's own
// framebuffer is only the place Present copies the back buffer to.
#include "core/Types.h"
#include "graphics/RenderTarget.h"
#include "platform/Win32.h"

#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace Qel
{
namespace Platform
{
class GLContext;
}
struct VertexShaderEntry;
struct PixelShaderEntry;

class DX11
{
public:
    DX11();
    ~DX11();
    DX11(const DX11&) = delete;
    DX11& operator=(const DX11&) = delete;

    // A context on the window, with a back buffer of the window's drawable size.
    bool Init(HWND aWindow);
    // A context with no window (tests, tools), with a back buffer of the given size.
    bool InitHeadless(u32 aWidth, u32 aHeight);
    void Shutdown();

    // aColor is sRGB; the back buffer receives its linear value. Clears depth to 1 and leaves the
    // back buffer bound without depth.
    void Clear(const float aColor[4]);
    // Shows the back buffer; false when nothing could be shown (headless, or the window is
    // minimised and has no surface).
    bool Present(bool aVsync);
    // Whether the system took the swap interval of the last Present (false: its swap never waits).
    bool IsSwapIntervalTaken() const { return mySwapIntervalTaken; }
    // The display's refresh rate in hertz; 0 when unknown.
    i32 GetRefreshRate() const;
    // Rebuilds the back buffer at the window's drawable size (headless: the size last set with
    // SetHeadlessSize). False, keeping everything as it was, when the size is 0 in either axis.
    bool Resize();
    void SetHeadlessSize(u32 aWidth, u32 aHeight);
    std::pair<i32, i32> GetActiveTargetSize() const;

    // Back buffer read back as RGBA8, rows bottom-up as GL gives them.
    std::vector<u8> ReadBackBufferRGBA8() const;

    // Published values.
    static bool IsCreated();
    static DX11* GetInstance();
    static RenderTarget* GetActiveRenderTarget();
    static RenderTarget* GetLinearRenderTarget();
    static DepthBuffer* GetDepthBuffer();
    static HWND GetWindowHandle();
    static bool IsRenderThread();
    // False once the context is gone: GL objects then skip their delete calls.
    static bool IsContextAlive();

    // Bookkeeping for code that changes GL state behind the state stack's back (clears, loaders).
    static void InvalidateCachedState();
    static u64 GetStateEpoch();
    // For code that forces only the output masks and scissor (clears, blits, present): the stack
    // sends its blend, depth-stencil and rasterizer states again, and nothing else.
    static void InvalidateOutputState();
    static u64 GetOutputEpoch();
    static void SetBoundFramebuffer(RenderTarget* aTarget, u32 aFramebuffer, DepthBuffer* aDepth);
    static RenderTarget* GetBoundTarget();
    static DepthBuffer* GetBoundDepthBuffer();
    // Re-binds the framebuffer of the last SetAsActiveTarget (after a clear bound another one).
    static void RebindActiveFramebuffer();

    // The compiled-shader caches (graphics/ShaderCache.h): the entry for a shader name, loaded on
    // first request; null when the file is missing or does not compile.
    static VertexShaderEntry* GetVertexShader(const std::string& aName);
    static PixelShaderEntry* GetPixelShader(const std::string& aName);

    // The empty vertex array that draws without vertex buffers (full-screen passes) can use.
    u32 GetEmptyVertexArray() const { return myEmptyVertexArray; }

private:
    bool CreateBackBuffer(u32 aWidth, u32 aHeight);
    void DestroyBackBuffer();
    bool InitCommon();

    std::unique_ptr<Platform::GLContext> myContext;
    RenderTarget mySrgbTarget;
    RenderTarget myLinearTarget;
    DepthBuffer myDepthBuffer;
    u32 myColorTexture = 0;
    u32 myEmptyVertexArray = 0;
    u32 myBackBufferWidth = 0;
    u32 myBackBufferHeight = 0;
    u32 myHeadlessWidth = 0;
    u32 myHeadlessHeight = 0;
    bool myOwnsCreation = false;
    bool mySwapIntervalTaken = false;
};
}
