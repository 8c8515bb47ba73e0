#pragma once
#include "core/Types.h"

#include <optional>
#include <string>
#include <vector>

namespace Qel
{
struct AdapterDescription
{
    std::wstring myDescription;
    i32 myDedicatedVideoMemoryMiB = 0;
};

// The first adapter, unless a later one naming "NVIDIA" or "ATI" has strictly more dedicated
// memory; among those the one with the most memory (earlier wins ties). None for an empty list.
std::optional<size_t> ChooseAdapter(const std::vector<AdapterDescription>& aAdapters);
}
