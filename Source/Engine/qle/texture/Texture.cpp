#include "texture/Texture.h"

#include "graphics/GL.h"
#include "texture/TextureUpload.h"

namespace Qel
{
u32 Texture::GetGLName() const { return myView ? myView->GetName() : 0; }

u32 Texture::GetGLTarget() const { return myView ? myView->GetTarget() : static_cast<u32>(GL_TEXTURE_2D); }

std::pair<u32, u32> Texture::CalculateTextureSize(const ShaderResourceView& aView)
{
    if (!aView)
        return {0, 0};
    return {aView->GetWidth(), aView->GetHeight()};
}

std::unique_ptr<Texture> Texture::CreateFromRGBA(u32 aWidth, u32 aHeight, const u8* aPixels, u32 aRowPitch,
                                                 bool aSrgb, bool aGenerateMips)
{
    if (!aPixels || aWidth == 0 || aHeight == 0)
        return nullptr;
    // In 64 bits: a width of 2^30 or more must not wrap the row size into range.
    if (aRowPitch != 0 && (aRowPitch < u64(aWidth) * 4 || aRowPitch % 4 != 0))
        return nullptr;
    impl::TextureUploadImage image;
    image.data = aPixels;
    image.width = aWidth;
    image.height = aHeight;
    image.rowPitch = aRowPitch;
    impl::TextureUploadDesc desc;
    desc.kind = impl::TextureKind::Texture2D;
    desc.format.internalFormat = aSrgb ? GL_SRGB8_ALPHA8 : GL_RGBA8;
    desc.format.format = GL_RGBA;
    desc.format.type = GL_UNSIGNED_BYTE;
    desc.width = aWidth;
    desc.height = aHeight;
    desc.images = &image;
    desc.imageCount = 1;
    desc.generateMips = aGenerateMips;

    ShaderResourceView view;
    if (Failed(impl::CreateGLTexture(desc, view)))
        return nullptr;
    auto texture = std::make_unique<Texture>();
    texture->myView = std::move(view);
    texture->myWidth = aWidth;
    texture->myHeight = aHeight;
    return texture;
}

bool Texture::UpdateRGBA(const u8* aPixels, u32 aRowPitch)
{
    return myView ? UpdateRGBA(aPixels, aRowPitch, myView->GetWidth(), myView->GetHeight()) : false;
}

bool Texture::UpdateRGBA(const u8* aPixels, u32 aRowPitch, u32 aWidth, u32 aHeight)
{
    if (!myView || !aPixels)
        return false;
    if (myView->GetInternalFormat() != GL_RGBA8 && myView->GetInternalFormat() != GL_SRGB8_ALPHA8)
        return false;
    if (aWidth == 0 || aHeight == 0 || aWidth > myView->GetWidth() || aHeight > myView->GetHeight())
        return false;
    if (aRowPitch != 0 && (aRowPitch < u64(aWidth) * 4 || aRowPitch % 4 != 0))
        return false;
    return impl::UpdateGLTexture2D(*myView, aPixels, aRowPitch, GL_RGBA, GL_UNSIGNED_BYTE, aWidth, aHeight);
}
}
