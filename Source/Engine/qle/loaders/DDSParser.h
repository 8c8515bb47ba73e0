#pragma once
// Reading of DirectDraw Surface files (with or without the DX10 extension header) into a texture
// description and the byte ranges of its sub-resources. No GL here: the parser sees only bytes,
// and every size and offset it returns has been checked against them.
#include "core/Types.h"
#include "loaders/DxgiFormat.h"
#include "loaders/LoadFlags.h"
#include "loaders/LoaderResult.h"

#include <cstddef>
#include <string>
#include <vector>

namespace Qel
{
inline constexpr u32 DDS_MAGIC = 0x20534444; // "DDS "
inline constexpr size_t DDS_HEADER_BYTES = 124;
inline constexpr size_t DDS_PIXELFORMAT_BYTES = 32;
inline constexpr size_t DDS_DX10_HEADER_BYTES = 20;
inline constexpr size_t DDS_MIN_FILE_BYTES = 4 + DDS_HEADER_BYTES;                    // 128
inline constexpr size_t DDS_MIN_DX10_FILE_BYTES = DDS_MIN_FILE_BYTES + DDS_DX10_HEADER_BYTES; // 148

// Limits of the device the files were made for.
inline constexpr u32 DDS_MAX_MIP_LEVELS = 15;
inline constexpr u32 DDS_MAX_ARRAY_SIZE = 2048;
inline constexpr u32 DDS_MAX_1D_SIZE = 16384;
inline constexpr u32 DDS_MAX_2D_SIZE = 16384;
inline constexpr u32 DDS_MAX_CUBE_SIZE = 16384;
inline constexpr u32 DDS_MAX_3D_SIZE = 2048;

enum class DDSDimension : u32
{
    Unknown = 0,
    Texture1D = 2,
    Texture2D = 3,
    Texture3D = 4,
};

enum DDS_ALPHA_MODE : u32
{
    DDS_ALPHA_MODE_UNKNOWN = 0,
    DDS_ALPHA_MODE_STRAIGHT = 1,
    DDS_ALPHA_MODE_PREMULTIPLIED = 2,
    DDS_ALPHA_MODE_OPAQUE = 3,
    DDS_ALPHA_MODE_CUSTOM = 4,
};

// The legacy pixel-format block of the header.
struct DDSPixelFormat
{
    u32 size = 0;
    u32 flags = 0;
    u32 fourCC = 0;
    u32 rgbBitCount = 0;
    u32 rBitMask = 0;
    u32 gBitMask = 0;
    u32 bBitMask = 0;
    u32 aBitMask = 0;
};

inline constexpr u32 DDS_FOURCC = 0x4;
inline constexpr u32 DDS_RGB = 0x40;
inline constexpr u32 DDS_LUMINANCE = 0x20000;
inline constexpr u32 DDS_ALPHA = 0x2;
inline constexpr u32 DDS_BUMPDUDV = 0x80000;
inline constexpr u32 DDS_HEIGHT = 0x2;
inline constexpr u32 DDS_HEADER_FLAGS_VOLUME = 0x800000;
inline constexpr u32 DDS_CUBEMAP = 0x200;
inline constexpr u32 DDS_CUBEMAP_ALLFACES = 0xFE00;
inline constexpr u32 DDS_RESOURCE_MISC_TEXTURECUBE = 0x4;

constexpr u32 MakeFourCC(char a, char b, char c, char d)
{
    return u32(u8(a)) | (u32(u8(b)) << 8) | (u32(u8(c)) << 16) | (u32(u8(d)) << 24);
}

// The DXGI format a legacy pixel format stands for; UNKNOWN when none does.
DXGI_FORMAT GetDXGIFormat(const DDSPixelFormat& aFormat);

// One mip of one array slice: where its bytes are in the file and how large it is.
struct DDSSubresource
{
    u64 offset = 0;
    u64 size = 0;     // all depth slices of the level
    u64 rowBytes = 0; // one row (of blocks, for block formats)
    u32 width = 0;
    u32 height = 0;
    u32 depth = 0;
};

struct DDSTextureInfo
{
    DDSDimension dimension = DDSDimension::Unknown;
    DXGI_FORMAT format = DXGI_FORMAT_UNKNOWN; // after the load flags
    DXGI_FORMAT fileFormat = DXGI_FORMAT_UNKNOWN;
    u32 width = 0;
    u32 height = 0;
    u32 depth = 0;
    u32 arraySize = 0; // slices; six per cube
    u32 mipCount = 0;  // as in the file
    bool isCube = false;
    bool hasDX10Header = false;
    DDS_ALPHA_MODE alphaMode = DDS_ALPHA_MODE_UNKNOWN;
    u64 dataOffset = 0;

    // The levels that are kept (top levels larger than the maximum size are left out).
    u32 skipMip = 0;
    u32 levels = 0;
    u32 topWidth = 0;
    u32 topHeight = 0;
    u32 topDepth = 0;
    // arraySize * levels entries, all levels of slice 0 first.
    std::vector<DDSSubresource> subresources;
    // Which limit a refused file is over (empty otherwise).
    std::string refusal;
};

// Checks the file's header against its size and reads the texture description.
HRESULT ParseDDSHeader(const u8* aData, size_t aSize, u32 aLoadFlags, DDSTextureInfo& aInfo);
// Walks the pixel data: every level of every slice must lie inside the file. aMaxSize 0 keeps
// every level; otherwise the top levels larger than aMaxSize in any axis are left out.
HRESULT LayoutDDSSubresources(size_t aSize, size_t aMaxSize, DDSTextureInfo& aInfo);
// Both of the above.
HRESULT ParseDDS(const u8* aData, size_t aSize, u32 aLoadFlags, size_t aMaxSize, DDSTextureInfo& aInfo);
}
