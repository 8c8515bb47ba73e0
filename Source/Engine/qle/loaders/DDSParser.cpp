#include "loaders/DDSParser.h"

#include <algorithm>
#include <string>

#include "core/Assert.h"
#include "core/ByteReader.h"

#include <cstring>

namespace Qel
{
namespace
{
// Byte offsets inside the file (the magic is at 0).
constexpr size_t HEADER_SIZE = 4;
constexpr size_t HEADER_FLAGS = 8;
constexpr size_t HEADER_HEIGHT = 12;
constexpr size_t HEADER_WIDTH = 16;
constexpr size_t HEADER_DEPTH = 24;
constexpr size_t HEADER_MIPCOUNT = 28;
constexpr size_t HEADER_PIXELFORMAT = 76;
constexpr size_t HEADER_CAPS2 = 112;
constexpr size_t DX10_FORMAT = 128;
constexpr size_t DX10_DIMENSION = 132;
constexpr size_t DX10_MISC = 136;
constexpr size_t DX10_ARRAYSIZE = 140;
constexpr size_t DX10_MISC2 = 144;

bool IsBitMask(const DDSPixelFormat& aFormat, u32 aR, u32 aG, u32 aB, u32 aA)
{
    return aFormat.rBitMask == aR && aFormat.gBitMask == aG && aFormat.bBitMask == aB && aFormat.aBitMask == aA;
}

u32 FullMipCount(u32 aWidth, u32 aHeight, u32 aDepth)
{
    u32 largest = aWidth;
    if (aHeight > largest)
        largest = aHeight;
    if (aDepth > largest)
        largest = aDepth;
    u32 count = 1;
    while (largest > 1)
    {
        largest >>= 1;
        ++count;
    }
    return count;
}
}

DXGI_FORMAT GetDXGIFormat(const DDSPixelFormat& aFormat)
{
    if (aFormat.flags & DDS_RGB)
    {
        switch (aFormat.rgbBitCount)
        {
        case 32:
            if (IsBitMask(aFormat, 0x000000ff, 0x0000ff00, 0x00ff0000, 0xff000000))
                return DXGI_FORMAT_R8G8B8A8_UNORM;
            if (IsBitMask(aFormat, 0x00ff0000, 0x0000ff00, 0x000000ff, 0xff000000))
                return DXGI_FORMAT_B8G8R8A8_UNORM;
            if (IsBitMask(aFormat, 0x00ff0000, 0x0000ff00, 0x000000ff, 0))
                return DXGI_FORMAT_B8G8R8X8_UNORM;
            // Written with swapped masks by old tools; the data is R10G10B10A2.
            if (IsBitMask(aFormat, 0x3ff00000, 0x000ffc00, 0x000003ff, 0xc0000000))
                return DXGI_FORMAT_R10G10B10A2_UNORM;
            if (IsBitMask(aFormat, 0x0000ffff, 0xffff0000, 0, 0))
                return DXGI_FORMAT_R16G16_UNORM;
            if (IsBitMask(aFormat, 0xffffffff, 0, 0, 0))
                return DXGI_FORMAT_R32_FLOAT;
            break;
        case 16:
            if (IsBitMask(aFormat, 0x7c00, 0x03e0, 0x001f, 0x8000))
                return DXGI_FORMAT_B5G5R5A1_UNORM;
            if (IsBitMask(aFormat, 0xf800, 0x07e0, 0x001f, 0))
                return DXGI_FORMAT_B5G6R5_UNORM;
            if (IsBitMask(aFormat, 0x0f00, 0x00f0, 0x000f, 0xf000))
                return DXGI_FORMAT_B4G4R4A4_UNORM;
            if (IsBitMask(aFormat, 0x00ff, 0, 0, 0xff00))
                return DXGI_FORMAT_R8G8_UNORM;
            if (IsBitMask(aFormat, 0xffff, 0, 0, 0))
                return DXGI_FORMAT_R16_UNORM;
            break;
        case 8:
            if (IsBitMask(aFormat, 0xff, 0, 0, 0))
                return DXGI_FORMAT_R8_UNORM;
            break;
        default:
            break;
        }
    }
    else if (aFormat.flags & DDS_LUMINANCE)
    {
        switch (aFormat.rgbBitCount)
        {
        case 16:
            if (IsBitMask(aFormat, 0xffff, 0, 0, 0))
                return DXGI_FORMAT_R16_UNORM;
            if (IsBitMask(aFormat, 0x00ff, 0, 0, 0xff00))
                return DXGI_FORMAT_R8G8_UNORM;
            break;
        case 8:
            if (IsBitMask(aFormat, 0xff, 0, 0, 0))
                return DXGI_FORMAT_R8_UNORM;
            // Some writers store luminance-alpha with a bit count of 8.
            if (IsBitMask(aFormat, 0x00ff, 0, 0, 0xff00))
                return DXGI_FORMAT_R8G8_UNORM;
            break;
        default:
            break;
        }
    }
    else if (aFormat.flags & DDS_ALPHA)
    {
        if (aFormat.rgbBitCount == 8)
            return DXGI_FORMAT_A8_UNORM;
    }
    else if (aFormat.flags & DDS_BUMPDUDV)
    {
        switch (aFormat.rgbBitCount)
        {
        case 32:
            if (IsBitMask(aFormat, 0x000000ff, 0x0000ff00, 0x00ff0000, 0xff000000))
                return DXGI_FORMAT_R8G8B8A8_SNORM;
            if (IsBitMask(aFormat, 0x0000ffff, 0xffff0000, 0, 0))
                return DXGI_FORMAT_R16G16_SNORM;
            break;
        case 16:
            if (IsBitMask(aFormat, 0x00ff, 0xff00, 0, 0))
                return DXGI_FORMAT_R8G8_SNORM;
            break;
        default:
            break;
        }
    }
    else if (aFormat.flags & DDS_FOURCC)
    {
        switch (aFormat.fourCC)
        {
        case MakeFourCC('D', 'X', 'T', '1'):
            return DXGI_FORMAT_BC1_UNORM;
        case MakeFourCC('D', 'X', 'T', '2'):
        case MakeFourCC('D', 'X', 'T', '3'):
            return DXGI_FORMAT_BC2_UNORM;
        case MakeFourCC('D', 'X', 'T', '4'):
        case MakeFourCC('D', 'X', 'T', '5'):
            return DXGI_FORMAT_BC3_UNORM;
        case MakeFourCC('A', 'T', 'I', '1'):
        case MakeFourCC('B', 'C', '4', 'U'):
            return DXGI_FORMAT_BC4_UNORM;
        case MakeFourCC('B', 'C', '4', 'S'):
            return DXGI_FORMAT_BC4_SNORM;
        case MakeFourCC('A', 'T', 'I', '2'):
        case MakeFourCC('B', 'C', '5', 'U'):
            return DXGI_FORMAT_BC5_UNORM;
        case MakeFourCC('B', 'C', '5', 'S'):
            return DXGI_FORMAT_BC5_SNORM;
        case MakeFourCC('R', 'G', 'B', 'G'):
            return DXGI_FORMAT_R8G8_B8G8_UNORM;
        case MakeFourCC('G', 'R', 'G', 'B'):
            return DXGI_FORMAT_G8R8_G8B8_UNORM;
        case MakeFourCC('Y', 'U', 'Y', '2'):
            return DXGI_FORMAT_YUY2;
        // D3DFORMAT numbers stored in the four-character code.
        case 36:
            return DXGI_FORMAT_R16G16B16A16_UNORM;
        case 110:
            return DXGI_FORMAT_R16G16B16A16_SNORM;
        case 111:
            return DXGI_FORMAT_R16_FLOAT;
        case 112:
            return DXGI_FORMAT_R16G16_FLOAT;
        case 113:
            return DXGI_FORMAT_R16G16B16A16_FLOAT;
        case 114:
            return DXGI_FORMAT_R32_FLOAT;
        case 115:
            return DXGI_FORMAT_R32G32_FLOAT;
        case 116:
            return DXGI_FORMAT_R32G32B32A32_FLOAT;
        default:
            break;
        }
    }
    return DXGI_FORMAT_UNKNOWN;
}

HRESULT ParseDDSHeader(const u8* aData, size_t aSize, u32 aLoadFlags, DDSTextureInfo& aInfo)
{
    aInfo = {};
    if (!aData)
        return E_INVALIDARG;
    // Files of 4 GiB or more are refused like the 32-bit readers do.
    if (aSize < DDS_MIN_FILE_BYTES || static_cast<u64>(aSize) >= (u64(1) << 32))
        return E_FAIL;
    if (ReadLittleU32(aData) != DDS_MAGIC)
        return E_FAIL;
    if (ReadLittleU32(aData + HEADER_SIZE) != DDS_HEADER_BYTES)
        return E_FAIL;

    DDSPixelFormat pf;
    pf.size = ReadLittleU32(aData + HEADER_PIXELFORMAT);
    pf.flags = ReadLittleU32(aData + HEADER_PIXELFORMAT + 4);
    pf.fourCC = ReadLittleU32(aData + HEADER_PIXELFORMAT + 8);
    pf.rgbBitCount = ReadLittleU32(aData + HEADER_PIXELFORMAT + 12);
    pf.rBitMask = ReadLittleU32(aData + HEADER_PIXELFORMAT + 16);
    pf.gBitMask = ReadLittleU32(aData + HEADER_PIXELFORMAT + 20);
    pf.bBitMask = ReadLittleU32(aData + HEADER_PIXELFORMAT + 24);
    pf.aBitMask = ReadLittleU32(aData + HEADER_PIXELFORMAT + 28);
    if (pf.size != DDS_PIXELFORMAT_BYTES)
        return E_FAIL;

    const u32 flags = ReadLittleU32(aData + HEADER_FLAGS);
    const u32 headerWidth = ReadLittleU32(aData + HEADER_WIDTH);
    const u32 headerHeight = ReadLittleU32(aData + HEADER_HEIGHT);
    const u32 headerDepth = ReadLittleU32(aData + HEADER_DEPTH);
    const u32 headerMips = ReadLittleU32(aData + HEADER_MIPCOUNT);
    const u32 caps2 = ReadLittleU32(aData + HEADER_CAPS2);

    const bool dx10 = (pf.flags & DDS_FOURCC) && pf.fourCC == MakeFourCC('D', 'X', '1', '0');
    if (dx10 && aSize < DDS_MIN_DX10_FILE_BYTES)
        return E_FAIL;

    DDSTextureInfo info;
    info.hasDX10Header = dx10;
    info.dataOffset = dx10 ? DDS_MIN_DX10_FILE_BYTES : DDS_MIN_FILE_BYTES;
    info.width = headerWidth;
    info.height = headerHeight;
    info.depth = headerDepth;
    info.mipCount = headerMips == 0 ? 1 : headerMips;
    // Counted in 64 bits: six faces of a huge array size must not wrap back into range.
    u64 arraySize = 1;

    if (dx10)
    {
        const u32 format = ReadLittleU32(aData + DX10_FORMAT);
        const u32 dimension = ReadLittleU32(aData + DX10_DIMENSION);
        const u32 misc = ReadLittleU32(aData + DX10_MISC);
        arraySize = ReadLittleU32(aData + DX10_ARRAYSIZE);
        const u32 misc2 = ReadLittleU32(aData + DX10_MISC2);
        if (arraySize == 0)
            return HResultFromWin32(ERROR_INVALID_DATA);

        info.fileFormat = static_cast<DXGI_FORMAT>(format);
        switch (info.fileFormat)
        {
        case DXGI_FORMAT_AI44:
        case DXGI_FORMAT_IA44:
        case DXGI_FORMAT_P8:
        case DXGI_FORMAT_A8P8:
            return HResultFromWin32(ERROR_NOT_SUPPORTED);
        default:
            if (BitsPerPixel(info.fileFormat) == 0)
                return HResultFromWin32(ERROR_NOT_SUPPORTED);
            break;
        }

        switch (info.fileFormat)
        {
        case DXGI_FORMAT_NV12:
        case DXGI_FORMAT_P010:
        case DXGI_FORMAT_P016:
        case DXGI_FORMAT_420_OPAQUE:
            if (dimension != static_cast<u32>(DDSDimension::Texture2D) || (headerWidth % 2) != 0 ||
                (headerHeight % 2) != 0)
                return HResultFromWin32(ERROR_NOT_SUPPORTED);
            break;
        case DXGI_FORMAT_YUY2:
        case DXGI_FORMAT_Y210:
        case DXGI_FORMAT_Y216:
        case DXGI_FORMAT_P208:
            if ((headerWidth % 2) != 0)
                return HResultFromWin32(ERROR_NOT_SUPPORTED);
            break;
        case DXGI_FORMAT_NV11:
            if ((headerWidth % 4) != 0)
                return HResultFromWin32(ERROR_NOT_SUPPORTED);
            break;
        default:
            break;
        }

        switch (static_cast<DDSDimension>(dimension))
        {
        case DDSDimension::Texture1D:
            if ((flags & DDS_HEIGHT) && headerHeight != 1)
                return HResultFromWin32(ERROR_INVALID_DATA);
            info.height = 1;
            info.depth = 1;
            info.dimension = DDSDimension::Texture1D;
            break;
        case DDSDimension::Texture2D:
            if (misc & DDS_RESOURCE_MISC_TEXTURECUBE)
            {
                arraySize *= 6;
                info.isCube = true;
            }
            info.depth = 1;
            info.dimension = DDSDimension::Texture2D;
            break;
        case DDSDimension::Texture3D:
            if (!(flags & DDS_HEADER_FLAGS_VOLUME))
                return HResultFromWin32(ERROR_INVALID_DATA);
            if (arraySize > 1)
                return HResultFromWin32(ERROR_NOT_SUPPORTED);
            info.dimension = DDSDimension::Texture3D;
            break;
        default:
            return HResultFromWin32(ERROR_NOT_SUPPORTED);
        }

        const u32 alpha = misc2 & 0x7;
        info.alphaMode = alpha <= DDS_ALPHA_MODE_CUSTOM ? static_cast<DDS_ALPHA_MODE>(alpha) : DDS_ALPHA_MODE_UNKNOWN;
    }
    else
    {
        info.fileFormat = GetDXGIFormat(pf);
        if (info.fileFormat == DXGI_FORMAT_UNKNOWN)
            return HResultFromWin32(ERROR_NOT_SUPPORTED);

        if (flags & DDS_HEADER_FLAGS_VOLUME)
        {
            info.dimension = DDSDimension::Texture3D;
        }
        else
        {
            if (caps2 & DDS_CUBEMAP)
            {
                // Partial cube maps are a D3D9 feature no later device has.
                if ((caps2 & DDS_CUBEMAP_ALLFACES) != DDS_CUBEMAP_ALLFACES)
                    return HResultFromWin32(ERROR_NOT_SUPPORTED);
                arraySize = 6;
                info.isCube = true;
            }
            info.depth = 1;
            info.dimension = DDSDimension::Texture2D;
        }
        QEL_ASSERT_TEXT(BitsPerPixel(info.fileFormat) != 0, "BitsPerPixel(format) != 0");

        if ((pf.flags & DDS_FOURCC) &&
            (pf.fourCC == MakeFourCC('D', 'X', 'T', '2') || pf.fourCC == MakeFourCC('D', 'X', 'T', '4')))
            info.alphaMode = DDS_ALPHA_MODE_PREMULTIPLIED;
    }

    // A file over one of the device's limits is refused with that limit as the reason.
    const auto overLimit = [&](const char* aWhat, u64 aValue, u32 aLimit) {
        aInfo.refusal = std::string(aWhat) + " " + std::to_string(aValue) + " is over the limit of " +
                       std::to_string(aLimit);
        return HResultFromWin32(ERROR_NOT_SUPPORTED);
    };
    if (info.mipCount > DDS_MAX_MIP_LEVELS)
        return overLimit("mip level count", info.mipCount, DDS_MAX_MIP_LEVELS);
    if (info.dimension != DDSDimension::Texture3D && arraySize > DDS_MAX_ARRAY_SIZE)
        return overLimit("array size", arraySize, DDS_MAX_ARRAY_SIZE);

    switch (info.dimension)
    {
    case DDSDimension::Texture1D:
        if (info.width > DDS_MAX_1D_SIZE)
            return overLimit("1D texture width", info.width, DDS_MAX_1D_SIZE);
        break;
    case DDSDimension::Texture2D:
    {
        const u32 limit = info.isCube ? DDS_MAX_CUBE_SIZE : DDS_MAX_2D_SIZE;
        const char* kind = info.isCube ? "cube map" : "2D texture";
        if (info.width > limit)
            return overLimit((std::string(kind) + " width").c_str(), info.width, limit);
        if (info.height > limit)
            return overLimit((std::string(kind) + " height").c_str(), info.height, limit);
        break;
    }
    case DDSDimension::Texture3D:
        if (arraySize > 1)
            return HResultFromWin32(ERROR_NOT_SUPPORTED);
        if (info.width > DDS_MAX_3D_SIZE || info.height > DDS_MAX_3D_SIZE || info.depth > DDS_MAX_3D_SIZE)
            return overLimit("3D texture side", std::max({info.width, info.height, info.depth}), DDS_MAX_3D_SIZE);
        break;
    default:
        return HResultFromWin32(ERROR_NOT_SUPPORTED);
    }
    info.arraySize = static_cast<u32>(arraySize);

    // The device refuses these at creation; GL would take them and give an unusable texture.
    if (info.width == 0 || info.height == 0 || info.depth == 0)
        return E_INVALIDARG;
    if (info.mipCount > FullMipCount(info.width, info.height, info.depth))
        return E_INVALIDARG;
    if (info.isCube && info.width != info.height)
        return E_INVALIDARG;

    info.format = info.fileFormat;
    if (aLoadFlags & TEXTURE_LOAD_FORCE_SRGB)
        info.format = MakeSrgb(info.fileFormat);
    // Ignoring sRGB keeps the file's own format: only forcing changes it.

    aInfo = std::move(info);
    return S_OK;
}

namespace
{
HRESULT Layout(size_t aSize, size_t aMaxSize, DDSTextureInfo& aInfo)
{
    aInfo.subresources.clear();
    aInfo.skipMip = 0;
    aInfo.levels = 0;
    aInfo.topWidth = aInfo.topHeight = aInfo.topDepth = 0;
    if (aInfo.dataOffset > aSize)
        return HResultFromWin32(ERROR_HANDLE_EOF);

    const u64 mipCount = aInfo.mipCount;
    const u64 arraySize = aInfo.arraySize;
    u64 offset = aInfo.dataOffset;
    const u64 end = aSize;
    u64 index = 0;
    aInfo.subresources.reserve(static_cast<size_t>(mipCount * arraySize));

    for (u64 slice = 0; slice < arraySize; ++slice)
    {
        u64 w = aInfo.width;
        u64 h = aInfo.height;
        u64 d = aInfo.depth;
        for (u64 mip = 0; mip < mipCount; ++mip)
        {
            SurfaceInfo surface;
            if (!GetSurfaceInfo(w, h, aInfo.format, surface))
                return HResultFromWin32(ERROR_ARITHMETIC_OVERFLOW);
            // At most 2^32 bytes a surface times 2048 slices: no wrap in 64 bits.
            const u64 levelBytes = surface.numBytes * d;
            if (levelBytes > end - offset)
                return HResultFromWin32(ERROR_HANDLE_EOF);

            if (mipCount <= 1 || aMaxSize == 0 || (w <= aMaxSize && h <= aMaxSize && d <= aMaxSize))
            {
                if (aInfo.topWidth == 0)
                {
                    aInfo.topWidth = static_cast<u32>(w);
                    aInfo.topHeight = static_cast<u32>(h);
                    aInfo.topDepth = static_cast<u32>(d);
                }
                QEL_ASSERT_TEXT(index < mipCount * arraySize, "index < mipCount * arraySize");
                DDSSubresource sub;
                sub.offset = offset;
                sub.size = levelBytes;
                sub.rowBytes = surface.rowBytes;
                sub.width = static_cast<u32>(w);
                sub.height = static_cast<u32>(h);
                sub.depth = static_cast<u32>(d);
                aInfo.subresources.push_back(sub);
                ++index;
            }
            else if (slice == 0)
            {
                ++aInfo.skipMip;
            }

            offset += levelBytes;
            w = w > 1 ? w >> 1 : 1;
            h = h > 1 ? h >> 1 : 1;
            d = d > 1 ? d >> 1 : 1;
        }
    }

    if (index == 0 || aInfo.skipMip >= aInfo.mipCount)
        return E_FAIL;
    aInfo.levels = aInfo.mipCount - aInfo.skipMip;

    // Block-compressed textures need whole blocks on the level the texture starts at.
    if (IsBlockCompressed(aInfo.format) && ((aInfo.topWidth % 4) != 0 || (aInfo.topHeight % 4) != 0))
        return E_INVALIDARG;
    return S_OK;
}
}

HRESULT LayoutDDSSubresources(size_t aSize, size_t aMaxSize, DDSTextureInfo& aInfo)
{
    const HRESULT result = Layout(aSize, aMaxSize, aInfo);
    if (Failed(result))
    {
        // Nothing half-walked is left for a caller to upload.
        aInfo.subresources.clear();
        aInfo.levels = 0;
    }
    return result;
}

HRESULT ParseDDS(const u8* aData, size_t aSize, u32 aLoadFlags, size_t aMaxSize, DDSTextureInfo& aInfo)
{
    const HRESULT header = ParseDDSHeader(aData, aSize, aLoadFlags, aInfo);
    if (Failed(header))
        return header;
    return LayoutDDSSubresources(aSize, aMaxSize, aInfo);
}
}
