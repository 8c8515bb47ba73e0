#include "loaders/ImageDecode.h"

#include "core/Assert.h"
#include "core/ByteReader.h"
#include "loaders/LoadFlags.h"

#include <stb_image.h>
#include <stb_image_resize.h>

#include <climits>
#include <cstring>
#include <memory>
#include <new>

namespace Qel
{
namespace
{
bool IsPngSrgb(const u8* aData, size_t aSize)
{
    bool hasSrgb = false;
    bool hasGamma = false;
    u32 gamma = 0;
    u64 offset = 8;
    while (offset + 8 <= aSize)
    {
        const u64 length = ReadBigU32(aData + offset);
        const u8* type = aData + offset + 4;
        if (std::memcmp(type, "IDAT", 4) == 0 || std::memcmp(type, "IEND", 4) == 0)
            break;
        if (length > aSize - offset - 8)
            break;
        const u8* body = aData + offset + 8;
        if (std::memcmp(type, "sRGB", 4) == 0 && length >= 1)
            hasSrgb = true;
        else if (std::memcmp(type, "gAMA", 4) == 0 && length >= 4 && !hasGamma)
        {
            hasGamma = true;
            gamma = ReadBigU32(body);
        }
        offset += 12 + length; // length, type, data, CRC
    }
    if (hasSrgb)
        return true;
    return hasGamma && gamma == 45455;
}

// The little TIFF structure inside a JPEG's EXIF segment.
class TiffReader
{
public:
    TiffReader(const u8* aData, size_t aSize) : myData(aData), mySize(aSize) {}

    bool ReadHeader(u32& aFirstIfd)
    {
        if (mySize < 8)
            return false;
        if (myData[0] == 'I' && myData[1] == 'I')
            myLittle = true;
        else if (myData[0] == 'M' && myData[1] == 'M')
            myLittle = false;
        else
            return false;
        if (U16(2) != 42)
            return false;
        aFirstIfd = U32(4);
        return true;
    }

    // Finds a tag in the directory at aOffset; its 4-byte value field's offset goes to aValueAt.
    bool FindTag(u32 aOffset, u16 aTag, u16& aType, u32& aCount, u64& aValueAt) const
    {
        if (u64(aOffset) + 2 > mySize)
            return false;
        const u32 count = U16(aOffset);
        for (u32 i = 0; i < count; ++i)
        {
            const u64 entry = u64(aOffset) + 2 + u64(i) * 12;
            if (entry + 12 > mySize)
                return false;
            if (U16(entry) == aTag)
            {
                aType = U16(entry + 2);
                aCount = U32(entry + 4);
                aValueAt = entry + 8;
                return true;
            }
        }
        return false;
    }

    u16 U16(u64 aAt) const
    {
        const u8* p = myData + aAt;
        return myLittle ? ReadLittleU16(p) : ReadBigU16(p);
    }
    u32 U32(u64 aAt) const
    {
        const u8* p = myData + aAt;
        return myLittle ? ReadLittleU32(p) : ReadBigU32(p);
    }

private:
    const u8* myData;
    size_t mySize;
    bool myLittle = true;
};

bool IsExifSrgb(const u8* aTiff, size_t aSize)
{
    constexpr u16 TAG_EXIF_IFD = 0x8769;
    constexpr u16 TAG_COLOR_SPACE = 0xA001;
    constexpr u16 TYPE_SHORT = 3;
    constexpr u16 TYPE_LONG = 4;
    TiffReader tiff(aTiff, aSize);
    u32 ifd0 = 0;
    if (!tiff.ReadHeader(ifd0))
        return false;
    u16 type = 0;
    u32 count = 0;
    u64 valueAt = 0;
    if (!tiff.FindTag(ifd0, TAG_EXIF_IFD, type, count, valueAt) || (type != TYPE_LONG && type != TYPE_SHORT))
        return false;
    const u32 exifIfd = type == TYPE_LONG ? tiff.U32(valueAt) : tiff.U16(valueAt);
    if (!tiff.FindTag(exifIfd, TAG_COLOR_SPACE, type, count, valueAt) || type != TYPE_SHORT || count < 1)
        return false;
    return tiff.U16(valueAt) == 1;
}

bool IsJpegSrgb(const u8* aData, size_t aSize)
{
    size_t offset = 2;
    while (offset + 2 <= aSize)
    {
        if (aData[offset] != 0xFF)
            return false;
        u8 marker = aData[offset + 1];
        // Fill bytes before a marker.
        while (marker == 0xFF && offset + 2 < aSize)
        {
            ++offset;
            marker = aData[offset + 1];
        }
        offset += 2;
        if (marker == 0xD9 || marker == 0xDA)
            return false;
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7))
            continue;
        if (offset + 2 > aSize)
            return false;
        const size_t length = ReadBigU16(aData + offset);
        if (length < 2 || length > aSize - offset)
            return false;
        const u8* body = aData + offset + 2;
        const size_t bodySize = length - 2;
        if (marker == 0xE1 && bodySize >= 6 && std::memcmp(body, "Exif\0\0", 6) == 0)
            return IsExifSrgb(body + 6, bodySize - 6);
        offset += length;
    }
    return false;
}

struct StbiFree
{
    void operator()(void* aPixels) const { stbi_image_free(aPixels); }
};
}

ImageContainer DetectImageContainer(const u8* aData, size_t aSize)
{
    static const u8 PNG[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    if (!aData)
        return ImageContainer::Unknown;
    if (aSize >= 8 && std::memcmp(aData, PNG, 8) == 0)
        return ImageContainer::Png;
    if (aSize >= 3 && aData[0] == 0xFF && aData[1] == 0xD8 && aData[2] == 0xFF)
        return ImageContainer::Jpeg;
    if (aSize >= 2 && aData[0] == 'B' && aData[1] == 'M')
        return ImageContainer::Bmp;
    if (aSize >= 6 && (std::memcmp(aData, "GIF87a", 6) == 0 || std::memcmp(aData, "GIF89a", 6) == 0))
        return ImageContainer::Gif;
    return ImageContainer::Unknown;
}

bool IsImageMetadataSrgb(ImageContainer aContainer, const u8* aData, size_t aSize)
{
    switch (aContainer)
    {
    case ImageContainer::Png:
        return IsPngSrgb(aData, aSize);
    case ImageContainer::Jpeg:
        return IsJpegSrgb(aData, aSize);
    default:
        return false;
    }
}

std::pair<u32, u32> ComputeFittedSize(u32 aWidth, u32 aHeight, u32 aMaxSize)
{
    if (aMaxSize == 0 || (aWidth <= aMaxSize && aHeight <= aMaxSize) || aWidth == 0 || aHeight == 0)
        return {aWidth, aHeight};
    const float ratio = static_cast<float>(aHeight) / static_cast<float>(aWidth);
    u32 width = 0;
    u32 height = 0;
    if (aWidth > aHeight)
    {
        width = aMaxSize;
        height = static_cast<u32>(static_cast<float>(aMaxSize) * ratio);
    }
    else
    {
        height = aMaxSize;
        width = static_cast<u32>(static_cast<float>(aMaxSize) / ratio);
    }
    width = width < 1 ? 1 : (width > aMaxSize ? aMaxSize : width);
    height = height < 1 ? 1 : (height > aMaxSize ? aMaxSize : height);
    QEL_ASSERT_TEXT(width <= aMaxSize && height <= aMaxSize, "twidth <= maxsize && theight <= maxsize");
    return {width, height};
}

HRESULT DecodeImage(const u8* aData, size_t aSize, u32 aMaxSize, u32 aLoadFlags, DecodedImage& aImage)
{
    aImage = {};
    const ImageContainer container = DetectImageContainer(aData, aSize);
    if (container == ImageContainer::Unknown)
        return HResultFromWin32(ERROR_NOT_SUPPORTED);
    if (aSize > static_cast<size_t>(INT_MAX))
        return E_OUTOFMEMORY;
    const int length = static_cast<int>(aSize);

    int width = 0, height = 0, channels = 0;
    if (!stbi_info_from_memory(aData, length, &width, &height, &channels))
        return E_FAIL;
    if (width <= 0 || height <= 0)
        return E_FAIL;
    // The decompression guard: a small file may claim a huge picture. Sizes below it that exceed
    // the texture limit are decoded and scaled down to fit.
    if (static_cast<u64>(width) * static_cast<u64>(height) > IMAGE_MAX_PIXELS)
        return E_OUTOFMEMORY;

    // One grey channel stays one channel; 16-bit files stay 16-bit. Neither has an sRGB form, so
    // both are linear whatever the flags or the metadata say.
    const bool grey = channels == 1;
    const bool sixteenBit = stbi_is_16_bit_from_memory(aData, length) != 0;
    bool srgb = false;
    if (!grey && !sixteenBit)
    {
        if (aLoadFlags & TEXTURE_LOAD_FORCE_SRGB)
            srgb = true;
        else if (!(aLoadFlags & TEXTURE_LOAD_IGNORE_SRGB))
            srgb = IsImageMetadataSrgb(container, aData, aSize);
    }
    const int outChannels = grey ? 1 : 4;

    int decodedWidth = 0, decodedHeight = 0, fileChannels = 0;
    std::unique_ptr<void, StbiFree> decoded;
    if (sixteenBit)
        decoded.reset(stbi_load_16_from_memory(aData, length, &decodedWidth, &decodedHeight, &fileChannels, outChannels));
    else
        decoded.reset(stbi_load_from_memory(aData, length, &decodedWidth, &decodedHeight, &fileChannels, outChannels));
    if (!decoded)
        return E_FAIL;
    if (decodedWidth != width || decodedHeight != height)
        return E_FAIL;

    const size_t bytesPerPixel = size_t(outChannels) * (sixteenBit ? 2 : 1);
    const auto [fitWidth, fitHeight] = ComputeFittedSize(static_cast<u32>(width), static_cast<u32>(height), aMaxSize);
    try
    {
        aImage.pixels.resize(size_t(fitWidth) * size_t(fitHeight) * bytesPerPixel);
    }
    catch (const std::bad_alloc&)
    {
        return E_OUTOFMEMORY;
    }

    if (fitWidth == static_cast<u32>(width) && fitHeight == static_cast<u32>(height))
    {
        std::memcpy(aImage.pixels.data(), decoded.get(), aImage.pixels.size());
    }
    else
    {
        const stbir_colorspace space = srgb ? STBIR_COLORSPACE_SRGB : STBIR_COLORSPACE_LINEAR;
        const int alphaChannel = grey ? STBIR_ALPHA_CHANNEL_NONE : 3;
        const int inStride = width * static_cast<int>(bytesPerPixel);
        const int outStride = static_cast<int>(fitWidth * bytesPerPixel);
        int ok = 0;
        if (sixteenBit)
            ok = stbir_resize_uint16_generic(static_cast<const stbir_uint16*>(decoded.get()), width, height, inStride,
                                             reinterpret_cast<stbir_uint16*>(aImage.pixels.data()),
                                             static_cast<int>(fitWidth), static_cast<int>(fitHeight), outStride,
                                             outChannels, alphaChannel, 0, STBIR_EDGE_CLAMP, STBIR_FILTER_BOX, space,
                                             nullptr);
        else
            ok = stbir_resize_uint8_generic(static_cast<const unsigned char*>(decoded.get()), width, height, inStride,
                                            aImage.pixels.data(), static_cast<int>(fitWidth),
                                            static_cast<int>(fitHeight), outStride, outChannels, alphaChannel, 0,
                                            STBIR_EDGE_CLAMP, STBIR_FILTER_BOX, space, nullptr);
        if (!ok)
        {
            aImage.pixels.clear();
            return E_OUTOFMEMORY;
        }
    }
    aImage.width = fitWidth;
    aImage.height = fitHeight;
    aImage.sixteenBit = sixteenBit;
    aImage.channels = static_cast<u32>(outChannels);
    aImage.srgb = srgb;
    return S_OK;
}
}
