// Any bytes as a DDS file: the parser must refuse or describe sub-resources that lie inside them.
#include "loaders/DDSParser.h"
#include "loaders/GLFormat.h"

#include <cstddef>
#include <cstdint>

using namespace Qel;

namespace
{
void Check(bool aCondition)
{
    if (!aCondition)
        __builtin_trap();
}
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* aData, size_t aSize)
{
    static const size_t MAX_SIZES[] = {0, 4, 8192};
    for (u32 flags = 0; flags < 3; ++flags)
        for (size_t maxSize : MAX_SIZES)
        {
            DDSTextureInfo info;
            if (Failed(ParseDDS(aData, aSize, flags, maxSize, info)))
            {
                Check(info.subresources.empty());
                continue;
            }
            Check(info.levels >= 1 && info.levels <= info.mipCount && info.mipCount <= DDS_MAX_MIP_LEVELS);
            Check(info.arraySize >= 1 && info.arraySize <= DDS_MAX_ARRAY_SIZE);
            Check(info.subresources.size() == size_t(info.arraySize) * info.levels);
            Check(info.topWidth > 0 && info.topHeight > 0 && info.topDepth > 0);
            volatile u8 sink = 0;
            for (const DDSSubresource& sub : info.subresources)
            {
                Check(sub.size > 0 && sub.offset >= info.dataOffset);
                Check(sub.offset <= aSize && sub.size <= aSize - sub.offset);
                // Touch both ends so the sanitizer sees any stray range.
                sink = sink + aData[sub.offset] + aData[sub.offset + sub.size - 1];
                Check(sub.width > 0 && sub.height > 0 && sub.depth > 0);
            }
            GLFormatInfo gl;
            (void)GetGLFormat(info.format, gl);
        }
    return 0;
}
