#pragma once
#include "core/Types.h"

#include <string_view>

namespace Qel
{
inline constexpr u64 FNV1A64_OFFSET_BASIS = 0xcbf29ce484222325ull;
inline constexpr u64 FNV1A64_PRIME = 0x100000001b3ull;

// 64-bit FNV-1a over the bytes of the text; chainable through aHash.
constexpr u64 Fnv1a64(std::string_view aText, u64 aHash = FNV1A64_OFFSET_BASIS)
{
    for (char c : aText)
    {
        aHash ^= static_cast<u8>(c);
        aHash *= FNV1A64_PRIME;
    }
    return aHash;
}
}
