#pragma once
// The ids of a scene's objects still to create, taken from the back. Hidden objects are passed
// over, at most 65 of them in one call, so one frame of loading stays short however many hidden
// objects lie in a row.
#include "core/Types.h"

#include <optional>
#include <vector>

namespace SpawnQueue
{
inline constexpr Qel::u32 MAX_HIDDEN_SKIPPED = 64;

// Pops ids from the back until one is not hidden and returns it (popped too); nothing when the
// stack runs out or when the 65th hidden id in a row has been popped.
template <typename IsHidden>
std::optional<Qel::u32> TakeNext(std::vector<Qel::u32>& aStack, IsHidden&& aIsHidden)
{
    Qel::u32 skipped = 0;
    while (!aStack.empty())
    {
        const Qel::u32 id = aStack.back();
        aStack.pop_back();
        if (!aIsHidden(id))
            return id;
        if (++skipped > MAX_HIDDEN_SKIPPED)
            break;
    }
    return std::nullopt;
}
}
