#include "graphics/RenderTexture.h"

#include "graphics/DX11.h"
#include "graphics/DeviceContext.h"
#include "graphics/GL.h"
#include "texture/TextureUpload.h"

namespace Qel
{
namespace
{
GLenum InternalFormat(RenderTextureFormat aFormat)
{
    switch (aFormat)
    {
    case RenderTextureFormat::Srgb8:
        return GL_SRGB8_ALPHA8;
    case RenderTextureFormat::Linear8:
        return GL_RGBA8;
    case RenderTextureFormat::Float16:
        return GL_RGBA16F;
    }
    return GL_RGBA8;
}

template <typename Channel>
bool UploadWhole(GLuint aTexture, u32 aWidth, u32 aHeight, const std::vector<Channel>& aPixels, GLenum aType)
{
    if (aPixels.size() < static_cast<size_t>(aWidth) * aHeight * 4)
        return false;
    const impl::ScopedTextureBinding bound(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, aTexture);
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, static_cast<GLsizei>(aWidth), static_cast<GLsizei>(aHeight), GL_RGBA, aType,
                    aPixels.data());
    return true;
}
}

RenderTexture::~RenderTexture() { Release(); }

bool RenderTexture::Create(u32 aWidth, u32 aHeight, RenderTextureFormat aFormat)
{
    Release();
    GLint maxSize = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
    if (aWidth == 0 || aHeight == 0 || aWidth > static_cast<u32>(maxSize) || aHeight > static_cast<u32>(maxSize))
        return false;

    GLuint texture = 0;
    glGenTextures(1, &texture);
    {
        const impl::ScopedTextureBinding bound(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, texture);
        const GLenum type = aFormat == RenderTextureFormat::Float16 ? GL_FLOAT : GL_UNSIGNED_BYTE;
        glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(InternalFormat(aFormat)), static_cast<GLsizei>(aWidth),
                     static_cast<GLsizei>(aHeight), 0, GL_RGBA, type, nullptr);
        // One level: complete under any sampler, mip filters included.
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, 0);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    }

    myView = std::make_shared<impl::GLTexture>(texture, GL_TEXTURE_2D, aWidth, aHeight, 1, 1, InternalFormat(aFormat));
    myWidth = aWidth;
    myHeight = aHeight;
    myFormat = aFormat;
    myTarget.CreateFromTexture(texture, aWidth, aHeight, aFormat == RenderTextureFormat::Srgb8);
    DX11::RebindActiveFramebuffer();
    return true;
}

bool RenderTexture::EnsureSize(u32 aWidth, u32 aHeight, RenderTextureFormat aFormat)
{
    if (IsValid() && myWidth == aWidth && myHeight == aHeight && myFormat == aFormat)
        return true;
    return Create(aWidth, aHeight, aFormat);
}

void RenderTexture::Release()
{
    myTarget.Release();
    myView.reset();
    myWidth = myHeight = 0;
}

void RenderTexture::BindAsSource(u32 aSlot) const
{
    DeviceContext::PSSetShaderResource(aSlot, myView);
}

void RenderTexture::CopyFrom(RenderTarget& aSource)
{
    if (!IsValid() || !aSource.IsValid())
        return;
    const auto [sourceWidth, sourceHeight] = aSource.GetSize();
    glBindFramebuffer(GL_READ_FRAMEBUFFER, aSource.GetFramebuffer(nullptr));
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, myTarget.GetFramebuffer(nullptr));
    // With the bit on, sRGB ends decode and encode, so the linear colour survives the copy.
    glEnable(GL_FRAMEBUFFER_SRGB);
    glDisable(GL_SCISSOR_TEST);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    const bool sameSize = static_cast<u32>(sourceWidth) == myWidth && static_cast<u32>(sourceHeight) == myHeight;
    glBlitFramebuffer(0, 0, sourceWidth, sourceHeight, 0, 0, static_cast<GLint>(myWidth), static_cast<GLint>(myHeight),
                      GL_COLOR_BUFFER_BIT, sameSize ? GL_NEAREST : GL_LINEAR);
    DX11::InvalidateOutputState();
    DX11::RebindActiveFramebuffer();
}

bool RenderTexture::UploadRGBA8(const std::vector<u8>& aPixels)
{
    return IsValid() && UploadWhole(GetTexture(), myWidth, myHeight, aPixels, GL_UNSIGNED_BYTE);
}

bool RenderTexture::UploadRGBA32F(const std::vector<float>& aPixels)
{
    return IsValid() && UploadWhole(GetTexture(), myWidth, myHeight, aPixels, GL_FLOAT);
}

// The stored values: sRGB bytes stay encoded.

}
