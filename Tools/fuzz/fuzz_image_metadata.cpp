// Any bytes through the PNG chunk walk and the JPEG / EXIF walk that decide an image's colour space.
#include "core/ByteReader.h"
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
        const u32 width = ReadLittleU32(aData);
        const u32 height = ReadLittleU32(aData + 4);
        const u32 maxSize = u32(ReadLittleU16(aData + 8)) + 1;
        const auto [fitWidth, fitHeight] = ComputeFittedSize(width, height, maxSize);
        if (width != 0 && height != 0 && (fitWidth > maxSize || fitHeight > maxSize) &&
            (width > maxSize || height > maxSize))
            __builtin_trap();
    }
    return 0;
}
