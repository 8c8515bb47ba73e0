#include "graphics/DX11.h"

#include "core/Assert.h"
#include "graphics/AdapterChoice.h"
#include "graphics/ColorSpace.h"
#include "graphics/DeviceContext.h"
#include "graphics/ShaderCache.h"
#include "graphics/GL.h"
#include "platform/GLContext.h"

#include <cstdio>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace Qel
{
namespace
{
bool ourIsCreated = false;
bool ourContextAlive = false;
DX11* ourInstance = nullptr;
RenderTarget* ourActiveTarget = nullptr;
RenderTarget* ourLinearTarget = nullptr;
DepthBuffer* ourDepthBuffer = nullptr;
HWND ourWindow = nullptr;
std::thread::id ourRenderThread;
u64 ourStateEpoch = 1;
u64 ourOutputEpoch = 1;
RenderTarget* ourBoundTarget = nullptr;
u32 ourBoundFramebuffer = 0;
DepthBuffer* ourBoundDepth = nullptr;

void ClearPublished()
{
    ourInstance = nullptr;
    ourActiveTarget = nullptr;
    ourLinearTarget = nullptr;
    ourDepthBuffer = nullptr;
    ourWindow = nullptr;
    ourRenderThread = std::thread::id();
    ourBoundTarget = nullptr;
    ourBoundFramebuffer = 0;
    ourBoundDepth = nullptr;
}
}

DX11::DX11()
{
    QEL_ASSERT_TEXT(!ourIsCreated, "IsCreated == false");
    ourIsCreated = true;
    myOwnsCreation = true;
    ClearPublished();
}

DX11::~DX11() { Shutdown(); }

namespace
{
// The software rasteriser allocates and frees megabytes of vertex and bin memory every frame. By
// default glibc maps large blocks afresh and trims the heap whenever its top is free (thresholds
// it moves at run time, so the cost comes and goes from run to run): every reuse then faults its
// pages back in, thousands a frame. Keep blocks up to 32 MiB in the heap, and trim past 512 MiB:
// at 128 MiB frames of 100,000 sprites still faulted tens of pages a frame back in.
void KeepDriverMemoryResident()
{
#if defined(__GLIBC__)
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TRIM_THRESHOLD, 512 << 20);
#endif
}
}

bool DX11::InitCommon()
{
    if (!myContext)
        return false;
    KeepDriverMemoryResident();
    ourContextAlive = true;
    const char* rendererText = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    const std::string renderer = rendererText ? rendererText : "";

    // One GL context is one adapter; the choice rule still runs on it.
    std::vector<AdapterDescription> adapters;
    adapters.push_back({std::wstring(renderer.begin(), renderer.end()), 0});
    if (!ChooseAdapter(adapters))
        return false;

    // Direct3D conventions: clip depth 0..1.
    glClipControl(GL_LOWER_LEFT, GL_ZERO_TO_ONE);
    glEnable(GL_TEXTURE_CUBE_MAP_SEAMLESS);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGenVertexArrays(1, &myEmptyVertexArray);
    glBindVertexArray(myEmptyVertexArray);
    ourInstance = this;
    ourRenderThread = std::this_thread::get_id();
    return true;
}

bool DX11::Init(HWND aWindow)
{
    ourWindow = aWindow;
    myContext = Platform::GLContext::CreateForWindow(aWindow);
    if (!InitCommon())
        return false;
    u32 width = 0, height = 0;
    myContext->GetDrawableSize(width, height);
    if (width == 0 || height == 0)
    {
        width = 1;
        height = 1;
    }
    myContext->SetSwapInterval(0);
    return CreateBackBuffer(width, height);
}

bool DX11::InitHeadless(u32 aWidth, u32 aHeight)
{
    ourWindow = nullptr;
    myContext = Platform::GLContext::CreateHeadless();
    if (!InitCommon())
        return false;
    myHeadlessWidth = aWidth;
    myHeadlessHeight = aHeight;
    return CreateBackBuffer(aWidth, aHeight);
}

bool DX11::CreateBackBuffer(u32 aWidth, u32 aHeight)
{
    if (aWidth == 0 || aHeight == 0)
        return false;
    if (myColorTexture == 0)
        glGenTextures(1, &myColorTexture);
    glBindTexture(GL_TEXTURE_2D, myColorTexture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_SRGB8_ALPHA8, static_cast<GLsizei>(aWidth), static_cast<GLsizei>(aHeight), 0,
                 GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, 0);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glBindTexture(GL_TEXTURE_2D, 0);

    mySrgbTarget.CreateFromTexture(myColorTexture, aWidth, aHeight, true);
    myLinearTarget.CreateFromTexture(myColorTexture, aWidth, aHeight, false);
    myDepthBuffer.Create(aWidth, aHeight);
    myBackBufferWidth = aWidth;
    myBackBufferHeight = aHeight;

    mySrgbTarget.SetAsActiveTarget(&myDepthBuffer);
    ourActiveTarget = &mySrgbTarget;
    ourLinearTarget = &myLinearTarget;
    ourDepthBuffer = &myDepthBuffer;
    return true;
}

void DX11::DestroyBackBuffer()
{
    mySrgbTarget.Release();
    myLinearTarget.Release();
    myDepthBuffer.Release();
    if (myColorTexture && ourContextAlive)
        glDeleteTextures(1, &myColorTexture);
    myColorTexture = 0;
}

void DX11::Shutdown()
{
    if (!myOwnsCreation)
        return;
    QEL_ASSERT_TEXT(ourIsCreated, "IsCreated == true");
    myOwnsCreation = false;
    ourIsCreated = false;
    ClearPublished();
    if (myContext)
    {
        myContext->MakeCurrent();
        // Shader caches and other context-wide objects go while their context still exists.
        DeviceContext::ReleaseContextObjects();
        DestroyBackBuffer();
        if (myEmptyVertexArray)
            glDeleteVertexArrays(1, &myEmptyVertexArray);
        myEmptyVertexArray = 0;
    }
    ourContextAlive = false;
    myContext.reset();
}

void DX11::Clear(const float aColor[4])
{
    float linear[4];
    PackLinearColor(aColor[0], aColor[1], aColor[2], aColor[3], linear);
    // The active target is bound right after: one framebuffer switch, not two.
    mySrgbTarget.Clear(linear, myDepthBuffer, 1.0f, RenderTarget::AfterClear::LeaveBound);
    if (ourActiveTarget)
        ourActiveTarget->SetAsActiveTarget(nullptr);
    else
        RebindActiveFramebuffer();
    // Sent now, the clear runs while the frame is built rather than after it.
    glFlush();
}

bool DX11::Present(bool aVsync)
{
    if (!myContext || myContext->IsHeadless())
        return false;
    u32 windowWidth = 0, windowHeight = 0;
    myContext->GetDrawableSize(windowWidth, windowHeight);
    if (windowWidth > 0 && windowHeight > 0 && myColorTexture)
    {
        mySwapIntervalTaken = myContext->SetSwapInterval(aVsync ? 1 : 0);
        // The window framebuffer is sRGB-capable on Mesa: copy raw bytes, no second encode.
        glBindFramebuffer(GL_READ_FRAMEBUFFER, mySrgbTarget.GetFramebuffer(nullptr));
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
        glDisable(GL_FRAMEBUFFER_SRGB);
        glDisable(GL_SCISSOR_TEST);
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        const bool sameSize = windowWidth == myBackBufferWidth && windowHeight == myBackBufferHeight;
        glBlitFramebuffer(0, 0, static_cast<GLint>(myBackBufferWidth), static_cast<GLint>(myBackBufferHeight), 0, 0,
                          static_cast<GLint>(windowWidth), static_cast<GLint>(windowHeight), GL_COLOR_BUFFER_BIT,
                          sameSize ? GL_NEAREST : GL_LINEAR);
        myContext->SwapBuffers();
        InvalidateOutputState();
        RebindActiveFramebuffer();
        return true;
    }
    return false;
}

i32 DX11::GetRefreshRate() const { return myContext ? myContext->GetRefreshRate() : 0; }

bool DX11::Resize()
{
    if (!myContext)
        return false;
    u32 width = myHeadlessWidth, height = myHeadlessHeight;
    if (!myContext->IsHeadless())
        myContext->GetDrawableSize(width, height);
    // A minimised window has no size: keep the old back buffer until it has one again.
    if (width == 0 || height == 0)
        return false;
    glFinish();
    if (!CreateBackBuffer(width, height))
        return false;
    InvalidateCachedState();
    return true;
}

void DX11::SetHeadlessSize(u32 aWidth, u32 aHeight)
{
    myHeadlessWidth = aWidth;
    myHeadlessHeight = aHeight;
}

std::pair<i32, i32> DX11::GetActiveTargetSize() const
{
    return ourActiveTarget ? ourActiveTarget->GetSize() : std::pair<i32, i32>{0, 0};
}

std::vector<u8> DX11::ReadBackBufferRGBA8() const
{
    std::vector<u8> pixels(static_cast<size_t>(myBackBufferWidth) * myBackBufferHeight * 4);
    if (pixels.empty())
        return pixels;
    glBindFramebuffer(GL_READ_FRAMEBUFFER, const_cast<RenderTarget&>(mySrgbTarget).GetFramebuffer(nullptr));
    glReadPixels(0, 0, static_cast<GLsizei>(myBackBufferWidth), static_cast<GLsizei>(myBackBufferHeight), GL_RGBA,
                 GL_UNSIGNED_BYTE, pixels.data());
    RebindActiveFramebuffer();
    return pixels;
}

VertexShaderEntry* DX11::GetVertexShader(const std::string& aName) { return ShaderCache::GetVertexShader(aName); }
PixelShaderEntry* DX11::GetPixelShader(const std::string& aName) { return ShaderCache::GetPixelShader(aName); }

bool DX11::IsCreated() { return ourIsCreated; }
DX11* DX11::GetInstance() { return ourInstance; }
RenderTarget* DX11::GetActiveRenderTarget() { return ourActiveTarget; }
RenderTarget* DX11::GetLinearRenderTarget() { return ourLinearTarget; }
DepthBuffer* DX11::GetDepthBuffer() { return ourDepthBuffer; }
HWND DX11::GetWindowHandle() { return ourWindow; }
bool DX11::IsRenderThread() { return ourRenderThread == std::this_thread::get_id(); }
bool DX11::IsContextAlive() { return ourContextAlive; }
void DX11::InvalidateCachedState() { ++ourStateEpoch; }
u64 DX11::GetStateEpoch() { return ourStateEpoch; }
void DX11::InvalidateOutputState() { ++ourOutputEpoch; }
u64 DX11::GetOutputEpoch() { return ourOutputEpoch; }

void DX11::SetBoundFramebuffer(RenderTarget* aTarget, u32 aFramebuffer, DepthBuffer* aDepth)
{
    ourBoundTarget = aTarget;
    ourBoundFramebuffer = aFramebuffer;
    ourBoundDepth = aDepth;
}

RenderTarget* DX11::GetBoundTarget() { return ourBoundTarget; }
DepthBuffer* DX11::GetBoundDepthBuffer() { return ourBoundDepth; }

void DX11::RebindActiveFramebuffer()
{
    if (!ourBoundTarget || !ourBoundTarget->IsValid())
        return;
    glBindFramebuffer(GL_FRAMEBUFFER, ourBoundFramebuffer);
    if (ourBoundTarget->IsSrgb())
        glEnable(GL_FRAMEBUFFER_SRGB);
    else
        glDisable(GL_FRAMEBUFFER_SRGB);
}
}
