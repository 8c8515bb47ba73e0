#pragma once
// An offscreen colour texture with its own render target: what full-screen passes read from and
// render into. Rows are bottom-up, like the back buffer, so a full-screen pass maps it onto the
// screen without a flip.
#include "core/Types.h"
#include "graphics/RenderTarget.h"
#include "texture/Texture.h"

#include <vector>

namespace Qel
{
enum class RenderTextureFormat : u8
{
    // 8-bit sRGB: linear shader output is encoded on write and decoded on read (the back buffer's kind).
    Srgb8,
    // 8-bit, stored as written.
    Linear8,
    // 16-bit float per channel, for linear colour above 1 (tone mapping input).
    Float16,
};

class RenderTexture
{
public:
    RenderTexture() = default;
    ~RenderTexture();
    RenderTexture(const RenderTexture&) = delete;
    RenderTexture& operator=(const RenderTexture&) = delete;

    // (Re)creates the texture; its contents are undefined until drawn or uploaded. False for a
    // size of 0 or above the device's limit, leaving the texture empty.
    bool Create(u32 aWidth, u32 aHeight, RenderTextureFormat aFormat);
    // Recreates only when the size or the format differs.
    bool EnsureSize(u32 aWidth, u32 aHeight, RenderTextureFormat aFormat);
    void Release();
    bool IsValid() const { return myView != nullptr; }

    u32 GetWidth() const { return myWidth; }
    u32 GetHeight() const { return myHeight; }
    RenderTextureFormat GetFormat() const { return myFormat; }
    u32 GetTexture() const { return myView ? myView->GetName() : 0; }
    // The texture as shaders see it; it stays alive while a holder keeps the view.
    const ShaderResourceView& GetShaderResourceView() const { return myView; }
    RenderTarget& GetTarget() { return myTarget; }
    const RenderTarget& GetTarget() const { return myTarget; }

    // Binds the texture to a pixel-shader resource slot.
    void BindAsSource(u32 aSlot) const;
    // Copies a render target's whole colour image in, scaling to this size. Linear colour is
    // kept across formats (an sRGB source decodes, an sRGB destination encodes).
    void CopyFrom(RenderTarget& aSource);

    // Whole-image transfers, rows bottom-up, four values a pixel. Uploads need the exact size:
    // false (nothing written) when the texture is missing or the data is short.
    bool UploadRGBA8(const std::vector<u8>& aPixels);
    bool UploadRGBA32F(const std::vector<float>& aPixels);

private:
    ShaderResourceView myView;
    u32 myWidth = 0;
    u32 myHeight = 0;
    RenderTextureFormat myFormat = RenderTextureFormat::Srgb8;
    RenderTarget myTarget;
};
}
