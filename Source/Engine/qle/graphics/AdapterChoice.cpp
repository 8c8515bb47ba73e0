#include "graphics/AdapterChoice.h"

namespace Qel
{
std::optional<size_t> ChooseAdapter(const std::vector<AdapterDescription>& aAdapters)
{
    if (aAdapters.empty())
        return std::nullopt;
    size_t best = 0;
    i32 bestMemory = 0;
    for (size_t i = 0; i < aAdapters.size(); ++i)
    {
        const AdapterDescription& adapter = aAdapters[i];
        const bool named = adapter.myDescription.find(L"NVIDIA") != std::wstring::npos ||
                           adapter.myDescription.find(L"ATI") != std::wstring::npos;
        if (named && adapter.myDedicatedVideoMemoryMiB > bestMemory)
        {
            best = i;
            bestMemory = adapter.myDedicatedVideoMemoryMiB;
        }
    }
    return best;
}
}
