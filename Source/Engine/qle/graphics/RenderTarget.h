#pragma once
#include "core/Types.h"

#include <memory>
#include <utility>

namespace Qel
{
class DepthBuffer;

struct Viewport
{
    float TopLeftX = 0.0f;
    float TopLeftY = 0.0f;
    float Width = 0.0f;
    float Height = 0.0f;
    float MinDepth = 0.0f;
    float MaxDepth = 1.0f;
};

// A colour texture to draw into, with its viewport. Keeps two framebuffers over the texture: one
// without depth (no depth test at all) and one with the depth buffer it was last bound with.
class RenderTarget
{
public:
    RenderTarget() = default;
    ~RenderTarget();
    RenderTarget(const RenderTarget&) = delete;
    RenderTarget& operator=(const RenderTarget&) = delete;

    // aTexture is a GL texture name (not owned). aSrgbWrite encodes linear output to sRGB on write.
    void CreateFromTexture(u32 aTexture, u32 aWidth, u32 aHeight, bool aSrgbWrite);
    void Release();
    bool IsValid() const { return myTexture != 0; }

    // Clears to the four floats as given (no conversion here).
    void Clear(const float aColor[4]);
    // Clears colour and aDepthBuffer (to aDepth) together: one clear through the framebuffer that
    // holds both, where two through separate framebuffers cost the rasteriser two passes.
    // LeaveBound skips binding the last active framebuffer again, for a caller that binds one next.
    enum class AfterClear
    {
        RestoreBinding,
        LeaveBound
    };
    void Clear(const float aColor[4], DepthBuffer& aDepthBuffer, float aDepth,
               AfterClear aAfter = AfterClear::RestoreBinding);
    std::pair<i32, i32> GetSize() const;
    void SetAsActiveTarget(DepthBuffer* aDepthBuffer);

    u32 GetTexture() const { return myTexture; }
    bool IsSrgb() const { return mySrgbWrite; }
    const std::shared_ptr<const Viewport>& GetViewport() const { return myViewport; }
    // The framebuffer name for aDepthBuffer (or none), created on first use.
    u32 GetFramebuffer(DepthBuffer* aDepthBuffer);

private:
    u32 myTexture = 0;
    bool mySrgbWrite = false;
    u32 myColorFramebuffer = 0;
    u32 myDepthFramebuffer = 0;
    u32 myDepthTextureInFramebuffer = 0;
    std::shared_ptr<const Viewport> myViewport;
};

class DepthBuffer
{
public:
    DepthBuffer() = default;
    ~DepthBuffer();
    DepthBuffer(const DepthBuffer&) = delete;
    DepthBuffer& operator=(const DepthBuffer&) = delete;

    void Create(u32 aWidth, u32 aHeight);
    void Clear(float aDepth, u8 aStencil);
    void Release();
    bool IsValid() const { return myTexture != 0; }
    u32 GetTexture() const { return myTexture; }
    const Viewport& GetViewport() const { return myViewport; }

private:
    u32 myTexture = 0;
    u32 myClearFramebuffer = 0;
    Viewport myViewport;
};
}
