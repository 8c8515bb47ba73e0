// Any bytes as an FBX file: the structure reader must refuse or describe them without reading past
// their end, and what it accepts must be self-consistent.
#include "QELFBXImporter/source/FbxStructure.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

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
    const std::string_view bytes(reinterpret_cast<const char*>(aData), aSize);
    QelFbx::FileInfo info;
    std::string error;
    if (!QelFbx::ReadStructure(bytes, info, error))
    {
        Check(!error.empty());
        return 0;
    }
    Check(QelFbx::LooksLikeFbx(bytes));
    Check(info.myUnitScaleFactor > 0.0);
    for (const QelFbx::ModelInfo& model : info.myModels)
        Check(info.myClassByName.count(model.myName) == 1);
    Check(QelFbx::FrameRateOfTimeMode(info.myTimeMode, info.myCustomFrameRate) > 0.0);
    return 0;
}
