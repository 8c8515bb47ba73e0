#pragma once
// Decoding of ordinary image files (PNG, JPEG, BMP, GIF) into pixels, with the colour-space and
// size rules the texture loader applies. No GL here.
#include "core/Types.h"
#include "loaders/LoaderResult.h"

#include <cstddef>
#include <utility>
#include <vector>

namespace Qel
{
enum class ImageContainer
{
    Unknown,
    Png,
    Jpeg,
    Bmp,
    Gif,
};

// Images above this many pixels are refused before decoding (a small file can claim a huge size).
// 32768 x 16384 still decodes, to be scaled down to the largest texture.
inline constexpr u64 IMAGE_MAX_PIXELS = u64(1) << 29;

// By signature only: other files (Targa, PSD, HDR...) are left to other loaders.
ImageContainer DetectImageContainer(const u8* aData, size_t aSize);

// What the file's metadata says: PNG "sRGB" chunk, else "gAMA" of 1/2.2 (45455); JPEG EXIF colour
// space 1; BMP and GIF carry nothing and are linear.
bool IsImageMetadataSrgb(ImageContainer aContainer, const u8* aData, size_t aSize);

// Size after fitting both sides into aMaxSize, keeping the aspect ratio; unchanged when it fits.
std::pair<u32, u32> ComputeFittedSize(u32 aWidth, u32 aHeight, u32 aMaxSize);

struct DecodedImage
{
    u32 width = 0;
    u32 height = 0;
    // 16 bits a channel instead of 8.
    bool sixteenBit = false;
    bool srgb = false;
    // 1 for a grey image, else 4 (RGBA).
    u32 channels = 4;
    // Rows top-down.
    std::vector<u8> pixels;
};

// Decodes to RGBA (grey files to one channel), scaled down to fit aMaxSize, with the load flags applied to the colour space.
// ERROR_NOT_SUPPORTED for files that are not PNG, JPEG, BMP or GIF; E_FAIL for broken ones;
// E_OUTOFMEMORY for images over the pixel limit.
HRESULT DecodeImage(const u8* aData, size_t aSize, u32 aMaxSize, u32 aLoadFlags, DecodedImage& aImage);
}
