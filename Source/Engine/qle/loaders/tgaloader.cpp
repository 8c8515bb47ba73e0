#include "loaders/tgaloader.h"

#include "core/ByteReader.h"
#include "loaders/FileData.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace Qel
{
namespace
{
constexpr u8 TYPE_TRUE_COLOR = 2;
constexpr u8 TYPE_TRUE_COLOR_RLE = 10;
constexpr u8 DESCRIPTOR_RIGHT_TO_LEFT = 0x10;
constexpr u8 DESCRIPTOR_TOP_TO_BOTTOM = 0x20;
// Files are read whole; nothing valid comes near this (16384^2 x 4 bytes plus headers).
constexpr u64 MAX_FILE_BYTES = (u64(TARGA_MAX_SIZE) * TARGA_MAX_SIZE * 4) + (u64(1) << 20);

std::unique_ptr<TargaImage> Fail(std::string* aError, const char* aReason)
{
    if (aError)
        *aError = aReason;
    return nullptr;
}
}

std::unique_ptr<TargaImage> ParseTargaImage(const u8* aData, size_t aSize, std::string* aError)
{
    if (!aData || aSize < TARGA_HEADER_BYTES)
        return Fail(aError, "file shorter than the Targa header");

    const u8 idLength = aData[0];
    const u8 colorMapType = aData[1];
    const u8 imageType = aData[2];
    const u16 colorMapLength = ReadLittleU16(aData + 5);
    const u8 colorMapEntryBits = aData[7];
    const u16 width = ReadLittleU16(aData + 12);
    const u16 height = ReadLittleU16(aData + 14);
    const u8 bitsPerPixel = aData[16];
    const u8 descriptor = aData[17];

    if (bitsPerPixel != 32)
        return Fail(aError, "only 32-bit Targa images are supported");
    if (imageType == TYPE_TRUE_COLOR_RLE)
        return Fail(aError, "run-length coded Targa images are not supported");
    if (imageType != TYPE_TRUE_COLOR)
        return Fail(aError, "not a true-colour Targa image");
    if (colorMapType > 1)
        return Fail(aError, "unknown colour-map type");
    if (width == 0 || height == 0)
        return Fail(aError, "zero image size");
    if (width > TARGA_MAX_SIZE || height > TARGA_MAX_SIZE)
        return Fail(aError, "image larger than 16384 pixels");

    // The ID field and any colour map (unused by true-colour data) come before the pixels.
    u64 offset = TARGA_HEADER_BYTES + u64(idLength);
    if (colorMapType == 1)
        offset += u64(colorMapLength) * ((u64(colorMapEntryBits) + 7) / 8);
    if (offset > aSize)
        return Fail(aError, "file truncated before the pixel data");

    const u64 pixelCount = u64(width) * u64(height);
    const u64 pixelBytes = pixelCount * 4;
    const u64 available = aSize - offset;
    // Refuse before allocating: the pixel data must all be there.
    if (available < pixelBytes)
        return Fail(aError, "file truncated in the pixel data");

    auto image = std::make_unique<TargaImage>();
    image->width = width;
    image->height = height;
    image->bitsPerPixel = 32;
    try
    {
        image->pixels.resize(static_cast<size_t>(pixelBytes));
    }
    catch (const std::bad_alloc&)
    {
        return Fail(aError, "out of memory");
    }
    u8* out = image->pixels.data();

    std::memcpy(out, aData + offset, static_cast<size_t>(pixelBytes));

    // Stored B, G, R, A; bottom row first unless the descriptor says otherwise.
    const size_t rowBytes = size_t(width) * 4;
    if (!(descriptor & DESCRIPTOR_TOP_TO_BOTTOM))
    {
        for (size_t top = 0, bottom = size_t(height) - 1; top < bottom; ++top, --bottom)
            std::swap_ranges(out + top * rowBytes, out + (top + 1) * rowBytes, out + bottom * rowBytes);
    }
    for (size_t y = 0; y < height; ++y)
    {
        u8* row = out + y * rowBytes;
        if (descriptor & DESCRIPTOR_RIGHT_TO_LEFT)
        {
            for (size_t left = 0, right = size_t(width) - 1; left < right; ++left, --right)
                std::swap_ranges(row + left * 4, row + left * 4 + 4, row + right * 4);
        }
        for (size_t x = 0; x < width; ++x)
            std::swap(row[x * 4], row[x * 4 + 2]);
    }
    return image;
}

std::unique_ptr<TargaImage> LoadTargaImage(const std::filesystem::path& aFile, std::string* aError)
{
    // A file that vanished (an editor saving it under hot reload) is a failed load, not a crash.
    std::vector<u8> data;
    const HRESULT result = ReadWholeFile(aFile, MAX_FILE_BYTES, data);
    if (Failed(result))
        return Fail(aError, result == E_FAIL ? "file too large" : DescribeHResult(result));
    return ParseTargaImage(data.data(), data.size(), aError);
}
}
