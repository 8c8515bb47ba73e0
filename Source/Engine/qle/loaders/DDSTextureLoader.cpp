#include "loaders/DDSTextureLoader.h"

#include "loaders/FileData.h"
#include "loaders/GLFormat.h"
#include "texture/TextureUpload.h"

#include <vector>

namespace Qel
{
namespace
{
HRESULT CreateFromInfo(const u8* aData, const DDSTextureInfo& aInfo, ShaderResourceView& aView)
{
    GLFormatInfo format;
    const HRESULT mapped = GetGLFormat(aInfo.format, format);
    if (Failed(mapped))
        return mapped;

    impl::TextureUploadDesc desc;
    desc.format = format;
    desc.width = aInfo.topWidth;
    desc.height = aInfo.topHeight;
    desc.levels = aInfo.levels;
    desc.layers = aInfo.arraySize;
    switch (aInfo.dimension)
    {
    case DDSDimension::Texture1D:
        desc.kind = aInfo.arraySize > 1 ? impl::TextureKind::Texture1DArray : impl::TextureKind::Texture1D;
        desc.height = 1;
        break;
    case DDSDimension::Texture2D:
        if (aInfo.isCube)
            desc.kind = aInfo.arraySize > 6 ? impl::TextureKind::CubeArray : impl::TextureKind::Cube;
        else
            desc.kind = aInfo.arraySize > 1 ? impl::TextureKind::Texture2DArray : impl::TextureKind::Texture2D;
        break;
    case DDSDimension::Texture3D:
        desc.kind = impl::TextureKind::Texture3D;
        desc.depth = aInfo.topDepth;
        break;
    default:
        return HResultFromWin32(ERROR_NOT_SUPPORTED);
    }

    std::vector<impl::TextureUploadImage> images;
    images.reserve(aInfo.subresources.size());
    for (const DDSSubresource& sub : aInfo.subresources)
    {
        impl::TextureUploadImage image;
        image.data = aData + sub.offset;
        image.size = sub.size;
        image.width = sub.width;
        image.height = sub.height;
        image.depth = sub.depth;
        images.push_back(image);
    }
    desc.images = images.data();
    desc.imageCount = images.size();
    return impl::CreateGLTexture(desc, aView);
}
}

HRESULT CreateDDSTextureFromMemoryEx(const u8* aData, size_t aSize, size_t aMaxSize, u32 aLoadFlags,
                                     ShaderResourceView* aView, DDS_ALPHA_MODE* aAlphaMode, std::string* aRefusal)
{
    if (aView)
        aView->reset();
    if (aAlphaMode)
        *aAlphaMode = DDS_ALPHA_MODE_UNKNOWN;
    if (aRefusal)
        aRefusal->clear();
    if (!aData || !aView)
        return E_INVALIDARG;

    DDSTextureInfo info;
    HRESULT result = ParseDDS(aData, aSize, aLoadFlags, aMaxSize, info);
    if (Failed(result))
    {
        if (aRefusal)
            *aRefusal = info.refusal;
        return result;
    }
    result = CreateFromInfo(aData, info, *aView);
    if (Failed(result) && aMaxSize == 0 && info.mipCount > 1)
    {
        // The device may take the texture without its largest levels.
        const size_t retrySize = info.dimension == DDSDimension::Texture3D ? 2048 : 8192;
        if (Succeeded(LayoutDDSSubresources(aSize, retrySize, info)) && info.skipMip > 0)
            result = CreateFromInfo(aData, info, *aView);
    }
    if (Succeeded(result) && aAlphaMode)
        *aAlphaMode = info.alphaMode;
    return result;
}

HRESULT CreateDDSTextureFromFileEx(const std::filesystem::path& aFile, size_t aMaxSize, u32 aLoadFlags,
                                   ShaderResourceView* aView, DDS_ALPHA_MODE* aAlphaMode)
{
    if (aView)
        aView->reset();
    if (aAlphaMode)
        *aAlphaMode = DDS_ALPHA_MODE_UNKNOWN;
    if (aFile.empty() || !aView)
        return E_INVALIDARG;
    std::vector<u8> data;
    // 4 GiB and more is refused before reading, like the 32-bit size field of the original readers.
    const HRESULT read = ReadWholeFile(aFile, (u64(1) << 32) - 1, data);
    if (Failed(read))
        return read;
    if (data.size() < DDS_MIN_FILE_BYTES)
        return E_FAIL;
    return CreateDDSTextureFromMemoryEx(data.data(), data.size(), aMaxSize, aLoadFlags, aView, aAlphaMode);
}
}
