// Any bytes through the PNG chunk walk and the JPEG / EXIF walk that decide an image's colour space.
#include "loaders/ImageDecode.h"

#include <cstddef>
#include <cstdint>

using namespace Qel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* aData, size_t aSize)
{
    (void)DetectImageContainer(aData, aSize);
    // Both walkers see every input, signature or not.
    (void)IsImageMetadataSrgb(ImageContainer::Png, aData, aSize);
    (void)IsImageMetadataSrgb(ImageContainer::Jpeg, aData, aSize);
    if (aSize >= 12)
    {
        const u32 width = u32(aData[0]) | (u32(aData[1]) << 8) | (u32(aData[2]) << 16) | (u32(aData[3]) << 24);
        const u32 height = u32(aData[4]) | (u32(aData[5]) << 8) | (u32(aData[6]) << 16) | (u32(aData[7]) << 24);
        const u32 maxSize = (u32(aData[8]) | (u32(aData[9]) << 8)) + 1;
        const auto [fitWidth, fitHeight] = ComputeFittedSize(width, height, maxSize);
        if (width != 0 && height != 0 && (fitWidth > maxSize || fitHeight > maxSize) &&
            (width > maxSize || height > maxSize))
            __builtin_trap();
    }
    return 0;
}
