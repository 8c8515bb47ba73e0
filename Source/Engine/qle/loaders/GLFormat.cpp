#include "loaders/GLFormat.h"

#include "graphics/GL.h"

#ifndef GL_COMPRESSED_RGBA_BPTC_UNORM
#define GL_COMPRESSED_RGBA_BPTC_UNORM 0x8E8C
#define GL_COMPRESSED_SRGB_ALPHA_BPTC_UNORM 0x8E8D
#define GL_COMPRESSED_RGB_BPTC_SIGNED_FLOAT 0x8E8E
#define GL_COMPRESSED_RGB_BPTC_UNSIGNED_FLOAT 0x8E8F
#endif

namespace Qel
{
namespace
{
GLFormatInfo Plain(u32 aInternal, u32 aFormat, u32 aType)
{
    GLFormatInfo info;
    info.internalFormat = aInternal;
    info.format = aFormat;
    info.type = aType;
    return info;
}

GLFormatInfo Compressed(u32 aInternal, u32 aNeeds)
{
    GLFormatInfo info;
    info.internalFormat = aInternal;
    info.compressed = true;
    info.needs = aNeeds;
    return info;
}

GLFormatInfo Swizzled(GLFormatInfo aInfo, u32 aR, u32 aG, u32 aB, u32 aA)
{
    aInfo.hasSwizzle = true;
    aInfo.swizzle[0] = aR;
    aInfo.swizzle[1] = aG;
    aInfo.swizzle[2] = aB;
    aInfo.swizzle[3] = aA;
    return aInfo;
}
}

HRESULT GetGLFormat(DXGI_FORMAT aFormat, GLFormatInfo& aInfo)
{
    aInfo = {};
    switch (aFormat)
    {
    case DXGI_FORMAT_R32G32B32A32_FLOAT:
        aInfo = Plain(GL_RGBA32F, GL_RGBA, GL_FLOAT);
        break;
    case DXGI_FORMAT_R32G32B32_FLOAT:
        aInfo = Plain(GL_RGB32F, GL_RGB, GL_FLOAT);
        break;
    case DXGI_FORMAT_R16G16B16A16_FLOAT:
        aInfo = Plain(GL_RGBA16F, GL_RGBA, GL_HALF_FLOAT);
        break;
    case DXGI_FORMAT_R16G16B16A16_UNORM:
        aInfo = Plain(GL_RGBA16, GL_RGBA, GL_UNSIGNED_SHORT);
        break;
    case DXGI_FORMAT_R16G16B16A16_SNORM:
        aInfo = Plain(GL_RGBA16_SNORM, GL_RGBA, GL_SHORT);
        break;
    case DXGI_FORMAT_R32G32_FLOAT:
        aInfo = Plain(GL_RG32F, GL_RG, GL_FLOAT);
        break;
    case DXGI_FORMAT_R10G10B10A2_UNORM:
        aInfo = Plain(GL_RGB10_A2, GL_RGBA, GL_UNSIGNED_INT_2_10_10_10_REV);
        break;
    case DXGI_FORMAT_R11G11B10_FLOAT:
        aInfo = Plain(GL_R11F_G11F_B10F, GL_RGB, GL_UNSIGNED_INT_10F_11F_11F_REV);
        break;
    case DXGI_FORMAT_R8G8B8A8_UNORM:
        aInfo = Plain(GL_RGBA8, GL_RGBA, GL_UNSIGNED_BYTE);
        break;
    case DXGI_FORMAT_R8G8B8A8_UNORM_SRGB:
        aInfo = Plain(GL_SRGB8_ALPHA8, GL_RGBA, GL_UNSIGNED_BYTE);
        break;
    case DXGI_FORMAT_R8G8B8A8_SNORM:
        aInfo = Plain(GL_RGBA8_SNORM, GL_RGBA, GL_BYTE);
        break;
    case DXGI_FORMAT_R16G16_FLOAT:
        aInfo = Plain(GL_RG16F, GL_RG, GL_HALF_FLOAT);
        break;
    case DXGI_FORMAT_R16G16_UNORM:
        aInfo = Plain(GL_RG16, GL_RG, GL_UNSIGNED_SHORT);
        break;
    case DXGI_FORMAT_R16G16_SNORM:
        aInfo = Plain(GL_RG16_SNORM, GL_RG, GL_SHORT);
        break;
    case DXGI_FORMAT_R32_FLOAT:
        aInfo = Plain(GL_R32F, GL_RED, GL_FLOAT);
        break;
    case DXGI_FORMAT_R8G8_UNORM:
        aInfo = Plain(GL_RG8, GL_RG, GL_UNSIGNED_BYTE);
        break;
    case DXGI_FORMAT_R8G8_SNORM:
        aInfo = Plain(GL_RG8_SNORM, GL_RG, GL_BYTE);
        break;
    case DXGI_FORMAT_R16_FLOAT:
        aInfo = Plain(GL_R16F, GL_RED, GL_HALF_FLOAT);
        break;
    case DXGI_FORMAT_R16_UNORM:
        aInfo = Plain(GL_R16, GL_RED, GL_UNSIGNED_SHORT);
        break;
    case DXGI_FORMAT_R16_SNORM:
        aInfo = Plain(GL_R16_SNORM, GL_RED, GL_SHORT);
        break;
    case DXGI_FORMAT_R8_UNORM:
        aInfo = Plain(GL_R8, GL_RED, GL_UNSIGNED_BYTE);
        break;
    case DXGI_FORMAT_R8_SNORM:
        aInfo = Plain(GL_R8_SNORM, GL_RED, GL_BYTE);
        break;
    case DXGI_FORMAT_A8_UNORM:
        aInfo = Swizzled(Plain(GL_R8, GL_RED, GL_UNSIGNED_BYTE), GL_ZERO, GL_ZERO, GL_ZERO, GL_RED);
        break;
    case DXGI_FORMAT_R9G9B9E5_SHAREDEXP:
        aInfo = Plain(GL_RGB9_E5, GL_RGB, GL_UNSIGNED_INT_5_9_9_9_REV);
        break;
    case DXGI_FORMAT_B5G6R5_UNORM:
        aInfo = Plain(GL_RGB565, GL_RGB, GL_UNSIGNED_SHORT_5_6_5);
        break;
    case DXGI_FORMAT_B5G5R5A1_UNORM:
        aInfo = Plain(GL_RGB5_A1, GL_BGRA, GL_UNSIGNED_SHORT_1_5_5_5_REV);
        break;
    case DXGI_FORMAT_B4G4R4A4_UNORM:
        aInfo = Plain(GL_RGBA4, GL_BGRA, GL_UNSIGNED_SHORT_4_4_4_4_REV);
        break;
    case DXGI_FORMAT_B8G8R8A8_UNORM:
        aInfo = Plain(GL_RGBA8, GL_BGRA, GL_UNSIGNED_BYTE);
        break;
    case DXGI_FORMAT_B8G8R8A8_UNORM_SRGB:
        aInfo = Plain(GL_SRGB8_ALPHA8, GL_BGRA, GL_UNSIGNED_BYTE);
        break;
    case DXGI_FORMAT_B8G8R8X8_UNORM:
        aInfo = Swizzled(Plain(GL_RGBA8, GL_BGRA, GL_UNSIGNED_BYTE), GL_RED, GL_GREEN, GL_BLUE, GL_ONE);
        break;
    case DXGI_FORMAT_B8G8R8X8_UNORM_SRGB:
        aInfo = Swizzled(Plain(GL_SRGB8_ALPHA8, GL_BGRA, GL_UNSIGNED_BYTE), GL_RED, GL_GREEN, GL_BLUE, GL_ONE);
        break;

    // D3D's BC1 has one bit of alpha: the RGBA variant decodes like it.
    case DXGI_FORMAT_BC1_UNORM:
        aInfo = Compressed(GL_COMPRESSED_RGBA_S3TC_DXT1_EXT, GL_FORMAT_NEEDS_S3TC);
        break;
    case DXGI_FORMAT_BC1_UNORM_SRGB:
        aInfo = Compressed(GL_COMPRESSED_SRGB_ALPHA_S3TC_DXT1_EXT, GL_FORMAT_NEEDS_S3TC | GL_FORMAT_NEEDS_S3TC_SRGB);
        break;
    case DXGI_FORMAT_BC2_UNORM:
        aInfo = Compressed(GL_COMPRESSED_RGBA_S3TC_DXT3_EXT, GL_FORMAT_NEEDS_S3TC);
        break;
    case DXGI_FORMAT_BC2_UNORM_SRGB:
        aInfo = Compressed(GL_COMPRESSED_SRGB_ALPHA_S3TC_DXT3_EXT, GL_FORMAT_NEEDS_S3TC | GL_FORMAT_NEEDS_S3TC_SRGB);
        break;
    case DXGI_FORMAT_BC3_UNORM:
        aInfo = Compressed(GL_COMPRESSED_RGBA_S3TC_DXT5_EXT, GL_FORMAT_NEEDS_S3TC);
        break;
    case DXGI_FORMAT_BC3_UNORM_SRGB:
        aInfo = Compressed(GL_COMPRESSED_SRGB_ALPHA_S3TC_DXT5_EXT, GL_FORMAT_NEEDS_S3TC | GL_FORMAT_NEEDS_S3TC_SRGB);
        break;
    case DXGI_FORMAT_BC4_UNORM:
        aInfo = Compressed(GL_COMPRESSED_RED_RGTC1, GL_FORMAT_NEEDS_NOTHING);
        break;
    case DXGI_FORMAT_BC4_SNORM:
        aInfo = Compressed(GL_COMPRESSED_SIGNED_RED_RGTC1, GL_FORMAT_NEEDS_NOTHING);
        break;
    case DXGI_FORMAT_BC5_UNORM:
        aInfo = Compressed(GL_COMPRESSED_RG_RGTC2, GL_FORMAT_NEEDS_NOTHING);
        break;
    case DXGI_FORMAT_BC5_SNORM:
        aInfo = Compressed(GL_COMPRESSED_SIGNED_RG_RGTC2, GL_FORMAT_NEEDS_NOTHING);
        break;
    case DXGI_FORMAT_BC6H_UF16:
        aInfo = Compressed(GL_COMPRESSED_RGB_BPTC_UNSIGNED_FLOAT, GL_FORMAT_NEEDS_BPTC);
        break;
    case DXGI_FORMAT_BC6H_SF16:
        aInfo = Compressed(GL_COMPRESSED_RGB_BPTC_SIGNED_FLOAT, GL_FORMAT_NEEDS_BPTC);
        break;
    case DXGI_FORMAT_BC7_UNORM:
        aInfo = Compressed(GL_COMPRESSED_RGBA_BPTC_UNORM, GL_FORMAT_NEEDS_BPTC);
        break;
    case DXGI_FORMAT_BC7_UNORM_SRGB:
        aInfo = Compressed(GL_COMPRESSED_SRGB_ALPHA_BPTC_UNORM, GL_FORMAT_NEEDS_BPTC);
        break;

    // No shader resource view can read these.
    case DXGI_FORMAT_R32G32B32A32_TYPELESS:
    case DXGI_FORMAT_R32G32B32_TYPELESS:
    case DXGI_FORMAT_R16G16B16A16_TYPELESS:
    case DXGI_FORMAT_R32G32_TYPELESS:
    case DXGI_FORMAT_R32G8X24_TYPELESS:
    case DXGI_FORMAT_D32_FLOAT_S8X24_UINT:
    case DXGI_FORMAT_R10G10B10A2_TYPELESS:
    case DXGI_FORMAT_R8G8B8A8_TYPELESS:
    case DXGI_FORMAT_R16G16_TYPELESS:
    case DXGI_FORMAT_R32_TYPELESS:
    case DXGI_FORMAT_D32_FLOAT:
    case DXGI_FORMAT_R24G8_TYPELESS:
    case DXGI_FORMAT_D24_UNORM_S8_UINT:
    case DXGI_FORMAT_R8G8_TYPELESS:
    case DXGI_FORMAT_R16_TYPELESS:
    case DXGI_FORMAT_D16_UNORM:
    case DXGI_FORMAT_R8_TYPELESS:
    case DXGI_FORMAT_BC1_TYPELESS:
    case DXGI_FORMAT_BC2_TYPELESS:
    case DXGI_FORMAT_BC3_TYPELESS:
    case DXGI_FORMAT_BC4_TYPELESS:
    case DXGI_FORMAT_BC5_TYPELESS:
    case DXGI_FORMAT_B8G8R8A8_TYPELESS:
    case DXGI_FORMAT_B8G8R8X8_TYPELESS:
    case DXGI_FORMAT_BC6H_TYPELESS:
    case DXGI_FORMAT_BC7_TYPELESS:
        return E_INVALIDARG;

    // Integer, video, palette and packed formats: our float samplers cannot read them.
    default:
        return HResultFromWin32(ERROR_NOT_SUPPORTED);
    }
    return S_OK;
}
}
