#pragma once
#include "core/Types.h"

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace Qel
{
// 16 bytes in the order the hex digits are written; only identity matters.
struct Guid
{
    std::array<u8, 16> myBytes{};

    bool operator==(const Guid&) const = default;
};

struct GuidHash
{
    std::size_t operator()(const Guid& aGuid) const;
};

// Accepts exactly "xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx" with hex digits of either case;
// no braces, no surrounding space.
std::optional<Guid> ParseGuid(std::string_view aText);

// Dense indices for GUIDs in order of first appearance. Main thread only: no lock.
class GuidIndex
{
public:
    u32 GetIndex(const Guid& aGuid);
    u32 GetCount() const { return static_cast<u32>(myGuids.size()); }
    const Guid& GetGuid(u32 aIndex) const;

private:
    std::unordered_map<Guid, u32, GuidHash> myIndices;
    std::vector<Guid> myGuids;
};

// Index of the GUID text in the process-wide index (built on first use). Text that is null or
// not a GUID gives nullopt: every valid index, 0 included, belongs to a real GUID.
std::optional<u32> GetGuidIndex(const char* aText);
std::optional<u32> GetGuidIndex(std::string_view aText);
}
