// Any bytes as a Targa file: no image, or one whose pixels fill exactly its size.
#include "loaders/tgaloader.h"

#include <cstddef>
#include <cstdint>

using namespace Qel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* aData, size_t aSize)
{
    std::string error;
    const auto image = ParseTargaImage(aData, aSize, &error);
    if (!image)
    {
        if (error.empty())
            __builtin_trap();
        return 0;
    }
    if (image->width == 0 || image->height == 0 || image->width > TARGA_MAX_SIZE || image->height > TARGA_MAX_SIZE ||
        image->bitsPerPixel != 32 || image->pixels.size() != size_t(image->width) * image->height * 4)
        __builtin_trap();
    volatile u8 sink = image->pixels.front();
    sink = sink + image->pixels.back();
    return 0;
}
