#pragma once
// Fixed-order integers from file bytes, assembled byte by byte so neither alignment nor the host's
// byte order matters. The caller has checked that the bytes are there.
#include "core/Types.h"

namespace Qel
{
constexpr u16 ReadLittleU16(const u8* aBytes) { return static_cast<u16>(aBytes[0] | (aBytes[1] << 8)); }

constexpr u32 ReadLittleU32(const u8* aBytes)
{
    return u32(aBytes[0]) | (u32(aBytes[1]) << 8) | (u32(aBytes[2]) << 16) | (u32(aBytes[3]) << 24);
}

constexpr u16 ReadBigU16(const u8* aBytes) { return static_cast<u16>((aBytes[0] << 8) | aBytes[1]); }

constexpr u32 ReadBigU32(const u8* aBytes)
{
    return (u32(aBytes[0]) << 24) | (u32(aBytes[1]) << 16) | (u32(aBytes[2]) << 8) | u32(aBytes[3]);
}
}
