#include "loaders/WICTextureLoader.h"

#include "graphics/GL.h"
#include "loaders/FileData.h"
#include "texture/TextureUpload.h"

#include <vector>

namespace Qel
{
namespace
{
// Compressed images of more than this are not worth decoding (and stb takes an int length).
constexpr u64 MAX_FILE_BYTES = u64(1) << 30;
}

HRESULT CreateWICTextureFromMemoryEx(const u8* aData, size_t aSize, size_t aMaxSize, u32 aLoadFlags,
                                     bool aGenerateMips, ShaderResourceView* aView)
{
    if (aView)
        aView->reset();
    if (!aData || !aView)
        return E_INVALIDARG;

    size_t maxSize = aMaxSize;
    const u32 deviceMax = impl::GetMaxTextureSize();
    if (maxSize == 0 || (deviceMax != 0 && maxSize > deviceMax))
        maxSize = deviceMax != 0 ? deviceMax : 16384;

    DecodedImage image;
    const HRESULT decoded = DecodeImage(aData, aSize, static_cast<u32>(maxSize), aLoadFlags, image);
    if (Failed(decoded))
        return decoded;
    if (image.width == 0 || image.height == 0)
        return E_FAIL;

    return CreateWICTextureFromDecodedImage(image, aGenerateMips, aView);
}

HRESULT CreateWICTextureFromDecodedImage(const DecodedImage& aImage, bool aGenerateMips, ShaderResourceView* aView)
{
    if (aView)
        aView->reset();
    if (!aView)
        return E_INVALIDARG;
    if (aImage.width == 0 || aImage.height == 0 || aImage.pixels.empty())
        return E_FAIL;
    impl::TextureUploadImage level;
    level.data = aImage.pixels.data();
    level.size = aImage.pixels.size();
    level.width = aImage.width;
    level.height = aImage.height;
    impl::TextureUploadDesc desc;
    desc.kind = impl::TextureKind::Texture2D;
    // As the decoder's formats map to Direct3D's: grey to R8 / R16 (which sample as (g, 0, 0, 1)),
    // colour to RGBA8 (sRGB or not) / RGBA16.
    if (aImage.channels == 1)
    {
        desc.format.internalFormat = aImage.sixteenBit ? GL_R16 : GL_R8;
        desc.format.format = GL_RED;
    }
    else
    {
        desc.format.internalFormat = aImage.sixteenBit ? GL_RGBA16 : (aImage.srgb ? GL_SRGB8_ALPHA8 : GL_RGBA8);
        desc.format.format = GL_RGBA;
    }
    desc.format.type = aImage.sixteenBit ? GL_UNSIGNED_SHORT : GL_UNSIGNED_BYTE;
    desc.width = aImage.width;
    desc.height = aImage.height;
    desc.images = &level;
    desc.imageCount = 1;
    desc.generateMips = aGenerateMips;
    return impl::CreateGLTexture(desc, *aView);
}

HRESULT CreateWICTextureFromFileEx(const std::filesystem::path& aFile, size_t aMaxSize, u32 aLoadFlags,
                                   bool aGenerateMips, ShaderResourceView* aView)
{
    if (aView)
        aView->reset();
    if (aFile.empty() || !aView)
        return E_INVALIDARG;
    std::vector<u8> data;
    const HRESULT read = ReadWholeFile(aFile, MAX_FILE_BYTES, data);
    if (Failed(read))
        return read == E_FAIL ? E_OUTOFMEMORY : read;
    return CreateWICTextureFromMemoryEx(data.data(), data.size(), aMaxSize, aLoadFlags, aGenerateMips, aView);
}
}
