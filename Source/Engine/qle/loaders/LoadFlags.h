#pragma once
#include "core/Types.h"

namespace Qel
{
// Load flags shared by the texture loaders.
inline constexpr u32 TEXTURE_LOAD_DEFAULT = 0;
// Create the sRGB variant of the file's format.
inline constexpr u32 TEXTURE_LOAD_FORCE_SRGB = 1;
// Never turn a format into its sRGB variant, whatever the file's metadata says.
inline constexpr u32 TEXTURE_LOAD_IGNORE_SRGB = 2;
}
